#include "platform/encoding.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

// One open converter per direction and thread: opening one costs more than converting a
// name, and iconv keeps its shift state inside, so threads must not share one.
class Converter {
public:
    Converter(const char* to, const char* from)
        : cd_(iconv_open(to, from))
    {
    }
    ~Converter()
    {
        if (isOpen())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Bytes the converter rejects are copied as they are.
    std::string convert(std::string_view input)
    {
        if (!isOpen())
            return std::string(input);
        // Whatever the last string left half-converted must not reach this one.
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string output;
        output.reserve(input.size() * 3 / 2 + 4);
        char buffer[256];
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        while (inLeft > 0) {
            char* out = buffer;
            std::size_t outLeft = sizeof buffer;
            std::size_t result = iconv(cd_, &in, &inLeft, &out, &outLeft);
            output.append(buffer, out - buffer);
            if (result != static_cast<std::size_t>(-1) || errno == E2BIG)
                continue;
            // EILSEQ or EINVAL (a sequence cut off at the end): keep one byte, resume after it.
            output.push_back(*in);
            ++in;
            --inLeft;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return output;
    }

private:
    bool isOpen() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    iconv_t cd_;
};

// Both encodings write ASCII as it is: most names and notes need no converter at all.
bool isAscii(std::string_view text)
{
    return std::all_of(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::string gbkToUtf8(std::string_view gbk)
{
    if (isAscii(gbk))
        return std::string(gbk);
    thread_local Converter converter("UTF-8", "GB18030");
    return converter.convert(gbk);
}

std::string utf8ToGbk(std::string_view utf8)
{
    if (isAscii(utf8))
        return std::string(utf8);
    thread_local Converter converter("GB18030", "UTF-8");
    return converter.convert(utf8);
}

} // namespace platform
