#include "database_creator.h"

#include "recdb/auxiliary_file.h"
#include "recdb/error_codes.h"
#include "recdb/gbk_names.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace recdb::tool {

using namespace layout;

namespace {

int checkDefinitions(const std::vector<FieldDefinition>& fields)
{
    if (fields.empty())
        return NoFields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldDefinition& field = fields[i];
        if (!isValidFieldType(field.type))
            return BadFieldType;
        if (!isValidName(field.name) || field.name.size() >= nameTerminatorWithin)
            return BadFieldName;
        if (field.type == std::int32_t(FieldType::Text) && field.width <= 0)
            return BadFieldSize;
        for (std::size_t j = 0; j < i; ++j) {
            if (equalIgnoringCase(fields[j].name, field.name))
                return DuplicateFieldName;
        }
    }
    return Ok;
}

// Writes bytes to a file that must not exist yet, so nothing is ever overwritten.
int writeNewFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    // A file already there is the one failure of creating a database as such.
    if (fd < 0)
        return errno == EEXIST ? CreateFailed : errorFromErrno(errno);
    bool written = ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    int error = errno;
    bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (!written || !synced) {
        ::unlink(path.c_str());
        return errorFromErrno(written ? EIO : error);
    }
    return Ok;
}

} // namespace

int createDatabase(const std::string& nativePath, const std::vector<FieldDefinition>& fields)
{
    if (int code = checkDefinitions(fields))
        return code;
    std::vector<unsigned char> file(
        std::size_t(fieldTableOffset + descriptorSize * std::int64_t(fields.size())), 0);
    std::memcpy(file.data(), "WEDB", 4);
    store(&file[versionOffset], currentVersion);
    store(&file[countersOffset + 4], std::int32_t { 1 });
    store(&file[fieldCountOffset], std::int32_t(fields.size()));
    std::int64_t offset = recordIdSize;
    bool needsAuxiliary = false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        unsigned char* descriptor
            = &file[std::size_t(fieldTableOffset + descriptorSize * std::int64_t(i))];
        const auto type = FieldType(fields[i].type);
        const std::int64_t width = storedWidth(type, fields[i].width);
        std::memcpy(descriptor, fields[i].name.data(), fields[i].name.size());
        store(descriptor + descriptorTypeOffset, fields[i].type);
        store(descriptor + descriptorValueOffset, std::int32_t(offset));
        store(descriptor + descriptorSizeOffset, std::int32_t(width));
        offset += width;
        needsAuxiliary = needsAuxiliary || isChainType(type);
        if (offset > largestRecordSize)
            return BadFieldSize;
    }
    store(&file[recordSizeOffset], std::int32_t(offset));

    if (needsAuxiliary) {
        std::vector<unsigned char> aux(std::size_t(blockSize), 0);
        std::memcpy(aux.data(), "WEDT", 4);
        store(&aux[versionOffset], currentVersion);
        store(&aux[blockCountOffset], std::int32_t { 1 });
        if (int code = writeNewFile(AuxiliaryFile::pathFor(nativePath), aux))
            return code == UnknownError ? -50 : code;
    }
    if (int code = writeNewFile(nativePath, file)) {
        if (needsAuxiliary)
            ::unlink(AuxiliaryFile::pathFor(nativePath).c_str());
        return code;
    }
    return Ok;
}

} // namespace recdb::tool
