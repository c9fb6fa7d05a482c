#include "backends/remote/remote_entry.h"

#include "backends/remote/remote_server.h"

#include <QGuiApplication>

extern "C" __attribute__((visibility("default"))) ui::RemoteServer* dancehall_remote_server(
    ui::RemoteHost* host)
{
    return new remote::RemoteServer(*host, [] {
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
            && QGuiApplication::modalWindow() != nullptr;
    });
}
