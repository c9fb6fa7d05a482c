#pragma once
// A window system on the headless platform with recording views and a handler table whose
// handlers log their calls, for tests of loading, properties, events and commands.

#include "recording_handlers.h"
#include "template_builder.h"
#include "ui/commands.h"
#include "backends/headless/recording_views.h"
#include "ui/input.h"

#include "backends/headless/headless_platform.h"
#include "runtime/runtime.h"

#include <gtest/gtest.h>

namespace ui::test {

constexpr WindowId mainId = 0x52010001;
constexpr ComponentId mainOwn = 0x06010000;

class CoreTest : public ::testing::Test, public RecordingHandlers {
public:
    void start(std::vector<WindowTemplate> windows, std::size_t handlers = 16)
    {
        core = std::make_unique<WindowSystem>(runtime, views, recordingTable(handlers));
        commands = std::make_unique<Commands>(*core);
        input = std::make_unique<Input>(*core);
        Bytes segment = segmentBytes(std::move(windows));
        core->readTemplates(segment);
    }

    // The runtime error report of fn, or "" when it raised none.
    std::string errorOf(const std::function<void()>& fn)
    {
        try {
            fn();
        } catch (const platform::ProgramEnded&) {
            auto boxes = headless.dialogs().messageBoxes();
            return boxes.empty() ? "ended without report" : boxes.back().text;
        }
        return "";
    }

    Value get(ComponentId c, int number, WindowId w = mainId)
    {
        return core->property(w, c, number);
    }
    void set(ComponentId c, int number, const Value& v, WindowId w = mainId)
    {
        core->setProperty(w, c, number, v);
    }

    platform::headless::HeadlessPlatform headless;
    platform::Platform platform = headless.platform();
    runtime::Runtime runtime { platform };
    headless::RecordingViews views;
    std::unique_ptr<WindowSystem> core;
    std::unique_ptr<Commands> commands;
    std::unique_ptr<Input> input;
};

} // namespace ui::test
