#include "app/track_files.h"

#include "media/mpeg_frame.h"
#include "platform/file_search.h"
#include "platform/path.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>

namespace app {
namespace {

constexpr char cannotOpen[] = "无法打开";
constexpr char notMpegAudio[] = "不是可播放的MP3文件";
// Enough to pass a usual leading tag's picture and still meet two frames.
constexpr std::size_t probeBytes = 64 * 1024;
constexpr std::size_t tagHeaderBytes = 10;

// The file name: what follows the last "/" or "\".
std::string_view fileName(const Text& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == Text::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// <0, 0, >0 as a digit run and a byte compare in natural order.
int compareNatural(std::string_view a, std::string_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t endA = i, endB = j;
            while (endA < a.size() && isDigit(a[endA]))
                ++endA;
            while (endB < b.size() && isDigit(b[endB]))
                ++endB;
            std::string_view numberA = a.substr(i, endA - i), numberB = b.substr(j, endB - j);
            numberA.remove_prefix(std::min(numberA.find_first_not_of('0'), numberA.size()));
            numberB.remove_prefix(std::min(numberB.find_first_not_of('0'), numberB.size()));
            if (numberA.size() != numberB.size())
                return numberA.size() < numberB.size() ? -1 : 1;
            if (int order = numberA.compare(numberB))
                return order;
            i = endA;
            j = endB;
            continue;
        }
        const auto left = static_cast<unsigned char>(lowerAscii(a[i]));
        const auto right = static_cast<unsigned char>(lowerAscii(b[j]));
        if (left != right)
            return left < right ? -1 : 1;
        ++i;
        ++j;
    }
    return (i < a.size()) - (j < b.size());
}

// The size of a leading ID3v2 tag (footer included), 0 when there is none.
std::size_t leadingTagSize(const std::uint8_t* h, std::size_t available)
{
    if (available < tagHeaderBytes || std::memcmp(h, "ID3", 3) != 0)
        return 0;
    std::size_t size = tagHeaderBytes
        + (std::size_t(h[6] & 0x7F) << 21 | std::size_t(h[7] & 0x7F) << 14
            | std::size_t(h[8] & 0x7F) << 7 | std::size_t(h[9] & 0x7F));
    return (h[5] & 0x10) ? size + tagHeaderBytes : size;
}

// Up to probeBytes from offset, fewer where the file ends; nothing when it cannot be read.
std::optional<std::vector<std::uint8_t>> probeAt(
    platform::FileSystem& files, int fd, std::size_t offset)
{
    std::vector<std::uint8_t> bytes(probeBytes);
    const std::int64_t read
        = files.readAt(fd, bytes.data(), std::int64_t(bytes.size()), std::int64_t(offset));
    if (read < 0)
        return std::nullopt;
    bytes.resize(std::size_t(read));
    return bytes;
}

// Why the open file cannot be played; nothing when it can.
std::optional<Text> whyUnplayableFile(platform::FileSystem& files, int fd)
{
    platform::FileStatus status;
    if (files.status(fd, status) < 0 || !status.regular)
        return Text(cannotOpen);
    std::optional<std::vector<std::uint8_t>> start = probeAt(files, fd, 0);
    if (start)
        if (const std::size_t tag = leadingTagSize(start->data(), start->size()))
            start = probeAt(files, fd, tag);
    if (!start)
        return Text(cannotOpen);
    const bool wholeFile = start->size() < probeBytes;
    if (!media::findFirstFrame(*start, wholeFile))
        return Text(notMpegAudio);
    return std::nullopt;
}

} // namespace

bool comesBeforeByName(const Text& leftPath, const Text& rightPath)
{
    if (int order = compareNatural(fileName(leftPath), fileName(rightPath)))
        return order < 0;
    return leftPath < rightPath;
}

std::vector<Text> tracksOfChoice(const std::vector<Text>& chosen, platform::FileSystem& files)
{
    std::set<Text> tracks;
    for (const Text& path : chosen) {
        const std::string native = platform::nativePath(path);
        platform::FileStatus status;
        if (files.pathStatus(native, status) < 0 || !status.folder) {
            tracks.insert(path);
            continue;
        }
        // A folder that cannot be read adds nothing, as an empty one would.
        std::vector<platform::FolderEntry> entries;
        (void)files.listFolder(native, entries);
        const std::string prefix = native.ends_with('/') ? native : native + "/";
        for (const platform::FolderEntry& entry : entries)
            if (!entry.folder && platform::wildcardMatch("*.mp3", entry.name))
                tracks.insert(platform::programPath(prefix + entry.name));
    }
    std::vector<Text> ordered(tracks.begin(), tracks.end());
    std::sort(ordered.begin(), ordered.end(), comesBeforeByName);
    return ordered;
}

std::optional<Text> whyUnplayable(const Text& path, platform::FileSystem& files)
{
    const int fd = files.open(platform::nativePath(path), platform::Access::read);
    if (fd < 0)
        return Text(cannotOpen);
    std::optional<Text> reason = whyUnplayableFile(files, fd);
    // Only read: closing cannot lose anything.
    (void)files.close(fd);
    return reason;
}

} // namespace app
