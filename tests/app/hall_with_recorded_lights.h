#pragma once
// The application in a scratch hall with its main window loaded, whose light outputs record
// every lamp change with the virtual time it came: for the tests of what reaches the lamps.

#include "backends/headless/headless_platform.h"
#include "lights/light_output.h"
#include "lights/light_settings.h"
#include "scratch_application.h"
#include "ui/templates/segment.h"
#include "ui/templates/window_ids.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace app::test {

struct Change {
    platform::Millis at;
    int lamp;
    bool on;
    bool operator==(const Change&) const = default;
};

// What the outputs were told. The outputs share it, so it outlives any the application keeps.
struct OutputLog {
    std::mutex mutex; // guards changes and made
    std::vector<Change> changes;
    std::vector<lights::LightSettings> made;
    int switchOffs = 0;
    std::atomic<bool> connected { false }; // what every output says of its bus
};

class RecordingOutput final : public lights::LightOutput {
public:
    RecordingOutput(platform::Clock& clock, std::shared_ptr<OutputLog> log)
        : clock_(clock)
        , log_(std::move(log))
    {
    }
    void setLamp(int lamp, bool on) override
    {
        std::lock_guard lock(log_->mutex);
        log_->changes.push_back({ clock_.now(), lamp, on });
    }
    bool connected() const override { return log_->connected; }
    void switchOff() override
    {
        std::lock_guard lock(log_->mutex);
        ++log_->switchOffs;
    }

private:
    platform::Clock& clock_;
    const std::shared_ptr<OutputLog> log_;
};

struct HallWithRecordedLights : ScratchApplication {
    explicit HallWithRecordedLights(const std::string& name)
        : HallWithRecordedLights(name, std::make_shared<OutputLog>())
    {
    }

    std::vector<Change> changes()
    {
        std::lock_guard lock(log.mutex);
        return log.changes;
    }

    const std::shared_ptr<OutputLog> sharedLog;
    OutputLog& log = *sharedLog;

private:
    HallWithRecordedLights(const std::string& name, std::shared_ptr<OutputLog> shared)
        : ScratchApplication(name, { 1024, 768 },
            [shared](platform::Clock& clock, const lights::LightSettings& settings) {
                {
                    std::lock_guard lock(shared->mutex);
                    shared->made.push_back(settings);
                }
                return std::make_unique<RecordingOutput>(clock, shared);
            })
        , sharedLog(std::move(shared))
    {
        application.windows.readTemplates(templates::segment());
        application.windows.loadWindow(ids::MainWindow::window, false);
        application.globals.lightLock = application.threads.createSection();
    }
};

} // namespace app::test
