#include "media/kept_output.h"

namespace media {
namespace {

// One track's view of the kept device.
class KeptOutput : public AudioOutput {
public:
    explicit KeptOutput(std::shared_ptr<OutputKeeper> keeper)
        : keeper_(std::move(keeper))
    {
    }

    // Left flushed and paused, so an idle sound server may let its sink sleep; but a track
    // that drained on a device with a hand-over time leaves it playing what is left for the
    // next track to follow on, and the device pauses itself when none comes.
    ~KeptOutput() override
    {
        if (!device_ || (drained_ && device_->handOverTime() > 0))
            return;
        device_->reset();
        device_->pause();
    }

    bool open(const AudioFormat& format) override
    {
        device_ = keeper_->deviceFor(format);
        if (!device_)
            return false;
        device_->resume();
        // The last track's end may still be sounding: this one is heard after it.
        OutputState state = device_->state();
        playedAtOpen_ = state.playedBytes + state.queuedBytes;
        return true;
    }

    std::size_t write(std::span<const std::uint8_t> bytes) override
    {
        drained_ = false;
        return device_->write(bytes);
    }

    void pause() override { device_->pause(); }
    void resume() override { device_->resume(); }

    void reset() override
    {
        drained_ = false;
        device_->reset();
    }
    void drain() override
    {
        drained_ = true;
        device_->drain();
    }
    platform::Millis handOverTime() const override { return device_ ? device_->handOverTime() : 0; }

    OutputState state() override
    {
        OutputState state = device_->state();
        state.playedBytes -= std::min(state.playedBytes, playedAtOpen_);
        return state;
    }

private:
    std::shared_ptr<OutputKeeper> keeper_;
    std::shared_ptr<AudioOutput> device_;
    std::uint64_t playedAtOpen_ = 0;
    bool drained_ = false; // drain() was the last word: the device plays out what it holds
};

bool sameFormat(const AudioFormat& a, const AudioFormat& b)
{
    return a.sampleRate == b.sampleRate && a.channels == b.channels;
}

} // namespace

std::shared_ptr<OutputKeeper> OutputKeeper::create(OutputFactory makeDevice)
{
    return std::shared_ptr<OutputKeeper>(new OutputKeeper(std::move(makeDevice)));
}

OutputKeeper::OutputKeeper(OutputFactory makeDevice)
    : makeDevice_(std::move(makeDevice))
{
}

OutputFactory OutputKeeper::outputs()
{
    return [keeper = shared_from_this()] { return std::make_unique<KeptOutput>(keeper); };
}

std::shared_ptr<AudioOutput> OutputKeeper::deviceFor(const AudioFormat& format)
{
    std::shared_ptr<AudioOutput> kept;
    {
        std::lock_guard lock(mutex_);
        if (device_ && sameFormat(format_, format))
            kept = device_;
    }
    // Asked outside the lock: a device may wait on its server.
    if (kept && !kept->state().failed)
        return kept;
    std::shared_ptr<AudioOutput> made = makeDevice_ ? makeDevice_() : nullptr;
    if (made && !made->open(format))
        made.reset();
    std::lock_guard lock(mutex_);
    device_ = made;
    format_ = format;
    return made;
}

} // namespace media
