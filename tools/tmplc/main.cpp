// tmplc: compiles the window template sources into the embedded template segment and the
// header of window and component ids.
//
//   tmplc --header <ids.h> --segment <segment.cpp> <source.tmpl>…
//
// Windows are stored in the order of the sources. Any fault is reported as file:line and
// fails the build; outputs are written only when every source is sound.

#include "tools/tmplc/checks.h"
#include "tools/tmplc/handler_names.h"
#include "tools/tmplc/outputs.h"
#include "tools/tmplc/template_parser.h"

#include "ui/segment_writer.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error(path.string() + ": cannot read");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Replaces the file only when its content changes, so the build does not recompile what
// depends on an unchanged header.
void writeFile(const std::filesystem::path& path, const std::string& content)
{
    if (std::filesystem::exists(path) && readFile(path) == content)
        return;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out.flush())
        throw std::runtime_error(path.string() + ": cannot write");
}

int usage()
{
    std::cerr << "usage: tmplc --header <ids.h> --segment <segment.cpp> <source.tmpl>...\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::filesystem::path header, segment;
    std::vector<std::filesystem::path> sources;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if ((arg == "--header" || arg == "--segment") && i + 1 < argc)
            (arg == "--header" ? header : segment) = argv[++i];
        else if (arg.starts_with("--"))
            return usage();
        else
            sources.push_back(arg);
    }
    if (header.empty() || segment.empty() || sources.empty())
        return usage();

    try {
        const ui::UnitRegistry units = ui::UnitRegistry::builtin();
        std::vector<tmplc::WindowSource> windows;
        ui::Segment templates;
        for (const auto& source : sources) {
            windows.push_back(tmplc::parseWindowSource(source.string(), readFile(source),
                tmplc::applicationHandlerNames(), units, source.parent_path()));
            templates.windows.push_back(windows.back().tmpl);
        }
        tmplc::checkWindows(windows);
        writeFile(header, tmplc::idsHeader(windows));
        writeFile(segment, tmplc::segmentSource(ui::writeSegment(templates, units)));
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return 0;
}
