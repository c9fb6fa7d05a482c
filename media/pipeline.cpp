#include "media/pipeline.h"

#include "media/sample_gain.h"
#include "media/track_position.h"

#include <algorithm>
#include <cstring>

namespace media {
namespace {

// Large enough that the reader wakes about once in ten seconds of sound, not for every few
// frames: each wake-up of a stage costs more than decoding a frame.
constexpr std::size_t chunkSize = 256 * 1024;
constexpr std::size_t chunksAhead = 4;
// Chunks read before a track without a trustworthy frame count is walked, so it starts at once.
constexpr std::size_t chunksBeforeCount = 1;
// Most chunks read on the starting thread to fill the device before the stages run, so the
// first sound waits for no thread to be scheduled: a second of audio up to 448 kbit/s. They
// are smaller than the reader stage's, so that a slow disk delays the start no more.
constexpr std::size_t primeChunks = 1;
constexpr std::size_t primeChunkSize = 64 * 1024;
// How long the output stage leaves the device to play: a quarter of what it holds, so three
// quarters are left when it is refilled, within these bounds; less when a percent is due.
constexpr platform::Millis shortestPoll = 5;
constexpr platform::Millis longestPoll = 250;

// The most samples one frame decodes to: 1152 stereo samples of two bytes.
constexpr std::size_t largestFrameSamples = 1152 * 2 * 2;

} // namespace

std::unique_ptr<Pipeline> Pipeline::open(
    platform::Clock& clock, const std::string& nativePath, platform::FileSystem& files, float gain)
{
    auto file = TrackFile::open(nativePath, files);
    if (!file)
        return nullptr;
    const FrameHeader& header = file->info().header;
    auto decoder = MpegDecoder::create({ header.sampleRate, header.mono ? 1 : 2 });
    if (!decoder)
        return nullptr;
    return std::unique_ptr<Pipeline>(
        new Pipeline(clock, std::move(*file), std::move(decoder), gain));
}

Pipeline::Pipeline(
    platform::Clock& clock, TrackFile file, std::unique_ptr<MpegDecoder> decoder, float gain)
    : clock_(clock)
    , file_(std::move(file))
    , decoder_(std::move(decoder))
    , chunks_(clock, chunksAhead)
    , spareChunks_(clock)
    , ring_(clock)
    , bytesPerFrame_(file_.info().header.mono ? 2 : 4)
    , gain_(gain)
    , totalSamples_(file_.info().totalSamples)
{
}

AudioFormat Pipeline::format() const
{
    const FrameHeader& header = file_.info().header;
    return { header.sampleRate, header.mono ? 1 : 2 };
}

Pipeline::~Pipeline()
{
    for (auto& stage : stages_)
        stage->requestStop();
    chunks_.close();
    for (auto& stage : stages_)
        stage->join();
    // A track handed over leaves its last moment to sound under the next one's start.
    if (output_ && !handedOver_)
        output_->reset();
}

void Pipeline::start(std::unique_ptr<AudioOutput> output, std::shared_ptr<NotifyTarget> notify,
    TrackStart start, std::function<void()> ended)
{
    output_ = std::move(output);
    notify_ = std::move(notify);
    ended_ = std::move(ended);
    std::optional<ReadPosition> primed;
    if (start.atBeginning())
        primed = primeDevice();
    stages_.push_back(clock_.startThread([this, start, primed] {
        if (primed)
            readStage(*primed, file_.info().exactTotals);
        else
            readStage({ startOffset(start), 0 }, file_.info().exactTotals || !start.atBeginning());
    }));
    stages_.push_back(clock_.startThread([this] { decodeStage(); }));
    stages_.push_back(clock_.startThread([this] { outputStage(); }));
}

void Pipeline::pause()
{
    output_->pause();
}

void Pipeline::resume()
{
    output_->resume();
}

std::int64_t Pipeline::startOffset(TrackStart start)
{
    TrackInfo info = file_.info();
    std::int64_t firstAudio = info.firstFrame - info.readStart;
    if (start.atBeginning())
        return firstAudio;
    // A variable rate without a tag: the start is counted in frames, not in bytes.
    if (!info.exactTotals)
        if (auto counted = countFrames())
            info = *counted;
    SeekTarget target = seekTarget(info, start);
    std::int64_t offset = target.byteOffset;
    if (info.exactTotals && !(info.xing && info.xing->seekTable)) {
        if (auto exact
            = file_.frameOffset(target.framesPlayed, [this] { return !clock_.stopRequested(); }))
            offset = *exact;
    }
    startSample_ = target.framesPlayed * info.header.samplesPerFrame;
    return std::max(firstAudio, offset);
}

std::optional<TrackInfo> Pipeline::countFrames()
{
    auto counted = file_.countFrames([this] { return !clock_.stopRequested(); });
    if (counted)
        totalSamples_ = counted->totalSamples;
    return counted;
}

// Samples decoded before the stages run: what the device did not take must fit in the ring
// with the one frame decoding may run over, so nothing waits.
std::size_t Pipeline::mostAhead() const
{
    return OutputRing::capacity - largestFrameSamples;
}

void Pipeline::decodeAhead()
{
    const FrameHeader& header = file_.info().header;
    decodeFirstSamples(std::min(mostAhead(), std::size_t(header.sampleRate) * bytesPerFrame_));
}

void Pipeline::decodeFirstSamples(std::size_t wanted)
{
    if (!firstRead_)
        firstRead_ = ReadPosition { startOffset(TrackStart {}), 0 };
    ReadPosition& at = *firstRead_;
    std::vector<std::uint8_t> chunk(primeChunkSize);
    while (moreToDecode_ && firstSamples_.size() < wanted) {
        MpegDecoder::Frame frame = decoder_->decodeFrame();
        if (frame.status == MpegDecoder::Status::frame) {
            std::size_t from = firstSamples_.size();
            firstSamples_.insert(firstSamples_.end(), frame.samples.begin(), frame.samples.end());
            applyGain(std::span(firstSamples_).subspan(from), gain_);
            continue;
        }
        if (frame.status == MpegDecoder::Status::failed || at.chunks >= primeChunks) {
            moreToDecode_ = false;
            break;
        }
        long n = file_.read(at.offset, chunk.data(), chunk.size());
        // The reader stage meets a failed read or the end of the file again, and ends there.
        if (n <= 0 || !decoder_->feed({ chunk.data(), std::size_t(n) })) {
            moreToDecode_ = false;
            break;
        }
        at.offset += n;
        ++at.chunks;
    }
}

Pipeline::ReadPosition Pipeline::primeDevice()
{
    // All the device takes now, to the sample: it may start only once full.
    decodeFirstSamples(std::min(output_->state().freeBytes, mostAhead()));
    std::size_t taken = firstSamples_.empty() ? 0 : output_->write(firstSamples_);
    wroteAny_ = taken > 0;
    // The rest goes to the output stage through the ring, in order.
    queueSamples(std::span<const std::uint8_t>(firstSamples_).subspan(taken));
    firstSamples_ = {};
    return *firstRead_;
}

void Pipeline::readStage(ReadPosition at, bool counted)
{
    for (;; ++at.chunks) {
        if (!counted && at.chunks >= chunksBeforeCount) {
            countFrames();
            counted = true;
        }
        // A chunk the decoder is done with is read into again, not allocated and zeroed anew.
        std::vector<std::uint8_t> chunk
            = spareChunks_.tryPop().value_or(std::vector<std::uint8_t>());
        chunk.resize(chunkSize);
        long n = file_.read(at.offset, chunk.data(), chunk.size());
        // A read error ends the stream early, like the end of the file.
        chunk.resize(std::max(0L, n));
        at.offset += std::int64_t(chunk.size());
        bool last = chunk.empty();
        if (!chunks_.push(std::move(chunk)) || last)
            return;
    }
}

void Pipeline::decodeStage()
{
    for (;;) {
        // Decoded straight into the ring where a frame fits, which spares copying it there.
        const std::span<std::uint8_t> space = ring_.waitForSpace();
        MpegDecoder::Frame frame = decoder_->decodeFrame(space);
        if (frame.status == MpegDecoder::Status::failed)
            break;
        if (frame.status == MpegDecoder::Status::needMore) {
            auto chunk = chunks_.pop();
            if (!chunk || chunk->empty() || !decoder_->feed(*chunk))
                break;
            // The decoder keeps its own copy of what it was fed. A closed spare queue only
            // means the reader has stopped and needs no buffer back.
            (void)spareChunks_.push(std::move(*chunk));
            continue;
        }
        applyGain(frame.samples, gain_);
        if (frame.samples.data() == space.data())
            ring_.commit(frame.samples.size());
        else
            queueSamples(frame.samples);
    }
    ring_.finish();
}

void Pipeline::queueSamples(std::span<const std::uint8_t> samples)
{
    while (!samples.empty()) {
        auto space = ring_.waitForSpace();
        std::size_t n = std::min(space.size(), samples.size());
        std::memcpy(space.data(), samples.data(), n);
        ring_.commit(n);
        samples = samples.subspan(n);
    }
}

void Pipeline::reportProgress(const OutputState& state)
{
    // Nothing is reported before the device has the first samples; then at once, as they
    // start to sound, so the interface learns when the track is heard; after that at each
    // change of percent.
    if (!wroteAny_ || !notify_)
        return;
    std::int64_t heard = std::int64_t(state.playedBytes / bytesPerFrame_);
    int percent = progressPercent(startSample_ + heard, totalSamples_);
    if (percent != lastPosted_ && notify_->exists()) {
        notify_->post(percent);
        lastPosted_ = percent;
    }
}

platform::Millis Pipeline::pollInterval(const OutputState& state) const
{
    platform::Millis wait = state.delay / 4;
    // Wake when the next percent is due, so it is posted as it is heard.
    int rate = file_.info().header.sampleRate;
    std::int64_t total = totalSamples_;
    if (state.playing && lastPosted_ >= 0 && lastPosted_ < 99 && total > 0 && rate > 0) {
        std::int64_t next = ((lastPosted_ + 1) * total + 99) / 100;
        std::int64_t heard = startSample_ + std::int64_t(state.playedBytes / bytesPerFrame_);
        wait = std::min<platform::Millis>(wait, (next - heard) * 1000 / rate + 1);
    }
    return std::clamp(wait, shortestPoll, longestPoll);
}

void Pipeline::outputStage()
{
    if (writeTrack())
        drainTrack();
    ended_();
}

bool Pipeline::writeTrack()
{
    for (;;) {
        OutputState state = output_->state();
        // A device that failed plays nothing more: the track ends here, like a stream that
        // ends early, rather than running through the rest of the file unheard.
        if (state.failed)
            return false;
        reportProgress(state);
        if (state.freeBytes == 0) {
            clock_.sleep(pollInterval(state));
            continue;
        }
        auto next = ring_.waitForFilled(pollInterval(state));
        if (next.finished)
            return true;
        // As much as the device asks for in one write; it keeps the rest for later.
        std::size_t n
            = output_->write(next.bytes.first(std::min(next.bytes.size(), state.freeBytes)));
        wroteAny_ = wroteAny_ || n > 0;
        ring_.release(n);
        if (n < next.bytes.size())
            clock_.sleep(pollInterval(output_->state()));
    }
}

void Pipeline::drainTrack()
{
    output_->drain();
    const platform::Millis handOver = output_->handOverTime();
    for (;;) {
        OutputState state = output_->state();
        if (state.failed)
            return;
        if (state.queuedBytes > 0 && state.playing && state.delay <= handOver) {
            // Reported as heard out: the rest sounds while the next track starts.
            state.playedBytes += state.queuedBytes;
            reportProgress(state);
            handedOver_ = true;
            return;
        }
        reportProgress(state);
        if (state.queuedBytes == 0)
            return;
        clock_.sleep(std::clamp<platform::Millis>(state.delay - handOver, 1, pollInterval(state)));
    }
}

} // namespace media
