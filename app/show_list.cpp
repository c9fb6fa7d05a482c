#include "app/show_list.h"
#include "app/main_window_roles.h"

#include "app/application.h"
#include "app/show_tables.h"

#include "runtime/file_names.h"
#include "ui/commands.h"
#include "ui/templates/window_ids.h"

namespace app {
namespace {

constexpr char rowPrefix[] = "*  ";
constexpr std::size_t rowPrefixLength = sizeof rowPrefix - 1;
constexpr char showExtension[] = ".dat";

} // namespace

void fillShowList(Application& app)
{
    using namespace ids::MainWindow;
    std::vector<Text> rows;
    for (const runtime::FolderFile& file :
        runtime::filesEndingIn(dataFilePath(app, "lb"), showExtension, app.files)) {
        Text title = file.name.substr(0, file.name.size() - (sizeof showExtension - 1));
        rows.push_back(rowPrefix + title);
    }
    ui::Commands(app.windows).listViewSetRows(window, role::savedShowList, std::move(rows));
}

Text showNameOfRow(Application& app, std::int32_t row)
{
    using namespace ids::MainWindow;
    Text text;
    app.windows.inspect(
        window, role::savedShowList, { ui::unit::listView }, [&](const ui::ComponentState& list) {
            if (row >= 0 && std::size_t(row) < list.rows.size())
                text = list.rows[std::size_t(row)];
        });
    return text.size() > rowPrefixLength ? text.substr(rowPrefixLength) : Text();
}

std::vector<Text> savedShowNames(Application& app)
{
    std::size_t rows = 0;
    app.windows.inspect(ids::MainWindow::window, role::savedShowList, { ui::unit::listView },
        [&](const ui::ComponentState& list) { rows = list.rows.size(); });
    std::vector<Text> names;
    for (std::size_t row = 0; row < rows; ++row)
        names.push_back(showNameOfRow(app, static_cast<std::int32_t>(row)));
    return names;
}

} // namespace app
