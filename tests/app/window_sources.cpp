#include "window_sources.h"

#include "tools/tmplc/handler_names.h"
#include "tools/tmplc/template_parser.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace app::test {

const std::vector<tmplc::WindowSource>& windowSources()
{
    static const std::vector<tmplc::WindowSource> all = [] {
        const ui::UnitRegistry units = ui::UnitRegistry::builtin();
        std::vector<tmplc::WindowSource> windows;
        std::string_view list = DANCEHALL_WINDOW_SOURCES;
        while (!list.empty()) {
            const std::size_t end = std::min(list.find('|'), list.size());
            const std::filesystem::path path(list.substr(0, end));
            list.remove_prefix(std::min(end + 1, list.size()));
            std::ifstream in(path, std::ios::binary);
            if (!in)
                throw std::runtime_error(path.string() + ": cannot read");
            std::ostringstream text;
            text << in.rdbuf();
            windows.push_back(tmplc::parseWindowSource(path.string(), text.str(),
                tmplc::applicationHandlerNames(), units, path.parent_path()));
        }
        return windows;
    }();
    return all;
}

} // namespace app::test
