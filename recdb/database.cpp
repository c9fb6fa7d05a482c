#include "recdb/database.h"

#include "recdb/error_codes.h"
#include "recdb/gbk_names.h"

#include <cstring>

namespace recdb {

using namespace layout;

Database::Database(platform::FileSystem& fs, int fd, bool readOnly)
    : fs_(fs)
    , file_(fs, fd, readOnly)
{
}

int Database::open(platform::FileSystem& fs, const std::string& nativePath, bool readOnly,
    ShareMode share, std::unique_ptr<Database>& result)
{
    int fd = fs.open(nativePath, readOnly ? platform::Access::read : platform::Access::readWrite);
    if (fd < 0)
        return errorFromErrno(-fd);
    std::unique_ptr<Database> database(new Database(fs, fd, readOnly));
    bool exclusive = share == ShareMode::DenyRead || share == ShareMode::DenyAll;
    if (int code = database->check(readOnly, exclusive, nativePath))
        return code;
    result = std::move(database);
    return Ok;
}

int Database::check(bool readOnly, bool exclusive, const std::string& nativePath)
{
    // The share modes that keep others out hold the whole file for the handle's life; a
    // file someone else has locked counts as shared elsewhere.
    if (exclusive) {
        if (file_.holdWholeForLife())
            return SharingViolation;
    } else if (int code = file_.lockWhole()) {
        return code;
    }
    int code = checkHeader(readOnly);
    bool hasChains = false;
    for (const Field& field : fields_)
        hasChains = hasChains || isChainType(field.type);
    if (code == Ok && hasChains)
        code = AuxiliaryFile::open(
            fs_, AuxiliaryFile::pathFor(nativePath), readOnly, exclusive, version_, aux_);
    int unlocked = exclusive ? Ok : file_.unlockWhole();
    return code ? code : unlocked;
}

int Database::checkHeader(bool readOnly)
{
    unsigned char header[headerSize + 4];
    std::int64_t got = 0, length = 0;
    if (int code = file_.read(0, header, sizeof header, got))
        return code;
    if (got < headerSize)
        return NotADatabase;
    if (std::memcmp(header, "WCDB", 4) == 0)
        return PasswordRequired;
    if (std::memcmp(header, "WEDB", 4) != 0)
        return NotADatabase;
    version_ = load<std::int32_t>(header + versionOffset);
    auto count = load<std::int32_t>(header + countersOffset);
    auto nextId = load<std::int32_t>(header + countersOffset + 4);
    recordSize_ = load<std::int32_t>(header + recordSizeOffset);
    if (recordSize_ <= 0 || recordSize_ > largestRecordSize || count < 0 || nextId < 1)
        return NotADatabase;
    if (static_cast<std::uint32_t>(version_) > static_cast<std::uint32_t>(currentVersion))
        return VersionTooHigh;
    auto fieldCount = load<std::int32_t>(header + fieldCountOffset);
    if (got < headerSize + 4 || fieldCount <= 0)
        return NotADatabase;

    // The field table must lie inside the file before it is read.
    if (int code = file_.length(length))
        return code;
    dataStart_ = fieldTableOffset + descriptorSize * fieldCount;
    if (length < dataStart_)
        return NotADatabase;
    std::vector<unsigned char> table(static_cast<std::size_t>(dataStart_ - fieldTableOffset));
    if (int code = file_.read(fieldTableOffset, table.data(), std::int64_t(table.size()), got))
        return code;
    if (got < std::int64_t(table.size()))
        return NotADatabase;

    // Size repair: the count never claims more records than the file holds.
    const std::int64_t available = (length - dataStart_) / recordSize_;
    if (available < count) {
        if (readOnly)
            return DatabaseSizeWrong;
        count = static_cast<std::int32_t>(available);
        if (int code = file_.write(countersOffset, &count, sizeof count))
            return code;
    }
    if (!readOnly && length != dataStart_ + count * recordSize_) {
        if (int code = file_.setLength(dataStart_ + count * recordSize_))
            return code;
    }
    return checkFieldTable(table);
}

int Database::checkFieldTable(const std::vector<unsigned char>& table)
{
    for (std::size_t at = 0; at < table.size(); at += descriptorSize) {
        const unsigned char* descriptor = &table[at];
        const void* terminator = std::memchr(descriptor, 0, nameTerminatorWithin);
        auto type = load<std::int32_t>(descriptor + descriptorTypeOffset);
        auto offset = load<std::int32_t>(descriptor + descriptorValueOffset);
        auto declared = load<std::int32_t>(descriptor + descriptorSizeOffset);
        if (!terminator || offset < 0 || !isValidFieldType(type)
            || (type == std::int32_t(FieldType::Text) && declared <= 0))
            return NotADatabase;
        Field field { reinterpret_cast<const char*>(descriptor), FieldType(type), offset,
            storedWidth(FieldType(type), declared) };
        // A value over the id or past the record's end would overwrite its neighbours.
        if (field.offset < recordIdSize || field.offset + field.width > recordSize_)
            return NotADatabase;
        fields_.push_back(std::move(field));
    }
    return Ok;
}

const Field* Database::findField(std::string_view name) const
{
    for (const Field& field : fields_) {
        if (equalIgnoringCase(field.name, name))
            return &field;
    }
    return nullptr;
}

} // namespace recdb
