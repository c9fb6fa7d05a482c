#pragma once
// The link to a running olad over its RPC port on the local host, through OLA's streaming
// client: frames are written without waiting for an answer, so a send costs one socket write.
// Runs on the light output's sender thread only. Not for reading universes back.

#include "lights/dmx_link.h"
#include "lights/light_output.h"

#include <cstdint>
#include <memory>

namespace ola::client {
class StreamingClient;
}

namespace platform::ola {

class OlaLink final : public lights::DmxLink {
public:
    static constexpr std::uint16_t defaultPort = 9010;

    explicit OlaLink(std::uint16_t port = defaultPort);
    ~OlaLink() override;

    bool connect() override;
    bool send(int universe, const lights::DmxFrame& frame) override;
    void disconnect() override;

private:
    std::uint16_t port_;
    std::unique_ptr<::ola::client::StreamingClient> client_;
};

// The program's light output: the sender thread over a link to olad on the local host.
lights::LightOutputFactory olaLightOutputs(std::uint16_t port = OlaLink::defaultPort);

} // namespace platform::ola
