#include "app/program_options.h"

#include "platform/posix/encoding.h"

namespace app {
namespace {

// Literals of this file are GBK; the terminal reads UTF-8.
std::string say(std::string_view gbk)
{
    return platform::gbkToUtf8(gbk);
}

} // namespace

ProgramOptions parseProgramOptions(const std::vector<std::string>& arguments)
{
    ProgramOptions options;
    auto wrong = [&](std::string why) {
        options.request = ProgramOptions::Request::Wrong;
        options.wrong = std::move(why);
        return options;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--version" || argument == "--help") {
            // Asking for information always wins: nothing else on the line runs.
            options.request = argument == "--version" ? ProgramOptions::Request::Version
                                                      : ProgramOptions::Request::Help;
            return options;
        }
        if (argument != "--data" && argument != "--import")
            return wrong(say("不认识的参数：") + argument);
        if (i + 1 == arguments.size() || arguments[i + 1].empty())
            return wrong(argument + say(" 后面要跟一个文件夹"));
        const bool data = argument == "--data";
        if (data ? options.dataFolder.has_value() : !options.importSource.empty())
            return wrong(argument + say(" 只能给一次"));
        if (data) {
            options.dataFolder = arguments[++i];
        } else {
            options.importSource = arguments[++i];
            options.request = ProgramOptions::Request::Import;
        }
    }
    return options;
}

std::string versionText()
{
    return "dancehall " DANCEHALL_VERSION "\n";
}

std::string helpText()
{
    return say("用法：dancehall [--data 文件夹]\n"
               "      dancehall [--data 文件夹] --import 旧文件夹\n"
               "      dancehall --version | --help\n"
               "\n"
               "舞厅播放器：按场次播放舞曲，带淡入淡出、限时和灯光面板。\n"
               "\n"
               "  --data 文件夹     使用这个数据文件夹（也可以用环境变量 DANCEHALL_DATA），\n"
               "                    默认是 $XDG_DATA_HOME/dancehall\n"
               "  --import 旧文件夹 把原有安装的数据（dqqf.dat、dqqfls.dat、qfsz.dat、ss.dat\n"
               "                    和 lb 文件夹）检查后复制到数据文件夹，然后退出；\n"
               "                    有文件损坏时什么也不复制\n"
               "  --version         显示版本后退出\n"
               "  --help            显示这段说明后退出\n"
               "\n"
               "使用手册：/usr/share/doc/dancehall/manual/index.html\n");
}

} // namespace app
