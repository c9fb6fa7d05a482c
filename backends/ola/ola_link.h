#pragma once
// The link to a running olad over its RPC port on the local host, through OLA's streaming
// client: frames are written without waiting for an answer, so a send costs one socket write.
// Runs on the light output's sender thread only. Not for reading universes back.

#include "backends/ola/ola_entry.h"
#include "lights/dmx_link.h"

#include <cstdint>
#include <memory>

namespace ola::client {
class StreamingClient;
}

namespace platform::ola {

class OlaLink final : public lights::DmxLink {
public:
    explicit OlaLink(std::uint16_t port = defaultPort);
    ~OlaLink() override;

    bool connect() override;
    bool send(int universe, const lights::DmxFrame& frame) override;
    void disconnect() override;

private:
    std::uint16_t port_;
    std::unique_ptr<::ola::client::StreamingClient> client_;
};

} // namespace platform::ola
