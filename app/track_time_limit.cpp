#include "app/track_time_limit.h"

#include <algorithm>

namespace app {

void TrackTimeLimit::arm(platform::Millis fadeAfter, platform::Millis now)
{
    fadeAfter_ = fadeAfter;
    played_.restart(now);
}

void TrackTimeLimit::hold(platform::Millis now)
{
    played_.hold(now);
}

std::optional<platform::Millis> TrackTimeLimit::resume(platform::Millis now)
{
    played_.run(now);
    return leftAt(now);
}

void TrackTimeLimit::clear()
{
    fadeAfter_.reset();
    carriedOver_.reset();
}

std::optional<platform::Millis> TrackTimeLimit::leftAt(platform::Millis now) const
{
    if (!fadeAfter_)
        return std::nullopt;
    return std::max<platform::Millis>(*fadeAfter_ - played_.elapsed(now), 0);
}

} // namespace app
