#pragma once
// The auxiliary file of a database: memo and byte-set values stored as chains of 512-byte
// blocks, with a free list of blocks to reuse and a tail that shrinks when freed.
// Not for memo or byte-set values of other databases; one instance per open database.

#include "recdb/file_system.h"
#include "recdb/locked_file.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace recdb {

class AuxiliaryFile {
public:
    // The auxiliary file's name: the extension of the database path replaced by "EDT".
    static std::string pathFor(const std::string& databasePath);

    // Opens and checks the file (magic, counts, version, size repair unless read-only).
    // holdWhole keeps the whole file locked for the handle's life (exclusive share modes).
    static int open(FileSystem& fs, const std::string& nativePath, bool readOnly, bool holdWhole,
        std::int32_t databaseVersion, std::unique_ptr<AuxiliaryFile>& result);

    // The bytes of the chain starting at first (0: empty).
    int read(std::int32_t first, std::string& bytes);
    // Stores bytes, reusing the chain at first, then free blocks, then new blocks at the
    // end; frees what is left of the old chain. newFirst is 0 for an empty value.
    int write(std::int32_t first, std::string_view bytes, std::int32_t& newFirst);
    // Moves the chain at first onto the free list and shortens the file's free tail.
    int free(std::int32_t first);

    LockedFile& file() { return file_; }

    AuxiliaryFile(FileSystem& fs, int fd, bool readOnly);

private:
    class Header;
    struct Block;

    int readBlock(std::int32_t number, Block& block);
    int writeBlock(std::int32_t number, const Block& block);
    int takeBlock(Header& header, std::int32_t& number);
    int freeChain(Header& header, std::int32_t first);
    int shrinkTail(Header& header);
    std::int64_t blockLimit();

    LockedFile file_;
};

} // namespace recdb
