#include "recdb/file_check.h"

#include "recdb/database.h"
#include "recdb/error_codes.h"

#include <map>
#include <vector>

namespace recdb {

namespace {

runtime::Text recordPlace(std::int32_t index)
{
    return runtime::concatText("第 ", std::to_string(index + 1), " 条记录");
}

runtime::Text blockPlace(std::int32_t block)
{
    return runtime::concatText("辅助文件第 ", std::to_string(block), " 块");
}

} // namespace

CheckResult checkDatabaseFile(const std::string& nativePath, platform::FileSystem& fs)
{
    std::unique_ptr<Database> database;
    if (int code = Database::open(fs, nativePath, true, ShareMode::Unrestricted, database))
        return { code, {} };
    // A writer holding the counters is reported, not read around.
    std::int32_t count = 0, nextId = 0;
    if (int code = database->lockedCounters(count, nextId))
        return { code, {} };
    // Which record's chain holds each block: a block in two chains, or in a chain and the
    // free list, would be overwritten by the next write of either.
    std::map<std::int32_t, std::int32_t> owners;
    std::vector<const Field*> all;
    for (const Field& field : database->fields())
        all.push_back(&field);
    // One read of every record; only the chains are followed record by record.
    std::vector<StoredRecord> records;
    if (int code = database->readAllRecords(all, records))
        return { code, {} };
    for (std::int32_t index = 0; index < std::int32_t(records.size()); ++index) {
        const StoredRecord& record = records[std::size_t(index)];
        database->current = index;
        int code = record.idResult;
        for (std::size_t f = 0; f < all.size() && code == Ok; ++f) {
            code = record.fields[f].result;
            std::vector<std::int32_t> chain;
            if (code == Ok && layout::isChainType(all[f]->type))
                code = database->chainOfField(*all[f], chain);
            for (std::int32_t block : chain)
                if (code == Ok && !owners.emplace(block, index).second)
                    return { AuxiliaryDamaged,
                        runtime::concatText(recordPlace(index), "，", blockPlace(block)) };
        }
        if (code != Ok)
            return { code, recordPlace(index) };
    }
    std::vector<std::int32_t> freeList;
    if (int code = database->freeBlocks(freeList))
        return { code, "辅助文件的空闲块链" };
    for (std::int32_t block : freeList)
        if (auto owner = owners.find(block); owner != owners.end())
            return { AuxiliaryDamaged,
                runtime::concatText(
                    "空闲块链中的", blockPlace(block), "属于", recordPlace(owner->second)) };
    return {};
}

} // namespace recdb
