#pragma once
// What the OLA module (dancehall-ola.so) offers the program: one entry function that makes a
// link to olad. The program loads the module on the light output's first connect, so that
// OLA's libraries cost nothing to a hall without lamps on a DMX bus.

#include "lights/dmx_link.h"

#include <cstdint>

namespace platform::ola {

// olad's RPC port on the local host unless it was configured otherwise.
inline constexpr std::uint16_t defaultPort = 9010;

inline constexpr char moduleFile[] = "dancehall-ola.so";
inline constexpr char linkEntryName[] = "dancehall_ola_link";

} // namespace platform::ola

extern "C" {
// A new, unconnected link to the olad on the local host at port; the caller owns it and
// deletes it while the module is loaded.
lights::DmxLink* dancehall_ola_link(std::uint16_t port);
using DancehallOlaLinkEntry = decltype(dancehall_ola_link);
}
