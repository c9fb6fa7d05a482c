// The remote page: the state as it comes, and the buttons and lists that send commands.
"use strict";

function item(text, className, onTap) {
  const entry = document.createElement("li");
  entry.textContent = text;
  if (className) entry.className = className;
  if (onTap) entry.onclick = onTap;
  return entry;
}

function showTimes(state, receivedAt) {
  const times = trackTimes(state, receivedAt);
  const stopped = state.play === "stopped";
  document.getElementById("played").textContent = stopped ? "--:--" : clock(times.played);
  document.getElementById("leftCaption").textContent = times.byLimit ? "限时剩余" : "剩余";
  document.getElementById("left").textContent = stopped ? "--:--" : clock(times.left, "不限时");
}

function showState(state) {
  document.getElementById("style").textContent = state.style || "—";
  document.getElementById("title").textContent = state.title || "";
  document.getElementById("next").textContent = state.nextStyle || "—";
  document.getElementById("volume").textContent = state.volume === null ? "—" : state.volume + "%";
  document.getElementById("playPause").textContent = state.play === "playing" ? "暂停" : "播放";
  document.getElementById("show").textContent = state.show || "";

  const slots = document.getElementById("slots");
  slots.replaceChildren(...state.slots.map((slot, k) => {
    const number = k + 1;
    const text = slot.number + "  " + slot.style + (slot.hasTrack ? "  " + slot.title : "  （无舞曲）");
    const className = (number === state.playingSlot ? "playing" : "") + (slot.hasTrack ? "" : " empty");
    return item(text, className, slot.hasTrack ? () => sendCommand({ action: "playSlot", slot: number }) : null);
  }));
  const shows = document.getElementById("shows");
  shows.replaceChildren(...state.shows.map((name) =>
    item(name, name === state.show ? "current" : "", () => {
      if (confirm("载入场次“" + name + "”？当前播放将停止。")) sendCommand({ action: "loadShow", show: name });
    })));
}

document.querySelectorAll("button[data-action]").forEach((button) => {
  button.onclick = () => sendCommand({ action: button.dataset.action });
});

(async () => {
  if (!session.token) await askForPin();
  follow(() => ({ token: session.token }), showing(showState, showTimes));
})();
