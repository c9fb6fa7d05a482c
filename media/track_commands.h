#pragma once
// The four commands the application plays tracks with. They keep the one current player
// of the process, made anew for every track, and one sound device kept open across tracks;
// the next track may be named ahead, so it starts from samples already decoded. Interface
// thread only.

#include "media/kept_output.h"
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
        const std::optional<std::string>& option = std::nullopt)
    {
        playMusicFileFrom(file, TrackStart::percent(startPercent), std::move(notify), option);
    }
    // The same from any start: a whole percent or a time into the track.
    void playMusicFileFrom(const std::string& file, TrackStart start,
        std::shared_ptr<NotifyTarget> notify = nullptr,
        const std::optional<std::string>& option = std::nullopt);
    // The file the next playMusicFile from the beginning is likely to name (GBK path): opened
    // and its first second decoded now, while the current track plays. A play of another
    // file, or of this one once it was removed or replaced, opens the file afresh.
    void prepareNext(const std::string& file);
    void pausePlaying();
    // Stopped when there is no current player.
    PlayState queryPlayState() const;
    // Stops the current track and forgets the prepared one.
    void stopPlaying();

private:
    // The prepared pipeline of `file` when it is still the file there and plays at `gain`;
    // nothing otherwise.
    std::unique_ptr<Pipeline> takePrepared(const std::string& nativePath, float gain);
    [[nodiscard]] float gainOf(const std::string& nativePath) const;

    std::shared_ptr<OutputKeeper> keeper_;
    PlayerServices services_;
    std::unique_ptr<Player> current_;
    std::string preparedPath_; // native
    std::unique_ptr<Pipeline> prepared_;
};

} // namespace media
