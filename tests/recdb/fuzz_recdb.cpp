// Fuzz harness for database and auxiliary files written by others. An input is a 4-byte
// little-endian length, that many bytes of database file, then the auxiliary file. Every
// input is opened read-only and read-write, every field of every record read, a value
// written and the file packed: only error codes may come back, never a crash.
//
// Usage: recdb_fuzz CORPUS_DIR [MUTATIONS [SEED]] | FILE (tests/support/fuzz_driver.h).
// Built with GCC; the sanitizer build checks memory use.

#include "fuzz_driver.h"
#include "recdb/registry.h"
#include "test_files.h"

namespace {

using namespace recdb;
using namespace recdb::test;

void exercise(Registry& registry, const std::string& path, bool readOnly)
{
    if (!registry.openDatabase(path, "fuzz", readOnly))
        return;
    const int count = std::min(registry.recordCount(), 200);
    registry.goFirst();
    for (int record = 0; record < count + 1; ++record) {
        for (std::int32_t field = 1; field <= 64; ++field) {
            try {
                registry.readField(field);
            } catch (const RuntimeErrorRaised&) {
                break; // past the last field
            }
        }
        registry.skip();
    }
    if (!readOnly) {
        registry.goTo(1);
        for (std::int32_t field = 1; field <= 4; ++field) {
            registry.writeField(field, {}, Text(700, 'w'));
            registry.writeField(field, {}, std::nullopt);
        }
        registry.appendBlankRecord();
        registry.goTo(1);
        registry.markDeleted();
        registry.pack();
    }
    registry.closeDatabase();
}

void runOne(const Bytes& input, const TempDir& dir)
{
    std::size_t split = input.size() >= 4 ? std::size_t(getInt(input, 0, 4) & 0xFFFFF) : 0;
    split = std::min(split, input.size() >= 4 ? input.size() - 4 : 0);
    const auto begin = input.begin() + std::min<std::ptrdiff_t>(4, std::ptrdiff_t(input.size()));
    const std::string database = dir.path("fuzz.dat"), aux = dir.path("fuzz.EDT");
    for (bool readOnly : { true, false }) {
        writeFile(database, Bytes(begin, begin + std::ptrdiff_t(split)));
        writeFile(aux, Bytes(begin + std::ptrdiff_t(split), input.end()));
        ThrowingReport report;
        Registry registry(report);
        exercise(registry, database, readOnly);
    }
}

} // namespace

int main(int argc, char** argv)
{
    TempDir dir;
    fuzz::MutationOptions options;
    options.alignment = 4; // header and record fields are dwords
    return fuzz::runHarness(argc, argv, "recdb_fuzz", options, [&](const fuzz::Bytes& input) {
        runOne(input, dir);
        return true; // only a crash or a sanitizer report is a failure here
    });
}
