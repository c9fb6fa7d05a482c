// The marquee: the dance now, the next one and the time left, read only.
"use strict";

follow(() => (session.token ? { marquee: true, token: session.token } : { marquee: true }), (state) => {
  document.getElementById("style").textContent = state.play === "stopped" ? "—" : state.style || "—";
  document.getElementById("next").textContent = state.nextStyle || "—";
  document.getElementById("left").textContent = state.play === "stopped" ? "--:--" : clock(state.limitLeft, "不限时");
});
