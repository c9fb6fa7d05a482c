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

    // Left paused while no track uses it, so an idle sound server may let its sink sleep.
    ~KeptOutput() override
    {
        if (!device_)
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
        playedAtOpen_ = device_->state().playedBytes;
        return true;
    }

    std::size_t write(std::span<const std::uint8_t> bytes) override
    {
        return device_->write(bytes);
    }

    void pause() override { device_->pause(); }
    void resume() override { device_->resume(); }

    void reset() override { device_->reset(); }
    void drain() override { device_->drain(); }

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
