#pragma once
// The playing length of a media file, which the application measures a track with: MPEG
// audio exact to the sample (the tag's frame count less the encoder's delay and padding,
// or every frame counted where no tag can be trusted), WAV from its header. Nothing for any
// other file, for a file that is not a regular file, and when no MPEG audio is found in the
// first MiB. Memory stays bounded whatever the file's size.

#include "platform/file_system.h"

#include <cstdint>
#include <optional>
#include <string>

namespace media {

[[nodiscard]] std::optional<std::int64_t> mediaLengthMillis(
    const std::string& nativePath, platform::FileSystem& files = platform::systemFileSystem());

} // namespace media
