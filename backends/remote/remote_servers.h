#pragma once
// The remote servers the program hands the application, whose code is in the remote module.
// The first server made loads the module, on the interface thread once the remote is
// switched on. A module that cannot be loaded gives a server whose start reports why, as a
// port in use does, so the operator is told and the program runs on without the remote.

#include "platform/shared_module.h"
#include "ui/remote_control.h"

#include <memory>

namespace remote {

// module: the remote module, kept loaded by the servers the factory makes.
[[nodiscard]] ui::RemoteServerFactory remoteServers(std::shared_ptr<platform::SharedModule> module);
// The module from its place beside the program.
[[nodiscard]] ui::RemoteServerFactory remoteServers();

} // namespace remote
