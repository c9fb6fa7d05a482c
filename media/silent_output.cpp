#include "media/silent_output.h"

#include <algorithm>

namespace media {

SilentOutput::SilentOutput(platform::Clock& clock, platform::Millis bufferTime)
    : clock_(clock)
    , bufferTime_(bufferTime)
{
}

bool SilentOutput::open(const AudioFormat& format)
{
    std::lock_guard lock(mutex_);
    format_ = format;
    capacity_ = std::size_t(format.sampleRate) * bufferTime_ / 1000 * format.bytesPerFrame();
    lastAdvance_ = clock_.now();
    return format.sampleRate > 0 && format.channels > 0;
}

void SilentOutput::advanceLocked()
{
    mutex_.assertHeld();
    platform::Millis now = clock_.now();
    platform::Millis elapsed = now - lastAdvance_;
    lastAdvance_ = now;
    if (paused_ || played_ == written_) {
        sampleRemainder_ = 0;
        return;
    }
    std::int64_t thousandths = elapsed * format_.sampleRate + sampleRemainder_;
    sampleRemainder_ = thousandths % 1000;
    std::uint64_t bytes = std::uint64_t(thousandths / 1000) * format_.bytesPerFrame();
    played_ += std::min(bytes, written_ - played_);
    if (played_ == written_)
        sampleRemainder_ = 0;
}

OutputState SilentOutput::stateLocked() const
{
    mutex_.assertHeld();
    OutputState s;
    s.queuedBytes = written_ - played_;
    s.freeBytes = capacity_ > s.queuedBytes ? capacity_ - s.queuedBytes : 0;
    s.delay = format_.sampleRate > 0
        ? platform::Millis(s.queuedBytes / format_.bytesPerFrame() * 1000 / format_.sampleRate)
        : 0;
    s.playing = !paused_ && s.queuedBytes > 0;
    s.playedBytes = played_;
    return s;
}

std::size_t SilentOutput::write(std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(mutex_);
    advanceLocked();
    std::size_t taken = std::min(bytes.size(), stateLocked().freeBytes);
    taken -= taken % format_.bytesPerFrame();
    written_ += taken;
    return taken;
}

void SilentOutput::pause()
{
    std::lock_guard lock(mutex_);
    advanceLocked();
    paused_ = true;
}

void SilentOutput::resume()
{
    std::lock_guard lock(mutex_);
    advanceLocked();
    paused_ = false;
}

void SilentOutput::reset()
{
    std::lock_guard lock(mutex_);
    advanceLocked();
    played_ = written_;
}

OutputState SilentOutput::state()
{
    std::lock_guard lock(mutex_);
    advanceLocked();
    return stateLocked();
}

} // namespace media
