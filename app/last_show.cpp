#include "app/last_show.h"
#include "app/main_window_roles.h"

#include "app/application.h"
#include "app/show_list.h"
#include "app/show_names.h"
#include "app/show_tables.h"

#include "runtime/ini_file.h"
#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

namespace app {
namespace {

namespace main = ids::MainWindow;

constexpr char memoryFile[] = "lastshow.ini";
constexpr char section[] = "场次";
constexpr char key[] = "当前场次";

Text caption(Application& app)
{
    return std::get<Text>(
        app.windows.property(main::window, main::标签场次, ui::prop::label::caption));
}

void setCaption(Application& app, const Text& text)
{
    app.windows.setProperty(main::window, main::标签场次, ui::prop::label::caption, text);
}

// The show list row whose file is the show's, or -1.
std::int32_t rowOfShow(Application& app, const Text& show)
{
    const std::int32_t rows
        = ui::Commands(app.windows).listViewCount(main::window, role::savedShowList);
    for (std::int32_t row = 0; row < rows; ++row)
        if (isFileOfShow(showNameOfRow(app, row), show))
            return row;
    return -1;
}

} // namespace

void rememberCurrentShow(Application& app)
{
    // Not written, the memory only falls back to the first show of the list (last_show.h).
    (void)runtime::writeIniEntry(
        dataFilePath(app, memoryFile), section, Text(key), caption(app), app.files);
}

bool chooseLastShow(Application& app)
{
    const Text remembered
        = runtime::readIniEntry(dataFilePath(app, memoryFile), section, key, {}, app.files);
    if (remembered == unsavedShowName) {
        setCaption(app, remembered);
        return false;
    }
    const std::int32_t row = remembered.empty() ? -1 : rowOfShow(app, remembered);
    app.windows.setProperty(
        main::window, role::savedShowList, ui::prop::listView::currentRow, std::max(row, 0));
    setCaption(app, row >= 0 ? remembered : showNameOfRow(app, 0));
    return true;
}

} // namespace app
