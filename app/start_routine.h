#pragma once
// Where the runtime hands control to the application.

namespace app {

class Application;

// Reads the window templates, sets up the globals and their clean-up, loads the main window
// and runs the message loop until the program ends. Returns 0.
[[nodiscard]] int runStartRoutine(Application& app);

} // namespace app
