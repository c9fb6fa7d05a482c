#pragma once
// Little-endian reading and writing of the template segment's primitives. The reader checks
// every length against the bytes left and reports corruption with the offset it was found at.

#include "ui/value.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace ui {

// Malformed template data; offset counts from the start of the segment.
struct TemplateFormatError : std::runtime_error {
    TemplateFormatError(std::size_t offset, const std::string& what);
    std::size_t offset;
};

class ByteReader {
public:
    // base: the offset of data[0] within the segment, for error reports.
    explicit ByteReader(std::span<const std::uint8_t> data, std::size_t base = 0);

    std::uint32_t u32();
    [[nodiscard]] std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::uint16_t u16();
    std::uint8_t u8();
    [[nodiscard]] Text ztext();
    [[nodiscard]] Text text(std::size_t length);
    Bytes bytes(std::size_t length);
    void skip(std::size_t length);
    // A count of elements of elementSize bytes each that must fit in what is left.
    [[nodiscard]] std::size_t count(std::uint32_t count, std::size_t elementSize);
    // The next length bytes as a reader of their own.
    ByteReader sub(std::size_t length);

    [[nodiscard]] std::size_t remaining() const { return data_.size() - pos_; }
    [[nodiscard]] std::size_t offset() const { return base_ + pos_; }
    [[noreturn]] void fail(const std::string& what) const;

private:
    void need(std::size_t length) const;

    std::span<const std::uint8_t> data_;
    std::size_t base_;
    std::size_t pos_ = 0;
};

class ByteWriter {
public:
    void u32(std::uint32_t value);
    void i32(std::int32_t value) { u32(static_cast<std::uint32_t>(value)); }
    void u16(std::uint16_t value);
    void u8(std::uint8_t value) { out_.push_back(value); }
    void ztext(const Text& text);
    void raw(std::span<const std::uint8_t> bytes)
    {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
    }
    void raw(const Text& text) { out_.insert(out_.end(), text.begin(), text.end()); }
    void zeros(std::size_t length) { out_.insert(out_.end(), length, 0); }
    // Overwrites a dword written earlier (lengths known only afterwards).
    void patchU32(std::size_t at, std::uint32_t value);

    [[nodiscard]] std::size_t size() const { return out_.size(); }
    const Bytes& bytes() const { return out_; }
    Bytes take() { return std::move(out_); }

private:
    Bytes out_;
};

} // namespace ui
