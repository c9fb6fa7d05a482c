#pragma once
// Everything a test needs to run the program without a desktop, owned in one place:
// virtual clock, event loop, scripted dialogs and process end. Create it on the thread that
// plays the interface thread; that thread drives time with advance().

#include "backends/headless/headless_clock.h"
#include "backends/headless/headless_event_loop.h"
#include "backends/headless/headless_process.h"
#include "backends/headless/scripted_dialogs.h"
#include "platform/platform.h"

namespace platform::headless {

class HeadlessPlatform {
public:
    explicit HeadlessPlatform(std::int64_t startWallMillis = HeadlessClock::defaultStartWallMillis);
    // Stops the clock's threads before the loop they may post to goes away.
    ~HeadlessPlatform();
    HeadlessPlatform(const HeadlessPlatform&) = delete;
    HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

    Platform platform() { return { loop_, dialogs_, process_ }; }
    HeadlessClock& clock() { return clock_; }
    HeadlessEventLoop& loop() { return loop_; }
    ScriptedDialogs& dialogs() { return dialogs_; }
    HeadlessProcess& process() { return process_; }

    void advance(Millis ms) { clock_.advance(ms); }

private:
    HeadlessClock clock_;
    HeadlessEventLoop loop_ { clock_ };
    ScriptedDialogs dialogs_;
    HeadlessProcess process_ { loop_ };
};

} // namespace platform::headless
