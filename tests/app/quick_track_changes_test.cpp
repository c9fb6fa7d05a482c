// Track starts quicker than a style's lights take to apply, by every control that starts a
// track: the light threads of the tracks passed over end, so the program's threads stay few
// however long the operator goes on, and the last track's style is the one the panel shows.

#include "app/remote_commands.h"
#include "app/show_views.h"
#include "app/style_settings_file.h"
#include "hall_with_tracks.h"
#include "lamp_panel_hall.h"
#include "show_records.h"
#include "ui/input.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace app::test {
namespace {

using namespace ids::MainWindow;
using Kind = ui::RemoteCommand::Kind;

constexpr int starts = 300;
constexpr platform::Millis apart = 200;
constexpr int slotCount = starts + 1;

// A show of 301 slots taking turns at two styles whose lights set all sixteen channels, each
// application 800 ms long: four times the time between two starts.
struct QuickHall : HallWithTracks {
    QuickHall()
        : HallWithTracks("quick_track_changes")
    {
        for (int channel = 1; channel <= channelCount; ++channel) {
            EXPECT_TRUE(writeStyleValue(application, "慢四", channelKey(channel), "1"));
            EXPECT_TRUE(writeStyleValue(application, "快四", channelKey(channel), "0"));
        }
        std::vector<Slot> slots;
        for (int k = 1; k <= slotCount; ++k)
            slots.push_back(
                { std::to_string(k), k % 2 == 1 ? "慢四" : "快四", "曲" + std::to_string(k),
                    track(k % 2 == 1 ? "cbr_stereo_44k.mp3" : "mpeg2_22k.mp3") });
        writeShowTable(application.databases, directory / "dqqf.dat", slots);
        refreshShowView(application);
    }

    std::int32_t indicator(int channel)
    {
        return std::get<std::int32_t>(application.windows.property(
            window, indicators.at(std::size_t(channel - 1)), ui::prop::label::backColour));
    }
    void doubleClickSlot(std::int32_t record)
    {
        input.select(window, 树型框1, 2 * record - 1);
        input.doubleClick(window, 树型框1);
    }
    void remote(Kind kind)
    {
        EXPECT_EQ(runRemoteCommand(application, { kind, 0, {} }), ui::RemoteAnswer::done);
    }
};

struct Route {
    const char* name;
    std::function<void(QuickHall&)> first; // the first start
    std::function<void(QuickHall&, int)> next; // the start after `k` others
};

TEST(QuickTrackChanges, NeverPileUpLightThreadsByAnyRoute)
{
    const std::vector<Route> routes {
        { "下一曲", [](QuickHall& h) { h.input.click(window, 播放按钮); },
            [](QuickHall& h, int) { h.input.click(window, 下一首按钮); } },
        { "上一曲", [](QuickHall& h) { h.doubleClickSlot(slotCount); },
            [](QuickHall& h, int) { h.input.click(window, 上一首按钮); } },
        { "double click", [](QuickHall& h) { h.doubleClickSlot(1); },
            [](QuickHall& h, int k) { h.doubleClickSlot(1 + k % 2); } },
        { "remote", [](QuickHall& h) { h.remote(Kind::next); },
            [](QuickHall& h, int) { h.remote(Kind::next); } },
    };
    for (const Route& route : routes) {
        SCOPED_TRACE(route.name);
        QuickHall hall;
        ASSERT_NE(hall.application.globals.lightLock, 0) << "the start-up made the light lock";
        platform::headless::HeadlessClock& clock = hall.headless.clock();
        route.first(hall);
        hall.headless.advance(apart);
        const std::size_t afterFirst = clock.liveThreadCount();
        std::size_t most = afterFirst;
        std::int32_t record = hall.application.globals.playing.record;
        for (int k = 1; k < starts; ++k) {
            route.next(hall, k);
            ASSERT_NE(hall.application.globals.playing.record, record) << "start " << k;
            record = hall.application.globals.playing.record;
            hall.headless.advance(apart);
            most = std::max(most, clock.liveThreadCount());
        }
        EXPECT_LE(most, afterFirst + 3) << afterFirst << " threads after the first start";
        // The last track's style, all sixteen channels of it.
        hall.headless.advance(1000);
        const std::int32_t expected = record % 2 == 1 ? lit : dark;
        for (int channel = 1; channel <= channelCount; ++channel)
            EXPECT_EQ(hall.indicator(channel), expected) << "channel " << channel;
    }
}

} // namespace
} // namespace app::test
