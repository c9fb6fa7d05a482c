#include "media/track_commands.h"

#include "platform/path.h"

namespace media {

TrackCommands::TrackCommands(PlayerServices services)
    : keeper_(OutputKeeper::create(std::move(services.makeOutput)))
    , services_ { services.clock, keeper_->outputs(), services.files,
        std::move(services.trackGain) }
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
    float gain = gainOf(path);
    std::unique_ptr<Pipeline> prepared = takePrepared(path, gain);
    current_ = std::make_unique<Player>(services_, path, gain);
    current_->play(std::move(notify), start, std::move(prepared));
}

std::unique_ptr<Pipeline> TrackCommands::takePrepared(const std::string& nativePath, float gain)
{
    std::unique_ptr<Pipeline> prepared = std::move(prepared_);
    // Measured, or evening switched on or off, since it was prepared: its samples are wrong.
    if (prepared
        && (preparedPath_ != nativePath || !prepared->stillAt(nativePath)
            || prepared->gain() != gain))
        prepared.reset();
    return prepared;
}

float TrackCommands::gainOf(const std::string& nativePath) const
{
    return services_.trackGain ? services_.trackGain(nativePath) : 1.0f;
}

void TrackCommands::prepareNext(const std::string& file)
{
    prepared_.reset();
    if (file.empty())
        return;
    preparedPath_ = platform::nativePath(file);
    prepared_
        = Pipeline::open(services_.clock, preparedPath_, services_.files, gainOf(preparedPath_));
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
