// The program's light output when the OLA module cannot be loaded: the lamps on the screen
// carry on as without olad, and the operator's terminal is told why once, not every retry.

#include "backends/ola/ola_light_outputs.h"
#include "lights/dmx_sender.h"

#include "backends/headless/headless_clock.h"

#include <gtest/gtest.h>

namespace platform::ola {
namespace {

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(OlaModule, AModuleThatCannotBeLoadedIsADaemonThatIsNotThereToldOnce)
{
    const std::string missing = "/nonexistent/lib/dancehall/dancehall-ola.so";
    platform::headless::HeadlessClock clock;
    const auto outputs = olaLightOutputs(std::make_shared<SharedModule>(missing, linkEntryName));
    testing::internal::CaptureStderr();
    auto output = outputs(clock, {});
    clock.advance(0);
    output->setLamp(1, true);
    clock.advance(3 * lights::DmxSender::retryMillis);
    // Settings applied again make a new output of the same factory: still one message.
    auto next = outputs(clock, {});
    clock.advance(2 * lights::DmxSender::retryMillis);
    EXPECT_FALSE(output->connected());
    EXPECT_FALSE(next->connected());
    output.reset();
    next.reset();
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_EQ(occurrences(told, missing), 1u) << told;
}

} // namespace
} // namespace platform::ola
