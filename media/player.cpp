#include "media/player.h"

namespace media {

Player::Player(const PlayerServices& services, std::string nativePath, float gain)
    : services_(services)
    , nativePath_(std::move(nativePath))
    , gain_(gain)
    , ended_(services.clock)
{
    messageThread_ = services_.clock.startThread([this] { runMessages(); });
}

Player::~Player()
{
    ended_.close();
    if (messageThread_)
        messageThread_->join();
    std::lock_guard lock(mutex_);
    pipeline_.reset();
}

void Player::play(
    std::shared_ptr<NotifyTarget> notify, TrackStart start, std::unique_ptr<Pipeline> prepared)
{
    std::lock_guard lock(mutex_);
    // A paused track is replaced like a playing one, so two never share the device.
    pipeline_.reset();
    state_ = PlayState::stopped;
    notify_.reset();
    pipeline_ = prepared && start.atBeginning()
        ? std::move(prepared)
        : Pipeline::open(services_.clock, nativePath_, services_.files, gain_);
    if (!pipeline_)
        return;
    std::unique_ptr<AudioOutput> output = services_.makeOutput();
    if (!output || !output->open(pipeline_->format())) {
        pipeline_.reset();
        return;
    }
    notify_ = std::move(notify);
    std::uint64_t serial = ++serial_;
    pipeline_->start(std::move(output), notify_, start, [this, serial] {
        // Refused only once the player is closing, when no end is reported any more.
        (void)ended_.push(serial);
    });
    state_ = PlayState::playing;
}

void Player::setPaused(bool pause)
{
    std::lock_guard lock(mutex_);
    if (pause && state_ == PlayState::playing) {
        pipeline_->pause();
        state_ = PlayState::paused;
    } else if (!pause && state_ == PlayState::paused) {
        pipeline_->resume();
        state_ = PlayState::playing;
    }
}

PlayState Player::state() const
{
    std::lock_guard lock(mutex_);
    return state_;
}

void Player::runMessages()
{
    while (auto serial = ended_.pop()) {
        std::lock_guard lock(mutex_);
        trackEndedLocked(*serial);
    }
}

void Player::trackEndedLocked(std::uint64_t serial)
{
    mutex_.assertHeld();
    if (serial != serial_ || !pipeline_)
        return;
    pipeline_.reset();
    state_ = PlayState::stopped;
    if (notify_ && notify_->exists())
        notify_->post(100);
}

} // namespace media
