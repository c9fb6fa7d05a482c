#include "runtime/ini_file.h"

#include "platform/path.h"
#include "platform/whole_files.h"
#include "runtime/ini_text.h"

#include <cerrno>

namespace runtime {
namespace {

std::string_view withoutLeadingBlanks(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') {
        text.remove_prefix(1);
    }
    return text;
}

} // namespace

Text readIniEntry(std::string_view fileArgument, std::string_view sectionArgument,
    std::string_view keyArgument, const std::optional<Text>& defaultValue,
    platform::FileSystem& files)
{
    std::string_view file = withoutLeadingBlanks(fileArgument);
    if (file.empty() || withoutLeadingBlanks(sectionArgument).empty()
        || withoutLeadingBlanks(keyArgument).empty()) {
        return {};
    }
    const auto content = platform::readWholeFile(platform::nativePath(file), files);
    return iniEntryIn(content ? std::optional<std::string_view>(*content) : std::nullopt,
        sectionArgument, keyArgument, defaultValue);
}

Text iniEntryIn(std::optional<std::string_view> content, std::string_view sectionArgument,
    std::string_view keyArgument, const std::optional<Text>& defaultValue)
{
    std::string_view section = withoutLeadingBlanks(sectionArgument);
    std::string_view key = withoutLeadingBlanks(keyArgument);
    if (section.empty() || key.empty()) {
        return {};
    }
    std::optional<Text> value;
    if (content) {
        value = findIniValue(*content, section, key);
    }
    if (!value) {
        value = defaultValue.value_or(Text());
    }
    if (value->size() > maxIniValueLength) {
        value->resize(maxIniValueLength);
    }
    return *value;
}

namespace {

// The file's content for an edit: a missing file starts empty; an unreadable one must not
// be overwritten.
std::optional<std::string> contentToEdit(const std::string& path, platform::FileSystem& files)
{
    std::optional<std::string> content = platform::readWholeFile(path, files);
    if (content)
        return content;
    platform::FileStatus status;
    if (files.linkStatus(path, status) != -ENOENT)
        return std::nullopt;
    return std::string();
}

// Applies `edit` to the file's content and writes the result back when it changed; false
// when the file cannot be read or written or the edit refuses.
template <typename Edit>
bool editIniFile(std::string_view file, platform::FileSystem& files, Edit edit)
{
    if (file.empty()) {
        return false;
    }
    std::string path = platform::nativePath(file);
    std::optional<std::string> content = contentToEdit(path, files);
    if (!content) {
        return false;
    }
    std::optional<Text> edited = edit(*content);
    if (!edited) {
        return false;
    }
    return *edited == *content || platform::replaceFile(path, *edited, files);
}

} // namespace

bool writeIniEntry(std::string_view file, std::string_view section, const std::optional<Text>& key,
    const std::optional<Text>& value, platform::FileSystem& files)
{
    return editIniFile(
        file, files, [&](const Text& content) { return editIni(content, section, key, value); });
}

bool writeIniSection(std::string_view file, std::string_view section,
    const std::vector<std::pair<Text, Text>>& entries, platform::FileSystem& files)
{
    return editIniFile(file, files, [&](const Text& content) -> std::optional<Text> {
        Text edited = content;
        for (const auto& [key, value] : entries) {
            std::optional<Text> next = editIni(edited, section, key, value);
            if (!next) {
                return std::nullopt;
            }
            edited = std::move(*next);
        }
        return edited;
    });
}

} // namespace runtime
