#include "media/player.h"

#include "platform/posix/path.h"

namespace media {

Player::Player(const PlayerServices& services, std::vector<std::string> files, int repeatCount)
    : services_(services)
    , ended_(services.clock)
    , files_(std::move(files))
    , repeatCount_(std::max(0, repeatCount))
{
    if (!files_.empty() && !files_.front().empty())
        messageThread_ = services_.clock.startThread([this] { runMessages(); });
}

Player::~Player()
{
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    ended_.close();
    if (messageThread_)
        messageThread_->join();
    std::lock_guard lock(mutex_);
    pipeline_.reset();
}

void Player::newPlay(std::shared_ptr<NotifyTarget> notify, const std::optional<std::string>& option,
    int startPercent)
{
    std::lock_guard lock(mutex_);
    newPlayLocked(std::move(notify), option, startPercent);
}

void Player::newPlayLocked(std::shared_ptr<NotifyTarget> notify,
    const std::optional<std::string>& option, int startPercent)
{
    // A paused track is replaced like a playing one, so two never share the device.
    if (state_ != stopped) {
        pipeline_.reset();
        state_ = stopped;
    }
    if (option && option->size() >= optionLimit) {
        notify_.reset();
        option_.clear();
        return;
    }
    if (!pipeline_ && cursor_ < files_.size() && !files_[cursor_].empty())
        pipeline_ = Pipeline::open(
            services_.clock, platform::nativePath(files_[cursor_]), services_.makeOutput);
    if (!pipeline_) {
        notify_.reset();
        option_.clear();
        return;
    }
    notify_ = std::move(notify);
    if (option)
        option_ = *option;
    std::uint64_t serial = ++serial_;
    pipeline_->start(notify_, startPercent, [this, serial] { ended_.push(serial); });
    state_ = playing;
}

void Player::setPauseState(bool pause)
{
    std::lock_guard lock(mutex_);
    if (pause && state_ == playing) {
        pipeline_->pause();
        state_ = paused;
    } else if (!pause && state_ == paused) {
        pipeline_->resume();
        state_ = playing;
    }
}

Player::State Player::state() const
{
    std::lock_guard lock(mutex_);
    return state_;
}

void Player::runMessages()
{
    while (auto serial = ended_.pop()) {
        std::lock_guard lock(mutex_);
        trackEndedLocked(*serial);
        if (stopRequested_)
            return;
    }
}

void Player::trackEndedLocked(std::uint64_t serial)
{
    if (serial != serial_ || !pipeline_)
        return;
    pipeline_.reset();
    state_ = stopped;
    if (notify_ && notify_->exists())
        notify_->post(100);
    ++cursor_;
    if (cursor_ == files_.size() || files_[cursor_].empty()) {
        cursor_ = 0;
        if (repeatCount_ > 0 && repeatCount_-- == 1) {
            stopRequested_ = true;
            return;
        }
    }
    newPlayLocked(notify_, option_, 0);
}

} // namespace media
