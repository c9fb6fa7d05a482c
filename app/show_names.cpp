#include "app/show_names.h"

#include "platform/path.h"
#include "runtime/file_names.h"
#include "runtime/text_edit.h"

namespace app {
namespace {

constexpr char extension[] = ".dat";
// The temporary file beside the show: "." before the name and ".XXXXXX" after it.
constexpr std::size_t temporaryExtra = 8;
constexpr long defaultNameMax = 255;

bool holdsForbiddenByte(std::string_view name)
{
    for (std::size_t i = 0; i < name.size(); ++i) {
        auto byte = static_cast<unsigned char>(name[i]);
        if (byte >= 0x81 && i + 1 < name.size()) {
            ++i; // a double-byte character: its trail byte may be 0x5C and is no "\"
            continue;
        }
        if (byte == '/' || byte == '\\' || byte < 0x20 || byte == 0x7F)
            return true;
    }
    return false;
}

} // namespace

std::optional<Text> showNameProblem(std::string_view name, long folderNameMax)
{
    const Text title = runtime::removeAllSpaces(name);
    if (title.empty())
        return Text("列表名称不能为空");
    if (holdsForbiddenByte(title) || title == "." || title == "..")
        return Text("场次名称不能含有 / 、\\ 或控制字符，也不能是 . 或 ..，请换一个名称");
    const std::size_t onDisk = platform::nativePath(title + extension).size() + temporaryExtra;
    if (onDisk > std::size_t(folderNameMax))
        return Text("场次名称太长，请换一个短一些的名称");
    return std::nullopt;
}

long longestFileName(std::string_view gbkFolder, platform::FileSystem& files)
{
    long reported = 0;
    if (files.longestName(platform::nativePath(gbkFolder), reported) < 0 || reported <= 0)
        return defaultNameMax;
    return reported;
}

bool namesNoShowFile(std::string_view showName)
{
    return showName == unsavedShowName || runtime::removeAllSpaces(showName).empty();
}

bool isFileOfShow(std::string_view fileTitle, std::string_view showName)
{
    return runtime::sameFileName(fileTitle, runtime::removeAllSpaces(showName));
}

} // namespace app
