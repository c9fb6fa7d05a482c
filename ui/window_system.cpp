#include "ui/window_system.h"

#include "ui/byte_io.h"
#include "ui/segment_reader.h"
#include "ui/unit_properties.h"

#include <algorithm>
#include <utility>

namespace ui {

namespace errorText {
const char* const templatesUnreadable = "载入窗口模板数据段出错!";
const char* const startWindowFailed = "载入启动窗口失败";
const char* const windowNotLoadedForAccess = "未载入欲访问窗口组件所在的窗口";
const char* const controlNotCreated = "指定窗口尚未载入";
const char* const noSuchWindowOrComponent = "指定窗口或窗口组件不存在或尚未载入";
const char* const eventWindowMissing = "未找到引发事件的窗口";
const char* const eventComponentMissing = "未找到引发事件的窗口组件";
const char* const eventSourceInvalid = "引发事件的窗口组件无效";
const char* const unknownProperty = "欲访问的属性不存在";
const char* const wrongPropertyType = "属性值的类型不符";
}

namespace {

// The item lists of a component, to be swapped out of its state and back.
struct ItemLists {
    std::vector<Text> entries;
    std::vector<std::int32_t> entryData;
    std::vector<TreeItem> tree;
    std::vector<Text> rows;

    void swapWith(ComponentState& state)
    {
        entries.swap(state.entries);
        entryData.swap(state.entryData);
        tree.swap(state.tree);
        rows.swap(state.rows);
    }
};

} // namespace

ComponentState* LoadedWindow::component(ComponentId wanted)
{
    if (wanted == 0)
        return &components.front();
    auto it = std::find_if(components.begin(), components.end(),
        [&](const ComponentState& c) { return c.id == wanted; });
    return it == components.end() ? nullptr : &*it;
}

MenuItemState* LoadedWindow::menuItem(ComponentId wanted)
{
    auto it = std::find_if(
        menuItems.begin(), menuItems.end(), [&](const MenuItemState& m) { return m.id == wanted; });
    return it == menuItems.end() ? nullptr : &*it;
}

WindowSystem::WindowSystem(
    runtime::Runtime& runtime, ViewFactory& views, HandlerTable handlers, UnitRegistry units)
    : runtime_(runtime)
    , views_(views)
    , handlers_(std::move(handlers))
    , units_(std::move(units))
{
    // The program's end destroys the windows that are still open.
    runtime_.addEndStep([this, alive = std::weak_ptr<int>(alive_)] {
        if (alive.expired())
            return;
        Lock lock(mutex_);
        std::map<WindowId, std::unique_ptr<LoadedWindow>> closing;
        closing.swap(windows_);
        lock.unlock();
        for (auto& [id, window] : closing)
            for (auto& [timer, running] : window->timers)
                loop().stopTimer(running.first);
    });
}

WindowSystem::~WindowSystem()
{
    for (auto& [id, window] : windows_)
        for (auto& [timer, running] : window->timers)
            loop().stopTimer(running.first);
}

void WindowSystem::readTemplates(std::span<const std::uint8_t> segment)
{
    try {
        Segment read = readSegment(segment, units_, handlers_.size());
        Lock lock(mutex_);
        templates_ = std::move(read);
    } catch (const TemplateFormatError&) {
        runtime_.raiseError({}, errorText::templatesUnreadable);
    }
}

LoadedWindow* WindowSystem::findLocked(WindowId window) const
{
    mutex_.assertHeld();
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : it->second.get();
}

void WindowSystem::raise(const char* error)
{
    runtime_.raiseError({}, error);
}

bool WindowSystem::isLoaded(WindowId window) const
{
    Lock lock(mutex_);
    return findLocked(window) != nullptr;
}

void WindowSystem::onInterfaceThread(std::function<void()> fn)
{
    if (loop().onLoopThread()) {
        fn();
        return;
    }
    loop().post([alive = std::weak_ptr<int>(alive_), fn = std::move(fn)] {
        if (!alive.expired())
            fn();
    });
}

WindowView* WindowSystem::view(WindowId window)
{
    Lock lock(mutex_);
    LoadedWindow* loaded = findLocked(window);
    return loaded ? loaded->view.get() : nullptr;
}

void WindowSystem::refreshView(WindowId window, ComponentId component, int property)
{
    if (WindowView* shown = view(window))
        shown->refresh(component, property);
}

std::unique_ptr<LoadedWindow> WindowSystem::buildWindow(const WindowTemplate& tmpl)
{
    auto window = std::make_unique<LoadedWindow>();
    window->id = tmpl.id;
    for (const auto& item : tmpl.components)
        window->components.push_back(makeComponentState(item, *units_.find(item.unit)));
    for (const auto& item : tmpl.menuItems)
        window->menuItems.push_back(makeMenuItemState(item));
    ComponentState& own = window->components.front();
    if (own.value<std::int32_t>(prop::window::state) == windowState::centred) {
        Point screen = views_.screenSize();
        own.geometry.left = (screen.x - own.geometry.width) / 2;
        own.geometry.top = (screen.y - own.geometry.height) / 2;
    }
    return window;
}

void WindowSystem::loadStartWindow(WindowId window)
{
    bool known;
    {
        Lock lock(mutex_);
        known = templates_.window(window) != nullptr;
    }
    if (!known)
        raise(errorText::startWindowFailed);
    loadWindow(window, false);
}

bool WindowSystem::loadWindow(WindowId id, bool modal)
{
    Lock lock(mutex_);
    if (findLocked(id)) {
        lock.unlock();
        if (WindowView* shown = view(id))
            shown->setZOrder(zOrder::top);
        return true;
    }
    const WindowTemplate* tmpl = templates_.window(id);
    if (!tmpl)
        return false;
    auto built = buildWindow(*tmpl);
    std::shared_ptr<bool> closed = built->closed;
    windows_.emplace(id, std::move(built));
    lock.unlock();

    auto view = views_.createView(*this, id);
    std::vector<ComponentId> timers;
    lock.lock();
    LoadedWindow* window = findLocked(id);
    window->view = std::move(view);
    for (const auto& c : window->components)
        if (c.unit == unit::timer)
            timers.push_back(c.id);
    lock.unlock();

    for (ComponentId timer : timers)
        applyTimer(id, timer);
    // A handler may close the window it is loading; the events after that have no window.
    for (int event :
        { windowEvent::created, windowEvent::moved, windowEvent::resized, windowEvent::showing }) {
        raiseWindowEvent(id, event);
        if (*closed)
            return true;
    }
    if (WindowView* shown = this->view(id))
        shown->show();
    std::optional<ComponentId> focus;
    lock.lock();
    if (LoadedWindow* loaded = findLocked(id)) {
        const ComponentState* best = nullptr;
        for (const auto& c : loaded->components)
            if (c.takesFocus && c.visible && !c.disabled && c.unit != unit::window
                && (!best || c.tabOrder < best->tabOrder))
                best = &c;
        if (best)
            focus = best->id;
    }
    lock.unlock();
    setActive(id, true);
    if (focus)
        if (WindowView* shown = this->view(id))
            shown->setFocus(*focus);

    if (modal && !*closed) {
        setBlocked(id, +1);
        loop().runUntil([closed] { return *closed; });
        setBlocked(id, -1);
    }
    return true;
}

void WindowSystem::setActive(WindowId window, bool active)
{
    bool first = false;
    {
        Lock lock(mutex_);
        LoadedWindow* loaded = findLocked(window);
        if (!loaded || loaded->active == active)
            return;
        loaded->active = active;
        first = active && !std::exchange(loaded->activatedOnce, true);
    }
    if (first)
        raiseWindowEvent(window, windowEvent::firstActivation);
    raiseWindowEvent(window, active ? windowEvent::activated : windowEvent::deactivated);
}

void WindowSystem::setBlocked(WindowId except, int delta)
{
    std::vector<std::pair<WindowId, bool>> changed;
    {
        Lock lock(mutex_);
        for (auto& [id, window] : windows_) {
            if (id == except)
                continue;
            bool was = window->blockedBy > 0;
            window->blockedBy = std::max(0, window->blockedBy + delta);
            if (was != (window->blockedBy > 0))
                changed.emplace_back(id, window->blockedBy > 0);
        }
    }
    for (auto [id, blocked] : changed)
        if (WindowView* shown = view(id))
            shown->setBlocked(blocked);
}

void WindowSystem::raiseWindowEvent(WindowId window, int event, std::vector<std::int32_t> args)
{
    EventRecord record { window, 0, event, std::move(args) };
    raise(record);
}

bool WindowSystem::requestClose(WindowId window)
{
    if (!isLoaded(window))
        return false;
    EventRecord record { window, 0, windowEvent::mayClose, {} };
    raise(record);
    if (record.hasResult && record.result == 0)
        return false;
    destroyWindow(window);
    return true;
}

void WindowSystem::destroyWindow(WindowId id)
{
    if (!isLoaded(id))
        return;
    raiseWindowEvent(id, windowEvent::destroying);
    Lock lock(mutex_);
    auto it = windows_.find(id);
    if (it == windows_.end())
        return;
    std::unique_ptr<LoadedWindow> window = std::move(it->second);
    windows_.erase(it);
    lock.unlock();
    for (auto& [timer, running] : window->timers)
        loop().stopTimer(running.first);
    *window->closed = true;
    window->view.reset();
}

void WindowSystem::close(WindowId window, ComponentId component)
{
    Lock lock(mutex_);
    LoadedWindow* loaded = findLocked(window);
    bool ownItem = loaded && (component == 0 || loaded->components.front().id == component);
    if (!loaded || (!ownItem && !loaded->component(component))) {
        lock.unlock();
        raise(errorText::noSuchWindowOrComponent);
    }
    if (ownItem) {
        lock.unlock();
        destroyWindow(window);
        return;
    }
    // The component goes with everything inside it.
    std::vector<ComponentId> doomed { component };
    for (std::size_t i = 0; i < doomed.size(); ++i)
        for (const auto& c : loaded->components)
            if (c.parent == doomed[i])
                doomed.push_back(c.id);
    ComponentState& gone = *loaded->component(component);
    if (ComponentState* container = gone.parent ? loaded->component(gone.parent) : nullptr)
        std::erase(container->children, component);
    std::vector<platform::TimerId> timers;
    for (ComponentId id : doomed) {
        if (auto t = loaded->timers.find(id); t != loaded->timers.end()) {
            timers.push_back(t->second.first);
            loaded->timers.erase(t);
        }
        std::erase_if(loaded->components, [&](const ComponentState& c) { return c.id == id; });
    }
    WindowView* shown = loaded->view.get();
    lock.unlock();
    for (auto timer : timers)
        loop().stopTimer(timer);
    if (shown)
        for (ComponentId id : doomed)
            shown->removeComponent(id);
}

void WindowSystem::applyTimer(WindowId window, ComponentId timer)
{
    std::optional<platform::TimerId> stop;
    std::int32_t interval = 0;
    {
        Lock lock(mutex_);
        LoadedWindow* loaded = findLocked(window);
        ComponentState* state = loaded ? loaded->component(timer) : nullptr;
        if (!state)
            return;
        interval = state->value<std::int32_t>(prop::timer::interval);
        auto running = loaded->timers.find(timer);
        std::int32_t scheduled = running == loaded->timers.end() ? 0 : running->second.second;
        // Writing the interval it already runs with keeps its schedule.
        if (interval == scheduled)
            return;
        if (running != loaded->timers.end()) {
            stop = running->second.first;
            loaded->timers.erase(running);
        }
    }
    if (stop)
        loop().stopTimer(*stop);
    if (interval <= 0)
        return;
    platform::TimerId id
        = loop().startTimer(interval, [this, alive = std::weak_ptr<int>(alive_), window, timer] {
              if (alive.expired())
                  return;
              EventRecord tick { window, timer, 0, {} };
              raise(tick);
          });
    Lock lock(mutex_);
    if (LoadedWindow* loaded = findLocked(window))
        loaded->timers[timer] = { id, interval };
}

void WindowSystem::raise(EventRecord& record)
{
    if (runtime_.isReportingError())
        return;
    const char* error = nullptr;
    std::int32_t handler = -1;
    {
        Lock lock(mutex_);
        LoadedWindow* window = findLocked(record.window);
        if (!window) {
            error = errorText::eventWindowMissing;
        } else if (const MenuItemState* menu = window->menuItem(record.component)) {
            handler = menu->handler;
        } else if (const ComponentState* item = window->component(record.component)) {
            if (!units_.find(item->unit)->raisesEvents) {
                error = errorText::eventSourceInvalid;
            } else {
                for (const auto& binding : item->events)
                    if (binding.event == record.event) {
                        handler = binding.handler;
                        break;
                    }
            }
        } else {
            error = errorText::eventComponentMissing;
        }
    }
    if (error)
        raise(error);
    if (handler < 0 || !handlers_[handler])
        return;
    if (auto result = handlers_[handler](EventArgs(record.component, record.args))) {
        record.hasResult = true;
        record.result = *result;
    }
}

void WindowSystem::postFeedback(
    WindowId window, ComponentId label, std::int32_t first, std::int32_t second)
{
    loop().post([this, alive = std::weak_ptr<int>(alive_), window, label, first, second] {
        // Like a message to a destroyed window, feedback to a closed one is lost.
        if (alive.expired() || !component(window, label))
            return;
        EventRecord record { window, label, 0, { first, second } };
        raise(record);
    });
}

std::vector<ComponentState> WindowSystem::components(WindowId window) const
{
    Lock lock(mutex_);
    LoadedWindow* loaded = findLocked(window);
    return loaded ? loaded->components : std::vector<ComponentState> {};
}

std::optional<ComponentState> WindowSystem::component(WindowId window, ComponentId id) const
{
    Lock lock(mutex_);
    LoadedWindow* loaded = findLocked(window);
    ComponentState* state = loaded ? loaded->component(id) : nullptr;
    return state ? std::optional(*state) : std::nullopt;
}

std::optional<ComponentState> WindowSystem::componentProperties(
    WindowId window, ComponentId id) const
{
    Lock lock(mutex_);
    LoadedWindow* loaded = findLocked(window);
    ComponentState* state = loaded ? loaded->component(id) : nullptr;
    if (!state)
        return std::nullopt;
    // The items step aside while the rest is copied; nobody else sees the state meanwhile.
    ItemLists aside;
    aside.swapWith(*state);
    std::optional<ComponentState> copy(*state);
    aside.swapWith(*state);
    return copy;
}

std::vector<MenuItemState> WindowSystem::menuItems(WindowId window) const
{
    Lock lock(mutex_);
    LoadedWindow* loaded = findLocked(window);
    return loaded ? loaded->menuItems : std::vector<MenuItemState> {};
}

void WindowSystem::update(WindowId window, ComponentId component,
    std::initializer_list<UnitType> units, std::optional<int> refresh,
    const std::function<void(ComponentState&)>& change)
{
    {
        Lock lock(mutex_);
        LoadedWindow* loaded = findLocked(window);
        ComponentState* state = loaded ? loaded->component(component) : nullptr;
        bool fits = state
            && (units.size() == 0
                || std::find(units.begin(), units.end(), state->unit) != units.end());
        if (fits)
            change(*state);
        else {
            lock.unlock();
            raise(errorText::noSuchWindowOrComponent);
        }
    }
    if (refresh)
        onInterfaceThread([this, window, component, property = *refresh] {
            refreshView(window, component, property);
        });
}

void WindowSystem::inspect(WindowId window, ComponentId component,
    std::initializer_list<UnitType> units, const std::function<void(const ComponentState&)>& read)
{
    update(window, component, units, std::nullopt, read);
}

void WindowSystem::inspectWindow(
    WindowId window, const std::function<void(const LoadedWindow&)>& read)
{
    Lock lock(mutex_);
    if (LoadedWindow* loaded = findLocked(window)) {
        read(*loaded);
        return;
    }
    lock.unlock();
    raise(errorText::noSuchWindowOrComponent);
}

void WindowSystem::requireLoaded(WindowId window)
{
    if (!isLoaded(window))
        raise(errorText::noSuchWindowOrComponent);
}

bool WindowSystem::dropsInput(WindowId window, ComponentId component) const
{
    Lock lock(mutex_);
    LoadedWindow* loaded = findLocked(window);
    if (!loaded || loaded->blockedBy > 0 || loaded->components.front().disabled)
        return true;
    const ComponentState* c = loaded->component(component);
    if (!c)
        return true;
    // A hidden window still takes its own events (the tray icon of a hidden main window).
    for (; c && c->unit != unit::window; c = c->parent ? loaded->component(c->parent) : nullptr)
        if (c->disabled || !c->visible)
            return true;
    return false;
}

} // namespace ui
