#include "recdb/auxiliary_file.h"

#include "recdb/error_codes.h"
#include "recdb/layout.h"

#include <array>
#include <cstring>
#include <vector>

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
//
// Locks: the header's byte guards the counters, the free list and every block that is in no
// live chain; every allocation and every free runs whole under it, so two processes never
// see each other's half-done work. A live chain's blocks are guarded by the lock of the
// record that points at it, which the caller holds while it reads, replaces or frees them.
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
            (void)file_.unlockByte(0); // the read's failure is the one to report
            return code;
        }
        loaded_ = true;
        original_ = bytes_;
        return Ok;
    }

    // Writes the header back, keeping its lock.
    int write() { return file_.write(0, bytes_.data(), auxHeaderSize); }

    // Writes the header back as it was read, keeping its lock.
    int restore()
    {
        bytes_ = original_;
        return write();
    }

    // Writes the header back if it was read, releases its lock; keeps the first failure.
    int finish(int code)
    {
        if (!loaded_)
            return code;
        int written = write();
        int unlocked = release();
        return code ? code : written ? written : unlocked;
    }

    // Releases the header's lock without writing it (again).
    int release()
    {
        if (!loaded_)
            return Ok;
        loaded_ = false;
        return file_.unlockByte(0);
    }

    // Releases the header's lock without writing it: nothing of the operation happened.
    int abandon(int code)
    {
        release();
        return code;
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
    std::array<unsigned char, auxHeaderSize> original_ {};
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

AuxiliaryFile::AuxiliaryFile(platform::FileSystem& fs, int fd, bool readOnly)
    : file_(fs, fd, readOnly)
{
}

int AuxiliaryFile::open(platform::FileSystem& fs, const std::string& nativePath, bool readOnly,
    bool holdWhole, std::int32_t databaseVersion, std::unique_ptr<AuxiliaryFile>& result)
{
    int fd = fs.open(nativePath, readOnly ? platform::Access::read : platform::Access::readWrite);
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

int AuxiliaryFile::blockLimit(std::int64_t& limit)
{
    std::int64_t length = 0;
    const int code = file_.length(length);
    limit = length / blockSize;
    return code;
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
    std::int64_t remaining = 0;
    if (int code = blockLimit(remaining))
        return code;
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

int AuxiliaryFile::chainBlocks(std::int32_t first, std::vector<std::int32_t>& blocks)
{
    blocks.clear();
    // A chain cannot hold more blocks than the file: a longer one is a loop.
    std::int64_t limit = 0;
    if (int code = blockLimit(limit))
        return code;
    Block block;
    std::int32_t previous = 0;
    for (std::int32_t number = first; number > 0; number = block.next()) {
        if (std::int64_t(blocks.size()) >= limit || number >= limit)
            return AuxiliaryAccessFailed;
        if (int code = readBlock(number, block))
            return code;
        // A block that does not link back, or holds nothing, belongs to no live chain.
        if (block.previous() != previous || block.used() == 0)
            return AuxiliaryAccessFailed;
        blocks.push_back(number);
        previous = number;
    }
    return Ok;
}

int AuxiliaryFile::freeListBlocks(std::vector<std::int32_t>& blocks)
{
    blocks.clear();
    Header header(file_);
    if (int code = header.read())
        return code;
    Block block;
    std::int32_t previous = 0;
    for (std::int32_t number = header.freeHead(); number > 0; number = block.next()) {
        if (std::int64_t(blocks.size()) >= header.blockCount() || number >= header.blockCount())
            return header.abandon(AuxiliaryDamaged);
        if (int code = readBlock(number, block))
            return header.abandon(code);
        // The head's previous is not kept: taking a block leaves the next one's pointing back.
        if (block.used() != 0 || (previous != 0 && block.previous() != previous))
            return header.abandon(AuxiliaryDamaged);
        blocks.push_back(number);
        previous = number;
    }
    return header.abandon(
        std::int64_t(blocks.size()) == header.freeCount() ? Ok : AuxiliaryDamaged);
}

// A free block holds nothing: a block on the free list that holds a value belongs to a live
// chain (a damaged list), and taking it would overwrite that value. The list is then left
// alone and the file grows instead. taken receives the free block as it was.
int AuxiliaryFile::takeBlock(Header& header, bool& useFreeList, std::int32_t& number, Block& taken)
{
    if (int code = header.read())
        return code;
    if (useFreeList && header.freeCount() > 0 && header.freeHead() > 0) {
        if (int code = readBlock(header.freeHead(), taken))
            return code;
        if (taken.used() == 0 && taken.next() >= 0 && taken.next() < header.blockCount()) {
            number = header.freeHead();
            header.setFreeHead(taken.next());
            header.setFreeCount(header.freeCount() - 1);
            return Ok;
        }
        useFreeList = false;
    }
    if (header.blockCount() == INT32_MAX)
        return AuxiliaryAccessFailed;
    number = header.blockCount();
    header.setBlockCount(number + 1);
    return Ok;
}

// Everything happens while the header lock is held, so no other process sees a block taken
// from the free list before it holds its value (it would look free, and shrinking the tail
// would cut it). Blocks past the old end are written before the header counts them (the file
// is never shorter than its count), blocks from the free list after the header no longer
// lists them (a listed block never holds a value): a crash in between leaks blocks at worst.
// A failed write puts the free-list blocks and the header back as they were.
int AuxiliaryFile::writeValue(std::string_view bytes, std::int32_t& newFirst)
{
    newFirst = 0;
    if (bytes.empty())
        return Ok;
    Header header(file_);
    if (int code = header.read())
        return code;
    const std::int32_t oldEnd = header.blockCount();
    std::vector<std::int32_t> chain;
    std::vector<std::pair<std::int32_t, Block>> fromFreeList;
    bool useFreeList = true;
    for (std::size_t at = 0; at < bytes.size(); at += blockCapacity) {
        std::int32_t number = 0;
        Block taken;
        if (int code = takeBlock(header, useFreeList, number, taken))
            return header.abandon(code);
        chain.push_back(number);
        if (number < oldEnd)
            fromFreeList.emplace_back(number, taken);
    }
    // Rewriting a free block as it was is harmless, so all are put back, whichever failed.
    auto putBack = [&](int code) {
        for (const auto& [number, taken] : fromFreeList)
            (void)writeBlock(number, taken);
        header.restore();
        return header.abandon(code);
    };
    auto writeChainBlock = [&](std::size_t i) {
        Block block;
        block.setPrevious(i > 0 ? chain[i - 1] : 0);
        block.setNext(i + 1 < chain.size() ? chain[i + 1] : 0);
        block.setContent(bytes.substr(i * blockCapacity, blockCapacity));
        return writeBlock(chain[i], block);
    };
    for (std::size_t i = 0; i < chain.size(); ++i)
        if (chain[i] >= oldEnd)
            if (int code = writeChainBlock(i))
                return header.abandon(code);
    if (int code = header.write())
        return putBack(code);
    for (std::size_t i = 0; i < chain.size(); ++i)
        if (chain[i] < oldEnd)
            if (int code = writeChainBlock(i))
                return putBack(code);
    int code = header.release();
    if (code == Ok)
        newFirst = chain.front();
    return code;
}

int AuxiliaryFile::free(std::int32_t first)
{
    if (first <= 0)
        return Ok;
    Header header(file_);
    if (int code = header.read())
        return code;
    // Walked whole before anything changes: a chain that loops or crosses another is
    // refused, never half freed into the free list.
    std::vector<std::int32_t> blocks;
    if (int code = chainBlocks(first, blocks))
        return header.abandon(code);
    return header.finish(freeChain(header, blocks));
}

int AuxiliaryFile::freeChain(Header& header, const std::vector<std::int32_t>& blocks)
{
    if (int code = header.read())
        return code;
    const std::int32_t oldHead = header.freeHead();
    bool heldLastBlock = false;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        Block block;
        if (int code = readBlock(blocks[i], block))
            return code;
        heldLastBlock = heldLastBlock || blocks[i] == header.blockCount() - 1;
        block.setContent({});
        if (i == 0)
            block.setPrevious(0);
        if (i + 1 == blocks.size())
            block.setNext(oldHead);
        if (int code = writeBlock(blocks[i], block))
            return code;
    }
    if (oldHead > 0) {
        Block head;
        if (int code = readBlock(oldHead, head))
            return code;
        head.setPrevious(blocks.back());
        if (int code = writeBlock(oldHead, head))
            return code;
    }
    header.setFreeHead(blocks.front());
    header.setFreeCount(header.freeCount() + std::int32_t(blocks.size()));
    return heldLastBlock ? shrinkTail(header) : Ok;
}

// An empty last block is cut only when the free list really holds it: the head, or a block
// whose neighbours on the list point at it. A crash can leave emptied blocks that no list
// reaches, whose stale links lead into live chains; such a block stays and the file keeps
// its length.
int AuxiliaryFile::shrinkTail(Header& header)
{
    while (header.blockCount() > 1) {
        const std::int32_t number = header.blockCount() - 1;
        Block block;
        if (int code = readBlock(number, block))
            return code;
        if (block.used() != 0)
            break;
        const bool isHead = header.freeHead() == number;
        const std::int32_t previous = isHead ? 0 : block.previous();
        const std::int32_t next = block.next();
        Block before, after;
        if (!isHead) {
            if (previous <= 0 || previous >= number)
                break;
            if (int code = readBlock(previous, before))
                return code;
            if (before.used() != 0 || before.next() != number)
                break;
        }
        if (next < 0 || next >= number || (next > 0 && next == header.freeHead()))
            break;
        if (next > 0) {
            if (int code = readBlock(next, after))
                return code;
            if (after.used() != 0 || after.previous() != number)
                break;
        }
        if (isHead) {
            header.setFreeHead(next);
        } else {
            before.setNext(next);
            if (int code = writeBlock(previous, before))
                return code;
        }
        if (next > 0) {
            after.setPrevious(previous);
            if (int code = writeBlock(next, after))
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
