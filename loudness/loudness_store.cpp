#include "loudness/loudness_store.h"

#include <sqlite3.h>

#include <cmath>

namespace loudness {
namespace {

// Set up once per open; every statement is idempotent, so an existing store passes through.
// With WAL, NORMAL sync loses nothing committed when the process is killed; a power cut may
// lose the last rows, which are then measured again, and never damages the file.
constexpr const char* schema = R"(
PRAGMA journal_mode = WAL;
PRAGMA synchronous = NORMAL;
CREATE TABLE IF NOT EXISTS track_loudness (
    path TEXT PRIMARY KEY NOT NULL,
    size INTEGER NOT NULL,
    modified_ns INTEGER NOT NULL,
    integrated_lufs REAL,
    range_lu REAL NOT NULL,
    true_peak_dbtp REAL
);
)";

// Another process (the tool, a second window) may hold the write lock for a moment.
constexpr int busyMillis = 2000;

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

Statement prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    return Statement(statement);
}

void bindKey(sqlite3_stmt* statement, const TrackKey& key)
{
    sqlite3_bind_text(
        statement, 1, key.nativePath.data(), int(key.nativePath.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(statement, 2, key.size);
    sqlite3_bind_int64(statement, 3, key.modifiedNanos);
}

// SQLite keeps infinities as they are, but a NULL is plainer for "none": silence has no
// integrated loudness and no peak.
void bindFigure(sqlite3_stmt* statement, int index, double value)
{
    if (std::isfinite(value))
        sqlite3_bind_double(statement, index, value);
    else
        sqlite3_bind_null(statement, index);
}

double columnFigure(sqlite3_stmt* statement, int index)
{
    return sqlite3_column_type(statement, index) == SQLITE_NULL
        ? -HUGE_VAL
        : sqlite3_column_double(statement, index);
}

} // namespace

std::optional<TrackKey> trackKey(const std::string& nativePath, platform::FileSystem& files)
{
    platform::FileStatus status;
    if (files.pathStatus(nativePath, status) < 0 || !status.regular)
        return std::nullopt;
    return TrackKey { nativePath, status.size, status.modifiedNanos };
}

std::unique_ptr<LoudnessStore> LoudnessStore::open(const std::string& path, std::string& error)
{
    sqlite3* db = nullptr;
    int result = sqlite3_open_v2(path.c_str(), &db,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    // Even a failed open returns a handle, which carries the message and must be closed.
    std::unique_ptr<LoudnessStore> store(new LoudnessStore(db));
    if (result == SQLITE_OK)
        result = sqlite3_busy_timeout(db, busyMillis);
    if (result == SQLITE_OK)
        result = sqlite3_exec(db, schema, nullptr, nullptr, nullptr);
    if (result != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : sqlite3_errstr(result);
        return nullptr;
    }
    return store;
}

LoudnessStore::LoudnessStore(sqlite3* db)
    : db_(db)
{
}

LoudnessStore::~LoudnessStore()
{
    sqlite3_close_v2(db_);
}

LoudnessStore::Found LoudnessStore::find(const TrackKey& key)
{
    Statement statement = prepare(db_,
        "SELECT integrated_lufs, range_lu, true_peak_dbtp FROM track_loudness"
        " WHERE path = ?1 AND size = ?2 AND modified_ns = ?3");
    if (!statement)
        return {};
    bindKey(statement.get(), key);
    switch (sqlite3_step(statement.get())) {
    case SQLITE_ROW:
        return { true,
            Loudness { columnFigure(statement.get(), 0), sqlite3_column_double(statement.get(), 1),
                columnFigure(statement.get(), 2) } };
    case SQLITE_DONE:
        return { true, std::nullopt };
    default:
        return {};
    }
}

bool LoudnessStore::save(const TrackKey& key, const Loudness& figures)
{
    Statement statement = prepare(db_,
        "INSERT OR REPLACE INTO track_loudness"
        " (path, size, modified_ns, integrated_lufs, range_lu, true_peak_dbtp)"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    if (!statement)
        return false;
    bindKey(statement.get(), key);
    bindFigure(statement.get(), 4, figures.integratedLufs);
    sqlite3_bind_double(statement.get(), 5, std::isfinite(figures.rangeLu) ? figures.rangeLu : 0);
    bindFigure(statement.get(), 6, figures.truePeakDbtp);
    return sqlite3_step(statement.get()) == SQLITE_DONE;
}

std::string LoudnessStore::lastError() const
{
    return sqlite3_errmsg(db_);
}

} // namespace loudness
