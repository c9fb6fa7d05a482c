// Fuzz harness for database and auxiliary files written by others. An input is a 4-byte
// little-endian length, that many bytes of database file, then the auxiliary file. Every
// input is opened read-only and read-write, every field of every record read, a value
// written and the file packed: only error codes may come back, never a crash.
//
// Usage: recdb_fuzz CORPUS_DIR [MUTATIONS [SEED]] runs the corpus, then MUTATIONS
// deterministic mutations of it. Built with GCC; the sanitizer build checks memory use.

#include "recdb/registry.h"
#include "test_files.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

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

// xorshift64: the same mutations on every run.
struct Random {
    std::uint64_t state;
    std::uint64_t next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
    std::size_t below(std::size_t n) { return n ? std::size_t(next() % n) : 0; }
};

Bytes mutate(Bytes input, Random& random)
{
    static constexpr std::int64_t interesting[] = { 0, 1, -1, 2, 4, 12, 500, 511, 512, 0x7FFFFFFF,
        -0x7FFFFFFF - 1, 0x00010000, 0x00010001 };
    const int edits = 1 + int(random.below(4));
    for (int i = 0; i < edits && !input.empty(); ++i) {
        const std::size_t at = random.below(input.size());
        switch (random.below(5)) {
        case 0:
            input[at] ^= std::uint8_t(1u << random.below(8));
            break;
        case 1:
            input[at] = std::uint8_t(random.next());
            break;
        case 2:
            if (at + 4 <= input.size())
                putInt(input, at & ~std::size_t(3),
                    interesting[random.below(std::size(interesting))], 4);
            break;
        case 3:
            input.resize(at);
            break;
        default:
            input.insert(
                input.begin() + std::ptrdiff_t(at), random.below(600), std::uint8_t(random.next()));
            break;
        }
    }
    return input;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: recdb_fuzz CORPUS_DIR [MUTATIONS [SEED]]\n", stderr);
        return 2;
    }
    const long mutations = argc > 2 ? std::atol(argv[2]) : 0;
    Random random { argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 0x5EED5EEDULL };
    std::vector<Bytes> corpus;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
        corpus.push_back(readFile(entry.path().string()));
    if (corpus.empty()) {
        std::fputs("recdb_fuzz: empty corpus\n", stderr);
        return 2;
    }
    TempDir dir;
    for (const Bytes& input : corpus)
        runOne(input, dir);
    for (long i = 0; i < mutations; ++i)
        runOne(mutate(corpus[random.below(corpus.size())], random), dir);
    std::printf("recdb_fuzz: %zu seeds, %ld mutations, no crash\n", corpus.size(), mutations);
    return 0;
}
