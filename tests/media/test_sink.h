#pragma once
// The test sink: the private sound server with its null sink that scripts/with-test-env
// starts for the test run. Tests that play or listen skip, saying why, when run without it.

#include "backends/pulse/pulse_output.h"
#include "media/audio_output.h"
#include "platform/system_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>

// In a test body or SetUp: the skip must return from there.
#define SKIP_WITHOUT_TEST_SINK()                                                                   \
    if (!std::getenv("PULSE_SERVER"))                                                              \
    GTEST_SKIP() << "no test sound server (run through scripts/with-test-env)"

namespace media::test {

// The clock and an output factory on the test sink.
class TestSinkTest : public testing::Test {
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_TEST_SINK();
        makeOutput = platform::pulse::pulseOutputFactory();
        ASSERT_TRUE(makeOutput);
    }

    platform::SystemClock clock;
    OutputFactory makeOutput;
};

} // namespace media::test
