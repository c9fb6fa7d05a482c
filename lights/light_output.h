#pragma once
// Where the indicator panel's lamp changes go besides the screen: lamps on a DMX bus. The
// application holds one; without lamps on a bus it holds none. Calls return at once on any
// thread, so a lamp change keeps the light program's timing.

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

} // namespace lights
