#pragma once
// The window system core: the templates, every loaded window's state under one lock, property
// access by number, loading and closing windows, and the event dispatcher. Platform controls
// are views of this state (view.h); user actions arrive through Input; the component commands
// are in Commands. Not a widget toolkit: it draws nothing.
//
// Threads: property reads and writes and postFeedback may come from any thread; everything
// else runs on the interface thread (the loop's thread). A write from another thread updates
// the state under the lock and posts the view refresh to the interface thread.

#include "ui/event_record.h"
#include "ui/loaded_window.h"
#include "ui/template.h"
#include "ui/unit_info.h"

#include "runtime/runtime.h"

#include "platform/owned_mutex.h"

#include <functional>
#include <mutex>
#include <span>

namespace ui {

// The runtime error texts of the window system.
namespace errorText {
extern const char* const templatesUnreadable;
extern const char* const startWindowFailed;
extern const char* const windowNotLoadedForAccess;
extern const char* const controlNotCreated;
extern const char* const noSuchWindowOrComponent;
extern const char* const eventWindowMissing;
extern const char* const eventComponentMissing;
extern const char* const eventSourceInvalid;
extern const char* const unknownProperty;
extern const char* const wrongPropertyType;
}

class WindowSystem {
public:
    WindowSystem(runtime::Runtime& runtime, ViewFactory& views, HandlerTable handlers,
        UnitRegistry units = UnitRegistry::builtin());
    ~WindowSystem();
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;

    // Reads the template segment once, before any window is loaded; malformed data raises the
    // runtime error "载入窗口模板数据段出错!".
    void readTemplates(std::span<const std::uint8_t> segment);

    // Loads the program's first window; raises "载入启动窗口失败" when it cannot.
    void loadStartWindow(WindowId window);
    // Creates the window from its template and shows it. A modal load returns only when the
    // window has closed. False when the window has no template. A loaded window is only shown.
    bool loadWindow(WindowId window, bool modal);
    // Closes a window (ending its modal loop) or destroys a component with its children.
    void close(WindowId window, ComponentId component);
    // A close request from the user or the desktop: closes unless the may-close handler
    // returns false. True when the window closed.
    bool requestClose(WindowId window);
    [[nodiscard]] bool isLoaded(WindowId window) const;
    // The window became the active window (first activation 8 the first time, then 5) or
    // stopped being it (6). Loading activates the window and the desktop may report the same
    // activation again: what is already true raises nothing.
    void setActive(WindowId window, bool active);

    // Property access by number; element index -1 (the program passes no other).
    [[nodiscard]] Value property(WindowId window, ComponentId component, int number);
    void setProperty(WindowId window, ComponentId component, int number, const Value& value);

    // Raises the event: finds the source, calls the bound handler, stores its result.
    void raise(EventRecord& record);
    // Message 0x8075 to a label: from any thread; delivered on the interface thread as the
    // label's event 0 with both parameters, unless the window has closed by then.
    void postFeedback(WindowId window, ComponentId label, std::int32_t first, std::int32_t second);

    // Copies of the state, for views and tests; nothing when not loaded.
    [[nodiscard]] std::vector<ComponentState> components(WindowId window) const;
    [[nodiscard]] std::optional<ComponentState> component(
        WindowId window, ComponentId component) const;
    // The same without its items (entries, tree items, rows): what a view needs to show any
    // property but the items, without copying thousands of them on every refresh.
    [[nodiscard]] std::optional<ComponentState> componentProperties(
        WindowId window, ComponentId component) const;
    [[nodiscard]] std::vector<MenuItemState> menuItems(WindowId window) const;
    // Interface thread: the window's view, or nullptr when not loaded.
    WindowView* view(WindowId window);

    // Runs change on a loaded component of one of the given units (any, when none are given)
    // under the lock, then refreshes
    // the view's property `refresh` (none: no refresh). A missing window or component, or one
    // of another unit, raises "指定窗口或窗口组件不存在或尚未载入".
    void update(WindowId window, ComponentId component, std::initializer_list<UnitType> units,
        std::optional<int> refresh, const std::function<void(ComponentState&)>& change);
    // Same, reading only.
    void inspect(WindowId window, ComponentId component, std::initializer_list<UnitType> units,
        const std::function<void(const ComponentState&)>& read);
    // Runs read on a loaded window's state under the lock; raises the command error if it
    // is not loaded.
    void inspectWindow(WindowId window, const std::function<void(const LoadedWindow&)>& read);
    // Raises the command error unless the window is loaded.
    void requireLoaded(WindowId window);

    // True when input to the component must be dropped: window missing, blocked by a modal
    // window, or the component missing, hidden or disabled (or inside a disabled container).
    [[nodiscard]] bool dropsInput(WindowId window, ComponentId component) const;

    runtime::Runtime& runtime() const { return runtime_; }
    // Where windows are placed: the size of the screen they open on.
    Point screenSize() const { return views_.screenSize(); }
    platform::EventLoop& loop() const { return runtime_.platform().loop; }
    const UnitRegistry& units() const { return units_; }

private:
    using Lock = std::unique_lock<platform::OwnedMutex>;

    LoadedWindow* findLocked(WindowId window) const;
    // Reports a command error through the runtime, which ends the program.
    [[noreturn]] void raise(const char* error);
    // Runs on the interface thread now, or posts it there.
    void onInterfaceThread(std::function<void()> fn);
    void refreshView(WindowId window, ComponentId component, int property);
    void applyTimer(WindowId window, ComponentId timer);
    void destroyWindow(WindowId window);
    [[nodiscard]] std::unique_ptr<LoadedWindow> buildWindow(const WindowTemplate& tmpl);
    void setBlocked(WindowId except, int delta);
    void raiseWindowEvent(WindowId window, int event, std::vector<std::int32_t> args = {});

    runtime::Runtime& runtime_;
    ViewFactory& views_;
    const HandlerTable handlers_;
    const UnitRegistry units_;
    // Posted work holds a weak reference, so it does nothing once the core is gone.
    std::shared_ptr<int> alive_ = std::make_shared<int>();

    // mutex_ guards templates_ and windows_ and the state inside them. Never held while
    // calling a view, a handler, the loop or the runtime.
    mutable platform::OwnedMutex mutex_;
    Segment templates_;
    std::map<WindowId, std::unique_ptr<LoadedWindow>> windows_;
};

} // namespace ui
