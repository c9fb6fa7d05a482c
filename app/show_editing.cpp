// The main window's show commands: loading, deleting, starting and saving shows, and giving a
// slot of the slot tree its track file.

#include "app/application.h"
#include "app/hall_repair.h"
#include "app/handler_table.h"
#include "app/last_show.h"
#include "app/main_window_roles.h"
#include "app/playback.h"
#include "app/read_only_hall.h"
#include "app/show_list.h"
#include "app/show_names.h"
#include "app/show_renaming.h"
#include "app/show_rewrite.h"
#include "app/show_tables.h"
#include "app/show_views.h"
#include "app/slot_text.h"
#include "app/unsaved_show.h"

#include "platform/dialogs.h"
#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

namespace app::handlers {
namespace {

namespace main = ids::MainWindow;
namespace saveDialog = ids::SaveShowDialog;

constexpr char trackFilter[] = "MP3文件(*.mp3)|*.mp3";
constexpr unsigned okCancel = 1;
constexpr int trackItemDepth = 2;

Text showCaption(Application& app)
{
    return std::get<Text>(
        app.windows.property(main::window, main::标签场次, ui::prop::label::caption));
}

void setShowCaption(Application& app, const Text& caption)
{
    app.windows.setProperty(main::window, main::标签场次, ui::prop::label::caption, caption);
}

std::int32_t currentShowRow(Application& app)
{
    return std::get<std::int32_t>(
        app.windows.property(main::window, role::savedShowList, ui::prop::listView::currentRow));
}

void selectShowRow(Application& app, std::int32_t row)
{
    app.windows.setProperty(main::window, role::savedShowList, ui::prop::listView::currentRow, row);
}

// Gives the slot whose heading is `heading` its track. The path is taken back when the title
// cannot be written, so a slot never holds a path without a title; a path longer than its
// field is refused rather than cut, since a cut path names no file.
bool writeTrackOfSlot(Application& app, const Text& heading, const Text& path)
{
    OpenTable table(app, tables::currentShow);
    if (!table.isOpen())
        return false;
    recdb::Registry& db = app.databases;
    if (auto width = db.textFieldWidth(Text(fields::path));
        width && std::int64_t(path.size()) > *width) {
        app.runtime.messageBox(
            runtime::concatText("曲目的文件路径太长（超过 ", std::to_string(*width),
                " 字节），请把曲目放到路径短一些的文件夹"),
            0);
        return false;
    }
    db.goFirst();
    const int count = db.recordCount();
    for (int k = 1; k <= count; ++k, db.skip()) {
        if (slotHeading(table.readText(fields::number), table.readText(fields::style)) != heading)
            continue;
        const Text oldPath = table.readText(fields::path);
        if (!db.writeField(Text(fields::path), {}, path))
            continue;
        if (db.writeField(Text(fields::title), {}, trackTitleFromPath(path)))
            return true;
        // Back to the old path with the old title; nothing more can be done should this fail
        // too, and the change is reported as failed either way.
        (void)db.writeField(Text(fields::path), {}, oldPath);
    }
    return false;
}

// The caption follows the table: when the show's file is damaged or cannot be copied in, the
// table still holds the previous show, and a caption naming the other one would later have
// its file overwritten with that content.
void loadSelectedShow(Application& app)
{
    const std::int32_t row = currentShowRow(app);
    if (row == -1)
        return;
    stopPlayback(app);
    const Text name = showNameOfRow(app, row);
    if (loadCheckedShow(app, name, MissingShowFile::report)) {
        setShowCaption(app, name);
        rememberCurrentShow(app);
    }
    refreshShowView(app);
}

} // namespace

HandlerResult loadShow(Application& app, HandlerArgs)
{
    if (currentShowRow(app) != -1 && !refusedInReadOnlyHall(app) && mayDiscardCurrentShow(app))
        loadSelectedShow(app);
    return 0;
}

HandlerResult deleteShow(Application& app, HandlerArgs)
{
    const std::int32_t row = currentShowRow(app);
    if (row == -1 || refusedInReadOnlyHall(app))
        return std::nullopt;
    if (app.runtime.messageBox("您确定要删除本场次吗？", okCancel, Text("注意："))
        != static_cast<int>(platform::Button::Ok))
        return std::nullopt;
    const Text deleted = showNameOfRow(app, row);
    // By its file: the caption keeps the spaces and the letter case the operator typed.
    const Text current = showCaption(app);
    const bool deletingCurrent = !namesNoShowFile(current) && isFileOfShow(deleted, current);
    // A file that stays (no right to remove it) must not vanish from the list as if it went.
    if (!deleteShowFile(app, deleted)) {
        app.runtime.messageBox("删除失败！", 0);
        return std::nullopt;
    }
    // Another saved show goes from the list only: the current show, saved or not, plays on.
    if (!deletingCurrent) {
        fillShowList(app);
        return std::nullopt;
    }
    // The table still holds the deleted show. Nameless until another show loads over it, it
    // is unsaved work, and no edit can write its file back.
    setShowCaption(app, {});
    rememberCurrentShow(app);
    fillShowList(app);
    selectShowRow(app, 0);
    loadSelectedShow(app);
    return std::nullopt;
}

HandlerResult newShow(Application& app, HandlerArgs)
{
    if (refusedInReadOnlyHall(app) || !mayDiscardCurrentShow(app))
        return std::nullopt;
    // Emptied in the scratch copy, which replaces the show whole: never half a show. Named
    // only once empty, so a show that stays is never taken for a new one.
    if (!replaceCurrentShow(app, {})) {
        app.runtime.messageBox("新建场次失败，当前场次保持不变。", 0);
        return std::nullopt;
    }
    setShowCaption(app, unsavedShowName);
    rememberCurrentShow(app);
    refreshShowView(app);
    stopPlayback(app);
    return std::nullopt;
}

HandlerResult openSaveShowDialog(Application& app, HandlerArgs)
{
    if (refusedInReadOnlyHall(app))
        return std::nullopt;
    app.windows.loadWindow(saveDialog::window, true);
    return std::nullopt;
}

HandlerResult focusShowName(Application& app, HandlerArgs)
{
    prepareShowNameDialog(app);
    ui::Commands(app.windows).setFocus(saveDialog::window, saveDialog::编辑框1);
    return std::nullopt;
}

HandlerResult saveShowAs(Application& app, HandlerArgs)
{
    const Text name = std::get<Text>(
        app.windows.property(saveDialog::window, saveDialog::编辑框1, ui::prop::editBox::content));
    if (name.empty()) {
        app.runtime.messageBox("列表名称不能为空", 0);
        return std::nullopt;
    }
    if (auto problem = showNameProblem(name, longestFileName(dataFilePath(app, "lb"), app.files))) {
        app.runtime.messageBox(*problem, 0);
        return std::nullopt;
    }
    if (app.globals.showNamePurpose != ShowNamePurpose::saveAs) {
        nameSavedShow(app, name);
        return std::nullopt;
    }
    if (!mayWriteShowFile(app, name))
        return std::nullopt;
    if (!saveShowFile(app, name)) {
        app.runtime.messageBox("保存播放列表失败！", 0);
        return std::nullopt;
    }
    app.runtime.messageBox("保存播放列表成功！", 0);
    fillShowList(app);
    setShowCaption(app, name);
    rememberCurrentShow(app);
    refreshShowView(app);
    app.windows.close(saveDialog::window, 0);
    return std::nullopt;
}

HandlerResult closeSaveShowDialog(Application& app, HandlerArgs)
{
    app.windows.close(saveDialog::window, 0);
    return std::nullopt;
}

HandlerResult chooseTrackFile(Application& app, HandlerArgs)
{
    namespace dialog = ui::prop::commonDlg;
    ui::WindowSystem& windows = app.windows;
    ui::Commands commands(windows);
    const ui::Value selected
        = windows.property(main::window, role::slotTree, ui::prop::treeBox::selection);
    const auto* item = std::get_if<std::int32_t>(&selected);
    if (!item || *item < 0
        || commands.treeDepth(main::window, role::slotTree, *item) != trackItemDepth
        || refusedInReadOnlyHall(app))
        return std::nullopt;
    const std::int32_t trackItem = *item;

    windows.setProperty(main::window, role::openFileDialog, dialog::filter, Text(trackFilter));
    windows.setProperty(main::window, role::openFileDialog, dialog::keepDirectory, true);
    if (!commands.openDialog(main::window, role::openFileDialog))
        return std::nullopt;
    const Text path
        = std::get<Text>(windows.property(main::window, role::openFileDialog, dialog::fileName));
    const Text heading = commands.treeItemText(
        main::window, role::slotTree, commands.treeParent(main::window, role::slotTree, trackItem));

    if (!writeTrackOfSlot(app, heading, path))
        return std::nullopt;
    const Text show = showCaption(app);
    const bool unsaved = namesNoShowFile(show);
    // The show's file must not be left stale behind a success message: start-up would copy
    // it back over the edit.
    if (unsaved || saveShowFile(app, show))
        app.runtime.messageBox("添加成功！", 0);
    else
        app.runtime.messageBox("保存播放列表失败！", 0);
    if (unsaved)
        windows.loadWindow(saveDialog::window, true);
    refreshShowView(app);
    windows.setProperty(main::window, role::slotTree, ui::prop::treeBox::selection, trackItem);
    commands.treeEnsureVisible(main::window, role::slotTree, trackItem + 1);
    return std::nullopt;
}

} // namespace app::handlers
