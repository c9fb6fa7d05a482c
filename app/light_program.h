#pragma once
// The light program of the main window's sixteen-channel indicator panel. A channel exists
// only as the background colour of its label: 255 (red) lit, 0 (black) dark; nothing else
// records it and nothing reads it back. Every step waits 50 ms before it draws, on whatever
// thread runs it, so a full panel change is visibly stepwise.

namespace app {

class Application;

// Start-up: makes the light output when the hall's light settings enable it; at the
// program's end it sends the lamps' off levels.
void startLightOutput(Application& app);

// Channel n = 1 … 16 after the 50 ms wait; the light output, if any, follows the panel.
void lightOn(Application& app, int channel);
void lightOff(Application& app, int channel);

// The track-start steps, on the interface thread: first end the previous track's lights (its
// switch-off sequence, and its style states if they are still being applied or wait for the
// lock), then set currentStyle, then start the lights of that style.
void stopTrackLights(Application& app);
// Starts applyStyleLights with its handle in styleLightThread and runLightProgram with its
// handle in trackLightThread.
void startTrackLights(Application& app);

// Thread bodies. Under lightLock: the style's "1" … "16" states, channel by channel. A run
// the next track start ends stops at its next wait, or passes the lock on untouched when it
// gets it, so quick track changes never pile runs up behind the lock.
void applyStyleLights(Application& app);
// After 5 s, each channel with a "nc" delay goes dark after that many seconds, channel 1
// first. Takes no lock, so ending it at any wait leaves nothing held.
void runLightProgram(Application& app);

} // namespace app
