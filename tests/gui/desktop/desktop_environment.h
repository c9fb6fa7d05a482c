#pragma once
// One private X desktop for the whole test binary, and the application object that grabs
// its screen. Tests skip, saying why, only when the machine has no Xvfb.

#include "x_desktop.h"

#include <gtest/gtest.h>

namespace gui::desktop {

// The desktop, or nullptr with the reason in skipReason(); desktopFailed() when Xvfb is there
// but the desktop did not come up, which fails the tests instead of skipping them.
XDesktop* sharedDesktop();
const QString& skipReason();
bool desktopFailed();

// A test on the shared desktop; skips when there is none.
class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        desktop = sharedDesktop();
        if (!desktop && desktopFailed())
            FAIL() << skipReason().toStdString();
        if (!desktop)
            GTEST_SKIP() << skipReason().toStdString();
    }

    XDesktop* desktop = nullptr;
};

} // namespace gui::desktop
