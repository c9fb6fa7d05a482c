#pragma once
// The connection to a light daemon, as the light output's sender thread sees it. Calls come
// from that thread only and may block it briefly (a connect or a write on the local host);
// they never run on the interface thread or a light-program thread.

#include "lights/lamp_fades.h"

namespace lights {

class DmxLink {
public:
    virtual ~DmxLink() = default;
    // True once connected; false when the daemon does not answer.
    [[nodiscard]] virtual bool connect() = 0;
    // False when the frame could not be handed over; the link is then disconnected.
    [[nodiscard]] virtual bool send(int universe, const DmxFrame& frame) = 0;
    virtual void disconnect() = 0;
};

} // namespace lights
