// snapshot: renders windows to PNG files, as they look right after loading, with no
// application behind them (no handler runs). Works on any Qt platform that can draw,
// including offscreen and Xvfb.
//
//   snapshot OUTDIR [--at TIME] [--segment FILE] [WINDOW-ID...]
//   snapshot OUTDIR [--at TIME] --hall DIR
//
// Writes OUTDIR/<window id in hex>.png for every window given (all windows when none), from
// the program's own templates or from a segment file. With --hall, the main window as the
// program itself shows it with that hall folder: its show loaded and its tracks measured.
// The picture has the window's outer size: the client area inside a plain drawn frame and
// caption. --at "YYYY-MM-DD HH:MM:SS" (local time) sets the program's time of day, so the
// calendar and the show times look the same whenever the picture is made.

#include "app/application.h"
#include "app/globals.h"
#include "backends/qt/fonts.h"
#include "backends/qt/pictures.h"
#include "backends/qt/qt_event_loop.h"
#include "backends/qt/qt_process.h"
#include "backends/qt/qt_text.h"
#include "backends/qt/qt_view_factory.h"
#include "backends/qt/top_level_widget.h"
#include "backends/qt/window_view.h"
#include "media/simulated_mixer.h"
#include "runtime/date_time.h"
#include "runtime/runtime.h"
#include "ui/segment_reader.h"
#include "ui/templates/segment.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"
#include "ui/window_system.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>

#include <charconv>
#include <ctime>
#include <iostream>
#include <optional>
#include <string_view>

namespace {

using namespace platform::qt;

// Room for every handler offset a segment can hold; none of them does anything here.
constexpr std::size_t handlerSlots = 1 << 16;

// A tool has no operator: messages go to the terminal and nothing is confirmed.
class ConsoleDialogs final : public platform::Dialogs {
public:
    platform::Button messageBox(const std::string& text, const std::string&, unsigned) override
    {
        std::cerr << platform::gbkToUtf8(text) << '\n';
        return platform::Button::Cancel;
    }
    std::optional<std::string> openFile(const platform::OpenFileRequest&) override { return {}; }
};

// The client area inside a classic frame with the caption bar.
QImage framed(const QImage& client, const ui::ComponentState& own)
{
    namespace p = ui::prop::window;
    const QSize extra = frameExtra(own.value<std::int32_t>(p::borderStyle));
    if (extra.isEmpty())
        return client;
    QImage outer(client.size() + extra, QImage::Format_RGB32);
    outer.fill(QColor(212, 208, 200));
    QPainter painter(&outer);
    const int side = extra.width() / 2;
    const QRect caption(side, side, outer.width() - 2 * side, extra.height() - 2 * side);
    QLinearGradient shade(caption.topLeft(), caption.topRight());
    shade.setColorAt(0, QColor(10, 36, 106));
    shade.setColorAt(1, QColor(166, 202, 240));
    painter.fillRect(caption, shade);
    const QIcon icon = decodeIcon(own.value<ui::Bytes>(p::icon));
    int textLeft = caption.left() + 3;
    if (!icon.isNull()) {
        icon.paint(&painter, QRect(textLeft, caption.top() + 1, 16, 16));
        textLeft += 19;
    }
    QFont font = defaultFont();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(caption.adjusted(textLeft - caption.left(), 0, 0, 0),
        Qt::AlignLeft | Qt::AlignVCenter, fromGbk(own.value<ui::Text>(p::caption)));
    painter.drawImage(side, side + caption.height(), client);
    painter.setPen(QColor(64, 64, 64));
    painter.drawRect(outer.rect().adjusted(0, 0, -1, -1));
    return outer;
}

int usage()
{
    std::cerr << "usage: snapshot OUTDIR [--at TIME] [--segment FILE] [WINDOW-ID...]\n"
                 "       snapshot OUTDIR [--at TIME] --hall DIR\n"
                 "  writes OUTDIR/<id>.png for each window (ids in hex, e.g. 0x52010001);\n"
                 "  TIME is a local date and time, e.g. \"2026-12-07 20:00:00\"\n";
    return 2;
}

// A window id in hex, with or without 0x; nothing for any other word.
std::optional<ui::WindowId> windowId(std::string_view text)
{
    if (text.starts_with("0x") || text.starts_with("0X"))
        text.remove_prefix(2);
    ui::WindowId id = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id, 16);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return id;
}

// A local date and time as wall milliseconds; nothing for text that is not one.
std::optional<std::int64_t> localWallMillis(std::string_view text)
{
    const std::optional<runtime::DateTime> at = runtime::parseDateTime(text);
    if (!at)
        return std::nullopt;
    const runtime::CivilTime civil = runtime::civilTime(*at);
    std::tm local {};
    local.tm_year = civil.year - 1900;
    local.tm_mon = civil.month - 1;
    local.tm_mday = civil.day;
    local.tm_hour = civil.hour;
    local.tm_min = civil.minute;
    local.tm_sec = civil.second;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    if (seconds == std::time_t(-1))
        return std::nullopt;
    return std::int64_t(seconds) * 1000;
}

bool save(const QImage& picture, const QDir& out, ui::WindowId id)
{
    const QString name = QStringLiteral("%1.png").arg(id, 8, 16, QLatin1Char('0'));
    if (picture.save(out.filePath(name)))
        return true;
    std::cerr << "snapshot: cannot write " << out.filePath(name).toStdString() << '\n';
    return false;
}

// The program's main window on the hall folder, once its tracks are measured (at most 30 s).
int snapshotHall(platform::Platform& platform, const QDir& out, const char* hall)
{
    namespace main = ids::MainWindow;
    runtime::Runtime runtime(platform);
    QtViewFactory views;
    auto mixer = std::make_shared<media::SimulatedMixer>(platform.clock());
    app::Application application(runtime, views, media::simulatedMixerFactory(mixer));
    application.programDirectory = hall;
    application.windows.readTemplates(templates::segment());
    app::initGlobals(application.globals);
    application.windows.loadStartWindow(main::window);
    auto measuring = [&] {
        const auto caption = std::get<ui::Text>(
            application.windows.property(main::window, main::标签总时长, ui::prop::label::caption));
        return caption.find("测量中") != ui::Text::npos;
    };
    QDeadlineTimer deadline(30'000);
    while (measuring() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QCoreApplication::processEvents();
    auto& view = static_cast<WindowView&>(*application.windows.view(main::window));
    return save(framed(view.widget()->grab().toImage(),
                    *application.windows.component(main::window, 0)),
               out, main::window)
        ? 0
        : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<std::int64_t> pinnedWallMillis;
    if (args.size() >= 3 && args[1] == "--at") {
        pinnedWallMillis = localWallMillis(args[2]);
        if (!pinnedWallMillis) {
            std::cerr << "snapshot: not a date and time: " << args[2] << '\n';
            return usage();
        }
        args.erase(args.begin() + 1, args.begin() + 3);
    }
    if (args.empty())
        return usage();
    std::size_t next = 1;
    QByteArray data;
    std::span<const std::uint8_t> segment = templates::segment();
    if (args.size() > 2 && args[1] == "--segment") {
        QFile file(QString::fromLocal8Bit(args[2].c_str()));
        if (!file.open(QIODevice::ReadOnly)) {
            std::cerr << "snapshot: cannot read " << args[2] << '\n';
            return 1;
        }
        data = file.readAll();
        segment = { reinterpret_cast<const std::uint8_t*>(data.data()),
            static_cast<std::size_t>(data.size()) };
        next = 3;
    }

    QtEventLoop loop;
    if (pinnedWallMillis)
        loop.clock().setWallMillis(*pinnedWallMillis);
    ConsoleDialogs dialogs;
    QtProcess process;
    platform::Platform platform { loop, dialogs, process };
    QDir out(QString::fromLocal8Bit(args[0].c_str()));
    if (!out.mkpath(QStringLiteral("."))) {
        std::cerr << "snapshot: cannot make the folder " << args[0] << '\n';
        return 1;
    }
    if (args.size() == 3 && args[1] == "--hall")
        return snapshotHall(platform, out, args[2].c_str());

    std::vector<ui::WindowId> windows;
    for (std::size_t i = next; i < args.size(); ++i) {
        auto id = windowId(args[i]);
        if (!id)
            return usage();
        windows.push_back(*id);
    }
    if (windows.empty()) {
        try {
            for (const auto& window :
                ui::readSegment(segment, ui::UnitRegistry::builtin(), handlerSlots).windows)
                windows.push_back(window.id);
        } catch (const ui::TemplateFormatError& error) {
            std::cerr << "snapshot: " << error.what() << '\n';
            return 1;
        }
    }

    runtime::Runtime runtime(platform);
    QtViewFactory views;
    ui::WindowSystem core(runtime, views, ui::HandlerTable(handlerSlots));
    core.readTemplates(segment);

    int failures = 0;
    for (ui::WindowId id : windows) {
        if (!core.loadWindow(id, false)) {
            std::cerr << "snapshot: no window " << std::hex << id << std::dec << '\n';
            ++failures;
            continue;
        }
        auto& view = static_cast<WindowView&>(*core.view(id));
        view.widget()->show(); // a window that starts hidden is still worth a picture
        loop.processPending();
        if (!save(framed(view.widget()->grab().toImage(), *core.component(id, 0)), out, id))
            ++failures;
        core.close(id, 0);
    }
    return failures == 0 ? 0 : 1;
}
