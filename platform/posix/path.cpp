#include "platform/path.h"

#include "platform/encoding.h"

namespace platform {

std::string nativePath(std::string_view gbkPath)
{
    return gbkToUtf8(gbkPath);
}

std::string programPath(std::string_view nativePath)
{
    return utf8ToGbk(nativePath);
}

} // namespace platform
