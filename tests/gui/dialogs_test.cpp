// Message boxes answered by a click or by closing them, and the file filter conversion.

#include "gui_fixture.h"

#include "backends/qt/qt_dialogs.h"
#include "backends/qt/qt_platform.h"
#include "backends/qt/qt_text.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <thread>

namespace gui::test {
namespace {

using platform::Button;

struct Answer {
    unsigned flags;
    const char16_t* press; // the button's caption, or nullptr to close the box with Escape
    Button expected;
};

void PrintTo(const Answer& answer, std::ostream* out)
{
    *out << "flags " << answer.flags << (answer.press ? ", a button" : ", closed") << " -> "
         << static_cast<int>(answer.expected);
}

class MessageBoxTest : public ::testing::TestWithParam<Answer>, private ApplicationFirst { };

TEST_P(MessageBoxTest, ReturnsTheCodeOfTheAnswer)
{
    const Answer answer = GetParam();
    QString caption, text;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        text = box->text();
        for (QAbstractButton* b : box->buttons())
            buttons << b->text();
        if (!answer.press) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* b : box->buttons())
            if (b->text() == QString::fromUtf16(answer.press))
                QTest::mouseClick(b, Qt::LeftButton);
    });
    platform::qt::QtDialogs dialogs;
    EXPECT_EQ(dialogs.messageBox("删除该场次？", "注意：", answer.flags), answer.expected);
    EXPECT_EQ(caption, QStringLiteral(u"注意："));
    EXPECT_EQ(text, QStringLiteral(u"删除该场次？"));
    if (answer.press) {
        EXPECT_TRUE(buttons.contains(QString::fromUtf16(answer.press)));
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, MessageBoxTest,
    ::testing::Values(Answer { 0, u"确定", Button::Ok }, Answer { 1, u"确定", Button::Ok },
        Answer { 1, u"取消", Button::Cancel }, Answer { 0x2001, u"取消", Button::Cancel },
        Answer { 4, u"否", Button::No }, Answer { 3, u"是", Button::Yes },
        Answer { 2, u"重试", Button::Retry },
        // Closing never confirms.
        Answer { 1, nullptr, Button::Cancel }, Answer { 0, nullptr, Button::Ok }));

TEST(MessageBoxFromWorker, RunsOnTheInterfaceThread)
{
    application();
    QTimer::singleShot(50, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->thread(), QApplication::instance()->thread());
        QTest::keyClick(box, Qt::Key_Escape);
    });
    platform::qt::QtDialogs dialogs;
    std::optional<Button> answer;
    std::thread worker([&] { answer = dialogs.messageBox("x", "y", 1); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 5000));
    worker.join();
    EXPECT_EQ(answer, Button::Cancel);
}

// The countdown question answers itself when its time runs out, shows the seconds left on
// the button it will press, and answers No when closed.
TEST(CountdownQuestion, AnswersItselfWhenTheTimeRunsOutAndNoWhenClosed)
{
    application();
    platform::qt::QtDialogs dialogs;
    QString byItself;
    QTimer::singleShot(100, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        byItself = box->defaultButton()->text();
    });
    EXPECT_EQ(dialogs.countdownQuestion("继续播放？", "信息：", 1, Button::Yes), Button::Yes);
    EXPECT_EQ(byItself, QStringLiteral(u"是（1）"));

    QTimer::singleShot(100, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(dialogs.countdownQuestion("继续播放？", "信息：", 10, Button::Yes), Button::No);

    QTimer::singleShot(100, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* b : box->buttons())
            if (b->text() == QStringLiteral(u"否"))
                QTest::mouseClick(b, Qt::LeftButton);
    });
    EXPECT_EQ(dialogs.countdownQuestion("继续播放？", "信息：", 10, Button::Yes), Button::No);
}

// Latin letters left once the accelerator marks ("(&O)", "&") are taken out: none in a text
// that is Chinese.
bool readsChinese(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("\\(&\\w\\)|&")));
    return !text.isEmpty() && !text.contains(QRegularExpression(QStringLiteral("[A-Za-z]")))
        && text.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]")));
}

TEST(OpenFileDialog, SpeaksChineseEvenForAFileThatIsNotThere)
{
    application();
    platform::qt::QtPlatform qt; // installs Qt's own Chinese texts
    QTemporaryDir folder;
    QStringList labels, notFound;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        for (auto label : { QFileDialog::LookIn, QFileDialog::FileName, QFileDialog::FileType,
                 QFileDialog::Accept, QFileDialog::Reject })
            labels << dialog->labelText(label);
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
            if (!button->text().isEmpty())
                labels << button->text();
        // A name that is not there: the dialog says so in a box of its own, then stays.
        QTimer::singleShot(300, dialog, [&, dialog] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                notFound << box->text();
                for (QAbstractButton* b : box->buttons())
                    notFound << b->text();
                box->accept();
            }
            QTimer::singleShot(0, dialog, &QDialog::reject);
        });
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral(u"没有这首.mp3"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    platform::qt::QtDialogs dialogs;
    platform::OpenFileRequest request;
    request.filter = "MP3文件(*.mp3)|*.mp3";
    request.initialDir = folder.path().toStdString();
    EXPECT_EQ(dialogs.openFile(request), std::nullopt);

    ASSERT_GE(labels.size(), 5);
    for (const QString& text : labels)
        EXPECT_TRUE(readsChinese(text)) << text.toStdString();
    ASSERT_FALSE(notFound.isEmpty()) << "no message for the missing file";
    for (const QString& text : notFound) {
        QString withoutName = text;
        withoutName.remove(QStringLiteral(u"没有这首.mp3"));
        EXPECT_TRUE(readsChinese(withoutName)) << text.toStdString();
    }
}

TEST(FileFilter, PairsBecomeQtNameFilters)
{
    using platform::qt::nameFilters;
    EXPECT_EQ(nameFilters("MP3文件(*.mp3)|*.mp3"),
        QStringList { QStringLiteral("MP3文件(*.mp3) (*.mp3)") });
    EXPECT_EQ(nameFilters("声音|*.mp3;*.wav|全部|*.*|"),
        (QStringList { QStringLiteral("声音 (*.mp3 *.wav)"), QStringLiteral("全部 (*.*)") }));
    EXPECT_TRUE(nameFilters("").isEmpty());
    EXPECT_TRUE(nameFilters("no pattern").isEmpty());
}

// The several-files dialog hands back a chosen folder as itself, and several files in the
// order the operator chose them.
TEST(OpenFilesDialog, GivesAChosenFolderOrEveryChosenFile)
{
    application();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir(dir.path()).mkdir(QStringLiteral("晚场"));
    for (const char* name : { "a.mp3", "b.mp3" })
        QFile(dir.filePath(QString::fromUtf8(name))).open(QIODevice::WriteOnly);
    platform::OpenFileRequest request;
    request.initialDir = platform::qt::toGbk(dir.path());
    request.filter = "MP3文件(*.mp3)|*.mp3";
    request.keepCurrentDir = true;
    platform::qt::QtDialogs dialogs;

    auto answerWith = [](const QString& selection) {
        QTimer::singleShot(50, [selection] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(selection);
            QMetaObject::invokeMethod(dialog, "accept");
        });
    };
    answerWith(QStringLiteral("晚场"));
    EXPECT_EQ(dialogs.openFiles(request),
        std::vector<std::string> { platform::qt::toGbk(dir.filePath(QStringLiteral("晚场"))) });

    answerWith(QStringLiteral("\"b.mp3\" \"a.mp3\""));
    EXPECT_EQ(dialogs.openFiles(request),
        (std::vector<std::string> { platform::qt::toGbk(dir.filePath(QStringLiteral("b.mp3"))),
            platform::qt::toGbk(dir.filePath(QStringLiteral("a.mp3"))) }));
}

} // namespace
} // namespace gui::test
