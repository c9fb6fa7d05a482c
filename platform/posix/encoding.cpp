#include "platform/posix/encoding.h"

#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

// One conversion direction; bytes the converter rejects are copied as they are.
std::string convert(std::string_view input, const char* to, const char* from)
{
    std::string output;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::string(input);
    }
    output.reserve(input.size() * 3 / 2 + 4);
    char buffer[256];
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, out - buffer);
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) {
            continue;
        }
        // EILSEQ or EINVAL (a sequence cut off at the end): keep one byte, resume after it.
        output.push_back(*in);
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return output;
}

} // namespace

std::string gbkToUtf8(std::string_view gbk)
{
    return convert(gbk, "UTF-8", "GB18030");
}

std::string utf8ToGbk(std::string_view utf8)
{
    return convert(utf8, "GB18030", "UTF-8");
}

} // namespace platform
