#pragma once
// The main window's track label as the track player's notify target: each report becomes the
// label's feedback message, raised on the interface thread as its event 0 with the percent
// and the serial of the player that sent it, so reports of a replaced player can be told
// apart once they reach the queue.

#include "media/notify_target.h"

#include <cstdint>

namespace ui {
class WindowSystem;
}

namespace app {

class TrackNotifier : public media::NotifyTarget {
public:
    TrackNotifier(ui::WindowSystem& windows, std::int32_t serial)
        : windows_(windows)
        , serial_(serial)
    {
    }

    [[nodiscard]] bool exists() const override;
    void post(int percent) override;

private:
    ui::WindowSystem& windows_;
    const std::int32_t serial_;
};

} // namespace app
