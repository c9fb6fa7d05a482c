#include "runtime/text.h"

#include <algorithm>
#include <climits>

namespace runtime {

int compareText(std::string_view a, std::string_view b)
{
    // std::string_view compares through char_traits<char>, which orders bytes as unsigned.
    int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int textLength(std::string_view text)
{
    return static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
}

} // namespace runtime
