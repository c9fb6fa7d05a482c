#pragma once
// The media player component: opens one media file at a time through the media control
// interpreter, under an alias of its own, to report the file's length. It plays nothing.
// Interface thread only.

#include "media/media_control.h"

#include <string>

namespace media {

// The device type the media control interface is asked for, by lower-case extension.
const char* deviceTypeFor(const std::string& extension);
// At most three characters after the path's last "." (from the start without one),
// ASCII letters lower-cased.
std::string extensionOf(const std::string& path);
// 32 hexadecimal digits of a random GUID; empty when no randomness was available.
std::string newDeviceAlias();

class MediaPlayer {
public:
    explicit MediaPlayer(MediaControl& control, std::string alias = newDeviceAlias());
    // Closes the file this component left open.
    ~MediaPlayer();
    MediaPlayer(const MediaPlayer&) = delete;
    MediaPlayer& operator=(const MediaPlayer&) = delete;

    // Closes the previous file first; true when the new one opened.
    bool openMedia(const std::string& path);
    // Whole seconds; 0 when nothing is open.
    int mediaLength();
    // True when a file was open and is closed now.
    bool closeMedia();

    const std::string& alias() const { return alias_; }
    const std::string& path() const { return path_; }
    const std::string& extension() const { return extension_; }
    bool hasVideo() const { return hasVideo_; }

private:
    MediaControlError sendForAlias(const std::string& format, std::string* reply = nullptr);

    MediaControl& control_;
    const std::string alias_;
    std::string path_;
    std::string extension_;
    bool hasVideo_ = false;
};

} // namespace media
