#include "app/unsaved_show.h"

#include "app/application.h"
#include "app/show_tables.h"

#include "platform/dialogs.h"
#include "platform/posix/path.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <fstream>
#include <iterator>

namespace app {
namespace {

namespace main = ids::MainWindow;

constexpr char unsavedShow[] = "新建场次";
constexpr unsigned okCancel = 1;

std::optional<std::string> contents(const Text& path)
{
    std::ifstream in(platform::nativePath(path), std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

bool showHasUnsavedChanges(Application& app)
{
    const Text show = std::get<Text>(
        app.windows.property(main::window, main::标签场次, ui::prop::label::caption));
    // A saved show is a byte-for-byte copy of the table, so any difference is an edit.
    if (show != unsavedShow && !show.empty()) {
        const std::optional<std::string> saved = contents(showFileName(app, show));
        if (saved)
            return saved != contents(dataFilePath(app, tables::currentShow.file));
    }
    return !readCurrentShow(app).empty();
}

bool mayDiscardCurrentShow(Application& app)
{
    return !showHasUnsavedChanges(app)
        || app.runtime.messageBox("当前场次有未保存的修改，是否放弃？", okCancel, Text("注意："))
        == static_cast<int>(platform::Button::Ok);
}

} // namespace app
