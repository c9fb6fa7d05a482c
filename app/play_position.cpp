#include "app/play_position.h"

namespace app {

void PlayPosition::start(platform::Millis from, platform::Millis now)
{
    held_ = from;
    countingSince_ = now;
}

void PlayPosition::hold(platform::Millis now)
{
    held_ = at(now);
    countingSince_.reset();
}

void PlayPosition::resume(platform::Millis now)
{
    held_ = at(now);
    countingSince_ = now;
}

platform::Millis PlayPosition::at(platform::Millis now) const
{
    return countingSince_ ? held_ + (now - *countingSince_) : held_;
}

} // namespace app
