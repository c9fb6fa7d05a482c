#include "tools/tmplc/window_source.h"

namespace tmplc {

int WindowSource::lineOf(std::uint32_t id) const
{
    auto it = lines.find(id);
    return it == lines.end() ? 0 : it->second;
}

} // namespace tmplc
