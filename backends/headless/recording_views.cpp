#include "backends/headless/recording_views.h"

#include "ui/unit_properties.h"

#include <cstdio>

namespace ui::headless {
namespace {

std::string hex(std::uint32_t id)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08x", id);
    return buffer;
}

// The text a component shows: property 8 of every unit that shows one.
std::optional<Text> shownText(const ComponentState& c)
{
    auto it = c.values.find(prop::label::caption);
    if (it == c.values.end() || !std::holds_alternative<Text>(it->second))
        return std::nullopt;
    return std::get<Text>(it->second);
}

} // namespace

class RecordingView final : public WindowView {
public:
    RecordingView(RecordingViews& owner, WindowId window)
        : owner_(owner)
        , window_(window)
    {
        owner_.record(window_, "create");
    }
    ~RecordingView() override { owner_.record(window_, "destroy"); }

    void show() override { owner_.record(window_, "show"); }
    void refresh(ComponentId component, int property) override
    {
        owner_.record(window_, "refresh " + hex(component) + " " + std::to_string(property));
    }
    void removeComponent(ComponentId component) override
    {
        owner_.record(window_, "remove " + hex(component));
    }
    void setBlocked(bool blocked) override
    {
        owner_.record(window_, blocked ? "block" : "unblock");
        std::lock_guard lock(owner_.mutex_);
        owner_.blocked_[window_] = blocked;
    }
    void setFocus(ComponentId component) override
    {
        owner_.record(window_, "focus " + hex(component));
        std::lock_guard lock(owner_.mutex_);
        owner_.focus_[window_] = component;
    }
    void setZOrder(int mode) override { owner_.record(window_, "z-order " + std::to_string(mode)); }
    void popupMenu(const std::vector<MenuEntry>& entries, std::optional<Point>, bool tray) override
    {
        std::string line = tray ? "tray popup" : "popup";
        for (const auto& entry : entries)
            line += " " + entry.caption;
        owner_.record(window_, line);
        std::lock_guard lock(owner_.mutex_);
        owner_.menus_.push_back({ window_, entries, tray });
    }
    void ensureVisible(ComponentId tree, std::int32_t index) override
    {
        owner_.record(window_, "ensure visible " + hex(tree) + " " + std::to_string(index));
    }
    void setTrayIcon(const Bytes& icon, const Text& tip) override
    {
        owner_.record(window_, icon.empty() ? "tray removed" : "tray " + tip);
        std::lock_guard lock(owner_.mutex_);
        owner_.trayTip_ = icon.empty() ? std::nullopt : std::optional(tip);
    }

private:
    RecordingViews& owner_;
    WindowId window_;
};

std::unique_ptr<WindowView> RecordingViews::createView(WindowSystem&, WindowId window)
{
    return std::make_unique<RecordingView>(*this, window);
}

void RecordingViews::record(WindowId window, const std::string& line)
{
    std::lock_guard lock(mutex_);
    transcript_.push_back(hex(window) + " " + line);
}

std::vector<std::string> RecordingViews::transcript() const
{
    std::lock_guard lock(mutex_);
    return transcript_;
}

void RecordingViews::forgetTranscript()
{
    std::lock_guard lock(mutex_);
    std::vector<std::string>().swap(transcript_);
}

std::vector<ShownMenu> RecordingViews::menus() const
{
    std::lock_guard lock(mutex_);
    return menus_;
}

std::optional<Text> RecordingViews::trayTip() const
{
    std::lock_guard lock(mutex_);
    return trayTip_;
}

std::optional<ComponentId> RecordingViews::focus(WindowId window) const
{
    std::lock_guard lock(mutex_);
    auto it = focus_.find(window);
    return it == focus_.end() ? std::nullopt : std::optional(it->second);
}

bool RecordingViews::blocked(WindowId window) const
{
    std::lock_guard lock(mutex_);
    auto it = blocked_.find(window);
    return it != blocked_.end() && it->second;
}

std::vector<std::string> RecordingViews::render(const WindowSystem& core, WindowId window)
{
    std::vector<std::string> lines;
    for (const auto& c : core.components(window)) {
        const UnitInfo* unit = core.units().find(c.unit);
        if (!c.visible || !unit->visual)
            continue;
        const Geometry& g = c.geometry;
        std::string line = std::string(unit->name) + " " + hex(c.id) + " " + c.name + " at "
            + std::to_string(g.left) + "," + std::to_string(g.top) + " " + std::to_string(g.width)
            + "x" + std::to_string(g.height);
        if (c.disabled)
            line += " disabled";
        if (auto text = shownText(c))
            line += " \"" + *text + "\"";
        lines.push_back(line);
    }
    return lines;
}

} // namespace ui::headless
