#pragma once
// The evening log (evening.log in the hall folder): where the evening stood, appended as
// whole records and synced at every change of the play state and every few seconds while a
// track plays, so a start after a crash or a power cut finds the last moment known.
//
// File layout, little-endian, one record after another:
//   offset  width  meaning
//   0       4      payload byte count n, 1 … maxPayload
//   4       4      CRC-32 of the payload
//   8       n      payload (evening_record.h)
// Reading stops at the first record that is cut short or fails its checksum: only the last
// write can be torn, and what came before it is whole. Once the file grows past its bound
// it is replaced by a file holding its last record alone (temporary file, sync, rename).
//
// Not shared between processes: the hall's single-instance lock keeps one writer.
// One thread at a time: the program's writes come from its log writer's thread.

#include "app/evening_record.h"

#include "platform/file_system.h"

#include <cstdint>
#include <optional>
#include <string>

namespace app {

inline constexpr char eveningLogName[] = "evening.log";

class EveningLog {
public:
    static constexpr std::uint32_t maxPayload = 16 * 1024;

    // compactBeyond: the size past which an append rewrites the file with its last record.
    EveningLog(
        platform::FileSystem& files, std::string path, std::int64_t compactBeyond = 64 * 1024);
    ~EveningLog();
    EveningLog(const EveningLog&) = delete;
    EveningLog& operator=(const EveningLog&) = delete;

    // The last whole record of the file at path; nothing when it is missing, unreadable or
    // holds none.
    [[nodiscard]] static std::optional<EveningRecord> readLast(
        platform::FileSystem& files, const std::string& path);

    // Appends the record and syncs it: true once it is on the disk. A failed append leaves
    // the records before it readable, and the next append writes over what it left.
    [[nodiscard]] bool append(const EveningRecord& record);

private:
    // Opens the file and cuts a torn tail off it, so appends follow the last whole record.
    bool openForAppending();
    // Replaces the file by one holding only `framed`; on failure the old file stays in use.
    void compact(const std::string& framed);

    platform::FileSystem& files_;
    std::string path_;
    std::int64_t compactBeyond_;
    int fd_ = -1;
    std::int64_t end_ = 0; // just past the last whole record
};

} // namespace app
