#include "media/track_commands.h"

#include "platform/path.h"

namespace media {

TrackCommands::TrackCommands(PlayerServices services)
    : keeper_(OutputKeeper::create(std::move(services.makeOutput)))
    , services_ { services.clock, keeper_->outputs() }
{
}

TrackCommands::~TrackCommands()
{
    stopPlaying();
}

void TrackCommands::playMusicFileFrom(const std::string& file, TrackStart start,
    std::shared_ptr<NotifyTarget> notify, const std::optional<std::string>& option)
{
    current_.reset();
    if (file.empty() || (option && option->size() >= optionLimit)) {
        prepared_.reset();
        return;
    }
    std::string path = platform::nativePath(file);
    std::unique_ptr<Pipeline> prepared = takePrepared(path);
    current_ = std::make_unique<Player>(services_, path);
    current_->play(std::move(notify), start, std::move(prepared));
}

std::unique_ptr<Pipeline> TrackCommands::takePrepared(const std::string& nativePath)
{
    std::unique_ptr<Pipeline> prepared = std::move(prepared_);
    if (prepared && (preparedPath_ != nativePath || !prepared->stillAt(nativePath)))
        prepared.reset();
    return prepared;
}

void TrackCommands::prepareNext(const std::string& file)
{
    prepared_.reset();
    if (file.empty())
        return;
    preparedPath_ = platform::nativePath(file);
    prepared_ = Pipeline::open(services_.clock, preparedPath_, services_.files);
    if (prepared_)
        prepared_->decodeAhead();
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
    prepared_.reset();
}

} // namespace media
