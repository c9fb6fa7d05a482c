#pragma once
// The runtime's byte set: a counted run of bytes, copied by value.

#include <cstdint>
#include <vector>

namespace runtime {

using ByteSet = std::vector<std::uint8_t>;

} // namespace runtime
