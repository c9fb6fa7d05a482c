#pragma once
// The desktop's close request for a window that one of the desktop's own dialogs (message box,
// file dialog) blocks. Qt drops such a request, so closing the main window through the window
// manager while such a dialog is open would do nothing. Here the dialogs are dismissed as if
// closed and the program's may-close handler hears the request, as it does for any other
// close. On X only; elsewhere it lets every event through.

#include <QAbstractNativeEventFilter>

#include <cstdint>

namespace platform::qt {

class BlockedCloseFilter final : public QAbstractNativeEventFilter {
public:
    // Installs itself into the running application; removed again when destroyed.
    BlockedCloseFilter();
    ~BlockedCloseFilter() override;
    BlockedCloseFilter(const BlockedCloseFilter&) = delete;
    BlockedCloseFilter& operator=(const BlockedCloseFilter&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    // The window manager's close message; 0 when not on X.
    std::uint32_t deleteWindowAtom_ = 0;
};

} // namespace platform::qt
