#pragma once
// How an import reaches the hall folder whole or not at all. Its files are copied into a
// scratch folder inside the hall folder, ".import-XXXXXX", checked there and written to the
// disk; the commit then renames that folder to ".imported-XXXXXX" in one step, and only after
// it are the files renamed out of it into their places. Whatever moment kills an import, the
// next start (or the next import) finds a scratch folder, whose import it undoes by removing
// the folder (the hall never saw a file of it), or a committed one, whose import it finishes
// by moving in what is still there.
//
// Only with the hall's lock held: the scratch folders found are then never an import's that
// is still running. Native (UTF-8) paths; problems are for the terminal, in English.

#include "platform/file_system.h"

#include <optional>
#include <string>
#include <string_view>

namespace app {

// The scratch folder of one import, made at construction and removed again when the object
// goes unless it was committed.
class ImportStaging {
public:
    ImportStaging(platform::FileSystem& files, const std::string& hallFolder);
    ~ImportStaging();
    ImportStaging(const ImportStaging&) = delete;
    ImportStaging& operator=(const ImportStaging&) = delete;

    // Where the files go, each under the path it takes inside the hall folder; empty when the
    // folder could not be made.
    [[nodiscard]] const std::string& path() const { return path_; }

    // Makes the staged files, synced already, the hall's. Nothing when they all are now; else
    // the problem. Refused before committed() is true, the hall is as it was; after, the next
    // start finishes the move.
    [[nodiscard]] std::optional<std::string> commit();
    [[nodiscard]] bool committed() const { return committed_; }

private:
    platform::FileSystem& files_;
    std::string hall_;
    std::string path_;
    bool committed_ = false;
};

enum class InterruptedImport {
    none, // the hall holds no trace of one
    undone, // it was killed before its commit: the hall is as before it
    finished, // it was killed after its commit: the hall is as after it now
    unfinished, // it was killed after its commit and cannot be finished now: half imported
};

struct ImportSettlement {
    InterruptedImport outcome = InterruptedImport::none;
    std::string problem; // why it is unfinished
};

// Undoes or finishes an import that was killed in the hall folder.
[[nodiscard]] ImportSettlement settleInterruptedImport(
    const std::string& hallFolder, platform::FileSystem& files);

// True for the name of an import's scratch folder, committed or not.
[[nodiscard]] bool isImportScratchName(std::string_view name);

} // namespace app
