#pragma once
// One track playing: file reader -> MPEG decoder -> sound output, each stage on its own
// clock thread. Created stopped; start() runs it until the end of the track, which is
// reported once; destruction stops every stage and resets the device.
//
// Threads: start, pause, resume and the destructor run on the caller's thread (the player,
// under its own lock); the stages only touch their queues, the ring and the device.

#include "media/audio_output.h"
#include "media/message_queue.h"
#include "media/mpeg_decoder.h"
#include "media/notify_target.h"
#include "media/output_ring.h"
#include "media/track_file.h"

#include <functional>
#include <memory>
#include <vector>

namespace media {

class Pipeline {
public:
    // Nothing when the file holds no MPEG audio or the device or decoder cannot be opened.
    static std::unique_ptr<Pipeline> open(
        platform::Clock& clock, const std::string& nativePath, const OutputFactory& makeOutput);
    ~Pipeline();

    const TrackInfo& info() const { return file_.info(); }

    // Starts the stages at `startPercent` (0 = the first frame). Progress goes to `notify`
    // from the decoder thread; `ended` is called once from the output thread when every
    // sample has been heard or a stage ran out early.
    void start(std::shared_ptr<NotifyTarget> notify, int startPercent, std::function<void()> ended);
    void pause();
    void resume();

private:
    Pipeline(platform::Clock& clock, TrackFile file, std::unique_ptr<AudioOutput> output,
        std::unique_ptr<MpegDecoder> decoder);

    void readStage(std::int64_t offset);
    void decodeStage();
    void outputStage();
    void writeBlock(std::span<const std::uint8_t> block);
    void reportProgress();

    platform::Clock& clock_;
    TrackFile file_;
    std::unique_ptr<AudioOutput> output_;
    std::unique_ptr<MpegDecoder> decoder_;
    MessageQueue<std::vector<std::uint8_t>> chunks_; // an empty chunk ends the stream
    OutputRing ring_;

    // Decoder thread only, once started.
    std::shared_ptr<NotifyTarget> notify_;
    std::int64_t framesPlayed_ = 0;
    int lastPosted_ = 0;
    // Output thread only, once started.
    std::uint64_t writtenBytes_ = 0;
    std::function<void()> ended_;

    std::vector<std::unique_ptr<platform::Thread>> stages_;
};

} // namespace media
