// Message boxes with the desktop's Chinese button texts and the program's button codes.

#include "backends/qt/on_interface_thread.h"
#include "backends/qt/qt_dialogs.h"
#include "backends/qt/qt_text.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <vector>

namespace platform::qt {

namespace {

struct ButtonChoice {
    Button code;
    const char* caption;
    QMessageBox::ButtonRole role;
};

constexpr ButtonChoice ok { Button::Ok, "确定", QMessageBox::AcceptRole };
constexpr ButtonChoice cancel { Button::Cancel, "取消", QMessageBox::RejectRole };
constexpr ButtonChoice abort { Button::Abort, "中止", QMessageBox::RejectRole };
constexpr ButtonChoice retry { Button::Retry, "重试", QMessageBox::AcceptRole };
constexpr ButtonChoice ignore { Button::Ignore, "忽略", QMessageBox::AcceptRole };
constexpr ButtonChoice yes { Button::Yes, "是", QMessageBox::YesRole };
constexpr ButtonChoice no { Button::No, "否", QMessageBox::NoRole };

std::vector<ButtonChoice> buttonSet(unsigned flags)
{
    switch (flags & 0xf) {
    case 1:
        return { ok, cancel };
    case 2:
        return { abort, retry, ignore };
    case 3:
        return { yes, no, cancel };
    case 4:
        return { yes, no };
    case 5:
        return { retry, cancel };
    default:
        return { ok };
    }
}

// What closing the box answers: see QtDialogs::messageBox.
Button closeAnswer(const std::vector<ButtonChoice>& buttons)
{
    for (const auto& b : buttons)
        if (b.code == Button::Cancel)
            return Button::Cancel;
    if (buttons.size() == 1)
        return buttons.front().code;
    for (const auto& b : buttons)
        if (b.code == Button::No || b.code == Button::Abort)
            return b.code;
    return buttons.back().code;
}

QMessageBox::Icon icon(unsigned flags)
{
    switch (flags & 0xf0) {
    case 0x10:
        return QMessageBox::Critical;
    case 0x20:
        return QMessageBox::Question;
    case 0x30:
        return QMessageBox::Warning;
    case 0x40:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

constexpr unsigned systemModal = 0x1000;

} // namespace

Button QtDialogs::messageBox(const std::string& text, const std::string& caption, unsigned flags)
{
    return onInterfaceThread([&] {
        QMessageBox box(icon(flags), fromGbk(caption), fromGbk(text));
        // Task-modal: every window of the program waits for the answer.
        box.setWindowModality(Qt::ApplicationModal);
        if (flags & systemModal)
            box.setWindowFlag(Qt::WindowStaysOnTopHint);
        const std::vector<ButtonChoice> specs = buttonSet(flags);
        std::vector<QPushButton*> buttons;
        for (const auto& spec : specs)
            buttons.push_back(box.addButton(QString::fromUtf8(spec.caption), spec.role));
        const std::size_t defaultIndex
            = std::min<std::size_t>((flags >> 8) & 0xf, specs.size() - 1);
        box.setDefaultButton(buttons[defaultIndex]);
        box.exec();
        for (std::size_t i = 0; i < buttons.size(); ++i)
            if (box.clickedButton() == buttons[i])
                return specs[i].code;
        return closeAnswer(specs);
    });
}

Button QtDialogs::countdownQuestion(
    const std::string& text, const std::string& caption, int seconds, Button unanswered)
{
    return onInterfaceThread([&] {
        QMessageBox box(QMessageBox::Question, fromGbk(caption), fromGbk(text));
        box.setWindowModality(Qt::ApplicationModal);
        QPushButton* yesButton = box.addButton(QString::fromUtf8(yes.caption), yes.role);
        QPushButton* noButton = box.addButton(QString::fromUtf8(no.caption), no.role);
        QPushButton* byItself = unanswered == Button::Yes ? yesButton : noButton;
        box.setDefaultButton(byItself);
        int left = seconds;
        const QString caption0 = byItself->text();
        auto showLeft = [&] { byItself->setText(caption0 + QStringLiteral("（%1）").arg(left)); };
        showLeft();
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &box, [&] {
            if (--left > 0)
                showLeft();
            else
                byItself->click();
        });
        tick.start(1000);
        box.exec();
        tick.stop();
        return box.clickedButton() == yesButton ? Button::Yes : Button::No;
    });
}

} // namespace platform::qt
