// Fuzz harness for database and auxiliary files written by others. An input is a 4-byte
// little-endian length, that many bytes of database file, then the auxiliary file; both are
// held in memory. Every input is opened read-only and read-write, read whole at once and
// field by field (the two must agree), a value written and the file packed: only error codes
// may come back, never a crash.
//
// Usage: recdb_fuzz CORPUS_DIR [MUTATIONS [SEED]] | FILE (tests/support/fuzz_driver.h).

#include "fuzz_driver.h"
#include "memory_file_system.h"
#include "recdb/error_codes.h"
#include "recdb/registry.h"
#include "test_files.h"

#include <cstring>

namespace {

using namespace recdb;
using namespace recdb::test;

const std::string databasePath = "/memory/fuzz.dat";
const std::string auxPath = "/memory/fuzz.EDT";

// A value's type and bytes, so that two values compare exactly (NaNs included).
std::string fingerprint(const runtime::Value& value)
{
    return std::to_string(value.payload().index()) + ":"
        + std::visit(
            [](const auto& v) -> std::string {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, runtime::Text>) {
                    return v;
                } else if constexpr (std::is_same_v<T, runtime::ByteSet>) {
                    return std::string(v.begin(), v.end());
                } else if constexpr (std::is_trivially_copyable_v<T>) {
                    std::string bytes(sizeof v, '\0');
                    std::memcpy(bytes.data(), &v, sizeof v);
                    return bytes;
                } else {
                    return {};
                }
            },
            value.payload());
}

bool failed(const char* what, int record, std::size_t field)
{
    std::fprintf(stderr, "recdb_fuzz: %s (record %d, field %zu)\n", what, record, field + 1);
    return false;
}

// The fields by number, up to the first that does not exist.
std::vector<runtime::Value> fieldNumbers(Registry& registry)
{
    std::vector<runtime::Value> fields;
    registry.goFirst();
    for (std::int32_t field = 1; field <= 64; ++field) {
        try {
            (void)registry.readField(field);
        } catch (const RuntimeErrorRaised&) {
            break;
        }
        fields.emplace_back(field);
    }
    return fields;
}

// The whole-table read gives what reading field by field gives, record after record.
bool readsAgree(Registry& registry)
{
    const std::vector<runtime::Value> fields = fieldNumbers(registry);
    const std::vector<StoredRecord> whole = registry.readAllRecords(fields);
    const int count = registry.recordCount();
    if (std::size_t(count) != whole.size())
        return lastError() != Ok || failed("the whole read has another record count", count, 0);
    registry.goFirst();
    for (int record = 0; record < std::min(count, 200); ++record, registry.skip()) {
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const runtime::Value value = registry.readField(fields[f]);
            const StoredRecord::FieldValue& read = whole[std::size_t(record)].fields[f];
            if (read.result != lastError())
                return failed("the whole read gives another code", record + 1, f);
            if (fingerprint(read.value) != fingerprint(value))
                return failed("the whole read gives another value", record + 1, f);
        }
    }
    return true;
}

void writeAndPack(Registry& registry)
{
    registry.goTo(1);
    for (std::int32_t field = 1; field <= 4; ++field) {
        (void)registry.writeField(field, {}, Text(700, 'w'));
        (void)registry.writeField(field, {}, std::nullopt);
    }
    (void)registry.appendBlankRecord();
    registry.goTo(1);
    (void)registry.markDeleted();
    (void)registry.pack();
}

// Appending writes a whole blank record: a header claiming records of up to 2 GiB would have
// every input allocate and write that much.
constexpr std::int64_t largestRecordWritten = 1 << 20;

bool check(const fuzz::Bytes& input)
{
    std::size_t split = input.size() >= 4 ? std::size_t(getInt(input, 0, 4) & 0xFFFFF) : 0;
    split = std::min(split, input.size() >= 4 ? input.size() - 4 : 0);
    const auto begin = input.begin() + std::min<std::ptrdiff_t>(4, std::ptrdiff_t(input.size()));
    const std::int64_t recordSize = split >= 28 ? getInt(input, 4 + 24, 4) : 0;
    for (bool readOnly : { true, false }) {
        MemoryFileSystem fs;
        fs.files[databasePath].assign(begin, begin + std::ptrdiff_t(split));
        fs.files[auxPath].assign(begin + std::ptrdiff_t(split), input.end());
        ThrowingReport report;
        Registry registry(report, fs);
        if (!registry.openDatabase(databasePath, "fuzz", readOnly))
            continue;
        if (!readsAgree(registry))
            return false;
        if (!readOnly && recordSize <= largestRecordWritten)
            writeAndPack(registry);
        registry.closeDatabase();
    }
    return true;
}

} // namespace

fuzz::Harness fuzz::makeHarness()
{
    fuzz::MutationOptions options;
    options.alignment = 4; // header and record fields are dwords
    return { "recdb_fuzz", options, check };
}
