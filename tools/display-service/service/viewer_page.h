// The browser viewer's single page: markup, style and script inline, no
// external assets. It fits any screen from a 360-pixel-wide phone to a
// desktop: the panel is drawn at a whole number S of screen (device) pixels
// per panel pixel, the largest that fits, into a canvas shown at one canvas
// pixel per device pixel; from S = 3 on, each cell keeps a gap of S / 5
// (at least one) pixels on its right and bottom that gives the LCD look, and
// the centre of each cell carries the pixel's colour (lit or unlit). The soft
// buttons answer pointer events (touch, pen, mouse) and keys 1-4. A "panel
// only" mode goes full screen; the LCD look is a choice kept in
// localStorage; the screen is kept awake while the panel is live; the page
// reconnects by itself and says what to do when its key is refused.
#pragma once

namespace vareko::displayservice {

inline constexpr const char* kViewerPage = R"HTML(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1, viewport-fit=cover">
<title>Vareko display</title>
<style>
  * { box-sizing: border-box; }
  body { --pad: 18px; background: #24282c; color: #d8dde2; font: 14px/1.4 sans-serif; margin: 0;
         padding: 24px max(24px, env(safe-area-inset-right)) 24px max(24px, env(safe-area-inset-left));
         touch-action: manipulation; }
  h1 { font-size: 18px; font-weight: 600; margin: 0 0 16px; }
  #device { display: flex; flex-direction: column; width: max-content; max-width: 100%; }
  #bezel { position: relative; padding: var(--pad); border-radius: 10px;
           background: linear-gradient(#3a3f44, #2b2f33); box-shadow: inset 0 0 0 2px #15181a; }
  #panel { display: block; image-rendering: pixelated; box-shadow: 0 0 0 3px #0a0d0f; }
  .overlay { position: absolute; inset: var(--pad); display: none; align-items: center; justify-content: center;
             text-align: center; padding: 4px; color: #ff9d7a; font-weight: 600; letter-spacing: 2px;
             background: rgba(10, 13, 15, 0.75); }
  body.unplugged #unplugged, body[data-link="reconnecting"] #reconnecting,
  body[data-link="refused"] #refusedPanel { display: flex; }
  #buttons { display: grid; grid-template-columns: repeat(4, 1fr); gap: 12px; margin-top: 14px; }
  #buttons button { min-height: 48px; border-radius: 6px; border: 1px solid #111; cursor: pointer;
                    background: #4a5056; color: #eef; font: 600 16px sans-serif; touch-action: none;
                    user-select: none; -webkit-user-select: none; -webkit-touch-callout: none; }
  #buttons button.down { background: #9fd3ff; color: #102030; }
  #refused { display: none; margin: 16px 0 0; padding: 10px 14px; border-radius: 6px; max-width: 640px;
             background: #4a2a22; color: #ffd9cc; }
  body[data-link="refused"] #refused { display: block; }
  #refused code { color: #fff; }
  #controls { margin: 16px 0; display: flex; flex-wrap: wrap; gap: 12px 24px; align-items: center; }
  #controls button, #controls select { min-height: 36px; font: inherit; color: #eef; background: #3a3f44;
                                       border: 1px solid #111; border-radius: 6px; padding: 0 12px; }
  #tableBox { max-width: 100%; overflow-x: auto; }
  table { border-collapse: collapse; min-width: 600px; }
  th, td { text-align: left; padding: 4px 10px; border-bottom: 1px solid #3a3f44; }
  tr.shown td { color: #9fd3ff; }
  a { color: #9fd3ff; }
  .hint { color: #8a9299; }
  @media (max-width: 599px), (max-height: 499px) {
    body { --pad: 8px; padding: 8px max(8px, env(safe-area-inset-right)) 8px max(8px, env(safe-area-inset-left)); }
    h1 { font-size: 16px; margin-bottom: 8px; }
    #buttons { gap: 8px; margin-top: 10px; }
  }
  @media (hover: none) { .keys { display: none; } }
  body.panel-only { padding: 0; height: 100vh; display: flex; align-items: center; justify-content: center;
                    background: #111416; }
  body.panel-only > :not(#device) { display: none; }
  body.panel-only #bezel { cursor: zoom-out; }
</style>
</head>
<body data-link="connecting">
<h1>Vareko virtual display <span class="hint">160 &times; 43</span></h1>
<div id="device">
  <div id="bezel"><canvas id="panel" width="800" height="215" data-scale="5"></canvas>
    <div id="unplugged" class="overlay">UNPLUGGED</div>
    <div id="reconnecting" class="overlay">RECONNECTING&hellip;</div>
    <div id="refusedPanel" class="overlay">KEY REFUSED</div></div>
  <div id="buttons">
    <button data-index="0">1</button><button data-index="1">2</button>
    <button data-index="2">3</button><button data-index="3">4</button>
  </div>
</div>
<p id="refused">The display service no longer accepts this browser: <span id="refusedReason"></span>
  Open the address that <code>vareko-display url</code> prints again, in this browser.</p>
<div id="controls">
  <button id="full" type="button">panel only</button>
  <label>look <select id="look">
    <option value="standard">standard</option><option value="amber">amber</option>
    <option value="green">green</option><option value="blue-white">blue-white</option>
  </select></label>
  <label><input type="checkbox" id="plug" checked> device plugged in</label>
  <a id="save" href="/frame.png" download="vareko-display.png">save PNG</a>
  <span class="hint keys">keys 1&ndash;4 press the soft buttons</span>
  <span id="link" class="hint">connecting&hellip;</span>
  <span id="awake" class="hint"></span>
</div>
<div id="tableBox"><table id="clients">
  <thead><tr><th>client</th><th>name</th><th>pid</th><th>priority</th><th>frames/s</th><th>device</th></tr></thead>
  <tbody></tbody>
</table></div>
<script>
"use strict";
const W = 160, H = 43, ROW_BYTES = W / 8;
// Colours as [red, green, blue]: the gap between cells, a lit and an unlit pixel.
const LOOKS = {
  "standard": { gap: [13, 20, 25], lit: [216, 239, 255], unlit: [26, 42, 51] },
  "amber": { gap: [20, 11, 0], lit: [255, 176, 40], unlit: [48, 26, 4] },
  "green": { gap: [8, 22, 10], lit: [120, 255, 130], unlit: [16, 46, 20] },
  "blue-white": { gap: [10, 24, 90], lit: [240, 246, 255], unlit: [22, 52, 160] },
};
const LOOK_KEY = "vareko-viewer-look";
const canvas = document.getElementById("panel");
const ctx = canvas.getContext("2d");
const body = document.body;
let bits = new Uint8Array(W * H / 8);
let look = LOOKS.standard;

// ImageData is bytes R, G, B, A; written here four at a time.
const littleEndian = new Uint8Array(new Uint32Array([1]).buffer)[0] === 1;
function packed(c) {
  return littleEndian ? ((255 << 24) | (c[2] << 16) | (c[1] << 8) | c[0]) >>> 0
                      : ((c[0] << 24) | (c[1] << 16) | (c[2] << 8) | 255) >>> 0;
}

let image = null;
function draw() {
  const s = Number(canvas.dataset.scale), gap = s < 3 ? 0 : Math.max(1, Math.floor(s / 5));
  const width = W * s;
  if (!image || image.width !== width) image = ctx.createImageData(width, H * s);
  const out = new Uint32Array(image.data.buffer);
  const lit = packed(look.lit), unlit = packed(look.unlit), gapColour = packed(look.gap);
  const line = new Uint32Array(width);
  for (let y = 0; y < H; ++y) {
    for (let x = 0; x < W; ++x) {
      const on = bits[y * ROW_BYTES + (x >> 3)] & (0x80 >> (x & 7));
      line.fill(on ? lit : unlit, x * s, x * s + s - gap);
      line.fill(gapColour, x * s + s - gap, x * s + s);
    }
    for (let r = 0; r < s; ++r) {
      const row = (y * s + r) * width;
      if (r < s - gap) out.set(line, row); else out.fill(gapColour, row, row + width);
    }
  }
  ctx.putImageData(image, 0, 0);
}

// The largest whole number of device pixels per panel pixel that lets the
// panel and its buttons fit the window.
function fitPanel() {
  const ratio = window.devicePixelRatio || 1;
  const pad = parseFloat(getComputedStyle(document.getElementById("bezel")).paddingLeft) * 2;
  const style = getComputedStyle(body);
  const shown = canvas.getBoundingClientRect().height;
  // What must stay on the screen with the panel: the bezel and the buttons,
  // and in the whole page the title above them too.
  const around = body.classList.contains("panel-only")
    ? document.getElementById("device").getBoundingClientRect().height - shown
    : document.getElementById("buttons").getBoundingClientRect().bottom + window.scrollY - shown +
      parseFloat(style.paddingBottom);
  const roomWidth = document.documentElement.clientWidth - parseFloat(style.paddingLeft) -
                    parseFloat(style.paddingRight) - pad;
  const roomHeight = window.innerHeight - around;
  const s = Math.max(1, Math.min(Math.floor(roomWidth * ratio / W), Math.floor(roomHeight * ratio / H)));
  if (s !== Number(canvas.dataset.scale)) {
    canvas.dataset.scale = s;
    canvas.width = W * s;
    canvas.height = H * s;
    draw();
  }
  canvas.style.width = W * s / ratio + "px";
  canvas.style.height = H * s / ratio + "px";
}

function cell(text) { const td = document.createElement("td"); td.textContent = text; return td; }

function showClients(clients) {
  const tbody = document.querySelector("#clients tbody");
  tbody.replaceChildren();
  for (const c of clients) {
    const tr = document.createElement("tr");
    if (c.shown) tr.className = "shown";
    tr.append(cell(c.id), cell(c.name), cell(c.pid), cell(c.priority), cell(c.fps.toFixed(1)),
              cell(c.shown ? "shown" : (c.device ? "open" : "closed")));
    tbody.append(tr);
  }
}

function apply(state) {
  const raw = atob(state.pixels);
  const next = new Uint8Array(raw.length);
  for (let i = 0; i < raw.length; ++i) next[i] = raw.charCodeAt(i);
  bits = next;
  draw();
  body.classList.toggle("unplugged", !state.plugged);
  document.getElementById("plug").checked = state.plugged;
  document.querySelectorAll("#buttons button").forEach((b) => {
    b.classList.toggle("down", (state.buttons & (1 << Number(b.dataset.index))) !== 0);
  });
  showClients(state.clients);
  body.dataset.generation = state.generation;
  body.dataset.shown = state.shown;
}

// --- the link to the service: live, reconnecting or refused ---------------
const linkText = document.getElementById("link");
let events = null, retryMs = 250, retryTimer = 0;

function setLink(mode, text) {
  body.dataset.link = mode;
  linkText.textContent = text;
  fitPanel();
  keepAwake();
}

async function refused(reply) {
  const text = reply.headers.get("Content-Type")?.startsWith("text/plain") ? await reply.text() : "";
  document.getElementById("refusedReason").textContent = text.split("\n")[0].slice(0, 200) ||
    "it answered " + reply.status + ".";
  if (events) events.close();
  events = null;
  clearTimeout(retryTimer);
  setLink("refused", "refused: open the viewer's address again");
}

function reconnectLater() {
  if (events) events.close();
  events = null;
  if (body.dataset.link === "refused") return;
  setLink("reconnecting", "service not reachable, reconnecting\u2026");
  clearTimeout(retryTimer);
  retryTimer = setTimeout(connect, retryMs);
  retryMs = Math.min(retryMs * 2, 4000);
}

async function connect() {
  let reply;
  try {
    reply = await fetch("/api/state", { cache: "no-store" });
  } catch {
    return reconnectLater();
  }
  if (reply.status === 401 || reply.status === 403) return refused(reply);
  if (!reply.ok) return reconnectLater();
  apply(await reply.json());
  events = new EventSource("/events");
  events.addEventListener("frame", (e) => {
    retryMs = 250;
    if (body.dataset.link !== "live") setLink("live", "live");
    apply(JSON.parse(e.data));
  });
  events.addEventListener("error", reconnectLater);
}

async function post(url) {
  try {
    const reply = await fetch(url, { method: "POST" });
    if (reply.status === 401 || reply.status === 403) refused(reply);
  } catch { /* the event stream notices and reconnects */ }
}

// --- soft buttons: pointer events (touch, pen, mouse) and keys 1-4 --------
const held = new Set();
function press(index, down) {
  if (down === held.has(index)) return;
  if (down) held.add(index); else held.delete(index);
  post("/api/button?index=" + index + "&down=" + (down ? 1 : 0));
}

document.querySelectorAll("#buttons button").forEach((b) => {
  const i = Number(b.dataset.index);
  b.addEventListener("pointerdown", (e) => {
    if (e.button !== 0) return;
    e.preventDefault();  // no focus ring, no text selection, no emulated mouse events
    press(i, true);
  });
  for (const type of ["pointerup", "pointercancel", "pointerleave"]) b.addEventListener(type, () => press(i, false));
  b.addEventListener("contextmenu", (e) => e.preventDefault());  // a long touch is a held button
});
document.addEventListener("keydown", (e) => {
  if (!e.repeat && e.key >= "1" && e.key <= "4") press(Number(e.key) - 1, true);
});
document.addEventListener("keyup", (e) => {
  if (e.key >= "1" && e.key <= "4") press(Number(e.key) - 1, false);
});
// A window that loses focus never sees the key or finger go up.
window.addEventListener("blur", () => { for (const i of [...held]) press(i, false); });
document.getElementById("plug").addEventListener("change", (e) => {
  post("/api/plug?plugged=" + (e.target.checked ? 1 : 0));
});

// --- panel only: full screen where the browser allows it ------------------
function setPanelOnly(on) {
  body.classList.toggle("panel-only", on);
  fitPanel();
}
document.getElementById("full").addEventListener("click", () => {
  setPanelOnly(true);
  const root = document.documentElement;
  if (root.requestFullscreen) root.requestFullscreen({ navigationUI: "hide" }).catch(() => {});
});
document.getElementById("bezel").addEventListener("click", () => {
  if (!body.classList.contains("panel-only")) return;
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {}); else setPanelOnly(false);
});
document.addEventListener("fullscreenchange", () => setPanelOnly(document.fullscreenElement !== null));
window.addEventListener("resize", fitPanel);

// --- LCD look, remembered by this browser ---------------------------------
const lookChoice = document.getElementById("look");
function setLook(name) {
  if (!(name in LOOKS)) name = "standard";
  look = LOOKS[name];
  lookChoice.value = name;
  body.dataset.look = name;
  draw();
}
lookChoice.addEventListener("change", () => {
  setLook(lookChoice.value);
  try { localStorage.setItem(LOOK_KEY, lookChoice.value); } catch { /* storage off: not remembered */ }
});
try { setLook(localStorage.getItem(LOOK_KEY)); } catch { setLook("standard"); }

// --- the screen stays awake while the panel is live -----------------------
const awakeText = document.getElementById("awake");
let wakeLock = null, wakeLockPending = false;
async function keepAwake() {
  if (!("wakeLock" in navigator)) {
    awakeText.textContent = window.isSecureContext ? "this browser cannot keep the screen awake"
                                                   : "the screen may sleep: only an https address can keep it awake";
    return;
  }
  const wanted = body.dataset.link === "live" && document.visibilityState === "visible";
  if (!wanted) {
    if (wakeLock) wakeLock.release().catch(() => {});
    return;
  }
  if (wakeLock || wakeLockPending) return;
  wakeLockPending = true;
  try {
    wakeLock = await navigator.wakeLock.request("screen");
    awakeText.textContent = "screen kept awake";
    wakeLock.addEventListener("release", () => {
      wakeLock = null;
      awakeText.textContent = "";
    });
  } catch (e) {
    awakeText.textContent = "the screen may sleep: " + e.message;
  }
  wakeLockPending = false;
}
document.addEventListener("visibilitychange", keepAwake);

fitPanel();
keepAwake();
connect();
</script>
</body>
</html>
)HTML";

}  // namespace vareko::displayservice
