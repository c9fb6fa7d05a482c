#include "backends/pulse/pulse_mixer.h"
#include "backends/pulse/pulse_output.h"
#include "media/system_volume.h"
#include "media/track_commands.h"
#include "monitor_recorder.h"
#include "platform/system_clock.h"
#include "private_server.h"
#include "test_files.h"
#include "test_sink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <numeric>

namespace media {
namespace {

// On the test server: the default sink's volume is what is heard on its monitor.
TEST(PulseVolume, SetSystemVolumeChangesTheLevelHeard)
{
    SKIP_WITHOUT_TEST_SINK();
    platform::SystemClock clock;
    std::atomic<int> volumeEvents = 0;
    SystemVolume volume(platform::pulse::pulseMixerFactory(), [&](SystemVolume::Event e) {
        if (e == SystemVolume::volumeChanged)
            ++volumeEvents;
    });
    ASSERT_EQ(volume.openSystemVolume(SystemVolume::speakerLine), 1);
    ASSERT_EQ(volume.setSystemVolume(65535, 65535), 1);

    test::MonitorRecorder recorder;
    ASSERT_TRUE(recorder.waitUntilRecording());
    TrackCommands commands({ clock, platform::pulse::pulseOutputFactory() });
    commands.playMusicFile(test::track("cbr_stereo_44k.mp3"));
    clock.sleep(1200);
    std::size_t loudEnd = recorder.peaks().size();
    ASSERT_EQ(volume.setSystemVolume(16384, 16384), 1);
    int left = 0, right = 0;
    EXPECT_EQ(volume.getSystemVolume(left, right), 1);
    EXPECT_EQ(left, 16384);
    EXPECT_EQ(right, 16384);
    clock.sleep(1200);
    recorder.stop();
    commands.stopPlaying();
    volume.setSystemVolume(65535, 65535);

    auto peaks = recorder.peaks();
    ASSERT_GT(peaks.size(), loudEnd + 60);
    auto average = [&](std::size_t from, std::size_t to) {
        return std::accumulate(peaks.begin() + from, peaks.begin() + to, 0.0) / (to - from);
    };
    double loud = average(loudEnd - 40, loudEnd - 10);
    double quiet = average(loudEnd + 50, loudEnd + 60);
    EXPECT_GT(loud, 10000);
    // The values are linear in amplitude: a quarter of the value is a quarter of the level.
    EXPECT_NEAR(quiet / loud, 0.25, 0.02);
    for (int i = 0; i < 100 && volumeEvents < 2; ++i)
        clock.sleep(10);
    EXPECT_GE(volumeEvents, 2);
}

} // namespace
} // namespace media

namespace media {
namespace {

using platform::pulse::PulseMixer;

// Runs pactl on the test server; the tests below add sinks and must take them away again.
std::string pactl(const std::string& arguments)
{
    std::string output;
    if (FILE* pipe = popen(("pactl " + arguments + " 2>/dev/null").c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        pclose(pipe);
    }
    while (!output.empty() && output.back() == '\n')
        output.pop_back();
    return output;
}

class PulseSinks : public testing::Test {
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_TEST_SINK();
        surroundModule = pactl("load-module module-null-sink sink_name=surround channels=6 "
                               "channel_map=front-left,front-right,rear-left,rear-right,"
                               "front-center,lfe");
        ASSERT_FALSE(surroundModule.empty());
    }
    void TearDown() override
    {
        pactl("set-default-sink testsink");
        pactl("set-sink-volume testsink 100%");
        if (!surroundModule.empty())
            pactl("unload-module " + surroundModule);
    }

    SystemVolume makeVolume()
    {
        return SystemVolume(platform::pulse::pulseMixerFactory(), [this](SystemVolume::Event e) {
            if (e == SystemVolume::volumeChanged)
                ++volumeEvents;
        });
    }

    std::string surroundModule;
    std::atomic<int> volumeEvents = 0;
    platform::SystemClock clock;
};

TEST_F(PulseSinks, SurroundSinkFadesEveryChannelKeepingItsBalance)
{
    pactl("set-default-sink surround");
    pactl("set-sink-volume surround 100% 100% 50% 50% 100% 100%");
    SystemVolume volume = makeVolume();
    ASSERT_EQ(volume.openSystemVolume(SystemVolume::speakerLine), 1);
    int left = 0, right = 0;
    ASSERT_EQ(volume.getSystemVolume(left, right), 1);
    EXPECT_EQ(left, 65535);
    EXPECT_EQ(right, 65535);
    // One pass of the application's fade: both sides 1000 lower.
    ASSERT_EQ(volume.setSystemVolume(left - 1000, right - 1000), 1);
    std::string volumes = pactl("get-sink-volume surround");
    auto serverValue = [](int value) { return ": " + std::to_string(PulseMixer::toServer(value)); };
    for (const char* channel : { "front-left", "front-right", "front-center", "lfe" })
        EXPECT_NE(volumes.find(channel + serverValue(64535)), std::string::npos) << volumes;
    // The rear pair stays at its share: a half of the server's scale, an eighth in amplitude.
    EXPECT_NE(volumes.find("rear-left" + serverValue(8192 * 64535 / 65535)), std::string::npos)
        << volumes;
    ASSERT_EQ(volume.getSystemVolume(left, right), 1);
    EXPECT_NEAR(left, 64535, 2);
}

TEST_F(PulseSinks, FollowsTheDefaultSinkAndRestoresTheStartVolume)
{
    pactl("set-sink-volume testsink 70%");
    {
        SystemVolume volume = makeVolume();
        ASSERT_EQ(volume.openSystemVolume(SystemVolume::speakerLine), 1);
        ASSERT_EQ(volume.setSystemVolume(30000, 30000), 1);
        // The change event of the write above may still be on its way: wait for the component
        // to read the new default's full volume, not just for any event.
        clock.sleep(200);
        int events = volumeEvents;
        pactl("set-default-sink surround");
        int left = 0, right = 0;
        for (int i = 0; i < 200 && (volumeEvents == events || left != 65535); ++i) {
            clock.sleep(10);
            volume.getSystemVolume(left, right);
        }
        EXPECT_GT(volumeEvents, events);
        EXPECT_EQ(left, 65535);
        // The new default is the one set now; the old sink keeps its value.
        ASSERT_EQ(volume.setSystemVolume(20000, 20000), 1);
        ASSERT_EQ(volume.getSystemVolume(left, right), 1);
        EXPECT_NEAR(left, 20000, 2);
        auto serverValue
            = [](int value) { return ": " + std::to_string(PulseMixer::toServer(value)) + " "; };
        EXPECT_NE(pactl("get-sink-volume surround").find("front-left" + serverValue(20000)),
            std::string::npos);
        EXPECT_NE(pactl("get-sink-volume testsink").find(serverValue(30000)), std::string::npos);
        EXPECT_TRUE(volume.restoreStartVolume());
    }
    // The desktop gets back the volume the program found at its start.
    EXPECT_NE(pactl("get-sink-volume testsink").find("70%"), std::string::npos)
        << pactl("get-sink-volume testsink");
}

} // namespace
} // namespace media

namespace media {
namespace {

TEST(PulseLateServer, VolumeOpensWhenTheServerComesAndClosesWhenItGoes)
{
    SKIP_WITHOUT_TEST_SINK();
    // Every connection made in this test, and again later, goes to the late server.
    test::PrivateServer server;
    SystemVolume volume(platform::pulse::pulseMixerFactory(), [](SystemVolume::Event) {});
    EXPECT_EQ(volume.openSystemVolume(SystemVolume::speakerLine), 0);

    server.start();
    int left = -1, right = -1;
    platform::SystemClock clock;
    for (int i = 0; i < 500 && volume.getSystemVolume(left, right) != 1; ++i)
        clock.sleep(10);
    EXPECT_EQ(volume.getSystemVolume(left, right), 1);
    EXPECT_EQ(volume.setSystemVolume(30000, 30000), 1);

    server.stop();
    for (int i = 0; i < 500 && volume.getSystemVolume(left, right) == 1; ++i)
        clock.sleep(10);
    EXPECT_EQ(volume.getSystemVolume(left, right), -1);
}

} // namespace
} // namespace media
