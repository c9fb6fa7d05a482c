#pragma once
// The playing length of a media file, as the media control interpreter reports it: MPEG
// audio by counting its frames (exact for variable bit rates, with or without a Xing
// header), WAV from its header. Nothing for any other file.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace media {

std::optional<std::int64_t> mediaLengthMillis(const std::string& nativePath);

// The same for file contents already in memory.
std::optional<std::int64_t> mpegLengthMillis(std::span<const std::uint8_t> file);
std::optional<std::int64_t> waveLengthMillis(std::span<const std::uint8_t> file);

} // namespace media
