// The track tool's figures for the committed test tracks, and its refusals. Playing is
// checked by the ctest entries beside the media tests, which have a private sound server.

#include "tests/support/tool_run.h"

#include <gtest/gtest.h>

namespace {

using test_support::ToolRun;

ToolRun trackplay(const std::vector<std::string>& arguments)
{
    return test_support::runTool(TRACKPLAY_TOOL, arguments, testing::TempDir());
}

std::string track(const std::string& name)
{
    return MEDIA_TEST_DATA "/" + name;
}

// Frame lengths follow from bit rate and sample rate; durations leave out the encoder gap.
TEST(Trackplay, InfoShowsTheFiguresOfEachKindOfTrack)
{
    struct Case {
        const char* file;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases {
        { "cbr_mono_44k.mp3",
            { "first frame:       offset 0, MPEG-1 layer 3, 64 kbit/s, mono",
                "frame length:      208 bytes", "total frames:      116",
                "duration:          3000 ms",
                "Info flags:        0xf (frames 116, bytes 24449, seek table yes)",
                "encoder gap:       576 samples delay, 756 padding" } },
        { "id3v24.mp3",
            { "audio length:      48990 bytes (from offset 10)",
                "first frame:       offset 100, MPEG-1 layer 3, 128 kbit/s, stereo",
                "frame length:      417 bytes" } },
        { "id3v23_extended.mp3", { "audio length:      48900 bytes (from offset 346)" } },
        { "mpeg2_22k.mp3",
            { "first frame:       offset 0, MPEG-2 layer 3, 64 kbit/s, stereo",
                "samples per frame: 576", "sample rate:       22050 Hz",
                "total frames:      117" } },
        { "mpeg25_8k.mp3",
            { "first frame:       offset 0, MPEG-2.5 layer 3, 16 kbit/s, mono",
                "frame length:      144 bytes", "sample rate:       8000 Hz",
                "total frames:      44 (estimated from the size; counted when played)",
                "duration:          3168 ms", "Xing flags:        no Xing header" } },
        { "layer2.mp3",
            { "first frame:       offset 0, MPEG-1 layer 2, 192 kbit/s, stereo",
                "frame length:      626 bytes", "duration:          3004 ms" } },
        { "ramp_6s.mp3",
            { "frame length:      432 bytes", "sample rate:       32000 Hz",
                "duration:          6000 ms" } },
        { "short.mp3", { "total frames:      3", "duration:          50 ms" } },
        { "vbr_xing.mp3",
            { "total frames:      116",
                "Xing flags:        0xf (frames 116, bytes 57499, seek table yes)" } },
        // Without a Xing header a variable rate is guessed from the first frame, and says so.
        { "vbr_no_xing.mp3",
            { "total frames:      54 (estimated from the size; counted when played)" } },
    };
    for (const Case& c : cases) {
        const ToolRun run = trackplay({ "--info", track(c.file) });
        EXPECT_EQ(run.exit, 0) << c.file << ": " << run.err;
        for (const std::string& line : c.lines)
            EXPECT_NE(run.out.find(line + "\n"), std::string::npos)
                << c.file << " lacks \"" << line << "\" in\n"
                << run.out;
    }
}

TEST(Trackplay, RefusesWhatHoldsNoAudioFrameAndWhatIsNotThere)
{
    for (const char* file : { "random.mp3", "empty.mp3", "no-such-track.mp3" }) {
        const ToolRun run = trackplay({ "--info", track(file) });
        EXPECT_EQ(run.exit, 1) << file;
        EXPECT_EQ(run.out, "") << file;
        EXPECT_EQ(run.err,
            "trackplay: " + track(file) + ": not readable, or no MPEG audio frame in it\n");
    }
    // Playing a missing track fails before any sound is made.
    const ToolRun run = trackplay({ track("no-such-track.mp3") });
    EXPECT_EQ(run.exit, 1);
    EXPECT_NE(run.err.find(track("no-such-track.mp3") + ": cannot be played\n"), std::string::npos)
        << run.err;
}

TEST(Trackplay, BadArgumentsShowTheUsage)
{
    const std::string file = track("short.mp3");
    const std::vector<std::vector<std::string>> cases { {}, { "--info" }, { "--loud", file },
        { file, file }, { "--from" }, { file, "--from" }, { "-" } };
    for (const auto& arguments : cases) {
        const ToolRun run = trackplay(arguments);
        EXPECT_EQ(run.exit, 2) << arguments.size() << " arguments";
        EXPECT_EQ(run.err, "usage: trackplay [--info] [--from PERCENT] FILE\n");
        EXPECT_EQ(run.out, "");
    }
}

} // namespace
