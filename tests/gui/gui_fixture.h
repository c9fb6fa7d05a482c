#pragma once
// The window system on the real Qt platform (offscreen in tests), with handlers that log their
// calls, and helpers that wait for the interface thread the way an operator would.

#include "tests/ui/recording_handlers.h"
#include "tests/ui/template_builder.h"

#include "backends/qt/qt_platform.h"
#include "backends/qt/qt_view_factory.h"
#include "backends/qt/window_view.h"
#include "runtime/runtime.h"
#include "ui/commands.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

namespace gui::test {

using namespace ui;
using namespace ui::test;

// One application object for the whole binary, made on the test thread. It is never
// destroyed: at exit Qt's own statics may already be gone.
inline QApplication& application()
{
    static int argc = 1;
    static char name[] = "gui_tests";
    static char* argv[] = { name, nullptr };
    static auto* app = new QApplication(argc, argv);
    return *app;
}

// Lets the interface thread deliver what is queued, until done() or the timeout.
inline bool settle(const std::function<bool()>& done, int timeoutMs = 2000)
{
    return QTest::qWaitFor(done, timeoutMs);
}

// A base, so that the application exists before any member of the fixture is made.
struct ApplicationFirst {
    ApplicationFirst() { application(); }
};

class GuiTest : public ::testing::Test, private ApplicationFirst, public RecordingHandlers {
protected:
    ~GuiTest() override
    {
        core.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Reads the windows' templates and loads the first of them.
    void load(std::vector<WindowTemplate> windows, std::size_t handlerCount = 16)
    {
        windowId = windows.front().id;
        core = std::make_unique<WindowSystem>(runtime, views, recordingTable(handlerCount));
        commands = std::make_unique<Commands>(*core);
        core->readTemplates(ui::test::segmentBytes(std::move(windows)));
        ASSERT_TRUE(core->loadWindow(windowId, false));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(top()));
    }

    platform::qt::WindowView& view() const
    {
        return static_cast<platform::qt::WindowView&>(*core->view(windowId));
    }
    QWidget* top() const { return view().widget(); }
    QWidget* widgetOf(ComponentId component) const { return view().controlWidget(component); }

    platform::qt::QtPlatform qt;
    platform::Platform platform = qt.platform();
    runtime::Runtime runtime { platform };
    platform::qt::QtViewFactory views;
    std::unique_ptr<WindowSystem> core;
    std::unique_ptr<Commands> commands;
    WindowId windowId = 0;
};

} // namespace gui::test
