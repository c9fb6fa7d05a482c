#pragma once
// A small interpreter of the media-control command strings the media player component
// sends, with devices named by alias:
//   open <file> type <device type> alias <alias>   (the file may be in double quotes)
//   close <alias>
//   set <alias> time format milliseconds
//   status <alias> length
// Opening measures the file (media_length.h); a file it cannot measure does not open.
// Not a player: nothing is ever heard through it. Interface thread only.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace media {

enum class MediaControlError {
    none = 0,
    unknownCommand,
    badSyntax,
    unknownAlias,
    aliasInUse,
    cannotOpenFile,
};

class MediaControl {
public:
    // Runs `command` (GBK text); a status command's answer goes to `reply`.
    MediaControlError send(std::string_view command, std::string* reply = nullptr);

    bool isOpen(const std::string& alias) const { return lengths_.contains(alias); }

private:
    std::map<std::string, std::int64_t> lengths_; // milliseconds, by alias of an open device
};

} // namespace media
