// The record database's everyday workloads beside the same work on SQLite: refreshing a
// 1,000-slot show (open, first, count, read four fields per record, skip, close),
// appending 1,000 slots, and packing 10,000 records of which half are marked deleted.
// ShowRefreshSystemCalls makes only the lock, read and unlock calls a refresh must make,
// to show how much of RecdbShowRefresh is the kernel's.

#include "../../tools/recdb/database_creator.h"
#include "recdb/registry.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <filesystem>
#include <sqlite3.h>
#include <stdexcept>
#include <unistd.h>

namespace {

using runtime::Text;

class NoReport final : public recdb::ErrorReport {
public:
    [[noreturn]] void raise(const Text& message) override { throw std::runtime_error(message); }
};

const std::vector<Text> fieldNames = { "seq", "style", "title", "path" };

struct Scratch {
    std::filesystem::path dir;
    Scratch()
    {
        std::string pattern
            = (std::filesystem::temp_directory_path() / "recdb-bench-XXXXXX").string();
        dir = ::mkdtemp(pattern.data());
    }
    ~Scratch() { std::filesystem::remove_all(dir); }
    std::string path(const char* name) const { return (dir / name).string(); }
};

void createShow(const std::string& path)
{
    std::filesystem::remove(path);
    recdb::tool::createDatabase(path,
        { { "seq", 10, 16 }, { "style", 10, 64 }, { "title", 10, 256 }, { "path", 10, 1024 } });
}

void appendSlots(recdb::Registry& registry, int count)
{
    for (int k = 1; k <= count; ++k) {
        (void)registry.appendBlankRecord();
        (void)registry.writeField(Text("seq"), {}, std::to_string(k));
        (void)registry.writeField(Text("style"), {}, Text("slow four"));
        (void)registry.writeField(Text("title"), {}, "track " + std::to_string(k));
        (void)registry.writeField(
            Text("path"), {}, "/music/dance/track " + std::to_string(k) + ".mp3");
    }
}

// A show table of `count` slots in the scratch folder, closed again; returns its path.
std::string closedShow(const Scratch& scratch, recdb::Registry& registry, int count)
{
    const std::string path = scratch.path("show.dat");
    createShow(path);
    (void)registry.openDatabase(path, "dqqf");
    appendSlots(registry, count);
    registry.closeDatabase();
    return path;
}

void RecdbShowRefresh(benchmark::State& state)
{
    Scratch scratch;
    NoReport report;
    recdb::Registry registry(report);
    const std::string path = closedShow(scratch, registry, 1000);
    for (auto _ : state) {
        (void)registry.openDatabase(path, "dqqf");
        registry.goFirst();
        const int count = registry.recordCount();
        for (int k = 0; k < count; ++k) {
            for (const Text& name : fieldNames)
                benchmark::DoNotOptimize(registry.readField(name));
            registry.skip();
        }
        registry.closeDatabase();
    }
}
BENCHMARK(RecdbShowRefresh)->Unit(benchmark::kMillisecond);

void lockOneByte(int fd, short type, off_t offset)
{
    struct flock request { };
    request.l_type = type;
    request.l_whence = SEEK_SET;
    request.l_start = offset;
    request.l_len = 1;
    if (::fcntl(fd, F_OFD_SETLK, &request) < 0)
        throw std::runtime_error("lock refused");
}

// Per record: each of the four fields read under its own record lock, then the counters
// read under theirs, as every read and skip must.
void ShowRefreshSystemCalls(benchmark::State& state)
{
    Scratch scratch;
    NoReport report;
    recdb::Registry registry(report);
    const std::string path = closedShow(scratch, registry, 1000);
    const off_t dataStart = 116 + 4 * 72, recordSize = 4 + 16 + 64 + 256 + 1024;
    const off_t offsets[] = { 4, 20, 84, 340 }, widths[] = { 16, 64, 256, 1024 };
    char bytes[1024];
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        for (int k = 0; k < 1000; ++k) {
            const off_t start = dataStart + k * recordSize;
            for (int field = 0; field < 4; ++field) {
                lockOneByte(fd, F_WRLCK, start);
                benchmark::DoNotOptimize(::pread(fd, bytes, widths[field], start + offsets[field]));
                lockOneByte(fd, F_UNLCK, start);
            }
            lockOneByte(fd, F_WRLCK, 16);
            benchmark::DoNotOptimize(::pread(fd, bytes, 8, 16));
            lockOneByte(fd, F_UNLCK, 16);
        }
        ::close(fd);
    }
}
BENCHMARK(ShowRefreshSystemCalls)->Unit(benchmark::kMillisecond);

void RecdbAppend1000(benchmark::State& state)
{
    Scratch scratch;
    NoReport report;
    recdb::Registry registry(report);
    const std::string path = scratch.path("append.dat");
    for (auto _ : state) {
        state.PauseTiming();
        createShow(path);
        (void)registry.openDatabase(path, "dqqf");
        state.ResumeTiming();
        appendSlots(registry, 1000);
        state.PauseTiming();
        registry.closeDatabase();
        state.ResumeTiming();
    }
}
BENCHMARK(RecdbAppend1000)->Unit(benchmark::kMillisecond);

void RecdbPack10000(benchmark::State& state)
{
    Scratch scratch;
    NoReport report;
    recdb::Registry registry(report);
    const std::string model = scratch.path("model.dat"), path = scratch.path("pack.dat");
    createShow(model);
    (void)registry.openDatabase(model);
    appendSlots(registry, 10000);
    for (int k = 1; k <= 10000; k += 2) {
        registry.goTo(k);
        (void)registry.markDeleted();
    }
    registry.closeDatabase();
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::copy_file(model, path, std::filesystem::copy_options::overwrite_existing);
        (void)registry.openDatabase(path);
        state.ResumeTiming();
        (void)registry.pack();
        state.PauseTiming();
        registry.closeDatabase();
        state.ResumeTiming();
    }
}
BENCHMARK(RecdbPack10000)->Unit(benchmark::kMillisecond);

// SQLite with the same durability as the record database: no sync to disk per change.
sqlite3* openSqlite(const std::string& path)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    return db;
}

void createSqliteShow(const std::string& path, int count, bool halfDeleted = false)
{
    std::filesystem::remove(path);
    sqlite3* db = openSqlite(path);
    sqlite3_exec(db,
        "CREATE TABLE slots(seq TEXT, style TEXT, title TEXT, path TEXT, deleted INTEGER);"
        "BEGIN",
        nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO slots VALUES(?,?,?,?,?)", -1, &insert, nullptr);
    for (int k = 1; k <= count; ++k) {
        const std::string seq = std::to_string(k), title = "track " + seq,
                          file = "/music/dance/track " + seq + ".mp3";
        sqlite3_bind_text(insert, 1, seq.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, "slow four", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, file.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 5, halfDeleted && k % 2 == 1);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void SqliteShowRefresh(benchmark::State& state)
{
    Scratch scratch;
    const std::string path = scratch.path("show.sqlite");
    createSqliteShow(path, 1000);
    for (auto _ : state) {
        sqlite3* db = openSqlite(path);
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(
            db, "SELECT seq, style, title, path FROM slots ORDER BY rowid", -1, &select, nullptr);
        while (sqlite3_step(select) == SQLITE_ROW) {
            for (int column = 0; column < 4; ++column)
                benchmark::DoNotOptimize(
                    Text(reinterpret_cast<const char*>(sqlite3_column_text(select, column))));
        }
        sqlite3_finalize(select);
        sqlite3_close(db);
    }
}
BENCHMARK(SqliteShowRefresh)->Unit(benchmark::kMillisecond);

void SqliteAppend1000(benchmark::State& state)
{
    Scratch scratch;
    const std::string path = scratch.path("append.sqlite");
    for (auto _ : state) {
        state.PauseTiming();
        createSqliteShow(path, 0);
        sqlite3* db = openSqlite(path);
        state.ResumeTiming();
        // One statement per slot, each its own transaction, as the record database commits
        // every append and field write on its own.
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO slots VALUES(?,?,?,?,0)", -1, &insert, nullptr);
        for (int k = 1; k <= 1000; ++k) {
            const std::string seq = std::to_string(k), title = "track " + seq,
                              file = "/music/dance/track " + seq + ".mp3";
            sqlite3_bind_text(insert, 1, seq.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, "slow four", -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 3, title.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 4, file.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        state.PauseTiming();
        sqlite3_close(db);
        state.ResumeTiming();
    }
}
BENCHMARK(SqliteAppend1000)->Unit(benchmark::kMillisecond);

void SqlitePack10000(benchmark::State& state)
{
    Scratch scratch;
    const std::string model = scratch.path("model.sqlite"), path = scratch.path("pack.sqlite");
    createSqliteShow(model, 10000, true);
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::copy_file(model, path, std::filesystem::copy_options::overwrite_existing);
        sqlite3* db = openSqlite(path);
        state.ResumeTiming();
        sqlite3_exec(db, "DELETE FROM slots WHERE deleted = 1; VACUUM", nullptr, nullptr, nullptr);
        state.PauseTiming();
        sqlite3_close(db);
        state.ResumeTiming();
    }
}
BENCHMARK(SqlitePack10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
