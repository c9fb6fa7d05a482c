#include "runtime/text_edit.h"

namespace runtime {

Text removeAllSpaces(std::string_view text)
{
    Text result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x81 && i + 1 < text.size()) {
            // A lead byte: its trail may look like anything, even a space byte of another pair.
            if (!(byte == 0xA1 && static_cast<unsigned char>(text[i + 1]) == 0xA1)) {
                result.append(text.substr(i, 2));
            }
            i += 2;
            continue;
        }
        if (byte != ' ') {
            result.push_back(text[i]);
        }
        ++i;
    }
    return result;
}

Text rightPart(std::string_view text, int n)
{
    if (n <= 0) {
        return {};
    }
    std::size_t count = static_cast<std::size_t>(n);
    return Text(count >= text.size() ? text : text.substr(text.size() - count));
}

} // namespace runtime
