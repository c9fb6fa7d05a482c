#pragma once
// The four commands the application plays tracks with. They keep the one current player
// of the process, made anew for every track. Interface thread only.

#include "media/player.h"

#include <memory>
#include <optional>
#include <string>

namespace media {

class TrackCommands {
public:
    // Option texts this long or longer play nothing.
    static constexpr std::size_t optionLimit = 512;

    explicit TrackCommands(PlayerServices services);
    ~TrackCommands();
    TrackCommands(const TrackCommands&) = delete;
    TrackCommands& operator=(const TrackCommands&) = delete;

    // Replaces the current player with one that plays `file` (GBK path) once from
    // `startPercent`; an empty name or an over-long option text leaves no player.
    void playMusicFile(const std::string& file, int startPercent = 0,
        std::shared_ptr<NotifyTarget> notify = nullptr,
        const std::optional<std::string>& option = std::nullopt);
    void pausePlaying();
    // Stopped when there is no current player.
    PlayState queryPlayState() const;
    void stopPlaying();

private:
    PlayerServices services_;
    std::unique_ptr<Player> current_;
};

} // namespace media
