#pragma once
// A handler table for tests: handler i logs "h<i>(args)" in calls, runs actions[i] and
// returns results[i] when one is set.

#include "ui/window_system.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ui::test {

struct RecordingHandlers {
    std::vector<std::string> calls;
    std::map<std::size_t, std::int32_t> results;
    std::map<std::size_t, std::function<void()>> actions;

    HandlerTable recordingTable(std::size_t count)
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
};

} // namespace ui::test
