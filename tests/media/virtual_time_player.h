#pragma once
// Track commands playing in virtual time, on silent devices or on the devices a test makes:
// the clock, the commands, the target of the track under test, and stepping the clock until
// that track ends. The commands are stopped before the clock goes.

#include "backends/headless/headless_clock.h"
#include "media/silent_output.h"
#include "media/track_commands.h"
#include "recording_target.h"

#include <gtest/gtest.h>

#include <memory>

namespace media::test {

class VirtualTimePlayer : public testing::Test {
protected:
    // `makeOutput` runs only once a track plays, so it may use members of the derived test.
    explicit VirtualTimePlayer(OutputFactory makeOutput = {})
        : commands({ clock, makeOutput ? std::move(makeOutput) : [this] {
                        return std::make_unique<SilentOutput>(clock);
                    } })
    {
    }
    ~VirtualTimePlayer() override
    {
        commands.stopPlaying();
        clock.stopAllThreads();
    }

    // Advances in steps until the track ended; returns the virtual time it took.
    platform::Millis playToEnd(platform::Millis limit = 20'000)
    {
        platform::Millis start = clock.now();
        while (!target->ended() && clock.now() - start < limit)
            clock.advance(10);
        return clock.now() - start;
    }

    platform::headless::HeadlessClock clock;
    TrackCommands commands;
    std::shared_ptr<RecordingTarget> target = std::make_shared<RecordingTarget>();
};

} // namespace media::test
