#pragma once
// The figures of every track measured in this hall, kept in an SQLite database in the hall
// folder so a track is measured once, not at every start. A row belongs to a file by its
// path, size and modification time: a file changed on disk no longer matches and is
// measured again. WAL journal: a crash or kill in the middle of a write loses at most that
// write, never the rows committed before it.
//
// Not for playback's thread budget: a lookup is an indexed read (well under a millisecond),
// a save an fsync. One object may be used from several threads (the connection is opened
// serialized); what it does not do is decide when to measure (the app's worker does).

#include "loudness/track_loudness.h"
#include "platform/file_system.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct sqlite3;

namespace loudness {

// Which file a row belongs to.
struct TrackKey {
    std::string nativePath;
    std::int64_t size = 0;
    std::int64_t modifiedNanos = 0;

    bool operator==(const TrackKey&) const = default;
};

// The key of the file now at `nativePath`; nothing when it is not a regular file.
[[nodiscard]] std::optional<TrackKey> trackKey(
    const std::string& nativePath, platform::FileSystem& files = platform::systemFileSystem());

class LoudnessStore {
public:
    // Opens the database at `path`, making it when it is absent. Nothing when SQLite cannot
    // open or set it up (a folder there, no permission, a damaged file); `error` says why.
    [[nodiscard]] static std::unique_ptr<LoudnessStore> open(
        const std::string& path, std::string& error);
    ~LoudnessStore();
    LoudnessStore(const LoudnessStore&) = delete;
    LoudnessStore& operator=(const LoudnessStore&) = delete;

    // What find found: the figures of exactly this file, nothing for an unmeasured or
    // changed file, or a failure of the database (lastError() says which).
    struct Found {
        bool ok = false;
        std::optional<Loudness> figures;
    };
    [[nodiscard]] Found find(const TrackKey& key);
    // Keeps `figures` for `key`, replacing what the path had; false when the write failed.
    [[nodiscard]] bool save(const TrackKey& key, const Loudness& figures);
    // The last failure's text from SQLite.
    [[nodiscard]] std::string lastError() const;

private:
    explicit LoudnessStore(sqlite3* db);
    sqlite3* db_;
};

} // namespace loudness
