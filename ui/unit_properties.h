#pragma once
// Numbers of the unit properties (8 and up) of every built-in unit, for views and tests.
// Their types and defaults are declared with the units (units.cpp).

namespace ui::prop {

namespace window {
constexpr int caption = 8, borderStyle = 9, backColour = 10, backPicture = 11, pictureMode = 12,
              icon = 13, backSound = 14, systemMenu = 15, maxButton = 16, minButton = 17,
              state = 18, movable = 19;
}
namespace label {
constexpr int caption = 8, effect = 9, borderStyle = 10, gradientWidth = 11, gradientColour1 = 12,
              gradientColour2 = 13, gradientColour3 = 14, font = 15, textColour = 16,
              backColour = 17, backPicture = 18;
}
namespace transLabel {
constexpr int caption = 8, textColour = 9, font = 10;
}
namespace editBox {
constexpr int content = 8, borderStyle = 9, textColour = 10, backColour = 11, font = 12;
}
namespace timer {
constexpr int interval = 8;
}
namespace groupBox {
constexpr int caption = 8, alignment = 9, textColour = 10, backColour = 11, font = 12;
}
namespace button {
constexpr int caption = 8, font = 9;
}
namespace superBtn {
constexpr int caption = 8, backColour1 = 9, backColour2 = 10, backColour3 = 11, picture1 = 12,
              picture2 = 13, picture3 = 14, font = 15, textColour = 16;
}
namespace comboBox {
constexpr int style = 8, font = 16, textColour = 17, backColour = 18, selection = 19;
}
namespace listBox {
constexpr int borderStyle = 8, font = 13, textColour = 14, backColour = 15, selection = 16;
}
namespace treeBox {
constexpr int borderStyle = 8, textColour = 9, backColour = 10, font = 11, selection = 16;
}
namespace listView {
constexpr int borderStyle = 8, textColour = 9, backColour = 10, font = 11, currentRow = 35;
}
namespace superBar {
constexpr int minimum = 8, maximum = 9, barColour = 10, backColour = 11, picture = 12,
              position = 17;
}
namespace hyperLinker {
constexpr int caption = 8, textColour = 9, font = 10, address = 11;
}
namespace picBox {
constexpr int borderStyle = 8, stretch = 9, picture = 10;
}
namespace commonDlg {
constexpr int kind = 8, title = 9, fileName = 10, filter = 11, filterIndex = 12, initialDir = 13,
              keepDirectory = 19;
}
namespace monthCalendar {
constexpr int borderStyle = 8, font = 9;
}
namespace picBtn {
constexpr int picture = 8;
}
namespace supperMenu {
constexpr int picture = 8;
}

} // namespace ui::prop
