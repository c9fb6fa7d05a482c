#include "table_file_writer.h"

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace app::test {
namespace {

constexpr int headerBytes = 112, descriptorBytes = 72, blockBytes = 512, blockPayload = 500;

std::int32_t storedWidth(const ColumnSpec& column)
{
    switch (column.type) {
    case StoredType::Byte:
    case StoredType::Logical:
        return 1;
    case StoredType::Short:
        return 2;
    case StoredType::Long:
    case StoredType::Double:
    case StoredType::DateTime:
        return 8;
    case StoredType::Text:
        return column.textWidth;
    default:
        return 4;
    }
}

template <typename T> void put(std::string& out, std::size_t at, T value)
{
    if (out.size() < at + sizeof value)
        out.resize(at + sizeof value, '\0');
    std::memcpy(out.data() + at, &value, sizeof value);
}

// The auxiliary file grows one chain per value, blocks in order, no free list.
class ChainFile {
public:
    ChainFile()
        : bytes_(blockBytes, '\0')
    {
    }

    std::int32_t add(const std::string& value)
    {
        if (value.empty())
            return 0;
        const auto first = blockCount();
        std::size_t pieces = (value.size() + blockPayload - 1) / blockPayload;
        for (std::size_t piece = 0; piece < pieces; ++piece) {
            std::string block(blockBytes, '\0');
            const auto number = blockCount();
            put<std::int32_t>(block, 0, piece == 0 ? 0 : number - 1);
            put<std::int32_t>(block, 4, piece + 1 == pieces ? 0 : number + 1);
            std::string part = value.substr(piece * blockPayload, blockPayload);
            put<std::int32_t>(block, 8, static_cast<std::int32_t>(part.size()));
            std::memcpy(block.data() + 12, part.data(), part.size());
            bytes_ += block;
        }
        return first;
    }

    std::string finish()
    {
        std::memcpy(bytes_.data(), "WEDT", 4);
        put<std::int32_t>(bytes_, 4, 0x00010000);
        put<std::int32_t>(bytes_, 16, blockCount());
        return bytes_;
    }

private:
    std::int32_t blockCount() const
    {
        return static_cast<std::int32_t>(bytes_.size() / blockBytes);
    }
    std::string bytes_;
};

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

void TableFile::write(const std::filesystem::path& path, const std::string& auxiliaryName) const
{
    std::vector<std::int32_t> offsets;
    std::int32_t recordSize = 4;
    bool chains = false;
    for (const ColumnSpec& column : columns) {
        offsets.push_back(recordSize);
        recordSize += storedWidth(column);
        chains |= column.type == StoredType::Memo || column.type == StoredType::ByteSet;
    }
    std::string file(headerBytes, '\0');
    std::memcpy(file.data(), "WEDB", 4);
    put<std::int32_t>(file, 4, 0x00010000);
    put<std::int32_t>(file, 16, static_cast<std::int32_t>(rows.size()));
    put<std::int32_t>(file, 20, static_cast<std::int32_t>(rows.size()) + 1);
    put<std::int32_t>(file, 24, recordSize);
    put<std::int32_t>(file, 112, static_cast<std::int32_t>(columns.size()));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::string descriptor(descriptorBytes, '\0');
        std::memcpy(descriptor.data(), columns[i].name.data(), columns[i].name.size());
        put<std::int32_t>(descriptor, 20, static_cast<std::int32_t>(columns[i].type));
        put<std::int32_t>(descriptor, 24, offsets[i]);
        put<std::int32_t>(descriptor, 28, columns[i].textWidth);
        file += descriptor;
    }
    ChainFile chainFile;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::string record(static_cast<std::size_t>(recordSize), '\0');
        put<std::int32_t>(record, 0, static_cast<std::int32_t>(r + 1));
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const Cell& cell = rows[r][i];
            const std::size_t at = static_cast<std::size_t>(offsets[i]);
            switch (columns[i].type) {
            case StoredType::Byte:
            case StoredType::Logical:
                put<std::uint8_t>(
                    record, at, static_cast<std::uint8_t>(std::get<std::int64_t>(cell)));
                break;
            case StoredType::Short:
                put<std::int16_t>(
                    record, at, static_cast<std::int16_t>(std::get<std::int64_t>(cell)));
                break;
            case StoredType::Integer:
            case StoredType::SubProgram:
                put<std::int32_t>(
                    record, at, static_cast<std::int32_t>(std::get<std::int64_t>(cell)));
                break;
            case StoredType::Long:
                put<std::int64_t>(record, at, std::get<std::int64_t>(cell));
                break;
            case StoredType::Single:
                put<float>(record, at, static_cast<float>(std::get<double>(cell)));
                break;
            case StoredType::Double:
            case StoredType::DateTime:
                put<double>(record, at, std::get<double>(cell));
                break;
            case StoredType::Text: {
                const std::string& text = std::get<std::string>(cell);
                std::memcpy(record.data() + at, text.data(),
                    std::min(text.size(), static_cast<std::size_t>(columns[i].textWidth)));
                break;
            }
            case StoredType::ByteSet:
            case StoredType::Memo:
                put<std::int32_t>(record, at, chainFile.add(std::get<std::string>(cell)));
                break;
            }
        }
        file += record;
    }
    writeFile(path, file);
    if (chains)
        writeFile(path.parent_path() / auxiliaryName, chainFile.finish());
}

TableFile slotTable(const std::vector<std::vector<std::string>>& slots)
{
    TableFile table;
    table.columns = { { "序号", StoredType::Text, 16 }, { "曲风", StoredType::Text, 64 },
        { "曲目", StoredType::Text, 256 }, { "文件路径", StoredType::Text, 1024 } };
    for (const auto& slot : slots)
        table.rows.push_back({ slot.at(0), slot.at(1), slot.at(2), slot.at(3) });
    return table;
}

void patchFile(const std::filesystem::path& path, std::int64_t offset, const std::string& bytes)
{
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(offset);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot patch " + path.string());
}

std::string littleEndian32(std::int32_t value)
{
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

} // namespace app::test
