#pragma once
// The track player object: one file played once through one pipeline at a time, with
// progress and the end of the track reported to a notify target. The track commands
// (track_commands.h) drive it; a player is not reused for another file.
//
// Threads: the public methods run on the interface thread; the message thread handles the
// end of the track. Lock order: docs/architecture.md.

#include "media/audio_output.h"
#include "media/message_queue.h"
#include "media/notify_target.h"
#include "media/pipeline.h"
#include "platform/owned_mutex.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace media {

enum class PlayState { stopped, playing, paused };

// The gain a track plays at (a factor on its samples, see sample_gain.h), asked on the
// interface thread as it is opened; 1 for none.
using TrackGain = std::function<float(const std::string& nativePath)>;

struct PlayerServices {
    platform::Clock& clock;
    OutputFactory makeOutput;
    platform::FileSystem& files = platform::systemFileSystem(); // where tracks are read
    TrackGain trackGain = nullptr; // none: every track as decoded
};

class Player {
public:
    // `nativePath` names the file on disk; nothing is read before play(). The track plays
    // at `gain` (see Pipeline::open) unless a prepared pipeline brings its own.
    Player(const PlayerServices& services, std::string nativePath, float gain = 1.0f);
    // Stops the track and the message thread, whatever the state.
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Plays the file from `startPercent`, replacing a track that is playing or paused; a file
    // that holds no MPEG audio leaves the player stopped and reports nothing. `prepared` is
    // this player's file opened ahead (Pipeline::open), used for a start from the beginning.
    void play(std::shared_ptr<NotifyTarget> notify, int startPercent,
        std::unique_ptr<Pipeline> prepared = nullptr)
    {
        play(std::move(notify), TrackStart::percent(startPercent), std::move(prepared));
    }
    // The same from any start; `prepared` serves a start at the beginning only.
    void play(std::shared_ptr<NotifyTarget> notify, TrackStart start,
        std::unique_ptr<Pipeline> prepared = nullptr);
    // Pauses a playing track or resumes a paused one; any other state stays as it is.
    void setPaused(bool pause);
    [[nodiscard]] PlayState state() const;

private:
    void runMessages();
    void trackEndedLocked(std::uint64_t serial);

    const PlayerServices services_;
    const std::string nativePath_;
    const float gain_;
    // The serials of pipelines that ended, in order; emptied by the message thread.
    MessageQueue<std::uint64_t> ended_;

    mutable platform::OwnedMutex mutex_; // guards every field below
    PlayState state_ = PlayState::stopped;
    std::shared_ptr<NotifyTarget> notify_;
    std::unique_ptr<Pipeline> pipeline_;
    std::uint64_t serial_ = 0; // of pipeline_; an end report with another serial is stale

    std::unique_ptr<platform::Thread> messageThread_;
};

} // namespace media
