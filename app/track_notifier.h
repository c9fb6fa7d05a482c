#pragma once
// The main window's track label as the track player's notify target: each report becomes the
// label's feedback message, raised on the interface thread as its event 0 with the percent.

#include "media/notify_target.h"

namespace ui {
class WindowSystem;
}

namespace app {

class TrackNotifier : public media::NotifyTarget {
public:
    explicit TrackNotifier(ui::WindowSystem& windows)
        : windows_(windows)
    {
    }

    bool exists() const override;
    void post(int percent) override;

private:
    ui::WindowSystem& windows_;
};

} // namespace app
