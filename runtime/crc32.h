#pragma once
// The CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320, initial and final value all
// ones): the checksum a record of a log carries, so a torn or damaged record is told from a
// whole one. Not a defence against deliberate changes.

#include <cstdint>
#include <string_view>

namespace runtime {

[[nodiscard]] std::uint32_t crc32(std::string_view bytes);

} // namespace runtime
