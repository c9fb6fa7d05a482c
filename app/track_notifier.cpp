#include "app/track_notifier.h"
#include "app/main_window_roles.h"

#include "ui/templates/window_ids.h"
#include "ui/window_system.h"

namespace app {

bool TrackNotifier::exists() const
{
    return windows_.isLoaded(ids::MainWindow::window);
}

void TrackNotifier::post(int percent)
{
    using namespace ids::MainWindow;
    windows_.postFeedback(window, role::playStateLine, percent, serial_);
}

} // namespace app
