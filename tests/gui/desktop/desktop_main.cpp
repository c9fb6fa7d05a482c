// The desktop tests' entry: starts the private X desktop before any test and the Qt
// application on it (for screen grabs), and stops both after the last test.

#include "desktop_environment.h"

#include <QGuiApplication>

#include <cstdlib>
#include <memory>

namespace gui::desktop {

namespace {

std::unique_ptr<XDesktop> desktop;
QString reason;
bool failing = false;

} // namespace

XDesktop* sharedDesktop()
{
    return desktop.get();
}

const QString& skipReason()
{
    return reason;
}

bool desktopFailed()
{
    return failing;
}

} // namespace gui::desktop

int main(int argc, char** argv)
{
    using namespace gui::desktop;
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no desktop.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    if (auto missing = XDesktop::missingServer()) {
        reason = *missing;
        return RUN_ALL_TESTS();
    }
    try {
        desktop = std::make_unique<XDesktop>();
    } catch (const std::exception& error) {
        reason = QString("the desktop did not come up: %1").arg(error.what());
        failing = true;
        return RUN_ALL_TESTS();
    }
    setenv("DISPLAY", desktop->display().toUtf8().constData(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    // Gone before the server it is connected to.
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    const int result = RUN_ALL_TESTS();
    app.reset();
    desktop.reset();
    return result;
}
