#pragma once
// The four runtime commands the application plays tracks with. They keep the one current
// player of the process and reach it only through the player module's named entry points.
// Interface thread only.

#include "media/player_library.h"

#include <optional>
#include <string>

namespace media {

class TrackCommands {
public:
    explicit TrackCommands(PlayerServices services);
    ~TrackCommands();
    TrackCommands(const TrackCommands&) = delete;
    TrackCommands& operator=(const TrackCommands&) = delete;

    // Replaces the current player with one that plays `file` (GBK path) once.
    void playMusicFile(const std::string& file, int startPercent = 0,
        std::shared_ptr<NotifyTarget> notify = nullptr,
        const std::optional<std::string>& option = std::nullopt);
    void pausePlaying();
    // 1 playing, -1 paused, 0 otherwise.
    int queryPlayState() const;
    void stopPlaying();

private:
    PlayerServices services_;
    Player* current_ = nullptr;
    decltype(CreatePlayer)* createPlayer_;
    decltype(NewPlay)* newPlay_;
    decltype(SetPauseState)* setPauseState_;
    decltype(GetPlayState)* getPlayState_;
    decltype(RemovePlayer)* removePlayer_;
};

} // namespace media
