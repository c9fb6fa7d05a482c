#include "app/track_notifier.h"

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
    windows_.postFeedback(window, 标签1, percent, serial_);
}

} // namespace app
