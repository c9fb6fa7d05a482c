#pragma once
// What each main-window component the code drives is for. The template keeps the names the
// window was designed with (时钟2, 标签1); code says the role (role::timeLimitTimer).

#include "ui/templates/window_ids.h"

namespace app::role {

namespace main = ids::MainWindow;

constexpr ui::ComponentId playStateLine = main::标签1; // "正在播放..." and the track progress
constexpr ui::ComponentId trackTitle = main::标签2;
constexpr ui::ComponentId clockLine = main::标签3;
constexpr ui::ComponentId lampPanel = main::分组框2;
constexpr ui::ComponentId savedShowList = main::超级列表框1;
constexpr ui::ComponentId slotTree = main::树型框1;
constexpr ui::ComponentId progressBar = main::多功能条1;
constexpr ui::ComponentId loudnessProgress = main::标签响度分析;
constexpr ui::ComponentId manualLink = main::超级链接框1;
constexpr ui::ComponentId systemVolume = main::系统音量1;
constexpr ui::ComponentId openFileDialog = main::通用对话框2;

constexpr ui::ComponentId styleStatusTimer = main::时钟1;
constexpr ui::ComponentId timeLimitTimer = main::时钟2;
constexpr ui::ComponentId clockTimer = main::时钟3;
constexpr ui::ComponentId fadeInTimer = main::时钟4;
constexpr ui::ComponentId openingCheckTimer = main::时钟5;
constexpr ui::ComponentId timeLeftTimer = main::时钟6;

} // namespace app::role
