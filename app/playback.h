#pragma once
// The playback sequencer: plays playQueue track after track through the track player, follows
// its progress reports on 标签1, and serves the transport buttons and the slot tree. The play
// state is never stored: it is always the player's. Interface thread only.

#include <cstdint>

namespace app {

class Application;

// Starts currentTrackPath at startPercent: fade-in restarted, the track played, the light
// program restarted for the selected track's style. A missing file asks the operator whether
// to go on with the next track or to stop.
void startTrack(Application& app, std::int32_t startPercent);

// The next queue position, wrapping after the last; nothing with fewer than two tracks.
void goToNextTrack(Application& app);
// The previous queue position; nothing at the first.
void goToPreviousTrack(Application& app);
// Resumes a paused track where it was, else starts the show from its first track.
void playShow(Application& app);
void pausePlayback(Application& app);
// Stops the player and clears the progress; the next play starts the show again.
void stopPlayback(Application& app);
// Plays the track of the selected slot of 树型框1, when it is a track with a file.
void changeToSelectedTrack(Application& app);
// A progress report: 0…99 while the track plays, 100 once at its end, which moves the show on
// to the next track or, after the last, stops it.
void followProgress(Application& app, std::int32_t percent);
// Buttons and status captions for the player's state.
void refreshPlayStatus(Application& app);

} // namespace app
