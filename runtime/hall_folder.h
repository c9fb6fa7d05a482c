#pragma once
// The hall folder: the one folder that holds a hall's data (the show tables, ss.dat and
// lb/), laid out like an existing installation's so such a folder can be used as it is.
// The program makes it the current directory at start. Builds never write into it; the
// shipped defaults (empty tables, style catalogue, settings, picture) only seed a new one.
//
// Paths here are native (UTF-8) paths; messages are for the terminal, in English.

#include <optional>
#include <string>

namespace runtime {

// The hall folder to use, absolute: the command line's --data, else $DANCEHALL_DATA, else
// $XDG_DATA_HOME/dancehall, else $HOME/.local/share/dancehall. Nothing when none of them
// gives a path.
[[nodiscard]] std::optional<std::string> chooseHallFolder(
    const std::optional<std::string>& fromCommandLine);

// Where the shipped defaults are: the executable's own folder when it holds them (a build's
// dist/ folder), else <prefix>/share/dancehall beside the executable's bin/ folder.
[[nodiscard]] std::optional<std::string> shippedDefaultsFolder();

// Makes hall ready: an existing folder is used as it is (only a missing lb/ is added); a
// missing one is created with a copy of the defaults, all at once, so a start that dies
// half-way leaves no half-seeded hall. A problem is returned as its message.
[[nodiscard]] std::optional<std::string> prepareHallFolder(
    const std::string& hall, const std::optional<std::string>& defaults);

} // namespace runtime
