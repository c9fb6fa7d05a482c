// The style editor window around the slot list of the current show, and the style chooser
// it opens. The slot edits themselves are in slot_editing.cpp.

#include "app/application.h"
#include "app/handler_table.h"
#include "app/read_only_hall.h"
#include "app/show_names.h"
#include "app/show_tables.h"
#include "app/show_views.h"

#include "runtime/files.h"
#include "ui/commands.h"
#include "ui/component_state.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

namespace app::handlers {
namespace {

namespace editor = ids::StyleEditorWindow;
namespace chooser = ids::StylePickDialog;

constexpr char preselectedStyle[] = "序曲";

// The whole file, or nothing when it cannot be read: a missing picture leaves the box empty.
ui::Bytes fileContents(Application& app, const Text& path)
{
    const std::optional<std::string> content = runtime::readFile(path, app.files);
    return content ? ui::Bytes(content->begin(), content->end()) : ui::Bytes();
}

void enableMenuItem(Application& app, ui::ComponentId item, bool enabled)
{
    app.windows.setProperty(editor::window, item, ui::menuProp::disabled, !enabled);
}

} // namespace

HandlerResult openStyleEditor(Application& app, HandlerArgs)
{
    // The editor is for changing the current show, which is saved as it closes.
    if (refusedInReadOnlyHall(app))
        return std::nullopt;
    app.windows.loadWindow(editor::window, true);
    refreshShowView(app);
    return std::nullopt;
}

HandlerResult prepareStyleEditor(Application& app, HandlerArgs)
{
    refreshStyleList(app);
    ui::Bytes picture = fileContents(app, dataFilePath(app, "lb/1.jpg"));
    if (!picture.empty())
        app.windows.setProperty(
            editor::window, editor::图片框1, ui::prop::picBox::picture, picture);
    return std::nullopt;
}

// A show with no file of its own keeps the edits in its table, as a track given to it does.
HandlerResult storeEditedShow(Application& app, HandlerArgs)
{
    namespace main = ids::MainWindow;
    const Text show = std::get<Text>(
        app.windows.property(main::window, main::标签场次, ui::prop::label::caption));
    if (!namesNoShowFile(show) && !saveShowFile(app, show))
        app.runtime.messageBox("曲风保存失败，请联系售后！", 0);
    return std::nullopt;
}

// Appending needs no row or the last row selected; the other edits need a selected row, and
// moving one a place to move to. Adding many tracks always appends.
HandlerResult showSlotMenu(Application& app, HandlerArgs)
{
    const std::int32_t selected = std::get<std::int32_t>(
        app.windows.property(editor::window, editor::超级列表框1, ui::prop::listView::currentRow));
    const std::int32_t rows
        = ui::Commands(app.windows).listViewCount(editor::window, editor::超级列表框1);
    const bool hasRow = selected != -1;
    enableMenuItem(app, editor::添加, !hasRow || selected == rows - 1);
    enableMenuItem(app, editor::插入, hasRow);
    enableMenuItem(app, editor::修改, hasRow);
    enableMenuItem(app, editor::删除, hasRow);
    enableMenuItem(app, editor::上移, hasRow && selected > 0);
    enableMenuItem(app, editor::下移, hasRow && selected < rows - 1);
    ui::Commands(app.windows).popupMenu(editor::window, editor::菜单);
    return std::nullopt;
}

HandlerResult fillStyleChooser(Application& app, HandlerArgs)
{
    ui::Commands commands(app.windows);
    {
        OpenTable table(app, tables::styleCatalogue);
        if (table.isOpen()) {
            for (const std::vector<Text>& row : table.readAllTexts({ fields::style }))
                commands.comboAddItem(chooser::window, chooser::组合框1, row[0]);
        }
    }
    commands.comboSelectText(chooser::window, chooser::组合框1, preselectedStyle);
    return std::nullopt;
}

HandlerResult confirmStyleChoice(Application& app, HandlerArgs)
{
    const std::int32_t selected = std::get<std::int32_t>(
        app.windows.property(chooser::window, chooser::组合框1, ui::prop::comboBox::selection));
    const Text style = selected < 0
        ? Text()
        : ui::Commands(app.windows).comboItemText(chooser::window, chooser::组合框1, selected);
    if (style.empty()) {
        app.runtime.messageBox("请选择曲风！", 0);
        return std::nullopt;
    }
    app.globals.chosenStyle = style;
    app.windows.close(chooser::window, 0);
    return std::nullopt;
}

} // namespace app::handlers
