#pragma once
// The application: the runtime it runs on, its window system with the handler table bound
// to it, and its globals. Handlers receive it and reach everything through it.

#include "app/globals.h"

#include "runtime/runtime.h"
#include "ui/window_system.h"

namespace app {

class Application {
public:
    Application(runtime::Runtime& runtime, ui::ViewFactory& views);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    runtime::Runtime& runtime;
    Globals globals;
    ui::WindowSystem windows;
};

} // namespace app
