// The scheduled opening: the time chosen in OpeningTimeDialog, the 3-minute rule, the checks of
// 时钟5 that fade the music out and move the show on near the chosen minute, and cancelling.

#include "tests/app/timed_show_fixture.h"

#include "ui/commands.h"

namespace app::test {
namespace {

using namespace MainWindow;
namespace Dialog = ids::OpeningTimeDialog;

constexpr char tooSoonText[] = "请检查开场时间设置！不能小于或接近现行时间！";
constexpr std::int64_t second = 1000;
constexpr std::int64_t minute = 60 * second;
constexpr std::int64_t hour = 60 * minute;

class ScheduledOpening : public TimedShow {
protected:
    void setTimeOfDay(std::int64_t millis) { headless.clock().setWallMillis(midnight + millis); }

    Text entry(ui::ComponentId box, std::int32_t index)
    {
        return ui::Commands(application.windows).comboItemText(Dialog::window, box, index);
    }
    std::int32_t selected(ui::ComponentId box)
    {
        return std::get<std::int32_t>(property(Dialog::window, box, ui::prop::comboBox::selection));
    }
    std::size_t tooSoonBoxes()
    {
        std::size_t count = 0;
        for (const auto& box : headless.dialogs().messageBoxes())
            count += box.text == tooSoonText;
        return count;
    }

    // Opens the dialog and runs `inDialog` inside its modal loop.
    void withDialog(std::function<void()> inDialog)
    {
        headless.loop().post([this] { click(定时开场按钮1); });
        headless.loop().post(std::move(inDialog));
        advance(10);
    }
    // Schedules hour:minute at the given time of day; true when the dialog closed.
    bool schedule(std::int32_t h, std::int32_t m, std::int64_t at)
    {
        bool closed = false;
        withDialog([&] {
            setTimeOfDay(at);
            input.select(Dialog::window, Dialog::组合框1, h);
            input.select(Dialog::window, Dialog::组合框2, m);
            input.click(Dialog::window, Dialog::按钮1);
            closed = !application.windows.isLoaded(Dialog::window);
            confirmedAt = now();
            if (!closed)
                input.click(Dialog::window, Dialog::按钮2);
        });
        return closed;
    }
    platform::Millis confirmedAt = 0;

    void expectIdle()
    {
        EXPECT_TRUE(visible(定时开场按钮1));
        EXPECT_FALSE(visible(取消定时开场按钮));
        EXPECT_FALSE(visible(标签定时开场));
        EXPECT_EQ(interval(时钟5), 0);
    }
};

TEST_F(ScheduledOpening, DialogOffersEveryHourAndMinuteWithTheLastPreselected)
{
    std::vector<Text> hours, minutes;
    std::int32_t hourSelected = -1, minuteSelected = -1;
    withDialog([&] {
        for (std::int32_t i = 0; i < 24; ++i)
            hours.push_back(entry(Dialog::组合框1, i));
        for (std::int32_t i = 0; i < 60; ++i)
            minutes.push_back(entry(Dialog::组合框2, i));
        hourSelected = selected(Dialog::组合框1);
        minuteSelected = selected(Dialog::组合框2);
        input.click(Dialog::window, Dialog::按钮2);
    });
    EXPECT_EQ(hours.front(), "0");
    EXPECT_EQ(hours.back(), "23");
    EXPECT_EQ(minutes[5], "5");
    EXPECT_EQ(minutes.back(), "59");
    EXPECT_EQ(hourSelected, 23);
    EXPECT_EQ(minuteSelected, 59);
    EXPECT_FALSE(application.windows.isLoaded(Dialog::window));
    expectIdle();
}

TEST_F(ScheduledOpening, RejectsATimeLessThanThreeWholeMinutesAhead)
{
    // 20:27:10 to 20:30 is 2 whole minutes; a time already past today is rejected as well.
    EXPECT_FALSE(schedule(20, 30, 20 * hour + 27 * minute + 10 * second));
    EXPECT_FALSE(schedule(1, 0, 20 * hour));
    EXPECT_EQ(tooSoonBoxes(), 2U);
    expectIdle();

    EXPECT_TRUE(schedule(20, 30, 20 * hour + 26 * minute + 59 * second));
    EXPECT_EQ(tooSoonBoxes(), 2U);
    EXPECT_FALSE(visible(定时开场按钮1));
    EXPECT_TRUE(visible(取消定时开场按钮));
    EXPECT_TRUE(visible(标签定时开场));
    EXPECT_EQ(caption(标签定时开场), "本场次将于20时30分开始！");
    EXPECT_EQ(interval(时钟5), 40'000);
}

TEST_F(ScheduledOpening, FadesOutAndMovesTheShowOnWithin30sOfTheTime)
{
    writeShow({ { "慢四", "long.mp3" }, { "探戈", "long.mp3" } });
    click(播放按钮);
    ASSERT_TRUE(schedule(20, 30, 20 * hour + 26 * minute + 59 * second));
    const platform::Millis confirmed = confirmedAt;

    // Checks at 20:27:39, 20:28:19 and 20:28:59 find the time more than 30 s away, so the
    // track that ends meanwhile is repeated.
    advance(40'000);
    EXPECT_TRUE(application.globals.opening.pending);
    advance(100'000);
    EXPECT_TRUE(application.globals.opening.pending);
    ASSERT_GT(now(), lengthMillis("long.mp3"));
    EXPECT_EQ(trackNumber(), 1);

    // At 20:29:39, 21 s before, the music fades for 60 × 500 ms and the next track starts.
    advance(20'000);
    EXPECT_FALSE(application.globals.opening.pending);
    expectIdle();
    EXPECT_EQ(trackNumber(), 2);
    EXPECT_EQ(application.trackPlayer.queryPlayState(), media::PlayState::playing);
    const auto fade = volumeChanges(confirmed + 160'000);
    ASSERT_GE(fade.size(), 60U);
    EXPECT_NEAR(fade.front().at, confirmed + 160'000, 100);
    EXPECT_EQ(fade.front().values[0], 64'200);
    EXPECT_EQ(fade[59].values[0], 5'200);
    EXPECT_EQ(fade[59].at - fade.front().at, 59 * 500);
}

TEST_F(ScheduledOpening, CancelStopsTheChecksAndNoLongerHoldsTheShow)
{
    ASSERT_TRUE(schedule(20, 30, 20 * hour + 20 * minute));
    advance(40'000);
    EXPECT_TRUE(application.globals.opening.pending);

    click(取消定时开场按钮);
    expectIdle();
    // Left set, it would keep repeating each track at its end.
    EXPECT_FALSE(application.globals.opening.pending);
    setTimeOfDay(20 * hour + 30 * minute);
    advance(120'000);
    EXPECT_TRUE(visible(定时开场按钮1));
    EXPECT_EQ(trackNumber(), 0);
}

// Confirmed at 20:26:59 for 20:30, the check 160 s later fires (see above).
constexpr platform::Millis checkFiresAfter = 160'000;

TEST_F(ScheduledOpening, ATrackEndingDuringTheFadeMovesTheShowOnByOneTrackOnly)
{
    writeShow({ { "慢四", "medium.mp3" }, { "探戈", "long.mp3" }, { "华尔兹", "long.mp3" } });
    ASSERT_TRUE(schedule(20, 30, 20 * hour + 26 * minute + 59 * second));
    const platform::Millis fires = confirmedAt + checkFiresAfter;
    // Started so that it ends 10 s into the 30 s fade.
    advanceTo(fires + 10'000 - lengthMillis("medium.mp3"));
    click(播放按钮);
    advanceTo(fires + 40'000);
    EXPECT_EQ(trackNumber(), 2);
    EXPECT_EQ(state(), PlayState::playing);
}

TEST_F(ScheduledOpening, EndsAFadeInStillRunningAndFadesFromWhereItWas)
{
    writeShow({ { "慢四", "long.mp3" }, { "探戈", "long.mp3" } });
    ASSERT_TRUE(schedule(20, 30, 20 * hour + 26 * minute + 59 * second));
    const platform::Millis fires = confirmedAt + checkFiresAfter;
    advanceTo(fires - 10'000);
    click(播放按钮); // its fade-in is at about 20,000 when the opening comes
    advanceTo(fires + 30'000);

    const platform::Millis fall = firstFall(fires - 9000);
    EXPECT_NEAR(fall, fires, 100);
    const auto fade = volumeChanges(fall);
    ASSERT_FALSE(fade.empty());
    EXPECT_LT(fade.front().values[0], 20'000);
    EXPECT_GT(fade.front().values[0], 17'000);
    EXPECT_TRUE(neverRises(fall, fall + 9000)); // 500 ms per 1000 down to the floor
    EXPECT_EQ(trackNumber(), 2);
}

} // namespace
} // namespace app::test
