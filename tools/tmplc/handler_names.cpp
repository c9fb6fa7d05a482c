#include "tools/tmplc/handler_names.h"

namespace tmplc {

std::span<const std::string_view> applicationHandlerNames()
{
    static constexpr std::string_view names[] = {
#define HANDLER(name) #name,
#include "app/handlers.def"
#undef HANDLER
    };
    return names;
}

} // namespace tmplc
