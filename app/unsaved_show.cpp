#include "app/unsaved_show.h"

#include "app/application.h"
#include "app/last_show.h"
#include "app/show_names.h"
#include "app/show_rewrite.h"
#include "app/show_tables.h"

#include "platform/dialogs.h"
#include "runtime/files.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

namespace app {
namespace {

namespace main = ids::MainWindow;

constexpr unsigned okCancel = 1;

Text caption(Application& app)
{
    return std::get<Text>(
        app.windows.property(main::window, main::标签场次, ui::prop::label::caption));
}

// The content of the show's own file; nothing for a show without one or a file unreadable.
std::optional<std::string> savedContent(Application& app, const Text& show)
{
    if (namesNoShowFile(show))
        return std::nullopt;
    return runtime::readFile(showFileName(app, show), app.files);
}

bool operatorLetsGo(Application& app)
{
    return app.runtime.messageBox("当前场次有未保存的修改，是否放弃？", okCancel, Text("注意："))
        == static_cast<int>(platform::Button::Ok);
}

} // namespace

bool showHasUnsavedChanges(Application& app)
{
    // A saved show is a byte-for-byte copy of the table, so any difference is an edit.
    if (const std::optional<std::string> saved = savedContent(app, caption(app)))
        return saved != runtime::readFile(dataFilePath(app, tables::currentShow.file), app.files);
    return !readCurrentShow(app).empty();
}

bool mayDiscardCurrentShow(Application& app)
{
    // What a hall that may not be written holds cannot be saved, so nothing is lost.
    return app.hallReadOnly || !showHasUnsavedChanges(app) || operatorLetsGo(app);
}

bool mayEndDiscardingCurrentShow(Application& app)
{
    if (app.hallReadOnly || !showHasUnsavedChanges(app))
        return true;
    if (!operatorLetsGo(app))
        return false;
    if (savedContent(app, caption(app)))
        return true;
    if (!replaceCurrentShow(app, {}))
        app.runtime.messageBox("未能清空当前场次，下次启动时它仍会出现。", 0);
    app.windows.setProperty(main::window, main::标签场次, ui::prop::label::caption, Text());
    rememberCurrentShow(app);
    return true;
}

} // namespace app
