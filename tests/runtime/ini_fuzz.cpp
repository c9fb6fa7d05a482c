// Fuzz harness for the INI reader and editor: arbitrary bytes as file content, read under
// section and key names taken from the content and a few fixed ones, then a set, a key
// deletion and a section deletion of names the content picks. Each edit must do what it says, leave
// every other entry reading the same, keep the lines it does not touch byte for byte, and change
// nothing when applied twice. A crash or a sanitizer report fails too.
//
// Usage: runtime_ini_fuzz CORPUS_DIR [MUTATIONS [SEED]] | FILE (tests/support/fuzz_driver.h).

#include "fuzz_driver.h"
#include "runtime/ini_file.h"
#include "runtime/ini_text.h"

namespace {

using namespace runtime;
using fuzz::Bytes;

bool failed(const std::string& what, std::string_view section, std::string_view key)
{
    std::fprintf(stderr, "runtime_ini_fuzz: %s (section \"%.*s\", key \"%.*s\")\n", what.c_str(),
        int(section.size()), section.data(), int(key.size()), key.data());
    return false;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

// Equal names when letters are folded bytewise: a superset of the names the reader takes
// as equal, so a pair that differs here is surely another entry.
bool mayBeSameName(std::string_view a, std::string_view b)
{
    a = trimmed(a);
    b = trimmed(b);
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
        return lower(x) == lower(y);
    });
}

// Lines with their line ends.
std::vector<std::string_view> linesOf(std::string_view content)
{
    std::vector<std::string_view> lines;
    while (!content.empty()) {
        std::size_t end = content.find('\n');
        end = end == std::string_view::npos ? content.size() : end + 1;
        lines.push_back(content.substr(0, end));
        content.remove_prefix(end);
    }
    return lines;
}

std::string_view withoutLineEnd(std::string_view line)
{
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

// True when `part` is `whole` with some of its lines taken out.
bool isLineSubsequence(std::string_view part, std::string_view whole)
{
    auto parts = linesOf(part), wholes = linesOf(whole);
    std::size_t i = 0;
    for (std::size_t j = 0; j < wholes.size() && i < parts.size(); ++j)
        i += parts[i] == wholes[j];
    return i == parts.size();
}

// The lines of `before` that hold no "=" can be no entry, so a set keeps them, in order;
// only the last one may gain a line end.
bool keepsLinesWithoutEquals(std::string_view before, std::string_view after)
{
    auto afterLines = linesOf(after);
    std::size_t j = 0;
    for (std::string_view line : linesOf(before)) {
        if (line.find('=') != std::string_view::npos)
            continue;
        while (j < afterLines.size() && withoutLineEnd(afterLines[j]) != withoutLineEnd(line))
            ++j;
        if (j == afterLines.size())
            return false;
        ++j;
    }
    return true;
}

// Names to read and edit: up to three of each that the content seems to use, plus fixed ones.
struct Names {
    std::vector<std::string> sections { "慢四", "s", " a " };
    std::vector<std::string> keys { "音量", "1C", " k " };
};

Names namesIn(std::string_view content)
{
    Names names;
    std::size_t sections = 0, keys = 0;
    for (std::string_view line : linesOf(content)) {
        std::size_t open = line.find('['), close = line.find(']', open);
        if (open != std::string_view::npos && close != std::string_view::npos && sections < 3) {
            names.sections.emplace_back(line.substr(open + 1, close - open - 1));
            ++sections;
        }
        std::size_t equals = line.find('=');
        if (equals != std::string_view::npos && keys < 3) {
            names.keys.emplace_back(line.substr(0, equals));
            ++keys;
        }
    }
    return names;
}

// What a read gives back for a value written: blanks and one pair of quotes come off.
std::string readBack(std::string_view value)
{
    value = trimmed(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

const std::string values[] = { "", "0", "40000", " padded ", "\"quoted\"", "'q'", "\"", "a=b",
    "[x]", "x]", "慢四", "\xB0\x41", "; note" };

std::uint64_t hashOf(std::string_view bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    return hash;
}

// What every pair of names reads in a content, section by section.
using Readings = std::vector<std::optional<Text>>;

Readings readingsOf(std::string_view content, const Names& names)
{
    Readings readings;
    for (const auto& s : names.sections)
        for (const auto& k : names.keys)
            readings.push_back(findIniValue(content, s, k));
    return readings;
}

// Every entry outside the edited one reads as before the edit.
bool othersUnchanged(const Readings& before, std::string_view after, const Names& names,
    std::string_view section, const std::optional<std::string>& key)
{
    std::size_t at = 0;
    for (const auto& s : names.sections)
        for (const auto& k : names.keys) {
            bool edited = mayBeSameName(s, section) && (!key || mayBeSameName(k, *key));
            if (!edited && before[at] != findIniValue(after, s, k))
                return failed("the edit changes entry \"" + k + "\" of \"" + s + "\"", section,
                    key.value_or("(none)"));
            ++at;
        }
    return true;
}

bool checkEdits(std::string_view content, const Readings& before, const Names& names,
    std::string_view section, const std::string& key, const std::string& value)
{
    if (auto set = editIni(content, section, key, value)) {
        if (findIniValue(*set, section, key) != readBack(value))
            return failed("the value set does not read back", section, key);
        if (editIni(*set, section, key, value) != set)
            return failed("setting the same value twice changes the file", section, key);
        if (!keepsLinesWithoutEquals(content, *set))
            return failed("a set loses or reorders lines it does not own", section, key);
        if (!othersUnchanged(before, *set, names, section, key))
            return false;
    }
    if (auto deleted = editIni(content, section, key, std::nullopt)) {
        if (findIniValue(*deleted, section, key))
            return failed("a deleted key still reads", section, key);
        if (!isLineSubsequence(*deleted, content))
            return failed("a key deletion changes more than whole lines", section, key);
        if (editIni(*deleted, section, key, std::nullopt) != deleted)
            return failed("deleting a key twice changes the file", section, key);
        if (!othersUnchanged(before, *deleted, names, section, key))
            return false;
    }
    if (auto deleted = editIni(content, section, std::nullopt, std::nullopt)) {
        for (const auto& k : names.keys)
            if (findIniValue(*deleted, section, k))
                return failed("an entry of a deleted section still reads", section, k);
        if (!isLineSubsequence(*deleted, content))
            return failed("a section deletion changes more than whole lines", section, "");
        if (editIni(*deleted, section, std::nullopt, std::nullopt) != deleted)
            return failed("deleting a section twice changes the file", section, "");
        if (!othersUnchanged(before, *deleted, names, section, std::nullopt))
            return false;
    }
    return true;
}

bool check(const Bytes& input)
{
    const std::string content(input.begin(), input.end());
    const Names names = namesIn(content);
    const Readings before = readingsOf(content, names);

    // The entry reader gives what the text reader finds, cut to its buffer.
    const std::string& section = names.sections.back();
    const std::string& key = names.keys.back();
    if (!trimmed(section).empty() && !trimmed(key).empty()) {
        std::string expected = findIniValue(content, section, key).value_or("default");
        expected.resize(std::min(expected.size(), maxIniValueLength));
        if (iniEntryIn(content, section, key, Text("default")) != expected)
            return failed("the entry reader differs from the text reader", section, key);
    }

    // One edit per input, its names and value picked by the content: the mutations of an
    // input try the others.
    const std::uint64_t pick = hashOf(content);
    const std::string& s = names.sections[(pick >> 8) % names.sections.size()];
    const std::string& k = names.keys[(pick >> 24) % names.keys.size()];
    const std::string& v = values[(pick >> 40) % std::size(values)];
    return checkEdits(content, before, names, s, k, v);
}

constexpr std::string_view tokens[] = { "[", "]", "=", "\r\n", "\n", "\r", "\"", "'", " ", "\t",
    "[s]\r\n", "k=v\n", "[慢四]\n", "音量=", "\xB0\x5D", "\xB0\x5B", "\xB0\x41" };

} // namespace

fuzz::Harness fuzz::makeHarness()
{
    fuzz::MutationOptions options;
    options.tokens = tokens;
    return { "runtime_ini_fuzz", options, check };
}
