#pragma once
// The auxiliary file of a database: memo and byte-set values stored as chains of 512-byte
// blocks, with a free list of blocks to reuse and a tail that shrinks when freed.
// Not for memo or byte-set values of other databases; one instance per open database.

#include "platform/file_system.h"
#include "recdb/locked_file.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace recdb {

class AuxiliaryFile {
public:
    // The auxiliary file's name: the extension of the database path replaced by "EDT".
    [[nodiscard]] static std::string pathFor(const std::string& databasePath);

    // Opens and checks the file (magic, counts, version, size repair unless read-only).
    // holdWhole keeps the whole file locked for the handle's life (exclusive share modes).
    [[nodiscard]] static int open(platform::FileSystem& fs, const std::string& nativePath,
        bool readOnly, bool holdWhole, std::int32_t databaseVersion,
        std::unique_ptr<AuxiliaryFile>& result);

    // The bytes of the chain starting at first (0: empty).
    [[nodiscard]] int read(std::int32_t first, std::string& bytes);
    // Stores bytes in a new chain, from free blocks, then new blocks at the end; no block of
    // a live value is touched, so the caller switches its record to newFirst (0 for an empty
    // value) and then frees the old chain: the value is the old one or the new one whole.
    [[nodiscard]] int writeValue(std::string_view bytes, std::int32_t& newFirst);
    // Moves the chain at first onto the free list and shortens the file's free tail. A chain
    // that loops or does not link back is refused before anything changes.
    [[nodiscard]] int free(std::int32_t first);

    // The blocks of the chain at first, in order; a damaged chain gives -59.
    [[nodiscard]] int chainBlocks(std::int32_t first, std::vector<std::int32_t>& blocks);
    // The blocks of the free list; a list that loops, holds a block with a value or does not
    // match its count gives -37.
    [[nodiscard]] int freeListBlocks(std::vector<std::int32_t>& blocks);

    LockedFile& file() { return file_; }

    AuxiliaryFile(platform::FileSystem& fs, int fd, bool readOnly);

private:
    class Header;
    struct Block;

    [[nodiscard]] int readBlock(std::int32_t number, Block& block);
    [[nodiscard]] int writeBlock(std::int32_t number, const Block& block);
    // The next block for a new chain; useFreeList turns false once the list proves damaged.
    [[nodiscard]] int takeBlock(
        Header& header, bool& useFreeList, std::int32_t& number, Block& taken);
    [[nodiscard]] int freeChain(Header& header, const std::vector<std::int32_t>& blocks);
    [[nodiscard]] int shrinkTail(Header& header);
    // How many blocks the file holds.
    [[nodiscard]] int blockLimit(std::int64_t& limit);

    LockedFile file_;
};

} // namespace recdb
