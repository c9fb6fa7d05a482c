#pragma once
// The light output on a thread of its own: lamp changes only update the lamps' levels under a
// short lock and wake the sender, which hands the latest frame to the daemon's link. It sends
// at once on a change and on connecting, every 25 ms while a fade runs and every 800 ms
// otherwise: at least 25 frames a second in a fade and a frame at least once a second at rest
// (DMX nodes drop an output that falls silent), with room for a late wake-up. Frames keep to
// their schedule, so the time a send takes is not added to each period. While the daemon is
// away it tries again every 2 s and the program plays on.
// Not a protocol stack: the link decides how a frame reaches the lamps.

#include "lights/dmx_link.h"
#include "lights/lamp_fades.h"
#include "lights/light_output.h"

#include "platform/clock.h"
#include "platform/owned_mutex.h"

#include <atomic>
#include <memory>
#include <optional>

namespace lights {

class DmxSender final : public LightOutput {
public:
    static constexpr platform::Millis retryMillis = 2000;
    static constexpr platform::Millis refreshMillis = 800;
    static constexpr platform::Millis fadeFrameMillis = 25;

    // Starts the sender thread through the clock; the first connect is tried at once.
    DmxSender(platform::Clock& clock, const LightSettings& settings, std::unique_ptr<DmxLink> link);
    // Ends the sender thread without switching the lamps off.
    ~DmxSender() override;
    DmxSender(const DmxSender&) = delete;
    DmxSender& operator=(const DmxSender&) = delete;

    // Any thread.
    void setLamp(int lamp, bool on) override;
    bool connected() const override;
    // Any thread but the sender's; waits for the last frame and the thread's end.
    void switchOff() override;

private:
    struct TakenFrame {
        DmxFrame frame;
        platform::Millis at; // the moment its levels are of
        platform::Millis period; // until the next one when nothing changes meanwhile
        bool last; // the off levels at the end
    };

    // Sender thread.
    void run();
    // Waits until `dueAt` (or a change while linked, or the end) and takes the frame; nothing
    // when the thread is to end without sending.
    std::optional<TakenFrame> takeFrameLocked(
        std::unique_lock<platform::OwnedMutex>& lock, bool linked, platform::Millis dueAt);
    void stop(bool sendOffLevels);

    platform::Clock& clock_;
    const int universe_;
    // Touched by the sender thread only.
    std::unique_ptr<DmxLink> link_;

    // mutex_ guards fades_, changed_ (a change not yet sent), stopping_ and offAtStop_; it is
    // never held while the link is called. Lock order: docs/architecture.md.
    platform::OwnedMutex mutex_;
    std::unique_ptr<platform::CondVar> wake_;
    LampFades fades_;
    bool changed_ = true;
    bool stopping_ = false;
    bool offAtStop_ = false;

    std::atomic<bool> connected_ { false };
    std::unique_ptr<platform::Thread> thread_;
};

} // namespace lights
