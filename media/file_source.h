#pragma once
// An open file and the seam it is read through, for the readers that probe a track's
// headers: each read either fills the buffer or counts as failed.

#include "platform/file_system.h"

#include <cstddef>
#include <cstdint>

namespace media {

struct Source {
    platform::FileSystem& files;
    int fd;
};

[[nodiscard]] inline bool readAt(
    Source file, std::int64_t offset, std::uint8_t* buffer, std::size_t size)
{
    const auto wanted = static_cast<std::int64_t>(size);
    return file.files.readAt(file.fd, buffer, wanted, offset) == wanted;
}

} // namespace media
