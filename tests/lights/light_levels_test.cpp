// Lamp levels over time and the settings file they come from.

#include "lights/lamp_fades.h"
#include "lights/light_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace lights {
namespace {

LightSettings withFade(int millis)
{
    LightSettings settings;
    settings.fadeMillis = millis;
    return settings;
}

TEST(LampFades, SnapsToEachLampsLevelOnItsOwnChannelOnly)
{
    LightSettings settings;
    settings.lamps[2] = { 100, 180, 20 };
    LampFades fades(settings);
    fades.set(1, true, 0);
    fades.set(3, true, 0);
    fades.set(16, true, 0);
    fades.set(0, true, 0); // no such lamp
    fades.set(17, true, 0);
    const DmxFrame frame = fades.frameAt(0);
    for (int channel = 1; channel <= dmxChannelCount; ++channel) {
        const int expected = channel == 1 || channel == 16 ? 255 : channel == 100 ? 180 : 0;
        EXPECT_EQ(frame[channel - 1], expected) << "channel " << channel;
    }
    fades.set(3, false, 5);
    EXPECT_EQ(fades.frameAt(5)[99], 20);
    EXPECT_FALSE(fades.fadingAt(5));
}

TEST(LampFades, SharedChannelTakesTheHighestLevel)
{
    LightSettings settings;
    settings.lamps[0].channel = 9;
    settings.lamps[1].channel = 9;
    LampFades fades(settings);
    fades.set(1, true, 0);
    fades.set(2, false, 0);
    EXPECT_EQ(fades.frameAt(0)[8], 255) << "lamp 2's off must not darken lamp 1";
}

TEST(LampFades, FadesStraightAndTurnsBackFromWhereTheLampIs)
{
    LampFades fades(withFade(1000));
    fades.set(1, true, 0);
    EXPECT_EQ(fades.frameAt(0)[0], 0);
    EXPECT_EQ(fades.frameAt(500)[0], 128);
    EXPECT_TRUE(fades.fadingAt(999));
    EXPECT_EQ(fades.frameAt(1000)[0], 255);
    EXPECT_FALSE(fades.fadingAt(1000));

    fades.set(2, true, 2000);
    fades.set(2, false, 2200); // at 51 on the way up
    EXPECT_EQ(fades.frameAt(2200)[1], 51);
    EXPECT_EQ(fades.frameAt(2700)[1], 26);
    EXPECT_EQ(fades.frameAt(3200)[1], 0);
}

TEST(LampFades, SnapAllOffEndsFadesAtTheOffLevels)
{
    LightSettings settings = withFade(2000);
    settings.lamps[4].off = 7;
    LampFades fades(settings);
    fades.set(5, true, 0);
    fades.snapAllOff();
    EXPECT_FALSE(fades.fadingAt(10));
    EXPECT_EQ(fades.frameAt(10)[4], 7);
}

class LightSettingsFile : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::path(testing::TempDir()) / "light-settings";
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    std::string path() const { return (folder_ / lightSettingsFile).string(); }
    void write(const std::string& content) const { std::ofstream(path()) << content; }

private:
    std::filesystem::path folder_;
};

TEST_F(LightSettingsFile, MissingFileGivesTheDefaults)
{
    const LightSettings settings = readLightSettings(path());
    EXPECT_FALSE(settings.enabled);
    EXPECT_EQ(settings.universe, 1);
    EXPECT_EQ(settings.fadeMillis, 0);
    for (int lamp = 1; lamp <= lampCount; ++lamp) {
        EXPECT_EQ(settings.lamps[lamp - 1].channel, lamp);
        EXPECT_EQ(settings.lamps[lamp - 1].on, 255);
        EXPECT_EQ(settings.lamps[lamp - 1].off, 0);
    }
}

TEST_F(LightSettingsFile, WhatIsWrittenReadsBack)
{
    LightSettings settings;
    settings.enabled = true;
    settings.universe = 32767;
    settings.fadeMillis = 2000;
    settings.lamps[15] = { 512, 90, 10 };
    ASSERT_TRUE(writeLightSettings(path(), settings));
    EXPECT_EQ(readLightSettings(path()), settings);
}

TEST_F(LightSettingsFile, EachBadValueReadsAsItsDefault)
{
    write("[output]\nenabled=yes\nuniverse=32768\nfade=2001\n"
          "[lamp1]\nchannel=0\non=256\noff=-1\n"
          "[lamp2]\nchannel=513\non=12x\noff=\n"
          "[lamp3]\nchannel=99999999999999999999\non= 40\noff=3\n");
    const LightSettings settings = readLightSettings(path());
    EXPECT_FALSE(settings.enabled);
    EXPECT_EQ(settings.universe, 1);
    EXPECT_EQ(settings.fadeMillis, 0);
    EXPECT_EQ(settings.lamps[0].channel, 1);
    EXPECT_EQ(settings.lamps[0].on, 255);
    EXPECT_EQ(settings.lamps[0].off, 0);
    EXPECT_EQ(settings.lamps[1].channel, 2);
    EXPECT_EQ(settings.lamps[1].on, 255);
    EXPECT_EQ(settings.lamps[2].channel, 3);
    EXPECT_EQ(settings.lamps[2].on, 40) << "leading blanks are the INI reader's to skip";
    EXPECT_EQ(settings.lamps[2].off, 3);
}

} // namespace
} // namespace lights
