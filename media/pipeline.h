#pragma once
// One track playing: file reader -> MPEG decoder -> sound output, each stage on its own
// clock thread. Opened without a device, so the next track can be opened and its first
// samples decoded while another one plays; start() takes the device and runs the stages
// until the end of the track, which is reported once; destruction stops every stage and
// resets the device.
//
// Threads: start, pause, resume and the destructor run on the caller's thread (the player,
// under its own lock); the stages only touch their queues, the ring and the device.

#include "media/audio_output.h"
#include "media/message_queue.h"
#include "media/mpeg_decoder.h"
#include "media/notify_target.h"
#include "media/output_ring.h"
#include "media/track_file.h"
#include "media/track_position.h"

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace media {

class Pipeline {
public:
    // Nothing when the file holds no MPEG audio or the decoder cannot be made. Every decoded
    // sample is multiplied by `gain` (see sample_gain.h); 1 leaves them as decoded.
    [[nodiscard]] static std::unique_ptr<Pipeline> open(platform::Clock& clock,
        const std::string& nativePath, platform::FileSystem& files = platform::systemFileSystem(),
        float gain = 1.0f);
    ~Pipeline();

    [[nodiscard]] const TrackInfo& info() const { return file_.info(); }
    [[nodiscard]] AudioFormat format() const;
    [[nodiscard]] float gain() const { return gain_; }
    // The file opened is still the one at its path: not removed or replaced since.
    [[nodiscard]] bool stillAt(const std::string& nativePath) const
    {
        return file_.stillAt(nativePath);
    }

    // Caller's thread, before start: reads and decodes the first second of the track, so a
    // start from the beginning has it ready for the device.
    void decodeAhead();

    // Starts the stages at `start` (the first frame when it is at the beginning). Progress goes to
    // `notify` from the output thread, as the device reports samples heard (the first as the first
    // samples reach the device, whatever its percent, so 0 % is posted once); `ended` is called
    // once from the output thread when every sample has been heard or a stage ran out early.
    void start(std::unique_ptr<AudioOutput> output, std::shared_ptr<NotifyTarget> notify,
        TrackStart start, std::function<void()> ended);
    void pause();
    void resume();

private:
    Pipeline(
        platform::Clock& clock, TrackFile file, std::unique_ptr<MpegDecoder> decoder, float gain);

    // Where the reader stage goes on: a file offset from readStart, and chunks already read.
    struct ReadPosition {
        std::int64_t offset;
        std::size_t chunks;
    };
    // Caller's thread, before the stages run: decodes whole frames from the start of the
    // track until `wanted` bytes of samples are ready, the first chunks are read or the
    // audio ends.
    void decodeFirstSamples(std::size_t wanted);
    // Caller's thread, before the stages run: the first samples handed to the device in one
    // write, as much as it takes, the rest to the ring; where the reader stage goes on.
    ReadPosition primeDevice();
    std::size_t mostAhead() const;
    // Reader thread: `counted` when the frames need not be walked for exact totals.
    void readStage(ReadPosition at, bool counted);
    // Reader thread: where a start at `percent` begins reading, from readStart.
    [[nodiscard]] std::int64_t startOffset(TrackStart start);
    // Reader thread: exact totals for a track whose tag gives none, published to the output
    // stage; nothing when the walk was cut short.
    std::optional<TrackInfo> countFrames();
    void decodeStage();
    // Decoder or starting thread: copies samples into the ring, waiting for room.
    void queueSamples(std::span<const std::uint8_t> samples);
    void outputStage();
    // Output thread: hands every decoded sample to the device, as much at a time as it takes;
    // false when the device failed.
    [[nodiscard]] bool writeTrack();
    // Output thread: waits until the device has played out what it holds.
    void drainTrack();
    void reportProgress(const OutputState& state);
    // Output thread: how long the device may be left to play.
    [[nodiscard]] platform::Millis pollInterval(const OutputState& state) const;

    platform::Clock& clock_;
    TrackFile file_;
    std::unique_ptr<AudioOutput> output_;
    std::unique_ptr<MpegDecoder> decoder_;
    MessageQueue<std::vector<std::uint8_t>> chunks_; // an empty chunk ends the stream
    MessageQueue<std::vector<std::uint8_t>> spareChunks_; // fed to the decoder, to read into again
    OutputRing ring_;
    const std::uint64_t bytesPerFrame_;
    const float gain_;

    // Caller's thread only, before the stages run: the samples decoded from the start of the
    // track, and where reading goes on.
    std::vector<std::uint8_t> firstSamples_;
    std::optional<ReadPosition> firstRead_;
    bool moreToDecode_ = true;

    // Written by the reader stage (the start before its first chunk), read by the output
    // stage: the track position, in samples per channel, of the first sample decoded, and
    // the track's length in samples.
    std::atomic<std::int64_t> startSample_ = 0;
    std::atomic<std::int64_t> totalSamples_;
    // Output thread only, once started.
    std::shared_ptr<NotifyTarget> notify_;
    int lastPosted_ = -1; // none yet: the first sound heard is reported, even at 0 %
    bool wroteAny_ = false;
    // Output thread until it ends, then read by the destructor after the join.
    bool handedOver_ = false;
    std::function<void()> ended_;

    std::vector<std::unique_ptr<platform::Thread>> stages_;
};

} // namespace media
