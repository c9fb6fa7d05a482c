#pragma once
// The application: the runtime it runs on, its program directory, its globals, the record
// database commands, its window system with the handler table bound to it, the threads and
// critical sections, the system volume and the single-instance lock. Handlers receive it
// and reach everything through it.

#include "app/even_loudness.h"
#include "app/evening_log_writer.h"
#include "app/globals.h"
#include "app/light_test_steps.h"
#include "app/loudness_analysis.h"
#include "app/remote_commands.h"
#include "app/single_instance.h"
#include "app/track_durations.h"

#include "lights/light_output.h"
#include "media/system_volume.h"
#include "media/track_commands.h"
#include "recdb/registry.h"
#include "runtime/runtime.h"
#include "runtime/text.h"
#include "ui/remote_control.h"
#include "ui/threads.h"
#include "ui/window_system.h"

#include <memory>
#include <vector>

namespace app {

class Application {
public:
    // mixers: where the system volume finds the master volume; by default none answers, so
    // opening the volume fails as it would without a sound server. outputs: where tracks
    // are heard; by default a silent device paced by the platform clock. lightOutputs: what
    // drives lamps on a DMX bus when the hall's light settings enable it; by default nothing.
    // remoteServers: what serves the remote page and the marquee when the hall's remote
    // settings enable it; by default nothing.
    Application(
        runtime::Runtime& runtime, ui::ViewFactory& views,
        media::MixerFactory mixers = [] { return std::unique_ptr<media::Mixer>(); },
        media::OutputFactory outputs = {}, lights::LightOutputFactory lightOutputs = {},
        ui::RemoteServerFactory remoteServers = {});
    // Ends the light test's worker first: it draws on the windows.
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    runtime::Runtime& runtime;
    // Every file the application opens goes through it: the tables, show files, settings,
    // tracks and the hall lock.
    platform::FileSystem& files;
    // Where the data files live, without a trailing "/"; tests point it at a scratch copy.
    runtime::Text programDirectory;
    // The command that starts the program at the next log-in (program file, then arguments),
    // registered at shutdown; empty, and nothing registered, unless this is the installed
    // program.
    std::vector<runtime::Text> startAtLogIn;
    // Cleared by --no-resume: a start after an abnormal end goes on as any other.
    bool offerResume = true;
    // Set by the start-up when the hall folder may not be written (app/read_only_hall.h):
    // nothing is written there for the rest of the run.
    bool hallReadOnly = false;
    // Opened by the start-up once the hall is ours; none before (tests that never start up).
    std::unique_ptr<EveningLogWriter> eveningLog;
    Globals globals;
    lights::LightOutputFactory lightOutputs;
    // Made at start-up when the hall's light settings enable it, else none. Declared before the
    // threads that set lamps, so it outlives them.
    std::unique_ptr<lights::LightOutput> lightOutput;
    recdb::RuntimeErrorReport databaseErrors;
    recdb::Registry databases;
    ui::WindowSystem windows;
    ui::Threads threads;
    media::SystemVolume systemVolume; // the main window's 系统音量1
    SingleInstance instance;
    // Declared after the windows: a player still running posts to them until it goes.
    media::TrackCommands trackPlayer;
    LightTestSteps lightTestSteps;
    // Its worker posts to the loop until it is stopped.
    TrackDurations durations;
    // The switch and target, read at start-up; off until then.
    LoudnessSettings loudnessSettings;
    // Its worker posts to the loop and measures until it is stopped.
    LoudnessAnalysis loudness;
    ui::RemoteServerFactory remoteServers;
    // The server, while one runs, and what it calls; last, so no request arrives while
    // anything above is being torn down.
    std::unique_ptr<RemoteHost> remoteHost;
    std::unique_ptr<ui::RemoteServer> remoteServer;
};

} // namespace app
