#pragma once
// The desktop platform: Qt event loop, dialogs and process end, owned in one place. Create it
// after the QApplication, on the thread that owns it.

#include "platform/platform.h"
#include "backends/qt/blocked_close_filter.h"
#include "backends/qt/qt_dialogs.h"
#include "backends/qt/qt_event_loop.h"
#include "backends/qt/qt_process.h"
#include "backends/qt/translations.h"

namespace platform::qt {

class QtPlatform {
public:
    QtPlatform();
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    Platform platform() { return { loop_, dialogs_, process_ }; }
    QtEventLoop& loop() { return loop_; }

private:
    QtEventLoop loop_;
    QtDialogs dialogs_;
    QtProcess process_;
    ChineseQtTexts texts_;
    BlockedCloseFilter blockedClose_;
};

} // namespace platform::qt
