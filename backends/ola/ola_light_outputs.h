#pragma once
// The program's light output: the sender thread over a link to olad on the local host, whose
// code is in the OLA module. The sender loads the module on its thread at its first connect;
// a module that cannot be loaded counts as olad not answering (the sender tries again, the
// program plays on), and why goes to stderr once. Not the link itself: that is OlaLink, in
// the module.

#include "backends/ola/ola_entry.h"
#include "lights/light_output.h"
#include "platform/shared_module.h"

#include <cstdint>
#include <memory>

namespace platform::ola {

// module: the OLA module, shared by every output the factory makes and kept loaded by them.
[[nodiscard]] lights::LightOutputFactory olaLightOutputs(
    std::shared_ptr<SharedModule> module, std::uint16_t port = defaultPort);
// The module from its place beside the program.
[[nodiscard]] lights::LightOutputFactory olaLightOutputs();

} // namespace platform::ola
