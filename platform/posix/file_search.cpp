#include "platform/file_search.h"

#include <vector>

namespace platform {
namespace {

// Code points of UTF-8 text, ASCII letters folded to lower case; a byte that is not
// part of a valid sequence stands for itself, above the Unicode range.
std::u32string foldedCharacters(std::string_view text)
{
    std::u32string result;
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        int length = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 0;
        char32_t code = length == 1 ? byte
            : length == 2           ? byte & 0x1F
            : length == 3           ? byte & 0x0F
                                    : byte & 0x07;
        bool valid = length > 0 && i + length <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid) {
            result.push_back(0x110000 + byte);
            ++i;
            continue;
        }
        result.push_back(code >= U'A' && code <= U'Z' ? code + 32 : code);
        i += static_cast<std::size_t>(length);
    }
    return result;
}

bool matchFolded(const std::u32string& pattern, const std::u32string& name)
{
    // Greedy matching with one backtrack point: the last "*" seen.
    std::size_t p = 0, n = 0, starP = std::u32string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u32string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    return matchFolded(foldedCharacters(pattern), foldedCharacters(name));
}

bool anyFileMatches(const std::string& nativePattern, FileSystem& files)
{
    return firstFileMatch(nativePattern, files).has_value();
}

std::optional<std::string> firstFileMatch(const std::string& nativePattern, FileSystem& files)
{
    if (nativePattern.empty()) {
        return std::nullopt;
    }
    FileStatus status;
    if (files.pathStatus(nativePattern, status) == 0) {
        return nativePattern;
    }
    std::size_t slash = nativePattern.rfind('/');
    std::string directory
        = slash == std::string::npos ? "." : (slash == 0 ? "/" : nativePattern.substr(0, slash));
    std::u32string pattern = foldedCharacters(
        slash == std::string::npos ? nativePattern : nativePattern.substr(slash + 1));
    if (pattern.empty()) {
        return std::nullopt;
    }
    std::vector<FolderEntry> entries;
    if (files.listFolder(directory, entries) < 0) {
        return std::nullopt;
    }
    for (const FolderEntry& entry : entries) {
        if (matchFolded(pattern, foldedCharacters(entry.name))) {
            return slash == std::string::npos ? entry.name : directory + "/" + entry.name;
        }
    }
    return std::nullopt;
}

} // namespace platform
