#pragma once
// What the remote module (dancehall-remote.so) offers the program: one entry function that
// makes a server. The program loads the module when the hall's remote is switched on, so
// that Qt's network libraries cost nothing to a hall without it.

#include "ui/remote_control.h"

namespace remote {

inline constexpr char moduleFile[] = "dancehall-remote.so";
inline constexpr char serverEntryName[] = "dancehall_remote_server";

} // namespace remote

extern "C" {
// A new server for host that refuses commands while a Qt modal dialog is open; the caller
// owns it and deletes it while the module is loaded.
ui::RemoteServer* dancehall_remote_server(ui::RemoteHost* host);
using DancehallRemoteServerEntry = decltype(dancehall_remote_server);
}
