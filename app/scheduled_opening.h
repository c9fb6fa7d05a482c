#pragma once
// The scheduled opening as the main window shows it: the label with its time, the cancel
// button and the checks every 40 s. Interface thread only.

namespace app {

class Application;

// Shows the opening of app.globals.opening as chosen and starts checking for it.
void showScheduledOpening(Application& app);
// An opening is chosen and not yet come: its checks are running.
[[nodiscard]] bool openingScheduled(Application& app);

} // namespace app
