#include "app/show_renaming.h"
#include "app/main_window_roles.h"

#include "app/application.h"
#include "app/handler_table.h"
#include "app/last_show.h"
#include "app/read_only_hall.h"
#include "app/show_list.h"
#include "app/show_names.h"
#include "app/show_tables.h"

#include "platform/dialogs.h"
#include "platform/path.h"
#include "platform/whole_files.h"
#include "runtime/file_names.h"
#include "runtime/text_edit.h"
#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

namespace app {
namespace {

namespace main = ids::MainWindow;
namespace nameDialog = ids::SaveShowDialog;

constexpr unsigned okCancel = 1;
constexpr char copySuffix[] = "副本";

// Anything at the path counts, a link too: writing there would replace it.
bool exists(Application& app, const std::string& nativePath)
{
    platform::FileStatus status;
    return app.files.linkStatus(nativePath, status) == 0;
}

// Where the show's file is written: the file already there under the name in another letter
// case or in GBK bytes (as an installation's data has them), else a new one.
std::string showFileOnDisk(Application& app, std::string_view showName)
{
    return runtime::resolvedPath(showFileName(app, showName), app.files);
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
    const std::int32_t rows
        = ui::Commands(app.windows).listViewCount(main::window, role::savedShowList);
    for (std::int32_t row = 0; row < rows; ++row)
        if (isFileOfShow(showNameOfRow(app, row), name)) {
            app.windows.setProperty(
                main::window, role::savedShowList, ui::prop::listView::currentRow, row);
            return;
        }
}

bool askOverwrite(Application& app)
{
    return app.runtime.messageBox("已有同名场次，是否覆盖？", okCancel, Text("注意："))
        == static_cast<int>(platform::Button::Ok);
}

} // namespace

bool mayWriteShowFile(Application& app, std::string_view showName)
{
    const Text show = caption(app);
    const bool ownFile
        = !namesNoShowFile(show) && isFileOfShow(runtime::removeAllSpaces(show), showName);
    return ownFile || !exists(app, showFileOnDisk(app, showName)) || askOverwrite(app);
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
    const Text sourceTitle = app.globals.showNameSource;
    const std::string source = runtime::resolvedPath(fileOfSavedShow(app, sourceTitle), app.files);
    std::string target;
    if (isFileOfShow(sourceTitle, name)) {
        // The name reaches the show's own file: a rename may still change its letter case.
        if (!renaming || runtime::removeAllSpaces(name) == sourceTitle) {
            app.windows.close(nameDialog::window, 0);
            return;
        }
        target = platform::nativePath(showFileName(app, name));
    } else {
        target = showFileOnDisk(app, name);
        if (exists(app, target) && !askOverwrite(app))
            return;
    }
    const Text show = caption(app);
    const bool renamingCurrent
        = renaming && !namesNoShowFile(show) && isFileOfShow(sourceTitle, show);
    const bool done = renaming ? app.files.rename(source, target) == 0
                               : platform::copyFileReplacing(source, target, app.files);
    if (!done) {
        app.runtime.messageBox(renaming ? "重命名失败！" : "复制失败！", 0);
        return;
    }
    if (renamingCurrent) {
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
