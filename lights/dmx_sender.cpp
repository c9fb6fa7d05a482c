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

bool DmxSender::takeFrameLocked(std::unique_lock<platform::OwnedMutex>& lock, bool linked,
    platform::Millis nextTry, platform::Millis lastSent, DmxFrame& frame, bool& last)
{
    mutex_.assertHeld();
    // The moment the next frame is due when nothing changes meanwhile.
    const auto dueAt = [&] {
        if (!linked)
            return nextTry;
        // A frame sent mid-fade is followed 40 ms later even when the fade ends meanwhile,
        // so its last frame holds the lamps' final levels.
        return lastSent + (fadeInFlight_ ? fadeFrameMillis : refreshMillis);
    };
    while (!stopping_ && !(linked && changed_) && clock_.now() < dueAt())
        wake_->wait(
            lock, [&] { return stopping_ || (linked && changed_); }, dueAt() - clock_.now());
    if (stopping_ && !offAtStop_)
        return false;
    last = stopping_;
    changed_ = false;
    frame = fades_.frameAt(clock_.now());
    fadeInFlight_ = fades_.fadingAt(clock_.now());
    return true;
}

void DmxSender::run()
{
    bool linked = false;
    platform::Millis nextTry = clock_.now();
    platform::Millis lastSent = 0;
    for (;;) {
        DmxFrame frame;
        bool last = false;
        {
            std::unique_lock lock(mutex_);
            if (!takeFrameLocked(lock, linked, nextTry, lastSent, frame, last))
                return;
        }
        if (!linked) {
            linked = link_->connect();
            connected_ = linked;
            if (!linked) {
                nextTry = clock_.now() + retryMillis;
                if (last)
                    return;
                continue;
            }
        }
        linked = link_->send(universe_, frame);
        connected_ = linked;
        // A lost daemon is looked for again at once: it may have been restarted already.
        nextTry = clock_.now();
        lastSent = clock_.now();
        if (last)
            return;
    }
}

} // namespace lights
