#pragma once
// The pictures one window has decoded, by their file contents. A window's buttons share their
// skins: the main window's twelve buttons would otherwise decode the same three GIF files
// twelve times each as the window is built, and again at every change of their look.

#include "ui/value.h"

#include <QImage>

#include <deque>

namespace platform::qt {

class PictureCache {
public:
    // What decodePicture gives for `data`, decoded once while the cache holds it.
    QImage decode(const ui::Bytes& data);

private:
    struct Entry {
        ui::Bytes data;
        QImage image;
    };
    // Skins and icons are small; a window's large background is decoded once anyway.
    static constexpr std::size_t largestKept = 64 * 1024;
    static constexpr std::size_t entriesKept = 16;

    std::deque<Entry> entries_; // most recently used first
};

} // namespace platform::qt
