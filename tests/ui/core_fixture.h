#pragma once
// A window system on the headless platform with recording views and a handler table whose
// handlers log their calls, for tests of loading, properties, events and commands.

#include "template_builder.h"
#include "ui/commands.h"
#include "ui/headless/recording_views.h"
#include "ui/input.h"

#include "platform/headless/headless_platform.h"
#include "runtime/runtime.h"

#include <gtest/gtest.h>

namespace ui::test {

constexpr WindowId mainId = 0x52010001;
constexpr ComponentId mainOwn = 0x06010000;

class CoreTest : public ::testing::Test {
public:
    // Handler i logs "h<i>(args)" and returns results[i] when one is set.
    HandlerTable makeHandlers(std::size_t count)
    {
        HandlerTable table;
        for (std::size_t i = 0; i < count; ++i)
            table.push_back([this, i](std::span<const std::int32_t> args) {
                std::string call = "h" + std::to_string(i) + "(";
                for (std::size_t a = 0; a < args.size(); ++a)
                    call += (a ? "," : "") + std::to_string(args[a]);
                calls.push_back(call + ")");
                if (auto action = actions.find(i); action != actions.end())
                    action->second();
                auto result = results.find(i);
                return result == results.end() ? std::optional<std::int32_t> {} : result->second;
            });
        return table;
    }

    void start(std::vector<WindowTemplate> windows, std::size_t handlers = 16)
    {
        core = std::make_unique<WindowSystem>(runtime, views, makeHandlers(handlers));
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
    std::vector<std::string> calls;
    std::map<std::size_t, std::int32_t> results;
    std::map<std::size_t, std::function<void()>> actions;
    std::unique_ptr<WindowSystem> core;
    std::unique_ptr<Commands> commands;
    std::unique_ptr<Input> input;
};

} // namespace ui::test
