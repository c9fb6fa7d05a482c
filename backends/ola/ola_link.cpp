#include "backends/ola/ola_link.h"

#include <ola/DmxBuffer.h>
#include <ola/client/StreamingClient.h>

#include <signal.h>

#include <mutex>

namespace platform::ola {
namespace {

// A write to a daemon that has just gone raises SIGPIPE, whose default ends the program; the
// failed write is what tells the sender the daemon went, so the signal is ignored.
void ignoreBrokenPipes()
{
    static std::once_flag once;
    std::call_once(once, [] { ::signal(SIGPIPE, SIG_IGN); });
}

} // namespace

OlaLink::OlaLink(std::uint16_t port)
    : port_(port)
{
}

OlaLink::~OlaLink() = default;

bool OlaLink::connect()
{
    ignoreBrokenPipes();
    ::ola::client::StreamingClient::Options options;
    // The operator starts olad; the program never starts a daemon of its own.
    options.auto_start = false;
    options.server_port = port_;
    client_ = std::make_unique<::ola::client::StreamingClient>(options);
    if (client_->Setup())
        return true;
    client_.reset();
    return false;
}

bool OlaLink::send(int universe, const lights::DmxFrame& frame)
{
    if (!client_)
        return false;
    ::ola::DmxBuffer buffer(frame.data(), static_cast<unsigned>(frame.size()));
    if (client_->SendDmx(static_cast<unsigned>(universe), buffer))
        return true;
    client_.reset();
    return false;
}

void OlaLink::disconnect()
{
    client_.reset();
}

} // namespace platform::ola
