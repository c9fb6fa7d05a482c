#include "media/track_commands.h"

namespace media {

TrackCommands::TrackCommands(PlayerServices services)
    : services_(std::move(services))
    , createPlayer_(findPlayerEntryPoint<decltype(CreatePlayer)>("CreatePlayer"))
    , newPlay_(findPlayerEntryPoint<decltype(NewPlay)>("NewPlay"))
    , setPauseState_(findPlayerEntryPoint<decltype(SetPauseState)>("SetPauseState"))
    , getPlayState_(findPlayerEntryPoint<decltype(GetPlayState)>("GetPlayState"))
    , removePlayer_(findPlayerEntryPoint<decltype(RemovePlayer)>("RemovePlayer"))
{
}

TrackCommands::~TrackCommands()
{
    stopPlaying();
}

void TrackCommands::playMusicFile(const std::string& file, int startPercent,
    std::shared_ptr<NotifyTarget> notify, const std::optional<std::string>& option)
{
    stopPlaying();
    if (file.empty())
        return;
    std::string list = file + '\0' + '\0';
    current_ = createPlayer_(services_, list.c_str(), 1);
    newPlay_(current_, std::move(notify), option ? option->c_str() : nullptr, startPercent);
}

void TrackCommands::pausePlaying()
{
    setPauseState_(current_, 1);
}

int TrackCommands::queryPlayState() const
{
    return getPlayState_(current_);
}

void TrackCommands::stopPlaying()
{
    removePlayer_(current_);
    current_ = nullptr;
}

} // namespace media
