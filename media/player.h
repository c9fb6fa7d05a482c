#pragma once
// The track player object: a list of files played in order a number of times, one
// pipeline at a time, with progress and the end of each track reported to a notify target.
// Entry points (player_library.h) and the runtime commands (track_commands.h) drive it.
//
// Threads: the public methods run on the interface thread; the message thread handles the
// end of each track. Lock order: mutex_, then a pipeline's and the queue's own locks.

#include "media/audio_output.h"
#include "media/message_queue.h"
#include "media/notify_target.h"
#include "media/pipeline.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace media {

struct PlayerServices {
    platform::Clock& clock;
    OutputFactory makeOutput;
};

class Player {
public:
    enum State { paused = 1, playing = 2, stopped = 3 };
    static constexpr std::size_t optionLimit = 512;

    // `files` are GBK paths; a negative repeat count counts as 0 (repeat for ever).
    Player(const PlayerServices& services, std::vector<std::string> files, int repeatCount);
    // Stops the track and the message thread, whatever the state.
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Plays the file under the cursor from `startPercent`; an option text of optionLimit
    // characters or more plays nothing.
    void newPlay(std::shared_ptr<NotifyTarget> notify, const std::optional<std::string>& option,
        int startPercent);
    void setPauseState(bool pause);
    State state() const;

private:
    void runMessages();
    void newPlayLocked(std::shared_ptr<NotifyTarget> notify,
        const std::optional<std::string>& option, int startPercent);
    void trackEndedLocked(std::uint64_t serial);

    const PlayerServices services_;
    // The serials of pipelines that ended, in order; emptied by the message thread.
    MessageQueue<std::uint64_t> ended_;

    mutable std::mutex mutex_; // guards every field below
    State state_ = stopped;
    std::vector<std::string> files_;
    std::size_t cursor_ = 0;
    int repeatCount_;
    std::shared_ptr<NotifyTarget> notify_;
    std::string option_;
    bool stopRequested_ = false;
    std::unique_ptr<Pipeline> pipeline_;
    std::uint64_t serial_ = 0; // of pipeline_; an end report with another serial is stale

    std::unique_ptr<platform::Thread> messageThread_;
};

} // namespace media
