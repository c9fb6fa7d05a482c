#pragma once
// Where the track player reports progress: the application's track label, which it adapts
// to the window message below. Kept free of the window system so media/ stands alone.

namespace media {

// The window message number the application turns a report into (wParam = percent).
constexpr unsigned progressMessage = 0x8075;

class NotifyTarget {
public:
    virtual ~NotifyTarget() = default;
    // False once the window behind the target is gone. Any thread.
    [[nodiscard]] virtual bool exists() const = 0;
    // Percent 0..99 while playing, 100 at the end of a track. Any thread; must not block.
    virtual void post(int percent) = 0;
};

} // namespace media
