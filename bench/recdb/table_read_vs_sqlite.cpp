// Reading a whole show table, as every refresh of the show views does (open, read the four
// slot fields of every record, close), beside the same rows read from SQLite, for tables of
// 1,000 and 10,000 records. Prints the median times and the ratio to SQLite, and the
// field-by-field reading the whole-table read replaced.
//
// Usage: recdb_table_read_bench [RECORDS...]   (default 1000 10000)

#include "../../tools/recdb/database_creator.h"
#include "recdb/registry.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sqlite3.h>
#include <stdexcept>
#include <unistd.h>

namespace {

using runtime::Text;
using Clock = std::chrono::steady_clock;

class ThrowingReport final : public recdb::ErrorReport {
public:
    [[noreturn]] void raise(const Text& message) override { throw std::runtime_error(message); }
};

const std::vector<runtime::Value> slotFields
    = { Text("seq"), Text("style"), Text("title"), Text("path") };

struct Scratch {
    std::filesystem::path dir;
    Scratch()
    {
        std::string pattern
            = (std::filesystem::temp_directory_path() / "recdb-read-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("no scratch folder");
        dir = pattern;
    }
    ~Scratch() { std::filesystem::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
};

struct Slot {
    std::string seq, title, path;
};

Slot slot(int k)
{
    const std::string seq = std::to_string(k);
    return { seq, "track " + seq, "/music/dance/track " + seq + ".mp3" };
}

// The show table's layout: four text fields.
void buildShow(recdb::Registry& registry, const std::string& path, int records)
{
    if (int code = recdb::tool::createDatabase(path,
            { { "seq", 10, 16 }, { "style", 10, 64 }, { "title", 10, 256 }, { "path", 10, 1024 } }))
        throw std::runtime_error("create failed: " + std::to_string(code));
    (void)registry.openDatabase(path, Text("show"));
    for (int k = 1; k <= records; ++k) {
        const Slot s = slot(k);
        (void)registry.appendBlankRecord();
        (void)registry.writeField(Text("seq"), {}, Text(s.seq));
        (void)registry.writeField(Text("style"), {}, Text("slow four"));
        (void)registry.writeField(Text("title"), {}, Text(s.title));
        (void)registry.writeField(Text("path"), {}, Text(s.path));
    }
    registry.closeDatabase();
}

sqlite3* openSqlite(const std::string& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        throw std::runtime_error("sqlite open failed");
    return db;
}

void buildSqliteShow(const std::string& path, int records)
{
    sqlite3* db = openSqlite(path);
    sqlite3_exec(db, "CREATE TABLE slots(seq TEXT, style TEXT, title TEXT, path TEXT); BEGIN",
        nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO slots VALUES(?,?,?,?)", -1, &insert, nullptr);
    for (int k = 1; k <= records; ++k) {
        const Slot s = slot(k);
        sqlite3_bind_text(insert, 1, s.seq.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, "slow four", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, s.title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, s.path.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// The median time of each way of reading, in milliseconds. The ways take turns, round after
// round (at least 5 rounds, about a second), so that a busy machine slows them alike. Each
// returns the number of rows it read, which must be expected.
std::vector<double> medianMillis(
    std::size_t expected, const std::vector<std::function<std::size_t()>>& ways)
{
    std::vector<std::vector<double>> times(ways.size());
    const auto until = Clock::now() + std::chrono::seconds(1);
    for (int round = 0; round < 5 || (Clock::now() < until && round < 200); ++round) {
        for (std::size_t w = 0; w < ways.size(); ++w) {
            const auto start = Clock::now();
            const std::size_t rows = ways[w]();
            times[w].push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            if (rows != expected)
                throw std::runtime_error("read " + std::to_string(rows) + " rows");
        }
    }
    std::vector<double> medians;
    for (std::vector<double>& runs : times) {
        std::nth_element(runs.begin(), runs.begin() + std::ptrdiff_t(runs.size() / 2), runs.end());
        medians.push_back(runs[runs.size() / 2]);
    }
    return medians;
}

std::size_t readWhole(recdb::Registry& registry, const std::string& path)
{
    (void)registry.openDatabase(path, Text("show"));
    const std::size_t rows = registry.readAllRecords(slotFields).size();
    registry.closeDatabase();
    return rows;
}

std::size_t readFieldByField(recdb::Registry& registry, const std::string& path)
{
    (void)registry.openDatabase(path, Text("show"));
    registry.goFirst();
    const int count = registry.recordCount();
    std::vector<std::vector<runtime::Value>> rows;
    for (int k = 0; k < count; ++k, registry.skip()) {
        std::vector<runtime::Value>& row = rows.emplace_back();
        for (const runtime::Value& field : slotFields)
            row.push_back(registry.readField(field));
    }
    registry.closeDatabase();
    return rows.size();
}

std::size_t readSqlite(const std::string& path)
{
    sqlite3* db = openSqlite(path);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(
        db, "SELECT seq, style, title, path FROM slots ORDER BY rowid", -1, &select, nullptr);
    std::vector<std::vector<Text>> rows;
    while (sqlite3_step(select) == SQLITE_ROW) {
        std::vector<Text>& row = rows.emplace_back();
        for (int column = 0; column < 4; ++column)
            row.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(select, column)));
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    return rows.size();
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = { 1000, 10000 };
    try {
        Scratch scratch;
        ThrowingReport report;
        recdb::Registry registry(report);
        std::printf("%8s  %14s  %10s  %9s  %14s\n", "records", "whole read ms", "SQLite ms",
            "ratio", "by field ms");
        for (int records : sizes) {
            const std::string table = scratch.path("show" + std::to_string(records) + ".dat");
            const std::string sqlite = scratch.path("show" + std::to_string(records) + ".sqlite");
            buildShow(registry, table, records);
            buildSqliteShow(sqlite, records);
            const std::vector<double> ms = medianMillis(std::size_t(records),
                { [&] { return readWhole(registry, table); }, [&] { return readSqlite(sqlite); },
                    [&] { return readFieldByField(registry, table); } });
            std::printf("%8d  %14.3f  %10.3f  %8.2fx  %14.3f\n", records, ms[0], ms[1],
                ms[0] / ms[1], ms[2]);
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "recdb_table_read_bench: %s\n", failure.what());
        return 1;
    }
    return 0;
}
