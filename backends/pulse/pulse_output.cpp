#include "backends/pulse/pulse_output.h"

#include <pulse/rtclock.h>

#include <algorithm>
#include <mutex>

namespace platform::pulse {
namespace {

// A second in the server's buffer rides out a loaded machine; pause, stop and the position
// reported do not depend on it (cork, flush and the stream clock act on the server's side).
constexpr pa_usec_t targetLatency = 1'000'000;
// The server asks for more whenever this much has been played, well before the buffer empties.
constexpr pa_usec_t refillLatency = 100'000;
// A stream that ran dry starts again only at the sink's next round, some 10 ms later; the
// next track's first write comes well within this, through the application's event loop.
constexpr platform::Millis handOver = 50;
// How long a stream heard out stays uncorked for the next track.
constexpr pa_usec_t idleCorkDelay = 2'000'000;

} // namespace

PulseOutput::PulseOutput(std::shared_ptr<PulseConnection> connection)
    : connection_(std::move(connection))
{
}

PulseOutput::~PulseOutput()
{
    PulseConnection::Lock lock(*connection_);
    cancelDrainLocked();
    if (idleTimer_)
        connection_->api()->time_free(idleTimer_);
    if (stream_) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
    }
}

bool PulseOutput::open(const media::AudioFormat& format)
{
    PulseConnection::Lock lock(*connection_);
    format_ = format;
    pa_sample_spec spec { PA_SAMPLE_S16LE, std::uint32_t(format.sampleRate),
        std::uint8_t(format.channels) };
    if (!pa_sample_spec_valid(&spec))
        return false;
    stream_ = pa_stream_new(connection_->context(), "track", &spec, nullptr);
    if (!stream_)
        return false;
    pa_stream_set_state_callback(
        stream_, [](pa_stream*, void* c) { static_cast<PulseConnection*>(c)->signal(); },
        connection_.get());
    pa_buffer_attr attr;
    attr.maxlength = std::uint32_t(-1);
    attr.tlength = pa_usec_to_bytes(targetLatency, &spec);
    // Start (and restart after an underrun) only with a full buffer: a sink that renders far
    // ahead drains a stream started on a little at once, and skips what comes after. The
    // player fills the buffer in one write as it starts, so the start is not delayed.
    attr.prebuf = std::uint32_t(-1);
    attr.minreq = pa_usec_to_bytes(refillLatency, &spec);
    attr.fragsize = std::uint32_t(-1);
    auto flags = pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
    if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) < 0)
        return false;
    for (;;) {
        pa_stream_state_t state = pa_stream_get_state(stream_);
        if (state == PA_STREAM_READY)
            return true;
        if (!PA_STREAM_IS_GOOD(state))
            return false;
        connection_->wait();
    }
}

bool PulseOutput::brokenLocked() const
{
    connection_->assertLocked();
    return !stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY;
}

std::size_t PulseOutput::write(std::span<const std::uint8_t> bytes)
{
    PulseConnection::Lock lock(*connection_);
    if (brokenLocked()) {
        written_ += bytes.size();
        return bytes.size();
    }
    std::size_t n = std::min(bytes.size(), pa_stream_writable_size(stream_));
    n -= n % format_.bytesPerFrame();
    if (n == 0 || pa_stream_write(stream_, bytes.data(), n, nullptr, 0, PA_SEEK_RELATIVE) < 0)
        return 0;
    // A drain still running belongs to what was written before; its end is not this one's.
    cancelDrainLocked();
    written_ += n;
    draining_ = false;
    drainedAt_.reset();
    expectedEnd_.reset();
    if (idleCorked_)
        corkLocked(false);
    return n;
}

void PulseOutput::corkLocked(bool cork)
{
    connection_->assertLocked();
    if (brokenLocked())
        return;
    if (pa_operation* op = pa_stream_cork(stream_, cork, nullptr, nullptr))
        pa_operation_unref(op);
    paused_ = cork;
    idleCorked_ = false;
    // The clock stops while corked: a drain's end is foreseen again once it runs.
    expectedEnd_.reset();
    if (!cork && draining_)
        foreseeEndLocked();
}

void PulseOutput::foreseeEndLocked()
{
    pa_usec_t heard = 0;
    if (paused_ || pa_stream_get_time(stream_, &heard) != 0)
        return;
    const pa_sample_spec* spec = pa_stream_get_sample_spec(stream_);
    std::uint64_t heardBytes = pa_usec_to_bytes(heard, spec);
    std::uint64_t left = written_ > heardBytes ? written_ - heardBytes : 0;
    expectedEnd_ = pa_rtclock_now() + pa_bytes_to_usec(left, spec);
}

std::optional<pa_usec_t> PulseOutput::endLocked() const
{
    if (drainedAt_ && expectedEnd_)
        return std::min(*drainedAt_, *expectedEnd_);
    return drainedAt_ ? drainedAt_ : expectedEnd_;
}

void PulseOutput::pause()
{
    PulseConnection::Lock lock(*connection_);
    corkLocked(true);
}

void PulseOutput::resume()
{
    PulseConnection::Lock lock(*connection_);
    corkLocked(false);
}

void PulseOutput::reset()
{
    PulseConnection::Lock lock(*connection_);
    cancelDrainLocked();
    std::optional<pa_usec_t> end = endLocked();
    bool drained = end && pa_rtclock_now() >= *end;
    draining_ = false;
    drainedAt_.reset();
    expectedEnd_.reset();
    // A stream played out holds nothing to drop (a tail the clock foresaw a moment early is
    // left to sound): no round trip to the server.
    if (!brokenLocked() && !drained)
        connection_->waitFor(
            pa_stream_flush(stream_, PulseConnection::signalSuccess, connection_.get()));
    played_ = written_;
}

void PulseOutput::drain()
{
    PulseConnection::Lock lock(*connection_);
    if (brokenLocked() || draining_)
        return;
    draining_ = true;
    // The stream's clock runs smoothly now, and foresees the end of the sound better than
    // the drain's report, which reaches us after the server's next rounds.
    foreseeEndLocked();
    drain_ = pa_stream_drain(
        stream_,
        [](pa_stream*, int success, void* self) {
            if (success)
                static_cast<PulseOutput*>(self)->drainedLocked();
        },
        this);
}

void PulseOutput::drainedLocked()
{
    // The buffer is empty, but the sink still holds its latency's worth of sound.
    pa_usec_t latency = 0;
    int negative = 0;
    if (pa_stream_get_latency(stream_, &latency, &negative) != 0 || negative)
        latency = 0;
    drainedAt_ = pa_rtclock_now() + latency;
    corkWhenIdleLocked(*drainedAt_);
    connection_->signal();
}

void PulseOutput::corkWhenIdleLocked(pa_usec_t heardOutAt)
{
    pa_usec_t due = heardOutAt + idleCorkDelay;
    if (!idleTimer_) {
        idleTimer_ = pa_context_rttime_new(connection_->context(), due, idleCorkDue, this);
        return;
    }
    pa_context_rttime_restart(connection_->context(), idleTimer_, due);
}

void PulseOutput::idleCorkDue(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self)
{
    auto* output = static_cast<PulseOutput*>(self);
    // Anything written since the drain, or a pause, leaves the stream as it is.
    if (!output->draining_ || output->paused_ || output->brokenLocked())
        return;
    if (pa_operation* op = pa_stream_cork(output->stream_, 1, nullptr, nullptr))
        pa_operation_unref(op);
    output->idleCorked_ = true;
}

platform::Millis PulseOutput::handOverTime() const
{
    return handOver;
}

void PulseOutput::cancelDrainLocked()
{
    if (!drain_)
        return;
    pa_operation_cancel(drain_);
    pa_operation_unref(drain_);
    drain_ = nullptr;
}

media::OutputState PulseOutput::state()
{
    PulseConnection::Lock lock(*connection_);
    media::OutputState s;
    if (drain_ && pa_operation_get_state(drain_) != PA_OPERATION_RUNNING) {
        pa_operation_unref(drain_);
        drain_ = nullptr;
        // A drain the server refused still ends: what was written is all there is.
        if (!drainedAt_)
            drainedLocked();
    }
    const pa_usec_t now = pa_rtclock_now();
    const std::optional<pa_usec_t> end = endLocked();
    if (brokenLocked() || (end && now >= *end)) {
        played_ = written_;
    } else {
        // The stream's clock says which sample is being heard now; it stops while corked.
        pa_usec_t heard = 0;
        if (pa_stream_get_time(stream_, &heard) == 0) {
            std::uint64_t bytes = pa_usec_to_bytes(heard, pa_stream_get_sample_spec(stream_));
            // Until the drain is heard out, keep at least one frame queued.
            std::uint64_t most = end ? written_ - format_.bytesPerFrame() : written_;
            played_ = std::clamp<std::uint64_t>(bytes, played_, std::max(played_, most));
        }
        // Once the end is known, exactly when the last sample is heard.
        s.delay = end ? platform::Millis((*end - now + 999) / 1000)
                      : platform::Millis((written_ - played_) / format_.bytesPerFrame() * 1000
                          / format_.sampleRate);
    }
    // A stream heard out takes the next track's samples as any other.
    if (!brokenLocked())
        s.freeBytes = pa_stream_writable_size(stream_);
    s.playedBytes = played_;
    s.queuedBytes = written_ - played_;
    s.playing = !paused_ && s.queuedBytes > 0;
    if (brokenLocked()) {
        s.freeBytes = 1 << 20;
        s.failed = true;
    }
    return s;
}

namespace {

// The connection the next output is made on. A server that went away (it restarted, or was
// replaced) leaves its connection dead for good, so the next track connects afresh; outputs
// already made keep the connection they were made on.
class CurrentConnection {
public:
    explicit CurrentConnection(std::shared_ptr<PulseConnection> connection)
        : connection_(std::move(connection))
    {
    }

    // Any thread that makes an output. Nothing when no server answers now.
    std::shared_ptr<PulseConnection> get()
    {
        std::lock_guard lock(mutex_);
        if (connection_) {
            PulseConnection::Lock loopLock(*connection_);
            if (connection_->readyLocked())
                return connection_;
        }
        connection_ = PulseConnection::connect(clientName);
        return connection_;
    }

    static constexpr const char* clientName = "dancehall";

private:
    std::mutex mutex_; // guards connection_; taken before a connection's loop lock
    std::shared_ptr<PulseConnection> connection_;
};

} // namespace

media::OutputFactory pulseOutputFactory()
{
    std::shared_ptr<PulseConnection> connection
        = PulseConnection::connect(CurrentConnection::clientName);
    if (!connection)
        return nullptr;
    auto current = std::make_shared<CurrentConnection>(std::move(connection));
    return [current]() -> std::unique_ptr<media::AudioOutput> {
        std::shared_ptr<PulseConnection> connection = current->get();
        if (!connection)
            return nullptr;
        return std::make_unique<PulseOutput>(std::move(connection));
    };
}

} // namespace platform::pulse
