// The browser viewer's single page: markup, style and script inline, no
// external assets. The panel is drawn cell by cell at kScale canvas pixels
// per device pixel, with a one-pixel gap that gives the LCD look; the centre
// of each cell carries the pixel's colour (lit or unlit).
#pragma once

namespace vareko::displayservice {

inline constexpr const char* kViewerPage = R"HTML(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Vareko display</title>
<style>
  body { background: #24282c; color: #d8dde2; font: 14px/1.4 sans-serif; margin: 24px; }
  h1 { font-size: 18px; font-weight: 600; margin: 0 0 16px; }
  #bezel { display: inline-block; position: relative; padding: 18px; border-radius: 10px;
           background: linear-gradient(#3a3f44, #2b2f33); box-shadow: inset 0 0 0 2px #15181a; }
  #panel { display: block; image-rendering: pixelated; box-shadow: 0 0 0 3px #0a0d0f; }
  #unplugged { position: absolute; inset: 18px; display: none; align-items: center; justify-content: center;
               color: #ff9d7a; font-weight: 600; letter-spacing: 2px; background: rgba(10, 13, 15, 0.75); }
  body.unplugged #unplugged { display: flex; }
  #buttons { display: flex; gap: 16px; margin: 14px 0 0 18px; }
  #buttons button { width: 110px; height: 34px; border-radius: 6px; border: 1px solid #111; cursor: pointer;
                    background: #4a5056; color: #eef; font-weight: 600; }
  #buttons button.down { background: #9fd3ff; color: #102030; }
  #controls { margin: 16px 0; display: flex; gap: 24px; align-items: center; }
  table { border-collapse: collapse; min-width: 600px; }
  th, td { text-align: left; padding: 4px 10px; border-bottom: 1px solid #3a3f44; }
  tr.shown td { color: #9fd3ff; }
  a { color: #9fd3ff; }
  .hint { color: #8a9299; }
</style>
</head>
<body>
<h1>Vareko virtual display <span class="hint">160 &times; 43</span></h1>
<div id="bezel"><canvas id="panel" width="800" height="215" data-scale="5"></canvas><div id="unplugged">UNPLUGGED</div></div>
<div id="buttons">
  <button data-index="0">1</button><button data-index="1">2</button>
  <button data-index="2">3</button><button data-index="3">4</button>
</div>
<div id="controls">
  <label><input type="checkbox" id="plug" checked> device plugged in</label>
  <a id="save" href="/frame.png" download="vareko-display.png">save PNG</a>
  <span class="hint">keys 1&ndash;4 press the soft buttons</span>
  <span id="link" class="hint">connecting&hellip;</span>
</div>
<table id="clients">
  <thead><tr><th>client</th><th>name</th><th>pid</th><th>priority</th><th>frames/s</th><th>device</th></tr></thead>
  <tbody></tbody>
</table>
<script>
"use strict";
const W = 160, H = 43, ROW_BYTES = W / 8;
const canvas = document.getElementById("panel");
const S = Number(canvas.dataset.scale);
const ctx = canvas.getContext("2d");
const image = ctx.createImageData(W * S, H * S);
const GAP = [13, 20, 25], LIT = [216, 239, 255], UNLIT = [26, 42, 51];

function draw(bits) {
  const d = image.data;
  for (let py = 0; py < H * S; ++py) {
    const y = Math.floor(py / S), inRow = py % S !== S - 1;
    for (let px = 0; px < W * S; ++px) {
      const x = Math.floor(px / S);
      let c = GAP;
      if (inRow && px % S !== S - 1) {
        c = (bits[y * ROW_BYTES + (x >> 3)] & (0x80 >> (x & 7))) ? LIT : UNLIT;
      }
      const o = (py * W * S + px) * 4;
      d[o] = c[0]; d[o + 1] = c[1]; d[o + 2] = c[2]; d[o + 3] = 255;
    }
  }
  ctx.putImageData(image, 0, 0);
}

function cell(text) { const td = document.createElement("td"); td.textContent = text; return td; }

function showClients(clients) {
  const body = document.querySelector("#clients tbody");
  body.replaceChildren();
  for (const c of clients) {
    const tr = document.createElement("tr");
    if (c.shown) tr.className = "shown";
    tr.append(cell(c.id), cell(c.name), cell(c.pid), cell(c.priority), cell(c.fps.toFixed(1)),
              cell(c.shown ? "shown" : (c.device ? "open" : "closed")));
    body.append(tr);
  }
}

function apply(state) {
  const raw = atob(state.pixels);
  const bits = new Uint8Array(raw.length);
  for (let i = 0; i < raw.length; ++i) bits[i] = raw.charCodeAt(i);
  draw(bits);
  document.body.classList.toggle("unplugged", !state.plugged);
  document.getElementById("plug").checked = state.plugged;
  document.querySelectorAll("#buttons button").forEach((b) => {
    b.classList.toggle("down", (state.buttons & (1 << Number(b.dataset.index))) !== 0);
  });
  showClients(state.clients);
  document.body.dataset.generation = state.generation;
  document.body.dataset.shown = state.shown;
}

function post(url) { return fetch(url, { method: "POST" }); }
const held = new Set();
function press(index, down) {
  if (down === held.has(index)) return;
  if (down) held.add(index); else held.delete(index);
  post("/api/button?index=" + index + "&down=" + (down ? 1 : 0));
}

document.querySelectorAll("#buttons button").forEach((b) => {
  const i = Number(b.dataset.index);
  b.addEventListener("pointerdown", () => press(i, true));
  b.addEventListener("pointerup", () => press(i, false));
  b.addEventListener("pointerleave", () => press(i, false));
});
document.addEventListener("keydown", (e) => {
  if (!e.repeat && e.key >= "1" && e.key <= "4") press(Number(e.key) - 1, true);
});
document.addEventListener("keyup", (e) => {
  if (e.key >= "1" && e.key <= "4") press(Number(e.key) - 1, false);
});
document.getElementById("plug").addEventListener("change", (e) => {
  post("/api/plug?plugged=" + (e.target.checked ? 1 : 0));
});

const events = new EventSource("/events");
const link = document.getElementById("link");
events.addEventListener("frame", (e) => { link.textContent = "live"; apply(JSON.parse(e.data)); });
events.addEventListener("error", () => { link.textContent = "service not reachable, retrying"; });
fetch("/api/state").then((r) => r.json()).then(apply);
</script>
</body>
</html>
)HTML";

}  // namespace vareko::displayservice
