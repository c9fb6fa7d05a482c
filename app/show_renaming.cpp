#include "app/show_renaming.h"
#include "app/main_window_roles.h"

#include "app/application.h"
#include "app/handler_table.h"
#include "app/last_show.h"
#include "app/read_only_hall.h"
#include "app/show_list.h"
#include "app/show_tables.h"

#include "platform/dialogs.h"
#include "platform/path.h"
#include "runtime/files.h"
#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

namespace app {
namespace {

namespace main = ids::MainWindow;
namespace nameDialog = ids::SaveShowDialog;

constexpr unsigned okCancel = 1;
constexpr char copySuffix[] = "副本";

// Anything at the name counts, a link too: writing there would replace it.
bool exists(Application& app, const Text& path)
{
    platform::FileStatus status;
    return app.files.linkStatus(platform::nativePath(path), status) == 0;
}

Text caption(Application& app)
{
    return std::get<Text>(
        app.windows.property(main::window, main::标签场次, ui::prop::label::caption));
}

Text fileOfSavedShow(Application& app, const Text& listedName)
{
    return dataFilePath(app, runtime::concatText("lb/", listedName, ".dat"));
}

// Opens the show-name dialog for the selected saved show.
void openForSelectedShow(Application& app, ShowNamePurpose purpose)
{
    const std::int32_t row = std::get<std::int32_t>(
        app.windows.property(main::window, role::savedShowList, ui::prop::listView::currentRow));
    const Text source = showNameOfRow(app, row);
    if (source.empty() || refusedInReadOnlyHall(app))
        return;
    app.globals.showNamePurpose = purpose;
    app.globals.showNameSource = source;
    app.windows.loadWindow(nameDialog::window, true);
    app.globals.showNamePurpose = ShowNamePurpose::saveAs;
    app.globals.showNameSource.clear();
}

void selectShow(Application& app, const Text& name)
{
    const Text file = showFileName(app, name);
    const std::int32_t rows
        = ui::Commands(app.windows).listViewCount(main::window, role::savedShowList);
    for (std::int32_t row = 0; row < rows; ++row)
        if (showFileName(app, showNameOfRow(app, row)) == file)
            app.windows.setProperty(
                main::window, role::savedShowList, ui::prop::listView::currentRow, row);
}

bool askOverwrite(Application& app)
{
    return app.runtime.messageBox("已有同名场次，是否覆盖？", okCancel, Text("注意："))
        == static_cast<int>(platform::Button::Ok);
}

bool renameFile(Application& app, const Text& from, const Text& to)
{
    return app.files.rename(platform::nativePath(from), platform::nativePath(to)) == 0;
}

} // namespace

bool mayWriteShowFile(Application& app, std::string_view showName)
{
    const Text target = showFileName(app, showName);
    const Text show = caption(app);
    return !exists(app, target) || (!show.empty() && showFileName(app, show) == target)
        || askOverwrite(app);
}

void prepareShowNameDialog(Application& app)
{
    const Globals& globals = app.globals;
    if (globals.showNamePurpose == ShowNamePurpose::saveAs)
        return;
    const bool renaming = globals.showNamePurpose == ShowNamePurpose::rename;
    app.windows.setProperty(nameDialog::window, nameDialog::标签1, ui::prop::label::caption,
        Text(renaming ? "将场次重命名，\r\n请输入新的场次名称："
                      : "将场次复制一份，\r\n请输入新场次的名称："));
    app.windows.setProperty(nameDialog::window, nameDialog::编辑框1, ui::prop::editBox::content,
        renaming ? globals.showNameSource
                 : runtime::concatText(globals.showNameSource, copySuffix));
}

void nameSavedShow(Application& app, const Text& name)
{
    const bool renaming = app.globals.showNamePurpose == ShowNamePurpose::rename;
    const Text source = fileOfSavedShow(app, app.globals.showNameSource);
    const Text target = showFileName(app, name);
    if (target == source) {
        app.windows.close(nameDialog::window, 0);
        return;
    }
    if (exists(app, target) && !askOverwrite(app))
        return;
    const bool done
        = renaming ? renameFile(app, source, target) : runtime::copyFile(source, target, app.files);
    if (!done) {
        app.runtime.messageBox(renaming ? "重命名失败！" : "复制失败！", 0);
        return;
    }
    const Text show = caption(app);
    if (renaming && !show.empty() && showFileName(app, show) == source) {
        app.windows.setProperty(main::window, main::标签场次, ui::prop::label::caption, name);
        rememberCurrentShow(app);
    }
    app.runtime.messageBox(renaming ? "重命名成功！" : "复制成功！", 0);
    fillShowList(app);
    selectShow(app, name);
    app.windows.close(nameDialog::window, 0);
}

namespace handlers {

HandlerResult renameShow(Application& app, HandlerArgs)
{
    openForSelectedShow(app, ShowNamePurpose::rename);
    return std::nullopt;
}

HandlerResult duplicateShow(Application& app, HandlerArgs)
{
    openForSelectedShow(app, ShowNamePurpose::duplicate);
    return std::nullopt;
}

} // namespace handlers
} // namespace app
