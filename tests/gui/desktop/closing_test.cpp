// Closing the main window through the window manager, as the operator does from its frame:
// stopped, playing (in the fade-in of a track just started), while a time limit fades the music
// out and with a dialog open, the closing notice is on the screen with its text, and the
// process is gone 5.0 to 5.5 s after the request (plus the fade-out's step in which the request
// came) with exit code 0.

#include "desktop_environment.h"
#include "private_sound.h"
#include "program_run.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace gui::desktop {
namespace {

enum class State { Stopped, Playing, FadingOut, DialogOpen, StyleEditorOpen, FileDialogOpen };

// Points of the main window's client area as the program draws it: 播放 (at 14,124 in 分组框3
// at 8,16), 设 置 (at 67,279 in 分组框3), 曲风编辑 (at 97,440 in 分组框6 at 208,27 in 分组框4
// at 344,16) and the first slot's track, the second line of 树型框1 (whose lines are 16 pixels
// high from y 121).
constexpr QPoint playButton { 8 + 14 + 37, 16 + 124 + 10 };
constexpr QPoint settingsButton { 8 + 67 + 37, 16 + 279 + 10 };
constexpr QPoint styleEditorButton { 344 + 208 + 97 + 37, 16 + 27 + 440 + 10 };
constexpr QPoint firstTrack { 344 + 208 + 24 + 57, 121 + 16 + 7 };

// The time-limit fade-out lowers the volume a step at a time and takes input between steps.
constexpr int fadeOutStepMillis = 420;

// While the closing is timed, the test looks a little less often.
constexpr int gentlePollMillis = 100;

const char* name(State state)
{
    switch (state) {
    case State::Stopped:
        return "stopped";
    case State::Playing:
        return "playing";
    case State::FadingOut:
        return "in a fade out";
    case State::DialogOpen:
        return "with a dialog open";
    case State::StyleEditorOpen:
        return "with the style editor open";
    default:
        return "with the file dialog open";
    }
}

// Asks the window manager to close the window, as a taskbar or the frame's close button does.
void closeThroughWindowManager(WindowId window)
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    ASSERT_NE(x11, nullptr);
    xcb_connection_t* connection = x11->connection();
    const char name[] = "_NET_CLOSE_WINDOW";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    ASSERT_NE(atom, nullptr);
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(window);
    event.type = atom->atom;
    event.data.data32[0] = XCB_CURRENT_TIME;
    event.data.data32[1] = 2; // from a pager: the operator's own request
    std::free(atom);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_send_event(connection, 0, root,
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

// The notice's text as the program draws it, rendered by the snapshot tool on this display.
QImage expectedNoticeText(const XDesktop& desktop)
{
    QTemporaryDir out;
    QProcess snapshot;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", desktop.display());
    env.insert("QT_QPA_PLATFORM", "xcb");
    snapshot.setProcessEnvironment(env);
    snapshot.start(SNAPSHOT_PATH, { out.path(), "0x520108f5" });
    if (!snapshot.waitForFinished(30'000) || snapshot.exitCode() != 0)
        return {};
    // Inside the drawn 3-pixel frame and 19-pixel caption, the label at 16,40 of 344 x 80.
    return QImage(out.filePath("520108f5.png"))
        .copy(3 + 16, 22 + 40, 344, 80)
        .convertToFormat(QImage::Format_RGB32);
}

// Share of the pixels that differ clearly between two pictures of the same size.
double differing(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            if (std::abs(p.red() - q.red()) + std::abs(p.green() - q.green())
                    + std::abs(p.blue() - q.blue())
                > 90)
                ++count;
        }
    return double(count) / (a.width() * a.height());
}

class ClosingTest : public DesktopTest, public ::testing::WithParamInterface<State> {
protected:
    // A saved show of one track ten times over, the only one, so current at start-up and with
    // nothing unsaved to ask about at the close.
    static void writeShow(const ProgramRun& program, const QString& track)
    {
        const QString table = program.directory().filePath("program/lb/show.dat");
        ASSERT_TRUE(QFile::copy(program.directory().filePath("program/dqqf.dat"), table));
        for (int slot = 1; slot <= 10; ++slot) {
            QProcess tool;
            tool.start(RECDB_TOOL_PATH,
                { "append", table, QString::number(slot), QStringLiteral(u"慢四"), "track",
                    track });
            ASSERT_TRUE(tool.waitForFinished(10'000));
            ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        }
    }

    static void writeShowOfShortTrack(const ProgramRun& program) { writeShow(program, TRACK_PATH); }

    // A 90 s track whose style has a one-minute limit at full volume, so that the time limit
    // fades it out from about 36 s after it starts, for 25 s.
    static void writeShowFadingOutSoon(const ProgramRun& program)
    {
        // A stream without a header frame thirty times over: its frames simply follow on.
        QFile source(LONG_TRACK_SOURCE);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        const QByteArray frames = source.readAll();
        const QString track = program.directory().filePath("long.mp3");
        QFile out(track);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        for (int copy = 0; copy < 30; ++copy)
            ASSERT_EQ(out.write(frames), frames.size());
        out.close();
        writeShow(program, track);
        // The style settings in GBK, as the program keeps them: [慢四] 限时=1 音量=100.
        QFile settings(program.directory().filePath("program/ss.dat"));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
        settings.write("[\xc2\xfd\xcb\xc4]\r\n\xcf\xde\xca\xb1=1\r\n\xd2\xf4\xc1\xbf=100\r\n");
    }

    // A point of the main window's client area.
    void clickInMain(WindowId main, QPoint at, int button = 1)
    {
        desktop->click(desktop->client(main).topLeft() + at, button);
    }

    // A managed window of the program on the screen other than the main window.
    bool otherWindowShown(const ProgramRun& program, WindowId main)
    {
        for (WindowId w : desktop->windowsOf(program.pid())) {
            if (w == main)
                continue;
            const QString info = desktop->tool("xwininfo", { "-id", QString::number(w) });
            if (info.contains("IsViewable") && info.contains("Override Redirect State: no"))
                return true;
        }
        return false;
    }

    // Saves the screen for a failure message.
    static std::string screenSavedAs(const QString& name)
    {
        const QString saved = QDir::temp().filePath(name);
        QGuiApplication::primaryScreen()->grabWindow(0).save(saved);
        return saved.toStdString();
    }
};

TEST_P(ClosingTest, NoticeShowsItsTextAndTheProcessEndsAfterFiveSeconds)
{
    const State state = GetParam();
    const QImage expected = expectedNoticeText(*desktop);
    ASSERT_FALSE(expected.isNull()) << "the snapshot tool did not draw the notice";

    if ((state == State::Playing || state == State::FadingOut) && !sinkVolume())
        GTEST_SKIP() << "no private sound server (scripts/with-test-env starts one)";

    std::unique_ptr<ProgramRun> program;
    if (state == State::Playing || state == State::FileDialogOpen
        || state == State::StyleEditorOpen) {
        program = std::make_unique<ProgramRun>(*desktop, writeShowOfShortTrack);
    } else if (state == State::FadingOut) {
        program = std::make_unique<ProgramRun>(*desktop, writeShowFadingOutSoon);
    } else {
        program = std::make_unique<ProgramRun>(*desktop);
    }
    const WindowId main = program->mainWindow();
    if (state == State::Playing) {
        // 播放 on a fresh show plays its first track.
        clickInMain(main, playButton);
        ASSERT_TRUE(waitFor([] { return playingStreams().value_or(0) > 0; }, 15'000))
            << "the track does not play; the screen is in " << screenSavedAs("closing-no-play.png");
    } else if (state == State::FadingOut) {
        clickInMain(main, playButton);
        // The fade-in raises the master volume from silence; the fade-out lowers it again.
        bool risen = false;
        int peak = 0, volume = 0;
        const bool fading = waitFor(
            [&] {
                volume = sinkVolume().value_or(0);
                risen = risen || volume < 20'000;
                peak = risen ? std::max(peak, volume) : 0;
                return peak > 40'000 && volume <= peak - 3'000;
            },
            90'000);
        ASSERT_TRUE(fading) << "no fade-out within 90 s of 播放: the volume rose to " << peak
                            << " and is " << volume << "; the screen is in "
                            << screenSavedAs("closing-no-fade.png");
    } else if (state == State::FileDialogOpen) {
        // The right button on a slot's track asks for another file in the file dialog.
        clickInMain(main, firstTrack, 3);
        ASSERT_TRUE(waitFor([&] { return otherWindowShown(*program, main); }, 15'000))
            << "no file dialog; the screen is in " << screenSavedAs("closing-no-file-dialog.png");
        // As an operator would: the dialog is up and has been seen before the close.
        QThread::msleep(500);
    } else if (state == State::DialogOpen) {
        // 设 置 opens the style settings window over the main window.
        clickInMain(main, settingsButton);
        ASSERT_TRUE(program->window(QStringLiteral(u"灯光自动音量及限时设置"), 15'000))
            << "no style settings window; the screen is in "
            << screenSavedAs("closing-no-settings.png");
    } else if (state == State::StyleEditorOpen) {
        // The editor ends with the program and stores the show as it goes.
        clickInMain(main, styleEditorButton);
        ASSERT_TRUE(program->window(QStringLiteral(u"曲风编辑"), 15'000))
            << "no style editor; the screen is in " << screenSavedAs("closing-no-editor.png");
    }

    QElapsedTimer sinceRequest;
    sinceRequest.start();
    closeThroughWindowManager(main);

    std::optional<WindowId> notice;
    ASSERT_TRUE(waitFor(
        [&] {
            notice = program->window(QStringLiteral(u"舞厅专版"), 0);
            return notice && desktop->viewable(*notice);
        },
        5'000, gentlePollMillis))
        << "no closing notice on the screen; the program "
        << (program->process().state() == QProcess::NotRunning ? "has ended" : "runs") << "\n"
        << program->errors().toStdString();
    const qint64 noticeSeen = sinceRequest.elapsed();
    // The notice's text, once the notice has been painted, on a grab of the screen.
    double bestDifference = 1;
    QImage shown;
    const QRect client = desktop->client(*notice);
    waitFor(
        [&] {
            shown = QGuiApplication::primaryScreen()
                        ->grabWindow(0, client.x() + 16, client.y() + 40, 344, 80)
                        .toImage()
                        .convertToFormat(QImage::Format_RGB32);
            bestDifference = std::min(bestDifference, differing(shown, expected));
            return bestDifference < 0.02;
        },
        3'000, gentlePollMillis);
    if (bestDifference >= 0.02) {
        const QString saved = QDir::temp().filePath("closing-notice-%1.png");
        shown.save(saved.arg("shown"));
        expected.save(saved.arg("expected"));
        ADD_FAILURE() << "the notice's text is not on the screen; see "
                      << saved.arg("{shown,expected}").toStdString();
    }

    ASSERT_TRUE(program->process().waitForFinished(10'000)) << "the process did not end";
    const qint64 took = sinceRequest.elapsed();
    std::cout << "closed " << name(state) << " in " << took << " ms (the notice seen after "
              << noticeSeen << " ms)\n";
    EXPECT_GE(took, 5'000);
    // A fade-out takes input only between its steps, so the request may first wait one step.
    EXPECT_LE(took, 5'500 + (state == State::FadingOut ? fadeOutStepMillis : 0));
    EXPECT_EQ(program->process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program->process().exitCode(), 0) << program->errors().toStdString();
}

INSTANTIATE_TEST_SUITE_P(EveryState, ClosingTest,
    ::testing::Values(State::Stopped, State::Playing, State::FadingOut, State::DialogOpen,
        State::StyleEditorOpen, State::FileDialogOpen),
    [](const auto& info) {
        std::string text = name(info.param);
        for (char& c : text)
            if (c == ' ')
                c = '_';
        return text;
    });

} // namespace
} // namespace gui::desktop
