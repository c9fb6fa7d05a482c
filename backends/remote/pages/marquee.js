// The marquee: the dance now, the next one and the time left, read only.
"use strict";

const stopped = (state) => state.play === "stopped";

follow(() => (session.token ? { marquee: true, token: session.token } : { marquee: true }),
  showing((state) => {
    document.getElementById("style").textContent = stopped(state) ? "—" : state.style || "—";
    document.getElementById("next").textContent = state.nextStyle || "—";
  }, (state, receivedAt) => {
    document.getElementById("left").textContent =
      stopped(state) ? "--:--" : clock(trackTimes(state, receivedAt).left, "不限时");
  }));
