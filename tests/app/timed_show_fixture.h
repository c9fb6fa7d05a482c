#pragma once
// A main window on the headless platform with a simulated master volume and real tracks
// played on the silent device in virtual time, for the timers that act on the volume.

#include "app/application.h"
#include "app/playback.h"
#include "app/show_tables.h"
#include "app/show_views.h"
#include "app/style_settings_file.h"
#include "headless_program.h"
#include "media/media_length.h"
#include "media/simulated_mixer.h"
#include "private_session.h"
#include "show_records.h"
#include "ui/input.h"
#include "ui/templates/segment.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include "backends/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <unistd.h>

namespace app::test {

namespace fs = std::filesystem;
namespace MainWindow = ids::MainWindow;
using media::PlayState;

struct StyledTrack {
    const char* style;
    const char* file;
};

class TimedShow : public ::testing::Test, protected HeadlessProgram {
protected:
    // 2024-01-01 00:00 UTC; the tests read local time as UTC.
    static constexpr std::int64_t midnight = 1'704'067'200'000;

    TimedShow()
        : HeadlessProgram(midnight)
    {
        setenv("TZ", "UTC0", 1);
        tzset();
        fs::create_directories(directory / "lb");
        for (const char* table : { "dqqf.dat", "dqqfls.dat", "qfsz.dat" })
            fs::copy_file(fs::path(DANCEHALL_DIST) / table, directory / table);
        // About 120 s and 75 s: around a one-minute limit plus its 20 s margin.
        writeRepeated("long.mp3", 40);
        writeRepeated("medium.mp3", 25);
        application.programDirectory = directory.string();
        usePrivateSession(directory);
        application.windows.readTemplates(templates::segment());
        application.windows.loadWindow(MainWindow::window, false);
    }
    ~TimedShow() override
    {
        stop();
        fs::remove_all(directory);
    }

    void writeRepeated(const char* name, int copies)
    {
        std::ofstream out(directory / name, std::ios::binary);
        for (int copy = 0; copy < copies; ++copy)
            out << std::ifstream(fs::path(MEDIA_TEST_DATA) / "cbr_stereo_44k.mp3", std::ios::binary)
                       .rdbuf();
    }
    std::int64_t lengthMillis(const char* name) const
    {
        return media::mediaLengthMillis((directory / name).string()).value_or(0);
    }

    void writeShow(const std::vector<StyledTrack>& tracks)
    {
        // The start-up copied the first saved show over the current one; start from empty.
        std::vector<Slot> slots;
        for (const StyledTrack& track : tracks)
            slots.push_back({ std::to_string(slots.size() + 1), Text(track.style), Text(track.file),
                (directory / track.file).string() });
        writeShowTable(application.databases, directory / "dqqf.dat", slots);
        refreshShowView(application);
    }
    void setStyle(const char* style, const char* volume, const char* limit)
    {
        if (*volume) {
            ASSERT_TRUE(writeStyleValue(application, style, styleKeys::volume, volume));
        }
        if (*limit) {
            ASSERT_TRUE(writeStyleValue(application, style, styleKeys::timeLimit, limit));
        }
    }

    void advance(platform::Millis ms) { headless.advance(ms); }
    void advanceTo(platform::Millis when) { headless.advance(when - now()); }
    // Runs fn on the interface thread at virtual time `when`, also inside a fade's message
    // passes, as an operator's click would come.
    void at(platform::Millis when, std::function<void()> fn)
    {
        auto timer = std::make_shared<platform::TimerId>();
        *timer = headless.loop().startTimer(when - now(), [this, timer, fn = std::move(fn)] {
            headless.loop().stopTimer(*timer);
            fn();
        });
    }
    media::PlayState state() const { return application.trackPlayer.queryPlayState(); }
    platform::Millis now() { return headless.clock().now(); }
    void click(ui::ComponentId button) { input.click(MainWindow::window, button); }
    std::int32_t trackNumber() const { return currentTrackNumber(application); }

    ui::Value property(ui::WindowId w, ui::ComponentId c, int number)
    {
        return application.windows.property(w, c, number);
    }
    Text caption(ui::ComponentId label)
    {
        return std::get<Text>(property(MainWindow::window, label, ui::prop::label::caption));
    }
    std::int32_t interval(ui::ComponentId timer)
    {
        return std::get<std::int32_t>(
            property(MainWindow::window, timer, ui::prop::timer::interval));
    }
    bool visible(ui::ComponentId c)
    {
        return std::get<bool>(property(MainWindow::window, c, ui::prop::visible));
    }

    // True when the volume never went up between the two times.
    bool neverRises(platform::Millis from, platform::Millis to)
    {
        std::int64_t last = std::numeric_limits<std::int64_t>::max();
        for (const auto& change : volumeChanges(from)) {
            if (change.at > to)
                break;
            if (change.values[0] > last)
                return false;
            last = change.values[0];
        }
        return true;
    }
    // The time of the first change from `since` on that lowers the volume, -1 if none.
    platform::Millis firstFall(platform::Millis since)
    {
        std::int64_t last = -1;
        for (const auto& change : volumeChanges(since)) {
            if (last >= 0 && change.values[0] < last)
                return change.at;
            last = change.values[0];
        }
        return -1;
    }

    // The master volume's changes from `since` on, one value per change (both channels
    // always move together here).
    std::vector<media::SimulatedMixer::Change> volumeChanges(platform::Millis since)
    {
        std::vector<media::SimulatedMixer::Change> changes;
        for (const auto& change : mixer->history())
            if (change.at >= since)
                changes.push_back(change);
        return changes;
    }

    const fs::path directory = makeScratchDirectory("timed_show");
};

} // namespace app::test
