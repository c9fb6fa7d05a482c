#include "backends/ola/ola_entry.h"

#include "backends/ola/ola_link.h"

extern "C" __attribute__((visibility("default"))) lights::DmxLink* dancehall_ola_link(
    std::uint16_t port)
{
    return new platform::ola::OlaLink(port);
}
