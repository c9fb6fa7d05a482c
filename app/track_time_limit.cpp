#include "app/track_time_limit.h"

#include <algorithm>

namespace app {

void TrackTimeLimit::arm(platform::Millis fadeAfter, platform::Millis now)
{
    left_ = fadeAfter;
    countingSince_ = now;
}

void TrackTimeLimit::hold(platform::Millis now)
{
    left_ = leftAt(now);
    countingSince_.reset();
}

std::optional<platform::Millis> TrackTimeLimit::resume(platform::Millis now)
{
    left_ = leftAt(now);
    countingSince_ = now;
    return left_;
}

void TrackTimeLimit::clear()
{
    left_.reset();
    countingSince_.reset();
    carriedOver_.reset();
}

std::optional<platform::Millis> TrackTimeLimit::leftAt(platform::Millis now) const
{
    if (!left_ || !countingSince_)
        return left_;
    return std::max<platform::Millis>(*left_ - (now - *countingSince_), 0);
}

} // namespace app
