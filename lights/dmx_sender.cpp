#include "lights/dmx_sender.h"

#include <mutex>

namespace lights {

DmxSender::DmxSender(
    platform::Clock& clock, const LightSettings& settings, std::unique_ptr<DmxLink> link)
    : clock_(clock)
    , universe_(settings.universe)
    , link_(std::move(link))
    , wake_(clock.makeCondVar())
    , fades_(settings)
{
    thread_ = clock_.startThread([this] { run(); });
}

DmxSender::~DmxSender()
{
    stop(false);
}

void DmxSender::setLamp(int lamp, bool on)
{
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return;
        fades_.set(lamp, on, clock_.now());
        changed_ = true;
    }
    wake_->notifyAll();
}

bool DmxSender::connected() const
{
    return connected_.load();
}

void DmxSender::switchOff()
{
    stop(true);
}

void DmxSender::stop(bool sendOffLevels)
{
    {
        std::lock_guard lock(mutex_);
        if (!stopping_ && sendOffLevels) {
            fades_.snapAllOff();
            offAtStop_ = true;
            changed_ = true;
        }
        stopping_ = true;
    }
    wake_->notifyAll();
    if (thread_)
        thread_->join();
    thread_.reset();
}

std::optional<DmxSender::TakenFrame> DmxSender::takeFrameLocked(
    std::unique_lock<platform::OwnedMutex>& lock, bool linked, platform::Millis dueAt)
{
    mutex_.assertHeld();
    while (!stopping_ && !(linked && changed_) && clock_.now() < dueAt)
        wake_->wait(
            lock, [&] { return stopping_ || (linked && changed_); }, dueAt - clock_.now());
    if (stopping_ && !offAtStop_)
        return std::nullopt;
    changed_ = false;
    const platform::Millis now = clock_.now();
    // A frame sent mid-fade is followed by another even when the fade ends meanwhile, so the
    // last one holds the lamps' final levels.
    const platform::Millis period = fades_.fadingAt(now) ? fadeFrameMillis : refreshMillis;
    return TakenFrame { fades_.frameAt(now), now, period, stopping_ };
}

namespace {

// When the frame after one due at `due` and taken at `takenAt` is due: a period after `due`,
// so a late wake-up or a slow send does not stretch every period; a period after `takenAt`
// when a change brought the frame early or the sender fell a whole period behind.
platform::Millis nextFrameDue(
    platform::Millis due, platform::Millis takenAt, platform::Millis period)
{
    return takenAt >= due && takenAt < due + period ? due + period : takenAt + period;
}

} // namespace

void DmxSender::run()
{
    bool linked = false;
    platform::Millis nextTry = clock_.now();
    platform::Millis frameDue = 0;
    for (;;) {
        const platform::Millis dueAt = linked ? frameDue : nextTry;
        std::optional<TakenFrame> taken;
        {
            std::unique_lock lock(mutex_);
            taken = takeFrameLocked(lock, linked, dueAt);
        }
        if (!taken)
            return;
        if (!linked) {
            linked = link_->connect();
            connected_ = linked;
            if (!linked) {
                nextTry = clock_.now() + retryMillis;
                if (taken->last)
                    return;
                continue;
            }
        }
        linked = link_->send(universe_, taken->frame);
        connected_ = linked;
        // A lost daemon is looked for again at once: it may have been restarted already.
        nextTry = clock_.now();
        frameDue = nextFrameDue(dueAt, taken->at, taken->period);
        if (taken->last)
            return;
    }
}

} // namespace lights
