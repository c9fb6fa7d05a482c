#pragma once
// Which show names can be saved. A name becomes the file "lb/<name without spaces>.dat", and
// is written under a temporary name eight bytes longer first, so a name must stay one plain
// file name inside "lb" with room for that.

#include "platform/file_system.h"
#include "runtime/text.h"

#include <optional>

namespace app {

using runtime::Text;

// What is wrong with a show name, as the message for the operator; nothing when it can be
// saved. folderNameMax: the longest file name the folder "lb" takes, in bytes on disk.
[[nodiscard]] std::optional<Text> showNameProblem(std::string_view name, long folderNameMax);

// The longest file name of the folder (a GBK path), 255 when the system does not say.
[[nodiscard]] long longestFileName(std::string_view gbkFolder, platform::FileSystem& files);

// The caption of the show never saved.
inline constexpr char unsavedShowName[] = "新建场次";

// True for a current show with no file of its own: one never saved, or the nameless show left
// in the table after the last saved show was deleted. Its edits stay in the table (and the
// question about unsaved changes guards them) until it is saved under a name.
[[nodiscard]] bool namesNoShowFile(std::string_view showName);

// True when the show is kept in "lb/<fileTitle>.dat": its name without spaces is the title,
// ASCII letters in any case, as the file names of an installation's data are found.
[[nodiscard]] bool isFileOfShow(std::string_view fileTitle, std::string_view showName);

} // namespace app
