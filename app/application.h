#pragma once
// The application: the runtime it runs on, its program directory, its globals, the record
// database commands, and its window system with the handler table bound to it. Handlers
// receive it and reach everything through it.

#include "app/globals.h"

#include "recdb/registry.h"
#include "runtime/runtime.h"
#include "runtime/text.h"
#include "ui/window_system.h"

namespace app {

class Application {
public:
    Application(runtime::Runtime& runtime, ui::ViewFactory& views);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    runtime::Runtime& runtime;
    // Where the data files live, without a trailing "/"; tests point it at a scratch copy.
    runtime::Text programDirectory;
    Globals globals;
    recdb::RuntimeErrorReport databaseErrors;
    recdb::Registry databases;
    ui::WindowSystem windows;
};

} // namespace app
