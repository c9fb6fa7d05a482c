#include "media/track_commands.h"

#include "platform/posix/path.h"

namespace media {

TrackCommands::TrackCommands(PlayerServices services)
    : services_(std::move(services))
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
    if (file.empty() || (option && option->size() >= optionLimit))
        return;
    current_ = std::make_unique<Player>(services_, platform::nativePath(file));
    current_->play(std::move(notify), startPercent);
}

void TrackCommands::pausePlaying()
{
    if (current_)
        current_->setPaused(true);
}

PlayState TrackCommands::queryPlayState() const
{
    return current_ ? current_->state() : PlayState::stopped;
}

void TrackCommands::stopPlaying()
{
    current_.reset();
}

} // namespace media
