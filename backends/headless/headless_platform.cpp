#include "backends/headless/headless_platform.h"

namespace platform::headless {

HeadlessPlatform::HeadlessPlatform(std::int64_t startWallMillis)
    : clock_(startWallMillis)
{
}

HeadlessPlatform::~HeadlessPlatform()
{
    clock_.stopAllThreads();
}

} // namespace platform::headless
