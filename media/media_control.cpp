#include "media/media_control.h"

#include "media/media_length.h"
#include "platform/posix/path.h"

#include <vector>

namespace media {
namespace {

// Words separated by spaces; a word in double quotes may hold spaces.
std::vector<std::string> words(std::string_view command)
{
    std::vector<std::string> result;
    std::size_t at = 0;
    while (at < command.size()) {
        if (command[at] == ' ') {
            ++at;
        } else if (command[at] == '"') {
            std::size_t end = command.find('"', at + 1);
            if (end == std::string_view::npos)
                end = command.size();
            result.emplace_back(command.substr(at + 1, end - at - 1));
            at = end + 1;
        } else {
            std::size_t end = std::min(command.find(' ', at), command.size());
            result.emplace_back(command.substr(at, end - at));
            at = end;
        }
    }
    return result;
}

} // namespace

MediaControlError MediaControl::send(std::string_view command, std::string* reply)
{
    auto w = words(command);
    if (w.empty())
        return MediaControlError::unknownCommand;
    const std::string& verb = w[0];
    if (verb != "open" && verb != "close" && verb != "set" && verb != "status")
        return MediaControlError::unknownCommand;

    if (verb == "open") {
        if (w.size() != 6 || w[2] != "type" || w[4] != "alias")
            return MediaControlError::badSyntax;
        if (lengths_.contains(w[5]))
            return MediaControlError::aliasInUse;
        auto length = mediaLengthMillis(platform::nativePath(w[1]));
        if (!length)
            return MediaControlError::cannotOpenFile;
        lengths_[w[5]] = *length;
        return MediaControlError::none;
    }
    if (w.size() < 2)
        return MediaControlError::badSyntax;
    auto device = lengths_.find(w[1]);
    if (device == lengths_.end())
        return MediaControlError::unknownAlias;

    if (verb == "close" && w.size() == 2) {
        lengths_.erase(device);
        return MediaControlError::none;
    }
    // Milliseconds are the only time format there is.
    if (verb == "set" && w.size() == 5 && w[2] == "time" && w[3] == "format"
        && w[4] == "milliseconds")
        return MediaControlError::none;
    if (verb == "status" && w.size() == 3 && w[2] == "length") {
        if (reply)
            *reply = std::to_string(device->second);
        return MediaControlError::none;
    }
    return MediaControlError::badSyntax;
}

} // namespace media
