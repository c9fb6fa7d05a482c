#pragma once
// The playback sequencer: plays the play queue track after track through the track player,
// follows its progress reports on the play-state line, and serves the transport buttons and the
// slot tree. What plays is the playing slot (its record and path, see playing_slot.h), so edits of
// the show while it plays never shift it; the play state is always the player's. Interface thread
// only.

#include "platform/clock.h"

#include <cstdint>

namespace app {

class Application;

// The queue position of the playing track (currentTrackNumber); 0 when it is not in the
// queue, as before the first start.
[[nodiscard]] std::int32_t currentTrackNumber(const Application& app);

// The track after the playing slot, wrapping after the last; nothing with fewer than two.
void goToNextTrack(Application& app);
// The track before the playing slot; nothing at the first.
void goToPreviousTrack(Application& app);
// Resumes a paused track where it was, with its own style, else starts the show from its
// first track.
void playShow(Application& app);
void pausePlayback(Application& app);
// Stops the player and clears the progress; the next play starts the show again.
void stopPlayback(Application& app);
// Plays the track at a queue position as a new start of it (fade-in, light program, style)
// from `fromMillis` into it; false, and nothing changed, when there is no such position or
// its file cannot be played.
[[nodiscard]] bool playQueuePositionFrom(
    Application& app, std::int32_t position, platform::Millis fromMillis);
// Plays the track of the selected slot of the slot tree, when it is a track with a file.
void changeToSelectedTrack(Application& app);
// A progress report of the player with that serial: 0…99 while its track plays, 100 once
// at its end, which moves the show on or, after the last track, stops it. Reports of any
// player but the current one are dropped.
void followProgress(Application& app, std::int32_t percent, std::int32_t serial);
// What a fade-out that ran its course leads to: the next track, or Stop when none follows
// the playing one (a one-track show, the last track).
void moveOnAfterFadeOut(Application& app);
// The start of the program's end: the fades ended, the timers of the show stopped and the
// player's reports ignored, so no playback event acts while the closing notice is up.
void endPlaybackForClosing(Application& app);
// Buttons and status captions for the player's state.
void refreshPlayStatus(Application& app);

} // namespace app
