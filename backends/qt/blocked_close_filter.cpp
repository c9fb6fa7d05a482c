#include "backends/qt/blocked_close_filter.h"

#include "backends/qt/top_level_widget.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QWindow>

#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace platform::qt {

namespace {

std::uint32_t internAtom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection,
        xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    if (!reply)
        return 0;
    const std::uint32_t atom = reply->atom;
    std::free(reply);
    return atom;
}

} // namespace

BlockedCloseFilter::BlockedCloseFilter()
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    deleteWindowAtom_ = internAtom(x11->connection(), "WM_DELETE_WINDOW");
    if (deleteWindowAtom_)
        QCoreApplication::instance()->installNativeEventFilter(this);
}

BlockedCloseFilter::~BlockedCloseFilter()
{
    if (deleteWindowAtom_)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool BlockedCloseFilter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* client = reinterpret_cast<const xcb_client_message_event_t*>(event);
    if (client->format != 32 || client->data.data32[0] != deleteWindowAtom_)
        return false;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* top = dynamic_cast<TopLevelWidget*>(widget);
        if (!top || !top->windowHandle() || top->internalWinId() != client->window)
            continue;
        const QWindow* modal = QGuiApplication::modalWindow();
        if (!modal || modal == top->windowHandle())
            return false; // not blocked: Qt delivers the close as usual
        // The desktop's dialogs go first, answered as if closed (which never confirms), so that
        // nothing of theirs stays over what the close shows next.
        while (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
        top->requestClose();
        return true;
    }
    return false;
}

} // namespace platform::qt
