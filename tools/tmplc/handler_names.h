#pragma once
// The names of the application's handlers, in handler-table order: a template binds a
// handler by name and stores its position.

#include <span>
#include <string_view>

namespace tmplc {

std::span<const std::string_view> applicationHandlerNames();

} // namespace tmplc
