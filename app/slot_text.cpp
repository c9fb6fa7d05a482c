#include "app/slot_text.h"

namespace app {
namespace {

constexpr std::string_view separator = "  ";
constexpr std::size_t extensionLength = 4;

bool isLeadByte(char byte)
{
    const auto value = static_cast<unsigned char>(byte);
    return value >= 0x81 && value <= 0xFE;
}

} // namespace

Text slotHeading(std::string_view number, std::string_view style)
{
    return runtime::concatText(number, separator, style);
}

Text numberFromHeading(std::string_view heading)
{
    return Text(heading.substr(0, heading.find(separator)));
}

Text styleFromHeading(std::string_view heading)
{
    const std::size_t at = heading.find(separator);
    return at == std::string_view::npos ? Text() : Text(heading.substr(at + separator.size()));
}

Text trackTitleFromPath(std::string_view path)
{
    std::size_t nameStart = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isLeadByte(path[i]) && i + 1 < path.size())
            ++i;
        else if (path[i] == '\\' || path[i] == '/')
            nameStart = i + 1;
    }
    std::string_view name = path.substr(nameStart);
    return Text(name.substr(0, name.size() < extensionLength ? 0 : name.size() - extensionLength));
}

} // namespace app
