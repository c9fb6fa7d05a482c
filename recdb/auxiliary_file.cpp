#include "recdb/auxiliary_file.h"

#include "recdb/error_codes.h"
#include "recdb/layout.h"

#include <array>
#include <cstring>

namespace recdb {

using namespace layout;

struct AuxiliaryFile::Block {
    std::array<unsigned char, blockSize> bytes {};

    std::int32_t previous() const { return load<std::int32_t>(&bytes[blockPreviousOffset]); }
    std::int32_t next() const { return load<std::int32_t>(&bytes[blockNextOffset]); }
    std::int32_t used() const { return load<std::int32_t>(&bytes[blockUsedOffset]); }
    void setPrevious(std::int32_t value) { store(&bytes[blockPreviousOffset], value); }
    void setNext(std::int32_t value) { store(&bytes[blockNextOffset], value); }
    void setContent(std::string_view piece)
    {
        store(&bytes[blockUsedOffset], static_cast<std::int32_t>(piece.size()));
        std::memset(&bytes[blockDataOffset], 0, blockCapacity);
        if (!piece.empty())
            std::memcpy(&bytes[blockDataOffset], piece.data(), piece.size());
    }
};

// The header counters, read (under the lock of its first byte) at most once per operation
// and written back when the operation ends.
class AuxiliaryFile::Header {
public:
    explicit Header(LockedFile& file)
        : file_(file)
    {
    }

    int read()
    {
        if (loaded_)
            return Ok;
        if (int code = file_.lockByte(0))
            return code;
        std::int64_t got = 0;
        int code = file_.read(0, bytes_.data(), auxHeaderSize, got);
        if (code == Ok && got < auxHeaderSize)
            code = AuxiliaryAccessFailed;
        if (code == Ok
            && (blockCount() <= 0 || freeCount() < 0 || freeHead() < 0
                || freeHead() >= blockCount()))
            code = AuxiliaryAccessFailed;
        if (code != Ok) {
            file_.unlockByte(0);
            return code;
        }
        loaded_ = true;
        return Ok;
    }

    // Writes the header back if it was read, releases its lock; keeps the first failure.
    int finish(int code)
    {
        if (!loaded_)
            return code;
        int written = file_.write(0, bytes_.data(), auxHeaderSize);
        int unlocked = file_.unlockByte(0);
        loaded_ = false;
        return code ? code : written ? written : unlocked;
    }

    std::int32_t blockCount() const { return load<std::int32_t>(&bytes_[blockCountOffset]); }
    std::int32_t freeCount() const { return load<std::int32_t>(&bytes_[freeCountOffset]); }
    std::int32_t freeHead() const { return load<std::int32_t>(&bytes_[freeHeadOffset]); }
    void setBlockCount(std::int32_t value) { store(&bytes_[blockCountOffset], value); }
    void setFreeCount(std::int32_t value) { store(&bytes_[freeCountOffset], value); }
    void setFreeHead(std::int32_t value) { store(&bytes_[freeHeadOffset], value); }

private:
    LockedFile& file_;
    std::array<unsigned char, auxHeaderSize> bytes_ {};
    bool loaded_ = false;
};

std::string AuxiliaryFile::pathFor(const std::string& databasePath)
{
    std::size_t slash = databasePath.rfind('/');
    std::size_t dot = databasePath.rfind('.');
    std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string stem
        = dot != std::string::npos && dot >= nameStart ? databasePath.substr(0, dot) : databasePath;
    return stem + ".EDT";
}

AuxiliaryFile::AuxiliaryFile(FileSystem& fs, int fd, bool readOnly)
    : file_(fs, fd, readOnly)
{
}

int AuxiliaryFile::open(FileSystem& fs, const std::string& nativePath, bool readOnly,
    bool holdWhole, std::int32_t databaseVersion, std::unique_ptr<AuxiliaryFile>& result)
{
    int fd = fs.open(nativePath, !readOnly);
    if (fd < 0)
        return AuxiliaryReadFailed;
    auto aux = std::make_unique<AuxiliaryFile>(fs, fd, readOnly);
    LockedFile& file = aux->file_;
    if (file.lockWhole())
        return AuxiliaryReadFailed;

    std::array<unsigned char, auxHeaderSize> header {};
    std::int64_t got = 0, length = 0;
    if (file.read(0, header.data(), auxHeaderSize, got) || got < auxHeaderSize
        || file.length(length))
        return AuxiliaryReadFailed;
    auto blocks = load<std::int32_t>(&header[blockCountOffset]);
    auto freeCount = load<std::int32_t>(&header[freeCountOffset]);
    auto freeHead = load<std::int32_t>(&header[freeHeadOffset]);
    if (std::memcmp(header.data(), "WEDT", 4) != 0 || blocks <= 0 || freeCount < 0
        || freeCount >= blocks || freeHead < 0 || freeHead >= blocks)
        return AuxiliaryReadFailed;
    if (load<std::int32_t>(&header[versionOffset]) != databaseVersion)
        return AuxiliaryVersionMismatch;
    if (length / blockSize < blocks) {
        if (readOnly)
            return AuxiliaryDamaged;
        auto repaired = static_cast<std::int32_t>(length / blockSize);
        if (file.write(blockCountOffset, &repaired, sizeof repaired))
            return AuxiliaryReadFailed;
    }
    if (file.unlockWhole())
        return AuxiliaryReadFailed;
    if (holdWhole && file.holdWholeForLife())
        return AuxiliaryReadFailed;
    result = std::move(aux);
    return Ok;
}

std::int64_t AuxiliaryFile::blockLimit()
{
    std::int64_t length = 0;
    file_.length(length);
    return length / blockSize;
}

int AuxiliaryFile::readBlock(std::int32_t number, Block& block)
{
    if (number <= 0)
        return AuxiliaryAccessFailed;
    const std::int64_t offset = std::int64_t { number } * blockSize;
    if (int code = file_.lockByte(offset))
        return code;
    std::int64_t got = 0;
    int code = file_.read(offset, block.bytes.data(), blockSize, got);
    int unlocked = file_.unlockByte(offset);
    if (code)
        return code;
    if (got < blockSize || block.used() < 0 || block.used() > blockCapacity)
        return AuxiliaryAccessFailed;
    return unlocked;
}

int AuxiliaryFile::writeBlock(std::int32_t number, const Block& block)
{
    const std::int64_t offset = std::int64_t { number } * blockSize;
    if (int code = file_.lockByte(offset))
        return code;
    int code = file_.write(offset, block.bytes.data(), blockSize);
    int unlocked = file_.unlockByte(offset);
    return code ? code : unlocked;
}

int AuxiliaryFile::read(std::int32_t first, std::string& bytes)
{
    bytes.clear();
    // A chain cannot hold more blocks than the file: a longer one is a loop.
    std::int64_t remaining = blockLimit();
    Block block;
    for (std::int32_t number = first; number > 0; number = block.next()) {
        if (remaining-- <= 0)
            return AuxiliaryAccessFailed;
        if (int code = readBlock(number, block))
            return code;
        bytes.append(reinterpret_cast<const char*>(&block.bytes[blockDataOffset]),
            static_cast<std::size_t>(block.used()));
    }
    return Ok;
}

int AuxiliaryFile::takeBlock(Header& header, std::int32_t& number)
{
    if (int code = header.read())
        return code;
    if (header.freeCount() > 0 && header.freeHead() > 0) {
        number = header.freeHead();
        Block free;
        if (int code = readBlock(number, free))
            return code;
        if (free.next() < 0 || free.next() >= header.blockCount())
            return AuxiliaryAccessFailed;
        header.setFreeHead(free.next());
        header.setFreeCount(header.freeCount() - 1);
        return Ok;
    }
    if (header.blockCount() == INT32_MAX)
        return AuxiliaryAccessFailed;
    number = header.blockCount();
    header.setBlockCount(number + 1);
    return Ok;
}

int AuxiliaryFile::write(std::int32_t first, std::string_view bytes, std::int32_t& newFirst)
{
    Header header(file_);
    std::int32_t oldNext = first;
    std::int32_t pendingNumber = 0;
    Block pending;
    newFirst = 0;
    int code = Ok;
    for (std::size_t at = 0; at < bytes.size() && code == Ok; at += blockCapacity) {
        std::int32_t number = 0;
        if (oldNext > 0) {
            Block old;
            code = readBlock(oldNext, old);
            number = oldNext;
            oldNext = old.next();
        } else {
            code = takeBlock(header, number);
        }
        if (code)
            break;
        if (pendingNumber) {
            pending.setNext(number);
            code = writeBlock(pendingNumber, pending);
        } else {
            newFirst = number;
        }
        pending = Block {};
        pending.setPrevious(pendingNumber);
        pending.setContent(bytes.substr(at, blockCapacity));
        pendingNumber = number;
    }
    if (code == Ok && pendingNumber)
        code = writeBlock(pendingNumber, pending);
    if (code == Ok && oldNext > 0)
        code = freeChain(header, oldNext);
    return header.finish(code);
}

int AuxiliaryFile::free(std::int32_t first)
{
    Header header(file_);
    return header.finish(first > 0 ? freeChain(header, first) : Ok);
}

int AuxiliaryFile::freeChain(Header& header, std::int32_t first)
{
    if (int code = header.read())
        return code;
    const std::int32_t oldHead = header.freeHead();
    std::int32_t length = 0;
    std::int32_t last = 0;
    bool heldLastBlock = false;
    Block block;
    std::int32_t number = first;
    while (number > 0) {
        if (length >= header.blockCount())
            return AuxiliaryAccessFailed;
        const std::int32_t cameFrom = number == first ? 0 : last;
        if (int code = readBlock(number, block))
            return code;
        // A block that does not link back is not part of this chain (a damaged file):
        // freeing it could free a live value.
        if (number != first && block.previous() != cameFrom)
            return AuxiliaryAccessFailed;
        const std::int32_t next = block.next();
        heldLastBlock = heldLastBlock || number == header.blockCount() - 1;
        block.setContent({});
        if (number == first)
            block.setPrevious(0);
        if (next <= 0)
            block.setNext(oldHead);
        if (int code = writeBlock(number, block))
            return code;
        ++length;
        last = number;
        number = next;
    }
    if (oldHead > 0) {
        Block head;
        if (int code = readBlock(oldHead, head))
            return code;
        head.setPrevious(last);
        if (int code = writeBlock(oldHead, head))
            return code;
    }
    header.setFreeHead(first);
    header.setFreeCount(header.freeCount() + length);
    return heldLastBlock ? shrinkTail(header) : Ok;
}

int AuxiliaryFile::shrinkTail(Header& header)
{
    while (header.blockCount() > 1) {
        const std::int32_t number = header.blockCount() - 1;
        Block block;
        if (int code = readBlock(number, block))
            return code;
        if (block.used() != 0)
            break;
        const std::int32_t previous = header.freeHead() == number ? 0 : block.previous();
        if (previous == 0) {
            header.setFreeHead(block.next());
        } else {
            Block before;
            if (int code = readBlock(previous, before))
                return code;
            before.setNext(block.next());
            if (int code = writeBlock(previous, before))
                return code;
        }
        if (block.next() > 0 && block.next() < number) {
            Block after;
            if (int code = readBlock(block.next(), after))
                return code;
            after.setPrevious(previous);
            if (int code = writeBlock(block.next(), after))
                return code;
        }
        header.setFreeCount(header.freeCount() > 0 ? header.freeCount() - 1 : 0);
        header.setBlockCount(number);
        if (int code = file_.setLength(std::int64_t { number } * blockSize))
            return code;
    }
    return Ok;
}

} // namespace recdb
