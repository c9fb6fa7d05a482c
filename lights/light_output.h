#pragma once
// Where the indicator panel's lamp changes go besides the screen: lamps on a DMX bus. The
// application holds one; without lamps on a bus it holds none. Calls return at once on any
// thread, so a lamp change keeps the light program's timing.

#include "lights/light_settings.h"

#include "platform/clock.h"

#include <functional>
#include <memory>

namespace lights {

class LightOutput {
public:
    virtual ~LightOutput() = default;
    // Lamp n = 1 … 16.
    virtual void setLamp(int lamp, bool on) = 0;
    // True while the daemon takes the frames.
    virtual bool connected() const = 0;
    // At shut-down: sends every lamp's off level and returns once it went out or the daemon
    // did not answer. Lamp changes after it are ignored.
    virtual void switchOff() = 0;
};

// Makes the output for enabled settings; its threads start through the clock.
using LightOutputFactory
    = std::function<std::unique_ptr<LightOutput>(platform::Clock&, const LightSettings&)>;

} // namespace lights
