#include "test_files.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace recdb::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "recdb-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
}

TempDir::~TempDir()
{
    std::filesystem::remove_all(root_);
}

void putInt(Bytes& bytes, std::size_t at, std::int64_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes.at(at + i)
            = static_cast<unsigned char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF);
}

std::int64_t getInt(const Bytes& bytes, std::size_t at, int width)
{
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i)
        value |= std::uint64_t { bytes.at(at + i) } << (8 * i);
    if (width < 8 && (value >> (8 * width - 1)) & 1)
        value |= ~std::uint64_t { 0 } << (8 * width);
    return static_cast<std::int64_t>(value);
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

DatabaseImage::DatabaseImage(std::vector<FieldSpec> fields)
    : header(112, 0)
    , fields_(std::move(fields))
{
    std::memcpy(header.data(), "WEDB", 4);
    putInt(header, 4, 0x00010000, 4);
    for (const FieldSpec& field : fields_) {
        offsets_.push_back(recordSize_);
        recordSize_ += field.width;
    }
}

std::size_t DatabaseImage::addRecord(std::int32_t id)
{
    records_.emplace_back(std::size_t(recordSize_), 0);
    putInt(records_.back(), 0, id, 4);
    return records_.size() - 1;
}

void DatabaseImage::setValue(
    std::size_t record, std::size_t field, const void* bytes, std::size_t size)
{
    std::memcpy(&records_.at(record).at(std::size_t(offsets_.at(field))), bytes, size);
}

Bytes DatabaseImage::bytes(std::int32_t nextId) const
{
    Bytes out = header;
    putInt(out, 16, std::int64_t(records_.size()), 4);
    putInt(out, 20, nextId ? nextId : std::int64_t(records_.size()) + 1, 4);
    putInt(out, 24, recordSize_, 4);
    out.resize(116);
    putInt(out, 112, std::int64_t(fields_.size()), 4);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        Bytes descriptor(72, 0);
        std::memcpy(descriptor.data(), fields_[i].name.data(), fields_[i].name.size());
        putInt(descriptor, 20, fields_[i].type, 4);
        putInt(descriptor, 24, offsets_[i], 4);
        putInt(descriptor, 28, fields_[i].width, 4);
        out.insert(out.end(), descriptor.begin(), descriptor.end());
    }
    for (const Bytes& record : records_)
        out.insert(out.end(), record.begin(), record.end());
    return out;
}

AuxImage::AuxImage()
    : blocks(1, Bytes(512, 0))
{
    std::memcpy(blocks[0].data(), "WEDT", 4);
    putInt(blocks[0], 4, 0x00010000, 4);
}

std::int32_t AuxImage::addChain(const std::string& value)
{
    const auto first = static_cast<std::int32_t>(blocks.size());
    for (std::size_t at = 0; at < value.size(); at += 500) {
        const auto number = static_cast<std::int32_t>(blocks.size());
        const std::size_t piece = std::min<std::size_t>(500, value.size() - at);
        Bytes block(512, 0);
        putInt(block, 0, number == first ? 0 : number - 1, 4);
        putInt(block, 4, at + piece < value.size() ? number + 1 : 0, 4);
        putInt(block, 8, std::int64_t(piece), 4);
        std::memcpy(&block[12], value.data() + at, piece);
        blocks.push_back(block);
    }
    return value.empty() ? 0 : first;
}

Bytes AuxImage::bytes() const
{
    Bytes out;
    Bytes head = blocks[0];
    putInt(head, 16, std::int64_t(blocks.size()), 4);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const Bytes& block = i == 0 ? head : blocks[i];
        out.insert(out.end(), block.begin(), block.end());
    }
    return out;
}

} // namespace recdb::test
