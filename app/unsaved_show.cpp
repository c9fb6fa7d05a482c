#include "app/unsaved_show.h"

#include "app/application.h"
#include "app/show_tables.h"

#include "platform/dialogs.h"
#include "runtime/files.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

namespace app {
namespace {

namespace main = ids::MainWindow;

constexpr char unsavedShow[] = "新建场次";
constexpr unsigned okCancel = 1;

} // namespace

bool showHasUnsavedChanges(Application& app)
{
    const Text show = std::get<Text>(
        app.windows.property(main::window, main::标签场次, ui::prop::label::caption));
    // A saved show is a byte-for-byte copy of the table, so any difference is an edit.
    if (show != unsavedShow && !show.empty()) {
        const std::optional<std::string> saved
            = runtime::readFile(showFileName(app, show), app.files);
        if (saved)
            return saved
                != runtime::readFile(dataFilePath(app, tables::currentShow.file), app.files);
    }
    return !readCurrentShow(app).empty();
}

bool mayDiscardCurrentShow(Application& app)
{
    // What a hall that may not be written holds cannot be saved, so nothing is lost.
    return app.hallReadOnly || !showHasUnsavedChanges(app)
        || app.runtime.messageBox("当前场次有未保存的修改，是否放弃？", okCancel, Text("注意："))
        == static_cast<int>(platform::Button::Ok);
}

} // namespace app
