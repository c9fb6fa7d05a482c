// The style settings file in a scratch program directory: what a save writes and in which
// order, how unset and hand-edited values read, and saves that fail.

#include "app/application.h"
#include "app/style_settings_file.h"
#include "backends/headless/recording_views.h"
#include "private_session.h"

#include "backends/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace app::test {
namespace {

namespace fs = std::filesystem;

class StyleSettingsFile : public ::testing::Test {
protected:
    StyleSettingsFile()
    {
        fs::create_directories(directory);
        application.programDirectory = directory.string();
        usePrivateSession(directory);
    }
    ~StyleSettingsFile() override
    {
        headless.clock().settle(); // the evening log's writer may still be writing there
        fs::remove_all(directory);
    }

    std::string file() const
    {
        std::ifstream in(directory / "ss.dat", std::ios::binary);
        return { std::istreambuf_iterator<char>(in), {} };
    }
    void setFile(const std::string& text) const
    {
        std::ofstream(directory / "ss.dat", std::ios::binary) << text;
    }

    const fs::path directory = makeScratchDirectory("style_settings");
    platform::headless::HeadlessPlatform headless;
    platform::Platform platform = headless.platform();
    runtime::Runtime runtime { platform };
    ui::headless::RecordingViews views;
    Application application { runtime, views };
};

TEST_F(StyleSettingsFile, FirstSaveWritesTheKeysInOrderAndReadsBackTheSame)
{
    StyleSettingsTexts saved;
    saved.lights.fill("0");
    saved.lights[0] = "1";
    saved.timeLimit = "无限时";
    saved.volume = "80";
    saved.delays[0] = "3 0";

    ASSERT_TRUE(writeStyleSettings(application, "序曲", saved));

    std::string expected = "[序曲]\r\n1=1\r\n";
    for (int channel = 2; channel <= 16; ++channel)
        expected += std::to_string(channel) + "=0\r\n";
    expected += "限时=无限时\r\n音量=80\r\n1c=30\r\n";
    for (int channel = 2; channel <= 16; ++channel)
        expected += std::to_string(channel) + "c=\r\n";
    EXPECT_EQ(file(), expected);

    StyleSettingsTexts read = readStyleSettings(application, "序曲");
    saved.delays[0] = "30";
    EXPECT_EQ(read.lights, saved.lights);
    EXPECT_EQ(read.delays, saved.delays);
    EXPECT_EQ(read.timeLimit, "无限时");
    EXPECT_EQ(read.volume, "80");
    EXPECT_EQ(channelLight(application, "序曲", 1), true);
    EXPECT_EQ(channelLight(application, "序曲", 2), false);
    EXPECT_EQ(channelDelaySeconds(application, "序曲", 1), 30);
    EXPECT_EQ(channelDelaySeconds(application, "序曲", 2), std::nullopt);
    EXPECT_EQ(volumePercent(application, "序曲"), 80);
}

TEST_F(StyleSettingsFile, MissingFileOrSectionChangesNothingAndPlaysFullVolumeWithoutLimit)
{
    EXPECT_EQ(readStyleValue(application, "慢四", "1"), "");
    EXPECT_EQ(channelLight(application, "慢四", 1), std::nullopt);
    EXPECT_EQ(channelDelaySeconds(application, "慢四", 1), std::nullopt);
    EXPECT_EQ(timeLimitMinutes(application, "慢四"), std::nullopt);
    EXPECT_EQ(volumePercent(application, "慢四"), 100);

    setFile("[快四]\r\n1=1\r\n限时=5\r\n");
    EXPECT_EQ(channelLight(application, "慢四", 1), std::nullopt);
    EXPECT_EQ(volumePercent(application, "慢四"), 100);
    EXPECT_EQ(timeLimitMinutes(application, "快四"), 5);
    EXPECT_EQ(readStyleValue(application, " \t快四", "限时"), "5");
    EXPECT_EQ(readStyleValue(application, "  ", "限时"), "");
}

TEST_F(StyleSettingsFile, HandEditedValuesReadByTheirRules)
{
    setFile("[中四]\r\n1=yes\r\n2=0\r\n3c=12s\r\n4c=x\r\n限时=无限时\r\n音量=\r\n"
            "[平四]\r\n限时=\r\n音量=abc\r\n");
    EXPECT_EQ(channelLight(application, "中四", 1), std::nullopt);
    EXPECT_EQ(channelLight(application, "中四", 2), false);
    EXPECT_EQ(channelDelaySeconds(application, "中四", 3), 12);
    EXPECT_EQ(channelDelaySeconds(application, "中四", 4), 0);
    EXPECT_EQ(timeLimitMinutes(application, "中四"), std::nullopt);
    EXPECT_EQ(timeLimitMinutes(application, "平四"), std::nullopt);
    EXPECT_EQ(volumePercent(application, "中四"), 100);
    EXPECT_EQ(volumePercent(application, "平四"), 0);
}

TEST_F(StyleSettingsFile, ALaterSaveRewritesInPlaceAndLeavesOtherSections)
{
    setFile("[快四]\r\n音量=40\r\n\r\n[旧曲风]\r\n1=1\r\n");
    StyleSettingsTexts settings;
    settings.lights.fill("1");
    settings.volume = "60";
    ASSERT_TRUE(writeStyleSettings(application, "快四", settings));

    EXPECT_EQ(volumePercent(application, "快四"), 60);
    EXPECT_EQ(file().find("音量=40"), std::string::npos);
    EXPECT_EQ(readStyleValue(application, "旧曲风", "1"), "1");
}

TEST_F(StyleSettingsFile, AWriteThatCannotReplaceTheFileReportsFailure)
{
    fs::create_directories(directory / "ss.dat");
    StyleSettingsTexts settings;
    settings.volume = "60";
    EXPECT_FALSE(writeStyleSettings(application, "快四", settings));
    EXPECT_FALSE(writeStyleValue(application, "快四", "音量", "60"));
    EXPECT_TRUE(fs::is_directory(directory / "ss.dat"));
}

// A key late in the save that cannot be written (a line break in a seconds box) leaves the
// whole file as it was: no style is ever half saved.
TEST_F(StyleSettingsFile, ASaveThatFailsPartWayLeavesTheFileAsItWas)
{
    setFile("[快四]\r\n1=0\r\n音量=40\r\n");
    StyleSettingsTexts settings;
    settings.lights.fill("1");
    settings.volume = "60";
    settings.delays[3] = "1\n2";

    EXPECT_FALSE(writeStyleSettings(application, "快四", settings));

    EXPECT_EQ(file(), "[快四]\r\n1=0\r\n音量=40\r\n");
}

} // namespace
} // namespace app::test
