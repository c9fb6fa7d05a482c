#include "runtime/ini_text.h"

#include <vector>

namespace runtime {
namespace {

struct Line {
    std::string_view text; // without its line end
    std::size_t begin; // offset of the line in the content
    std::size_t end; // offset after its line end
};

std::vector<Line> splitLines(std::string_view content)
{
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < content.size()) {
        std::size_t newline = content.find('\n', begin);
        std::size_t end = newline == std::string_view::npos ? content.size() : newline + 1;
        std::string_view text
            = content.substr(begin, (newline == std::string_view::npos ? end : newline) - begin);
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
        lines.push_back({ text, begin, end });
        begin = end;
    }
    return lines;
}

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// ASCII letters match either case; a double-byte character must match exactly, since
// its trail byte may happen to be a letter.
bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (x >= 0x81 && i + 1 < a.size()) {
            if (x != y || a[i + 1] != b[i + 1]) {
                return false;
            }
            ++i;
            continue;
        }
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(x) != lower(y)) {
            return false;
        }
    }
    return true;
}

// Offset of the first "]" in text. The trail byte of a double-byte character may be 0x5D
// and is then part of the character, not a bracket.
std::size_t closingBracket(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c == ']') {
            return i;
        }
        if (c >= 0x81 && c <= 0xFE) {
            ++i;
        }
    }
    return std::string_view::npos;
}

// The name of a section header line, or nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trimmed(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    std::size_t close = closingBracket(line.substr(1));
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return trimmed(line.substr(1, close));
}

struct Entry {
    std::string_view key;
    std::string_view value;
};

std::optional<Entry> entryOf(std::string_view line)
{
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || sectionName(line)) {
        return std::nullopt;
    }
    return Entry { trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)) };
}

std::string_view unquoted(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Line ranges [first, last) of every section of that name, header included.
std::vector<std::pair<std::size_t, std::size_t>> sectionsNamed(
    const std::vector<Line>& lines, std::string_view section)
{
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto name = sectionName(lines[i].text);
        if (!name || !sameName(*name, section)) {
            continue;
        }
        std::size_t last = i + 1;
        while (last < lines.size() && !sectionName(lines[last].text)) {
            ++last;
        }
        ranges.emplace_back(i, last);
        i = last - 1;
    }
    return ranges;
}

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// The line end the file already uses; a new file gets CR LF.
std::string_view lineEndOf(std::string_view content)
{
    std::size_t newline = content.find('\n');
    if (newline == std::string_view::npos) {
        return "\r\n";
    }
    return newline > 0 && content[newline - 1] == '\r' ? "\r\n" : "\n";
}

// Ends the last line before more are added. A CR left at the end of a file cut short is
// completed, not doubled: "x\r\r\n" would read as the line "x\r".
void endLastLine(Text& result, std::string_view lineEnd)
{
    if (!result.empty() && result.back() == '\n') {
        return;
    }
    if (!result.empty() && result.back() == '\r' && lineEnd == "\r\n") {
        result += '\n';
    } else {
        result += lineEnd;
    }
}

} // namespace

// Line by line, without a table of lines, and only as far as the first section of that name
// ends: settings are looked up many times a file.
std::optional<Text> findIniValue(
    std::string_view content, std::string_view section, std::string_view key)
{
    const std::string_view wantedSection = trimmed(section);
    const std::string_view wantedKey = trimmed(key);
    bool inSection = false;
    for (std::size_t begin = 0; begin < content.size();) {
        const std::size_t newline = content.find('\n', begin);
        const std::size_t end = newline == std::string_view::npos ? content.size() : newline;
        std::string_view text = content.substr(begin, end - begin);
        begin = end + 1;
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
        if (auto name = sectionName(text)) {
            if (inSection) {
                return std::nullopt;
            }
            inSection = sameName(*name, wantedSection);
            continue;
        }
        auto entry = inSection ? entryOf(text) : std::nullopt;
        if (entry && sameName(entry->key, wantedKey)) {
            return Text(unquoted(entry->value));
        }
    }
    return std::nullopt;
}

std::optional<Text> editIni(std::string_view content, std::string_view sectionArgument,
    const std::optional<Text>& keyArgument, const std::optional<Text>& value)
{
    std::string_view section = trimmed(sectionArgument);
    std::optional<std::string_view> key;
    if (keyArgument) {
        key = trimmed(*keyArgument);
    }
    // The header must read back as the name: no "]" inside, and no lead byte at the end
    // that would take the closing "]" as its trail byte.
    Text header = concatText("[", section, "]");
    if (section.empty() || hasLineBreak(section) || sectionName(header) != section
        || (key && (key->empty() || hasLineBreak(*key) || key->find('=') != std::string_view::npos))
        || (value && hasLineBreak(*value))) {
        return std::nullopt;
    }
    std::vector<Line> lines = splitLines(content);
    auto ranges = sectionsNamed(lines, section);
    std::vector<bool> removed(lines.size(), false);
    std::optional<std::size_t> replacedLine; // the key line that gets the new value
    std::optional<std::size_t> insertAfter; // the line after which a new key goes
    Text lineEnd(lineEndOf(content));

    for (auto [first, last] : ranges) {
        if (!key) {
            for (std::size_t i = first; i < last; ++i) {
                removed[i] = true;
            }
            continue;
        }
        for (std::size_t i = first + 1; i < last; ++i) {
            auto entry = entryOf(lines[i].text);
            if (!entry || !sameName(entry->key, *key)) {
                continue;
            }
            // The first entry of the first section takes the value, as reads look only
            // there; later ones of the same name would only hide a removal, so they go.
            if (value && !replacedLine && first == ranges.front().first) {
                replacedLine = i;
            } else {
                removed[i] = true;
            }
        }
    }
    if (key && value && !replacedLine && !ranges.empty()) {
        auto [first, last] = ranges.front();
        std::size_t lastFilled = first;
        for (std::size_t i = first + 1; i < last; ++i) {
            if (!trimmed(lines[i].text).empty()) {
                lastFilled = i;
            }
        }
        insertAfter = lastFilled;
    }

    Text entryLine = key && value ? concatText(*key, "=", *value) : Text();
    if (sectionName(entryLine)) {
        return std::nullopt; // "[a" = "b]" would read back as a section header
    }
    Text result;
    result.reserve(content.size() + entryLine.size() + section.size() + 8);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (removed[i]) {
            continue;
        }
        if (replacedLine == i) {
            result += entryLine;
            std::size_t textEnd = line.begin + line.text.size();
            result += content.substr(textEnd, line.end - textEnd); // its own line end
        } else {
            result += content.substr(line.begin, line.end - line.begin);
        }
        if (insertAfter == i) {
            endLastLine(result, lineEnd);
            result += entryLine + lineEnd;
        }
    }
    if (key && value && ranges.empty()) {
        if (!result.empty()) {
            endLastLine(result, lineEnd);
        }
        if (!result.empty() && !trimmed(lines.back().text).empty()) {
            result += lineEnd; // a blank line before a new section, as the file reads best
        }
        result += concatText(header, lineEnd, entryLine, lineEnd);
    }
    return result;
}

} // namespace runtime
