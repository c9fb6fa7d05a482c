// What both pages share: the PIN form, the session token (kept in this tab only, sent as a
// header, never a cookie), commands, and the WebSocket that brings the state.
"use strict";

const session = {
  get token() { return sessionStorage.getItem("remoteToken") || ""; },
  set token(value) {
    if (value) sessionStorage.setItem("remoteToken", value);
    else sessionStorage.removeItem("remoteToken");
  },
};

function showPinForm(message) {
  document.getElementById("pinForm").hidden = false;
  document.getElementById("pinMessage").textContent = message || "";
  document.getElementById("pin").focus();
}

// Resolves once the PIN opened a session.
function askForPin(message) {
  return new Promise((resolve) => {
    showPinForm(message);
    const form = document.getElementById("pinForm");
    form.onsubmit = async (event) => {
      event.preventDefault();
      const pin = document.getElementById("pin").value.trim();
      const reply = await fetch("/api/session", {
        method: "POST",
        headers: { "Content-Type": "application/json" },
        body: JSON.stringify({ pin }),
      });
      const answer = await reply.json().catch(() => ({}));
      if (reply.status === 200) {
        session.token = answer.token;
        form.hidden = true;
        document.getElementById("pin").value = "";
        resolve();
      } else if (reply.status === 429) {
        showPinForm("错误次数过多，请 " + answer.retryAfter + " 秒后再试");
      } else {
        showPinForm("PIN 不正确");
      }
    };
  });
}

// Sends a command; false when the session is gone (the PIN is asked again).
async function sendCommand(command) {
  const reply = await fetch("/api/command", {
    method: "POST",
    headers: { "Content-Type": "application/json", "X-Remote-Token": session.token },
    body: JSON.stringify(command),
  });
  if (reply.status === 401) {
    session.token = "";
    await askForPin("会话已失效，请重新输入 PIN");
    return false;
  }
  if (reply.status === 409) notify("播放器正忙（有对话框打开），请稍后再试");
  else if (reply.status === 404) notify("没有这一项");
  return reply.ok;
}

function notify(text) {
  const line = document.getElementById("notice");
  if (!line) return;
  line.textContent = text;
  clearTimeout(notify.timer);
  notify.timer = setTimeout(() => (line.textContent = ""), 4000);
}

// Keeps a WebSocket open, greeting it with `hello()`; `onState` gets every state pushed.
// A refusal asks for the PIN, then connects again.
function follow(hello, onState) {
  const socket = new WebSocket((location.protocol === "https:" ? "wss://" : "ws://") + location.host + "/ws");
  let refused = false;
  socket.onopen = () => socket.send(JSON.stringify(hello()));
  socket.onmessage = (event) => {
    const state = JSON.parse(event.data);
    if (state.error) {
      refused = true;
      session.token = "";
      return;
    }
    document.body.classList.remove("offline");
    onState(state);
  };
  socket.onclose = async () => {
    document.body.classList.add("offline");
    if (refused) await askForPin();
    setTimeout(() => follow(hello, onState), refused ? 0 : 2000);
  };
}

// Time played and time left in whole seconds, now: while a track plays the state gives the
// moments they count from and to on the program's clock (state.now when it was sent), and the
// page counts on from when the state arrived; otherwise the times themselves. The time left
// runs to the style's time limit or to the track's end, whichever comes first (`byLimit` says
// which); null when the track has no limit and its length is not known yet.
function trackTimes(state, receivedAt) {
  const since = Date.now() - receivedAt;
  const played = state.playedFrom !== null ? state.now - state.playedFrom + since : state.played;
  const leftUntil = (at, left) => (at != null ? at - state.now - since : left ?? null);
  const limit = leftUntil(state.limitAt, state.limitLeft);
  const track = leftUntil(state.trackEndsAt, state.trackLeft);
  const byLimit = limit !== null && (track === null || limit <= track);
  const left = byLimit ? limit : track;
  return {
    played: played === null ? null : Math.floor(played / 1000),
    left: left === null ? null : Math.max(0, Math.floor(left / 1000)),
    byLimit,
  };
}

// What to do with each state: `showState(state)` once, and `showTimes(state, receivedAt)`
// then and four times a second after, so the times count on between the messages.
function showing(showState, showTimes) {
  let last = null;
  setInterval(() => last && showTimes(last.state, last.receivedAt), 250);
  return (state) => {
    last = { state, receivedAt: Date.now() };
    showState(state);
    showTimes(state, last.receivedAt);
  };
}

// mm:ss; `none` for no time at all.
function clock(seconds, none = "--:--") {
  if (seconds === null || seconds === undefined) return none;
  const s = Math.max(0, seconds);
  return String(Math.floor(s / 60)).padStart(2, "0") + ":" + String(s % 60).padStart(2, "0");
}
