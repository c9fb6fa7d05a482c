#pragma once
// Even loudness in the dance hall: the switch "音量均衡" and its target level, kept in the hall
// folder's loudness.ini; the gain each track plays at; the show's tracks measured in the
// background with the progress on the main window's status row. The style volume and the
// fades stay as they are: the gain is on the samples, under them.
//
// A new hall folder is seeded with the switch on; a folder from an existing installation has
// no loudness.ini and plays as before until the operator turns the switch on.
//
// Interface thread only: the track commands ask trackGain as they open a track.

#include "app/loudness_analysis.h"
#include "runtime/text.h"

#include <string>
#include <vector>

namespace app {

class Application;
struct Slot;

constexpr char loudnessSettingsName[] = "loudness.ini";
constexpr char loudnessStoreName[] = "loudness.db";

struct LoudnessSettings {
    bool enabled = false;
    int targetLufs = -16;

    bool operator==(const LoudnessSettings&) const = default;
};

// The settings in the hall folder; off, at the default target, when the file is missing.
// A target outside the meter's range is held at its nearest end.
[[nodiscard]] LoudnessSettings readLoudnessSettings(Application& app);
// Writes them to the hall folder; false when the file could not be written.
[[nodiscard]] bool writeLoudnessSettings(Application& app, const LoudnessSettings& settings);

// Where the analysis reports to: its progress on the status row, a failure of the store in a
// message box (once; playback goes on without gains).
[[nodiscard]] LoudnessAnalysis::Reports loudnessReports(Application& app);

// At start-up, before the first show is shown: reads the settings and opens the store.
void startEvenLoudness(Application& app);
// Takes new settings (already written): measuring starts or stops with the switch, and the
// next track plays at its new gain.
void applyLoudnessSettings(Application& app, const LoudnessSettings& settings);

// The style settings window's switch and target show the settings in use.
void showEvenLoudnessSwitch(Application& app);

// The factor the track at `nativePath` plays at: 1 with the switch off or the track
// unmeasured.
[[nodiscard]] float trackGain(Application& app, const std::string& nativePath);

// Has the loudness of the slots' tracks measured when the switch is on (the current show,
// each time it is shown); with it off, measuring stops.
void measureShowLoudness(Application& app, const std::vector<Slot>& slots);

} // namespace app
