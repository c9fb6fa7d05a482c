// Many tracks at once from the style editor's slot menu: every file the operator picks, or
// every track of a folder, becomes a slot of one chosen style at the end of the show, in name
// order. One message at the end tells how many were added and which files were not, and why.

#include "app/application.h"
#include "app/handler_table.h"
#include "app/main_window_roles.h"
#include "app/show_rewrite.h"
#include "app/show_views.h"
#include "app/slot_text.h"
#include "app/track_files.h"

#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <string>

namespace app::handlers {
namespace {

namespace main = ids::MainWindow;

constexpr char trackFilter[] = "MP3文件(*.mp3)|*.mp3";
// A message box taller than the screen helps nobody: the rest is counted, not listed.
constexpr std::size_t listedFailures = 15;

Text fileNameOf(const Text& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == Text::npos ? path : path.substr(slash + 1);
}

Text report(std::size_t added, const std::vector<Text>& failures)
{
    Text text = added > 0 ? runtime::concatText("添加成功！ ", std::to_string(added), " 首")
                          : Text("没有添加任何舞曲！");
    if (failures.empty())
        return text;
    text += "\r\n\r\n以下文件未能添加：";
    for (std::size_t k = 0; k < failures.size() && k < listedFailures; ++k)
        text += "\r\n" + failures[k];
    if (failures.size() > listedFailures)
        text += runtime::concatText("\r\n……共 ", std::to_string(failures.size()), " 个");
    return text;
}

} // namespace

HandlerResult addManyTracks(Application& app, HandlerArgs)
{
    namespace dialog = ui::prop::commonDlg;
    app.windows.loadWindow(ids::StylePickDialog::window, true);
    const Text style = app.globals.chosenStyle;
    if (style.empty())
        return std::nullopt;
    app.windows.setProperty(main::window, role::openFileDialog, dialog::filter, Text(trackFilter));
    app.windows.setProperty(main::window, role::openFileDialog, dialog::keepDirectory, true);
    const std::vector<Text> chosen
        = ui::Commands(app.windows).openDialogForMany(main::window, role::openFileDialog);
    if (chosen.empty())
        return std::nullopt;

    std::vector<Slot> slots = readCurrentShow(app);
    std::vector<Text> failures;
    std::size_t added = 0;
    for (const Text& path : tracksOfChoice(chosen, app.files)) {
        if (std::optional<Text> reason = whyUnplayable(path, app.files)) {
            failures.push_back(runtime::concatText(fileNameOf(path), "：", *reason));
            continue;
        }
        slots.push_back(Slot { {}, style, trackTitleFromPath(path), path });
        ++added;
    }
    if (added > 0) {
        if (!replaceCurrentShow(app, slots)) {
            app.runtime.messageBox("添加失败！场次没有改变。", 0);
            return std::nullopt;
        }
        app.globals.chosenStyle.clear();
    }
    app.runtime.messageBox(report(added, failures), 0);
    refreshStyleList(app);
    refreshShowView(app);
    return std::nullopt;
}

} // namespace app::handlers
