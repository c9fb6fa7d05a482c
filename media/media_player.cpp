#include "media/media_player.h"

#include <cstdio>
#include <random>

namespace media {

const char* deviceTypeFor(const std::string& extension)
{
    struct Row {
        std::initializer_list<const char*> extensions;
        const char* type;
    };
    static const Row table[] = {
        { { "avi" }, "avivideo" },
        { { "wav" }, "waveaudio" },
        { { "cda" }, "cdaudio" },
        { { "rm", "ra", "mp3", "ram", "rmvb" }, "MPEGvideo" },
        { { "mid", "rmi", "idi" }, "Sequencer" },
        { { "asf", "wma", "asx", "ivf", "lsf", "lsx", "p2v", "wax", "wvx", "wmx", "wmp" },
            "MPEGvideo2" },
    };
    for (const Row& row : table)
        for (const char* e : row.extensions)
            if (extension == e)
                return row.type;
    return "MPEGvideo";
}

std::string extensionOf(const std::string& path)
{
    std::size_t dot = path.rfind('.');
    std::string extension = path.substr(dot == std::string::npos ? 0 : dot + 1, 3);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return extension;
}

std::string newDeviceAlias()
{
    try {
        std::random_device random;
        std::string alias;
        for (int i = 0; i < 4; ++i) {
            char word[9];
            std::snprintf(word, sizeof word, "%08X", unsigned(random()));
            alias += word;
        }
        return alias;
    } catch (const std::exception&) {
        return {};
    }
}

MediaPlayer::MediaPlayer(MediaControl& control, std::string alias)
    : control_(control)
    , alias_(std::move(alias))
{
}

MediaPlayer::~MediaPlayer()
{
    sendForAlias("close %s");
}

MediaControlError MediaPlayer::sendForAlias(const std::string& format, std::string* reply)
{
    std::string command = format;
    command.replace(command.find("%s"), 2, alias_);
    return control_.send(command, reply);
}

bool MediaPlayer::openMedia(const std::string& path)
{
    sendForAlias("close %s");
    path_ = path;
    extension_ = extensionOf(path);
    // Not formatted like the others: the path may itself contain "%s".
    std::string open
        = "open \"" + path + "\" type " + deviceTypeFor(extension_) + " alias " + alias_;
    bool opened = control_.send(open) == MediaControlError::none;
    hasVideo_
        = extension_ != "mp3" && extension_ != "wav" && extension_ != "cda" && extension_ != "mid";
    return opened;
}

int MediaPlayer::mediaLength()
{
    sendForAlias("set %s time format milliseconds");
    std::string reply;
    if (sendForAlias("status %s length", &reply) != MediaControlError::none)
        return 0;
    reply.resize(std::min<std::size_t>(reply.size(), 49)); // the reply buffer holds 50
    long long millis = 0;
    for (char c : reply) {
        if (c < '0' || c > '9' || millis > 1'000'000'000'000)
            break;
        millis = millis * 10 + (c - '0');
    }
    return int(millis / 1000);
}

bool MediaPlayer::closeMedia()
{
    return sendForAlias("close %s") == MediaControlError::none;
}

} // namespace media
