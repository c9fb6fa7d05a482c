#include "app/evening_log.h"

#include "platform/whole_files.h"
#include "runtime/crc32.h"

#include <utility>

namespace app {
namespace {

constexpr std::int64_t headerSize = 8;
constexpr unsigned logPermissions = 0644;

std::uint32_t u32At(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t byte = 0; byte < 4; ++byte)
        value |= std::uint32_t(static_cast<unsigned char>(bytes[offset + byte])) << (8 * byte);
    return value;
}

void putU32(std::string& out, std::uint32_t value)
{
    for (int byte = 0; byte < 4; ++byte)
        out.push_back(static_cast<char>((value >> (8 * byte)) & 0xFFU));
}

std::string framed(const EveningRecord& record)
{
    const std::string payload = encodeEveningRecord(record);
    std::string out;
    putU32(out, static_cast<std::uint32_t>(payload.size()));
    putU32(out, runtime::crc32(payload));
    return out + payload;
}

struct Scan {
    std::optional<EveningRecord> last;
    std::int64_t end = 0; // just past the last whole record
};

// Walks the records from the start, each length checked against the bytes left.
Scan scan(const std::string& bytes)
{
    Scan result;
    std::size_t offset = 0;
    while (bytes.size() - offset >= std::size_t(headerSize)) {
        const std::uint32_t size = u32At(bytes, offset);
        if (size == 0 || size > EveningLog::maxPayload || bytes.size() - offset - headerSize < size)
            break;
        const std::string_view payload(bytes.data() + offset + headerSize, size);
        if (runtime::crc32(payload) != u32At(bytes, offset + 4))
            break;
        std::optional<EveningRecord> record = decodeEveningRecord(payload);
        if (!record)
            break;
        result.last = std::move(record);
        offset += headerSize + size;
        result.end = std::int64_t(offset);
    }
    return result;
}

} // namespace

EveningLog::EveningLog(platform::FileSystem& files, std::string path, std::int64_t compactBeyond)
    : files_(files)
    , path_(std::move(path))
    , compactBeyond_(compactBeyond)
{
}

EveningLog::~EveningLog()
{
    // Every record was synced when written; closing stores nothing more.
    if (fd_ >= 0)
        (void)files_.close(fd_);
}

std::optional<EveningRecord> EveningLog::readLast(
    platform::FileSystem& files, const std::string& path)
{
    const std::optional<std::string> bytes = platform::readWholeFile(path, files);
    if (!bytes)
        return std::nullopt;
    return scan(*bytes).last;
}

bool EveningLog::openForAppending()
{
    const int fd = files_.openOrCreate(path_, logPermissions);
    if (fd < 0)
        return false;
    platform::FileStatus status;
    const std::optional<std::string> bytes = platform::readWholeFile(path_, files_);
    if (files_.status(fd, status) != 0 || !status.regular || !bytes) {
        (void)files_.close(fd); // nothing was written through it
        return false;
    }
    fd_ = fd;
    end_ = scan(*bytes).end;
    // A torn tail would stop every reader before the records appended after it.
    if (status.size != end_ && (files_.setLength(fd_, end_) != 0 || files_.sync(fd_) != 0))
        return false;
    return true;
}

bool EveningLog::append(const EveningRecord& record)
{
    if (fd_ < 0 && !openForAppending())
        return false;
    const std::string bytes = framed(record);
    const auto size = static_cast<std::int64_t>(bytes.size());
    if (files_.writeAt(fd_, bytes.data(), size, end_) != size || files_.sync(fd_) != 0) {
        // Cut back what the failed write left, so the next append follows whole records.
        (void)files_.setLength(fd_, end_);
        return false;
    }
    end_ += size;
    if (end_ > compactBeyond_)
        compact(bytes);
    return true;
}

void EveningLog::compact(const std::string& framedLast)
{
    if (!platform::replaceFile(path_, framedLast, files_))
        return; // the old file still holds every record; appending goes on there
    // Our descriptor still names the replaced file.
    (void)files_.close(fd_);
    fd_ = -1;
    // Reopening that fails is tried again by the next append.
    (void)openForAppending();
}

} // namespace app
