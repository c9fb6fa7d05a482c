// A whole evening in virtual time: a 40-slot show of mixed styles, with time limits, a missing
// and an unplayable file, an empty slot filled and another slot deleted while the show plays,
// two pauses, a scheduled opening and the shut-down at the end. The operator only acts where
// the script says; everything else the program must do by itself.

#include "tests/app/timed_show_fixture.h"

#include "app/playback.h"
#include "runtime/date_time.h"

#include <algorithm>
#include <optional>
#include <string>

namespace app::test {
namespace {

using namespace MainWindow;

constexpr platform::Millis second = 1000;
constexpr platform::Millis minute = 60 * second;
constexpr platform::Millis hour = 60 * minute;
constexpr platform::Millis poll = 250;
constexpr platform::Millis limit = minute; // of the limited styles

// A slot as the operator made it: its style and file name, or no track yet.
struct EveningSlot {
    std::string style;
    std::optional<std::string> file;
};

struct Start {
    platform::Millis at;
    std::string file;
    bool openingPending; // when the track before it ended
};

// A pause: silence the operator asked for.
struct Quiet {
    platform::Millis from, to;
};

bool limited(const std::string& style)
{
    return style == "慢四" || style == "快四";
}

class Evening : public TimedShow {
protected:
    Evening()
    {
        setStyle("慢四", "80", "1");
        setStyle("快四", "150", "1"); // above 100: held at 100
        setStyle("探戈", "60", "无限时");
        // 华尔兹 has no settings at all: full volume, no limit.
        // Half-rate mono tracks decode several times faster: eight hours stay short.
        writeLight("long.mp3", 95 * second);
        writeLight("medium.mp3", 70 * second);
        fs::copy_file(fs::path(MEDIA_TEST_DATA) / "random.mp3", directory / "noise.mp3");
        const char* styles[] = { "慢四", "探戈", "快四", "华尔兹" };
        for (int k = 1; k <= 40; ++k) {
            const std::string style = styles[k % 4];
            const std::string file = "slot" + std::to_string(k) + ".mp3";
            fs::create_symlink(
                directory / (limited(style) ? "long.mp3" : "medium.mp3"), directory / file);
            slots.push_back({ style, file });
        }
        slots[6].file = "missing.mp3";
        slots[12].file = "noise.mp3";
        slots[19].file.reset(); // filled while the show plays
    }

    void writeLight(const char* name, platform::Millis atLeast)
    {
        const fs::path one = fs::path(MEDIA_TEST_DATA) / "mpeg2_22k.mp3";
        const platform::Millis each = media::mediaLengthMillis(one.string()).value_or(1000);
        std::ofstream out(directory / name, std::ios::binary | std::ios::trunc);
        for (platform::Millis length = 0; length < atLeast; length += each)
            out << std::ifstream(one, std::ios::binary).rdbuf();
    }

    void writeSlots()
    {
        std::vector<Slot> records;
        for (const EveningSlot& slot : slots)
            records.push_back({ std::to_string(records.size() + 1), slot.style,
                slot.file.value_or(""), slot.file ? (directory / *slot.file).string() : "" });
        writeShowTable(application.databases, directory / "dqqf.dat", records);
        refreshShowView(application);
    }

    bool playable(const EveningSlot& slot) const
    {
        return slot.file && *slot.file != "missing.mp3" && *slot.file != "noise.mp3";
    }
    std::size_t slotOf(const std::string& file) const
    {
        for (std::size_t k = 0; k < slots.size(); ++k)
            if (slots[k].file == file)
                return k;
        return slots.size();
    }
    // The track that must follow `file` in the show as it is now; nothing after the last.
    std::optional<std::string> successor(const std::string& file) const
    {
        for (std::size_t k = slotOf(file) + 1; k < slots.size(); ++k)
            if (playable(slots[k]))
                return slots[k].file;
        return std::nullopt;
    }
    std::string first() const
    {
        return *std::find_if(slots.begin(), slots.end(), [this](const EveningSlot& slot) {
            return playable(slot);
        })->file;
    }
    std::string playingFile() const
    {
        return fs::path(std::string(application.globals.playing.path)).filename().string();
    }

    // Moves on to `until` in polls, noting every track start and checking it against the
    // show as it stands; an ended show is started again at once, as the operator would.
    void runUntil(platform::Millis until)
    {
        while (now() < until) {
            advance(std::min(poll, until - now()));
            const std::int32_t serial = application.globals.playing.trackSerial;
            if (serial != lastSerial) {
                lastSerial = serial;
                const std::string file = playingFile();
                if (!starts.empty()) {
                    checkPlayedTime(starts.back(), now());
                    const std::string& previous = starts.back().file;
                    const bool repeated = pendingSeen && file == previous;
                    EXPECT_TRUE(repeated || successor(previous) == file || file == first())
                        << previous << " → " << file << " at " << now() / second << " s";
                    if (!repeated && file == first() && successor(previous)) {
                        EXPECT_EQ(successor(previous), file) << "at " << now() / second;
                    }
                }
                starts.push_back({ now(), file, pendingSeen });
                pendingSeen = false;
                // What the checks above needed is checked; the rest would only pile up.
                mixer->forgetHistory();
                views.forgetTranscript();
            }
            pendingSeen = pendingSeen || application.globals.opening.pending;
            if (state() == PlayState::playing)
                continue;
            if (state() == PlayState::stopped && !paused) {
                // The show ended after its last track; its end must have come from there.
                EXPECT_FALSE(successor(starts.back().file)) << "stopped at " << now() / second;
                click(播放按钮);
                continue;
            }
            if (!paused) {
                ADD_FAILURE() << "silence at " << now() / second << " s";
            }
        }
    }

    // A track of a limited style begins to fade 25 s of played time before its limit and is
    // over by then; any other plays to its end. The tracks around the opening are left out.
    void checkPlayedTime(const Start& track, platform::Millis next)
    {
        constexpr platform::Millis fadeLead = 25 * second;
        if (track.at < openingFired + 40 * second && openingFired - 40 * second < next)
            return; // the opening's check fires up to 30 s before and 10 s after its time
        platform::Millis paused = 0;
        platform::Millis heardFrom = track.at;
        for (const Quiet& q : quiet)
            if (q.from >= track.at - poll && q.to <= next + poll) {
                paused += q.to - q.from;
                heardFrom = q.to;
            }
        const std::size_t slot = slotOf(track.file);
        if (slot == slots.size())
            return; // its slot was deleted
        const std::string where = track.file + " at " + std::to_string(track.at / second) + " s";
        if (limited(slots[slot].style)) {
            ++cuts;
            const platform::Millis fadeAt = firstFall(heardFrom + 1);
            EXPECT_NEAR(fadeAt - track.at - paused, limit - fadeLead, second + poll) << where;
            EXPECT_LE(next - track.at - paused, limit + second + poll) << where;
        } else {
            // The player reports the end once it has decoded the last frame, a little before
            // the last of it is heard.
            EXPECT_NEAR(next - track.at - paused, medium - second, 2 * second + poll) << where;
        }
    }

    void pauseFor(platform::Millis length)
    {
        click(暂停按钮);
        paused = true;
        const platform::Millis from = now();
        runUntil(now() + length);
        paused = false;
        click(播放按钮);
        quiet.push_back({ from, now() });
    }

    void scheduleOpeningIn(platform::Millis ahead)
    {
        application.globals.opening.time
            = runtime::currentTime(headless.clock()).days + double(ahead) / (24 * hour);
        application.windows.setProperty(
            MainWindow::window, 时钟5, ui::prop::timer::interval, std::int32_t { 40'000 });
    }

    static std::int64_t statusField(const char* name)
    {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind(name, 0) == 0)
                return std::stoll(line.substr(std::string(name).size()));
        return -1;
    }

    platform::Millis openingFired = -1;
    platform::Millis medium = 0;
    int cuts = 0;
    std::vector<EveningSlot> slots;
    std::vector<Start> starts;
    std::vector<Quiet> quiet;
    std::int32_t lastSerial = 0;
    bool paused = false;
    bool pendingSeen = false;
};

TEST_F(Evening, EightHoursRunThemselvesAndEndCleanly)
{
    ASSERT_GT(lengthMillis("long.mp3"), limit + 20 * second);
    medium = lengthMillis("medium.mp3");
    writeSlots();
    const platform::Millis start = now();
    openingFired = start + 3 * hour + 10 * minute;
    click(播放按钮);

    runUntil(start + hour);
    const std::int64_t threadsAfterFirstHour = statusField("Threads:");
    [[maybe_unused]] const std::int64_t memoryAfterFirstHour = statusField("VmRSS:");
    pauseFor(15 * minute);

    runUntil(start + 2 * hour);
    // The editor fills the empty slot and deletes the slot two before the playing one.
    slots[19].file = "slot20.mp3";
    const std::size_t playing = slotOf(playingFile());
    slots.erase(slots.begin() + static_cast<std::ptrdiff_t>(playing >= 2 ? playing - 2 : 39));
    writeSlots();

    runUntil(start + 3 * hour);
    scheduleOpeningIn(openingFired - now());
    runUntil(start + 3 * hour + 12 * minute);
    EXPECT_FALSE(application.globals.opening.pending);
    EXPECT_EQ(interval(时钟5), 0);

    runUntil(start + 5 * hour);
    pauseFor(20 * minute);
    runUntil(start + 8 * hour);

    EXPECT_GT(cuts, 150);
    EXPECT_GT(starts.size(), 350u);
    for (const Start& s : starts) {
        EXPECT_NE(s.file, "missing.mp3");
        EXPECT_NE(s.file, "noise.mp3");
    }

    // Nothing piles up: light threads, player threads, memory.
    EXPECT_LE(statusField("Threads:"), threadsAfterFirstHour + 2);
#ifndef __SANITIZE_ADDRESS__ // its quarantine keeps freed memory; it finds leaks itself
    EXPECT_LT(statusField("VmRSS:") - memoryAfterFirstHour, 16 * 1024);
#endif
    EXPECT_LE(application.threads.keptThreadCount(), 2u);

    const platform::Millis closedAt = now();
    try {
        input.requestClose(MainWindow::window);
        ADD_FAILURE() << "the close returned";
    } catch (const platform::ProgramEnded& ended) {
        EXPECT_EQ(ended.exitCode, 0);
    }
    EXPECT_EQ(headless.process().exitCode(), 0);
    EXPECT_NEAR(now() - closedAt, 5 * second, 200);
}

} // namespace
} // namespace app::test
