#include "ui/byte_io.h"

#include <algorithm>

namespace ui {

TemplateFormatError::TemplateFormatError(std::size_t offset, const std::string& what)
    : std::runtime_error(what + " at offset " + std::to_string(offset))
    , offset(offset)
{
}

ByteReader::ByteReader(std::span<const std::uint8_t> data, std::size_t base)
    : data_(data)
    , base_(base)
{
}

void ByteReader::fail(const std::string& what) const
{
    throw TemplateFormatError(offset(), what);
}

void ByteReader::need(std::size_t length) const
{
    if (length > remaining())
        fail("data ends early");
}

std::uint32_t ByteReader::u32()
{
    need(4);
    const auto* p = data_.data() + pos_;
    pos_ += 4;
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}

std::uint16_t ByteReader::u16()
{
    need(2);
    const auto* p = data_.data() + pos_;
    pos_ += 2;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint8_t ByteReader::u8()
{
    need(1);
    return data_[pos_++];
}

Text ByteReader::ztext()
{
    auto rest = data_.subspan(pos_);
    auto end = std::find(rest.begin(), rest.end(), 0);
    if (end == rest.end())
        fail("text without terminator");
    Text text(rest.begin(), end);
    pos_ += text.size() + 1;
    return text;
}

Text ByteReader::text(std::size_t length)
{
    need(length);
    Text text(data_.begin() + pos_, data_.begin() + pos_ + length);
    pos_ += length;
    return text;
}

Bytes ByteReader::bytes(std::size_t length)
{
    need(length);
    Bytes bytes(data_.begin() + pos_, data_.begin() + pos_ + length);
    pos_ += length;
    return bytes;
}

void ByteReader::skip(std::size_t length)
{
    need(length);
    pos_ += length;
}

std::size_t ByteReader::count(std::uint32_t count, std::size_t elementSize)
{
    if (count > remaining() / elementSize)
        fail("count exceeds the data");
    return count;
}

ByteReader ByteReader::sub(std::size_t length)
{
    need(length);
    ByteReader part(data_.subspan(pos_, length), offset());
    pos_ += length;
    return part;
}

void ByteWriter::u32(std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out_.push_back(static_cast<std::uint8_t>(value >> shift));
}

void ByteWriter::u16(std::uint16_t value)
{
    out_.push_back(static_cast<std::uint8_t>(value));
    out_.push_back(static_cast<std::uint8_t>(value >> 8));
}

void ByteWriter::ztext(const Text& text)
{
    // A NUL inside would end the text early on reading; templates never hold one.
    raw(Text(text.c_str()));
    out_.push_back(0);
}

void ByteWriter::patchU32(std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out_[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace ui
