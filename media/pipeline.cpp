#include "media/pipeline.h"

#include "media/track_position.h"

#include <algorithm>
#include <cstring>

namespace media {
namespace {

constexpr std::size_t chunkSize = 16 * 1024;
constexpr std::size_t chunksAhead = 8;
// Chunks read before a track without a trustworthy frame count is walked, so it starts at once.
constexpr std::size_t chunksBeforeCount = 2;
// Most chunks read on the starting thread to fill the device before the stages run, so the
// first sound waits for no thread to be scheduled: a second of audio up to 448 kbit/s.
constexpr std::size_t primeChunks = 4;
// How long the output stage leaves the device to play: a quarter of what it holds, so three
// quarters are left when it is refilled, within these bounds; less when a percent is due.
constexpr platform::Millis shortestPoll = 5;
constexpr platform::Millis longestPoll = 250;

// One frame's samples at the forced output format; a larger decode spans blocks.
std::size_t blockCapacity(const TrackInfo& info)
{
    return 1152 * (info.header.mono ? 1 : 2) * 2;
}

} // namespace

std::unique_ptr<Pipeline> Pipeline::open(platform::Clock& clock, const std::string& nativePath,
    const OutputFactory& makeOutput, platform::FileSystem& files)
{
    auto file = TrackFile::open(nativePath, files);
    if (!file)
        return nullptr;
    const FrameHeader& header = file->info().header;
    AudioFormat format { header.sampleRate, header.mono ? 1 : 2 };
    auto decoder = MpegDecoder::create(format);
    auto output = makeOutput();
    if (!decoder || !output || !output->open(format))
        return nullptr;
    return std::unique_ptr<Pipeline>(
        new Pipeline(clock, std::move(*file), std::move(output), std::move(decoder)));
}

Pipeline::Pipeline(platform::Clock& clock, TrackFile file, std::unique_ptr<AudioOutput> output,
    std::unique_ptr<MpegDecoder> decoder)
    : clock_(clock)
    , file_(std::move(file))
    , output_(std::move(output))
    , decoder_(std::move(decoder))
    , chunks_(clock, chunksAhead)
    , ring_(clock, blockCapacity(file_.info()))
    , bytesPerFrame_(file_.info().header.mono ? 2 : 4)
    , totalSamples_(file_.info().totalSamples)
{
}

Pipeline::~Pipeline()
{
    for (auto& stage : stages_)
        stage->requestStop();
    chunks_.close();
    for (auto& stage : stages_)
        stage->join();
    output_->reset();
}

void Pipeline::start(
    std::shared_ptr<NotifyTarget> notify, int startPercent, std::function<void()> ended)
{
    notify_ = std::move(notify);
    ended_ = std::move(ended);
    std::optional<ReadPosition> primed;
    if (startPercent == 0)
        primed = primeDevice();
    stages_.push_back(clock_.startThread([this, startPercent, primed] {
        if (primed)
            readStage(*primed, file_.info().exactTotals);
        else
            readStage(
                { startOffset(startPercent), 0 }, file_.info().exactTotals || startPercent != 0);
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

std::int64_t Pipeline::startOffset(int percent)
{
    TrackInfo info = file_.info();
    std::int64_t firstAudio = info.firstFrame - info.readStart;
    if (percent == 0)
        return firstAudio;
    // A variable rate without a tag: the percent is of the frames, not of the bytes.
    if (!info.exactTotals)
        if (auto counted = countFrames())
            info = *counted;
    SeekTarget target = seekTarget(info, percent);
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

Pipeline::ReadPosition Pipeline::primeDevice()
{
    // All the device takes now (it may start only once full), and never more than the ring
    // can hold should the device take less after all, so nothing here waits.
    const std::size_t wanted
        = std::min(output_->state().freeBytes, (ring_.blockCount() - 1) * ring_.blockCapacity());
    std::vector<std::uint8_t> samples;
    samples.reserve(wanted);
    std::vector<std::uint8_t> beyond; // the frame that did not fit
    ReadPosition at { startOffset(0), 0 };
    std::vector<std::uint8_t> chunk(chunkSize);
    for (bool more = true; more && samples.size() < wanted && at.chunks < primeChunks;) {
        long n = file_.read(at.offset, chunk.data(), chunk.size());
        // The reader stage meets a failed read or the end of the file again, and ends there.
        if (n <= 0 || !decoder_->feed({ chunk.data(), std::size_t(n) }))
            break;
        at.offset += n;
        ++at.chunks;
        for (;;) {
            MpegDecoder::Frame frame = decoder_->decodeFrame();
            if (frame.status != MpegDecoder::Status::frame) {
                more = frame.status == MpegDecoder::Status::needMore;
                break;
            }
            if (samples.size() + frame.samples.size() > wanted) {
                beyond.assign(frame.samples.begin(), frame.samples.end());
                more = false;
                break;
            }
            samples.insert(samples.end(), frame.samples.begin(), frame.samples.end());
        }
    }
    std::size_t taken = samples.empty() ? 0 : output_->write(samples);
    wroteAny_ = taken > 0;
    // The rest goes to the output stage through the ring, in order.
    queueSamples(std::span<const std::uint8_t>(samples).subspan(taken));
    queueSamples(beyond);
    return at;
}

void Pipeline::readStage(ReadPosition at, bool counted)
{
    for (;; ++at.chunks) {
        if (!counted && at.chunks >= chunksBeforeCount) {
            countFrames();
            counted = true;
        }
        std::vector<std::uint8_t> chunk(chunkSize);
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
        MpegDecoder::Frame frame = decoder_->decodeFrame();
        if (frame.status == MpegDecoder::Status::failed)
            break;
        if (frame.status == MpegDecoder::Status::needMore) {
            auto chunk = chunks_.pop();
            if (!chunk || chunk->empty() || !decoder_->feed(*chunk))
                break;
            continue;
        }
        queueSamples(frame.samples);
    }
    ring_.finish();
}

std::size_t Pipeline::queueSamples(std::span<const std::uint8_t> samples)
{
    std::size_t blocks = 0;
    for (auto rest = samples; !rest.empty(); ++blocks) {
        auto block = ring_.waitForFreeBlock();
        std::size_t n = std::min(block.size(), rest.size());
        std::memcpy(block.data(), rest.data(), n);
        ring_.commitFilled(n);
        rest = rest.subspan(n);
    }
    return blocks;
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
        auto next = ring_.waitForFilledBlock(pollInterval(state));
        if (next.finished)
            return true;
        if (next.block) {
            writeBlock(*next.block);
            ring_.release();
        }
    }
}

void Pipeline::drainTrack()
{
    output_->drain();
    for (;;) {
        OutputState state = output_->state();
        if (state.failed)
            return;
        reportProgress(state);
        if (state.queuedBytes == 0)
            return;
        clock_.sleep(std::clamp<platform::Millis>(state.delay, 1, pollInterval(state)));
    }
}

void Pipeline::writeBlock(std::span<const std::uint8_t> block)
{
    while (!block.empty()) {
        std::size_t n = output_->write(block);
        wroteAny_ = wroteAny_ || n > 0;
        block = block.subspan(n);
        if (!block.empty()) {
            OutputState state = output_->state();
            reportProgress(state);
            clock_.sleep(pollInterval(state));
        }
    }
}

} // namespace media
