#include "recdb/registry.h"

#include "platform/path.h"
#include "recdb/error_codes.h"
#include "recdb/field_values.h"
#include "recdb/gbk_names.h"
#include "runtime/file_names.h"

#include <algorithm>

namespace recdb {

namespace {

// "dqqf" opens "dqqf.EDB", "dqqf." opens "dqqf.EDB", "dqqf.dat" stays as it is.
runtime::Text withDefaultExtension(const runtime::Text& name)
{
    std::size_t slash = name.rfind('/');
    std::size_t dot = name.rfind('.');
    bool hasDot = dot != runtime::Text::npos && (slash == runtime::Text::npos || dot > slash);
    if (!hasDot)
        return name + ".EDB";
    return dot + 1 == name.size() ? name + "EDB" : name;
}

runtime::Text titleOf(const runtime::Text& path)
{
    std::size_t slash = path.rfind('/');
    runtime::Text name = slash == runtime::Text::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.rfind('.');
    return dot == runtime::Text::npos ? name : name.substr(0, dot);
}

} // namespace

Registry::Registry(ErrorReport& errors, platform::FileSystem& fs)
    : errors_(errors)
    , fs_(fs)
{
}

Registry::~Registry() = default;

bool Registry::finish(int code)
{
    setLastError(code);
    return code == Ok;
}

Registry::Entry* Registry::find(const Text& name)
{
    if (name.empty())
        return nullptr;
    auto lookup = [&](auto key) -> Entry* {
        for (auto entry = open_.rbegin(); entry != open_.rend(); ++entry) {
            const Text& candidate = key(*entry);
            if (!candidate.empty() && equalIgnoringCase(candidate, name))
                return &*entry;
        }
        return nullptr;
    };
    if (Entry* byAlias = lookup([](const Entry& e) -> const Text& { return e.alias; }))
        return byAlias;
    if (Entry* byTitle = lookup([](const Entry& e) -> const Text& { return e.title; }))
        return byTitle;
    return lookup([](const Entry& e) -> const Text& { return e.fullPath; });
}

bool Registry::openDatabase(const Text& fileName, const Alias& alias, bool readOnly, int shareMode,
    const std::optional<Text>& password, const std::vector<Text>& indexFiles)
{
    setLastError(Ok);
    if (fileName.empty())
        return finish(FileNotFound);
    Entry entry;
    // An installation's "DQQF.DAT" or a GBK-named file is found as its own file system would.
    entry.nativePath = runtime::resolvedPath(withDefaultExtension(fileName), fs_);
    if (int result = fs_.resolvePath(entry.nativePath, entry.nativePath); result < 0)
        return finish(errorFromErrno(-result));
    entry.fullPath = platform::programPath(entry.nativePath);
    entry.title = titleOf(entry.fullPath);
    // File names differ by case on this system, so only the same resolved path is the
    // same file.
    for (const Entry& other : open_) {
        if (other.nativePath == entry.nativePath)
            return finish(AlreadyOpen);
    }
    entry.alias = alias.value_or(Text {});
    if (!entry.alias.empty() && !isValidName(entry.alias))
        return finish(BadAlias);
    if (password && !password->empty())
        return finish(PasswordRequired);
    if (!indexFiles.empty())
        return finish(IndexOpenFailed);

    auto share = shareMode >= 1 && shareMode <= 4 ? ShareMode(shareMode) : ShareMode::Unrestricted;
    if (int code = Database::open(fs_, entry.nativePath, readOnly, share, entry.database))
        return finish(code);
    open_.push_back(std::move(entry));
    current_ = open_.size() - 1;
    return finish(Ok);
}

void Registry::closeDatabase(const Alias& alias)
{
    setLastError(Ok);
    Entry* entry = alias && !alias->empty() ? find(*alias) : current();
    if (!entry)
        return;
    const auto index = static_cast<std::size_t>(entry - open_.data());
    open_.erase(open_.begin() + static_cast<std::ptrdiff_t>(index));
    if (current_ == index)
        current_.reset();
    else if (current_ && index < *current_)
        --*current_;
}

int Registry::recordCount()
{
    Entry* entry = current();
    if (!entry)
        return finish(NoCurrentDatabase), 0;
    std::int32_t count = 0, nextId = 0;
    // Other processes may hold the counters briefly: wait for them.
    int code = entry->database->lockedCounters(count, nextId, Database::countersWaitMillis);
    finish(code);
    return code ? 0 : count;
}

bool Registry::appendBlankRecord()
{
    Entry* entry = current();
    return finish(entry ? entry->database->appendBlank() : NoCurrentDatabase);
}

void Registry::goFirst()
{
    Entry* entry = current();
    if (entry)
        entry->database->current = 0;
    finish(entry ? Ok : NoCurrentDatabase);
}

template <typename Move> bool Registry::moveRecordPointer(Move move)
{
    Entry* entry = current();
    if (!entry)
        return finish(NoCurrentDatabase);
    std::int32_t count = 0, nextId = 0;
    if (int code = entry->database->lockedCounters(count, nextId))
        return finish(code);
    return finish(move(count, entry->database->current));
}

bool Registry::goLast()
{
    return moveRecordPointer([](std::int32_t count, std::int64_t& position) {
        position = count > 0 ? count - 1 : 0;
        return Ok;
    });
}

bool Registry::goTo(int recordNumber)
{
    return moveRecordPointer([recordNumber](std::int32_t count, std::int64_t& position) {
        position = std::max<std::int64_t>(
            0, std::min<std::int64_t>(count - 1, std::int64_t { recordNumber } - 1));
        return Ok;
    });
}

bool Registry::skip(int by)
{
    return moveRecordPointer([by](std::int32_t count, std::int64_t& position) {
        if (by < 0 && (count == 0 || position < 0))
            return BeforeFirstRecord;
        if (by > 0 && (count == 0 || position >= count))
            return AfterLastRecord;
        position = std::max<std::int64_t>(-1, std::min<std::int64_t>(count, position + by));
        return Ok;
    });
}

bool Registry::markDeleted()
{
    Entry* entry = current();
    return finish(entry ? entry->database->markDeleted() : NoCurrentDatabase);
}

bool Registry::pack()
{
    Entry* entry = current();
    return finish(entry ? entry->database->pack() : NoCurrentDatabase);
}

const Field* Registry::lookupField(Entry& entry, const runtime::Value& field, const char*& problem)
{
    problem = "指定字段不存在";
    const Field* found = nullptr;
    if (const auto* name = field.as<Text>()) {
        found = entry.database->findField(*name);
    } else if (!isNumeric(field)) {
        problem = "未指定字段或者字段类型错误";
    } else {
        const auto& fields = entry.database->fields();
        std::int64_t number = numericToInteger(field);
        if (number >= 1 && number <= std::int64_t(fields.size()))
            found = &fields[static_cast<std::size_t>(number - 1)];
    }
    if (found)
        problem = nullptr;
    return found;
}

const Field* Registry::findField(Entry& entry, const runtime::Value& field)
{
    const char* problem = nullptr;
    const Field* found = lookupField(entry, field, problem);
    // A field that does not exist is the caller's to report; a value that can name none is
    // a runtime error.
    if (!field.as<Text>() && !isNumeric(field))
        errors_.raise(problem);
    return found;
}

runtime::Value Registry::readField(const runtime::Value& field, const Alias& alias)
{
    setLastError(Ok);
    Entry* entry = alias ? find(*alias) : current();
    if (!entry)
        errors_.raise("未指定当前数据库或者指定数据库未打开");
    const Field* target = findField(*entry, field);
    if (!target)
        errors_.raise("指定字段不存在");
    runtime::Value value;
    finish(entry->database->readField(*target, value));
    return value;
}

std::vector<StoredRecord> Registry::readAllRecords(
    const std::vector<runtime::Value>& fields, const Alias& alias)
{
    setLastError(Ok);
    Entry* entry = alias ? find(*alias) : current();
    if (!entry)
        errors_.raise("未指定当前数据库或者指定数据库未打开");
    std::vector<const Field*> which;
    for (const runtime::Value& field : fields) {
        const char* problem = nullptr;
        which.push_back(lookupField(*entry, field, problem));
        // Reading field by field raises at the first record; a table without one raises nothing.
        if (problem) {
            std::int32_t count = 0, nextId = 0;
            int code = entry->database->lockedCounters(count, nextId, Database::countersWaitMillis);
            if (code == Ok && count > 0)
                errors_.raise(problem);
            finish(code);
            return {};
        }
    }
    std::vector<StoredRecord> records;
    if (int code = entry->database->readAllRecords(which, records)) {
        finish(code);
        return {};
    }
    int firstFailure = Ok;
    for (const StoredRecord& record : records)
        for (const StoredRecord::FieldValue& read : record.fields)
            firstFailure = firstFailure ? firstFailure : read.result;
    finish(firstFailure);
    return records;
}

bool Registry::writeField(
    const runtime::Value& field, const Alias& alias, const std::optional<runtime::Value>& value)
{
    setLastError(Ok);
    Entry* entry = alias ? find(*alias) : current();
    if (!entry)
        return finish(DatabaseNotOpen);
    const Field* target = findField(*entry, field);
    if (!target)
        return finish(NoSuchField);
    runtime::Value converted;
    if (!convertForField(value, target->type, converted))
        return finish(ValueTypeMismatch);
    return finish(entry->database->writeField(*target, converted));
}

std::optional<std::int64_t> Registry::textFieldWidth(const Text& field)
{
    Entry* entry = current();
    const Field* target = entry ? entry->database->findField(field) : nullptr;
    if (!target || target->type != layout::FieldType::Text)
        return std::nullopt;
    return target->width;
}

} // namespace recdb
