#include "app/show_list.h"

#include "app/application.h"
#include "app/show_tables.h"

#include "platform/posix/file_search.h"
#include "platform/posix/path.h"
#include "ui/commands.h"
#include "ui/templates/window_ids.h"

#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace app {
namespace {

constexpr char rowPrefix[] = "*  ";
constexpr std::size_t rowPrefixLength = sizeof rowPrefix - 1;

bool isDirectory(const std::string& path)
{
    struct stat status { };
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

void fillShowList(Application& app)
{
    using namespace ids::MainWindow;
    ui::Commands commands(app.windows);
    std::string directory = platform::nativePath(dataFilePath(app, "lb"));
    commands.listViewClear(window, 超级列表框1);
    std::unique_ptr<DIR, int (*)(DIR*)> search(::opendir(directory.c_str()), ::closedir);
    if (!search)
        return;
    while (const dirent* entry = ::readdir(search.get())) {
        std::string name = entry->d_name;
        if (!platform::wildcardMatch("*.dat", name) || isDirectory(directory + "/" + name))
            continue;
        Text title = platform::programPath(name);
        title.resize(title.size() - 4); // ".dat"
        commands.listViewInsert(window, 超级列表框1, std::nullopt, rowPrefix + title);
    }
}

Text showNameOfRow(Application& app, std::int32_t row)
{
    using namespace ids::MainWindow;
    Text text;
    app.windows.inspect(
        window, 超级列表框1, { ui::unit::listView }, [&](const ui::ComponentState& list) {
            if (row >= 0 && std::size_t(row) < list.rows.size())
                text = list.rows[std::size_t(row)];
        });
    return text.size() > rowPrefixLength ? text.substr(rowPrefixLength) : Text();
}

} // namespace app
