#pragma once
// Headless views: instead of drawing, each window view records what the window would show,
// for tests and scenario runs. A transcript line per call ("show", "refresh 0x16010bf8 17",
// "popup 删除|修改", "tray 舞厅", …) and the current picture of the window as text lines
// (render). Not a fake of the core: the state they show is the core's own.

#include "ui/view.h"
#include "ui/window_system.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace ui::headless {

struct ShownMenu {
    WindowId window;
    std::vector<MenuEntry> entries;
    bool tray;
};

class RecordingViews final : public ViewFactory {
public:
    explicit RecordingViews(Point screen = { 1024, 768 })
        : screen_(screen)
    {
    }

    std::unique_ptr<WindowView> createView(WindowSystem& core, WindowId window) override;
    Point screenSize() const override { return screen_; }

    // Every call any view received, in order, prefixed with the window id.
    std::vector<std::string> transcript() const;
    // Drops the lines so far, so a run of hours keeps only what it still needs.
    void forgetTranscript();
    std::vector<ShownMenu> menus() const;
    // The tray tip, or nothing when no tray icon is set.
    std::optional<Text> trayTip() const;
    std::optional<ComponentId> focus(WindowId window) const;
    bool blocked(WindowId window) const;
    // One line per visible component of a loaded window: name, geometry and what it shows.
    static std::vector<std::string> render(const WindowSystem& core, WindowId window);

private:
    friend class RecordingView;
    void record(WindowId window, const std::string& line);

    Point screen_;
    mutable std::mutex mutex_; // views are called on the interface thread; tests read anywhere
    std::vector<std::string> transcript_;
    std::vector<ShownMenu> menus_;
    std::optional<Text> trayTip_;
    std::map<WindowId, ComponentId> focus_;
    std::map<WindowId, bool> blocked_;
};

} // namespace ui::headless
