// The background measuring on its own: tracks settled in order, a cancelled track never
// stored, a changed file measured again, and a broken store reported once.

#include "app/loudness_analysis.h"
#include "backends/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace app::test {
namespace {

namespace fs = std::filesystem;
using Progress = LoudnessAnalysis::Progress;

class Analysis : public ::testing::Test {
protected:
    Analysis()
    {
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::copy_file(fs::path(MEDIA_TEST_DATA) / "cbr_stereo_44k.mp3", folder / "a.mp3");
        fs::copy_file(fs::path(MEDIA_TEST_DATA) / "ramp_6s.mp3", folder / "b.mp3");
    }
    ~Analysis() override
    {
        analysis.reset();
        fs::remove_all(folder);
    }

    void start(const fs::path& store)
    {
        analysis = std::make_unique<LoudnessAnalysis>(headless.loop(), platform::systemFileSystem(),
            LoudnessAnalysis::Reports { [this](Progress p) { reports.push_back(p); },
                [this](const std::string& why) { failures.push_back(why); } });
        analysis->openStore(store.string());
    }
    std::string track(const char* name) const { return (folder / name).string(); }
    // Runs the loop until the last report says every track asked for is settled.
    void settle()
    {
        ASSERT_TRUE(
            headless.loop().runUntil([this] { return !reports.empty() && reports.back().done(); }));
    }
    // A track five minutes long, so a measurement is still going when it is cancelled.
    std::string longTrack()
    {
        const fs::path path = folder / "long.mp3";
        std::ofstream out(path, std::ios::binary);
        for (int copy = 0; copy < 100; ++copy)
            out << std::ifstream(fs::path(MEDIA_TEST_DATA) / "cbr_stereo_44k.mp3", std::ios::binary)
                       .rdbuf();
        return path.string();
    }

    const fs::path folder
        = fs::temp_directory_path() / ("loudness_analysis_" + std::to_string(getpid()));
    platform::headless::HeadlessPlatform headless;
    std::vector<Progress> reports;
    std::vector<std::string> failures;
    std::unique_ptr<LoudnessAnalysis> analysis;
};

TEST_F(Analysis, EveryTrackAskedForIsSettledAndItsFiguresKept)
{
    start(folder / "loudness.db");
    EXPECT_FALSE(analysis->figures(track("a.mp3")));
    ASSERT_TRUE(
        analysis->measure({ track("a.mp3"), track("b.mp3"), track("a.mp3"), track("gone.mp3") }));
    settle();
    // Counted once each, the missing one settled as unmeasurable, the count never going back.
    EXPECT_EQ(reports.front().known, 0);
    EXPECT_EQ(reports.back().known, 3);
    EXPECT_EQ(reports.back().total, 3);
    for (std::size_t i = 1; i < reports.size(); ++i)
        EXPECT_GE(reports[i].known, reports[i - 1].known);
    auto a = analysis->figures(track("a.mp3"));
    auto b = analysis->figures(track("b.mp3"));
    ASSERT_TRUE(a && b);
    EXPECT_NE(a->integratedLufs, b->integratedLufs);
    EXPECT_FALSE(analysis->figures(track("gone.mp3")));
    EXPECT_TRUE(failures.empty());

    // Another run of the program finds them in the store without measuring.
    start(folder / "loudness.db");
    auto again = analysis->figures(track("a.mp3"));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->integratedLufs, a->integratedLufs);
}

TEST_F(Analysis, AFileChangedOnDiskIsMeasuredAgain)
{
    start(folder / "loudness.db");
    ASSERT_TRUE(analysis->measure({ track("a.mp3") }));
    settle();
    auto before = analysis->figures(track("a.mp3"));
    ASSERT_TRUE(before);

    // The same name now holds another recording.
    fs::copy_file(fs::path(MEDIA_TEST_DATA) / "ramp_6s.mp3", folder / "a.mp3",
        fs::copy_options::overwrite_existing);
    EXPECT_FALSE(analysis->figures(track("a.mp3")));
    reports.clear();
    ASSERT_TRUE(analysis->measure({ track("a.mp3") }));
    settle();
    auto after = analysis->figures(track("a.mp3"));
    ASSERT_TRUE(after);
    EXPECT_NE(after->integratedLufs, before->integratedLufs);
}

TEST_F(Analysis, AnotherShowCancelsTheTrackBeingMeasuredAndItIsNeverStored)
{
    start(folder / "loudness.db");
    const std::string slow = longTrack();
    ASSERT_TRUE(analysis->measure({ slow }));
    // Long enough for the worker to be well into the track; it needs over a second for it.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_TRUE(analysis->measure({ track("a.mp3") }));
    // The worker measures one track at a time: once a.mp3 is settled, the long one was
    // either cancelled or finished before it.
    settle();
    EXPECT_EQ(reports.back().total, 1);
    EXPECT_TRUE(analysis->figures(track("a.mp3")));
    EXPECT_FALSE(analysis->figures(slow));

    // Asked for again, as the show is loaded once more, it is measured from the start.
    reports.clear();
    ASSERT_TRUE(analysis->measure({ slow, track("a.mp3") }));
    settle();
    EXPECT_TRUE(analysis->figures(slow));
}

TEST_F(Analysis, ATrackCancelledAndAskedForAgainAtOnceIsStillMeasured)
{
    start(folder / "loudness.db");
    const std::string slow = longTrack();
    ASSERT_TRUE(analysis->measure({ slow }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    // Another show, then straight back, while the long track is still being measured.
    ASSERT_TRUE(analysis->measure({ track("a.mp3") }));
    ASSERT_TRUE(analysis->measure({ slow, track("a.mp3") }));
    settle();
    EXPECT_EQ(reports.back().known, 2);
    EXPECT_TRUE(analysis->figures(slow));
    EXPECT_TRUE(analysis->figures(track("a.mp3")));
}

TEST_F(Analysis, ABrokenStoreIsReportedOnceAndNothingIsMeasured)
{
    std::ofstream(folder / "loudness.db") << std::string(4096, 'x');
    start(folder / "loudness.db");
    EXPECT_FALSE(analysis->figures(track("a.mp3")));
    ASSERT_TRUE(analysis->measure({ track("a.mp3"), track("b.mp3") }));
    settle();
    EXPECT_EQ(reports.back().known, 2);
    EXPECT_FALSE(analysis->figures(track("a.mp3")));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("not a database"), std::string::npos) << failures[0];
}

} // namespace
} // namespace app::test
