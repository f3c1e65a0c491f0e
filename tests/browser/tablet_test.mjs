// Browser test of the viewer page on phones and tablets, in Debian's headless
// chromium with touch and mobile emulation, inside a private network
// namespace (in_network_namespace.sh):
//   node tablet_test.mjs VAREKO_DISPLAY BROWSER_TEST_CLIENT LIBRARY [VAREKO VAREKO_REG VAREKO_SEND]
// The service serves the viewer on a second loopback address and on an
// address that stands for a local network (phones open that one, tablets the
// other). For a phone and a tablet, portrait and landscape: the panel is drawn at a
// whole number of screen pixels per panel pixel, the largest that fits, with
// no sideways scrolling and buttons at least 48 pixels tall; touches press,
// hold and release soft buttons as the client reads them; the panel-only
// mode and the LCD looks work and the look is remembered; requests without
// the secret are refused; the page shows that it reconnects when the service
// goes away and comes back by itself, and what to do once the secret is
// rotated. With
// the program, its registry tool and the telemetry sender given, the
// dashboard itself runs last: a touched soft button switches its page when the
// finger lifts, not while it holds.
import http from "node:http";
import path from "node:path";

import {
  H, Run, W, litCells, newMobileContext, programsOrSkip, request, showsPattern, sleep, viewports, waitFor,
} from "./harness.mjs";

const usage = "node tablet_test.mjs VAREKO_DISPLAY BROWSER_TEST_CLIENT LIBRARY [VAREKO VAREKO_REG VAREKO_SEND]";
const { displayTool, testClient, library } = programsOrSkip(usage);
const [program, registryTool, sender] = process.argv.slice(5);
const run = new Run();
const pages = {};
// A failure says what state each open page's link to the service was in.
const check = (name, test) => run.check(name, async () => {
  try {
    await test();
  } catch (e) {
    const links = [];
    for (const [key, { page }] of Object.entries(pages)) {
      links.push(`${key} ${await page.evaluate(() => document.body.dataset.link).catch(() => "closed")}`);
    }
    throw new Error(`${e.message} (pages: ${links.join(", ")})`);
  }
});
// The namespace is private, so a fixed port is free; a restarted service takes it again.
const port = 18643;
// Two addresses beside loopback, served with --viewer-listen: a second
// loopback address, and one that stands for the machine's address on a local
// network, given by the namespace.
const lanAddress = process.env.VAREKO_TEST_LAN_ADDRESS;
if (!lanAddress) {
  console.error("run it through in_network_namespace.sh, which gives it VAREKO_TEST_LAN_ADDRESS");
  process.exit(2);
}
const secondLoopback = "127.0.0.2";
const serveArgs = ["--http-port", String(port), "--tcp-port", "0",
                   "--viewer-listen", secondLoopback, "--viewer-listen", lanAddress];
// Where each viewport opens the viewer: phones on the network address, tablets on the second loopback.
const hostOf = (name) => (name.startsWith("phone") ? lanAddress : secondLoopback);
const ownerUrl = (service, host) => `http://${host}:${port}/?key=${service.key}`;
const libraryKey = "HKLM\\SOFTWARE\\Classes\\CLSID\\{FE750200-B72E-11d9-829B-0050DA1A72D3}\\ServerBinary";

// What the page's geometry looks like from outside, in CSS pixels.
function geometry(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById("panel");
    const body = getComputedStyle(document.body);
    const panelOnly = document.body.classList.contains("panel-only");
    const device = document.getElementById("device").getBoundingClientRect();
    const buttons = document.getElementById("buttons").getBoundingClientRect();
    return {
      scrollWidth: document.scrollingElement.scrollWidth,
      innerWidth, innerHeight, ratio: devicePixelRatio,
      scale: Number(canvas.dataset.scale), canvasWidth: canvas.width, canvasHeight: canvas.height,
      shownWidth: canvas.getBoundingClientRect().width,
      buttons: [...document.querySelectorAll("#buttons button")].map((b) => b.getBoundingClientRect().toJSON()),
      roomWidth: innerWidth - parseFloat(body.paddingLeft) - parseFloat(body.paddingRight) - device.width,
      roomHeight: panelOnly ? innerHeight - device.height
                            : innerHeight - buttons.bottom - scrollY - parseFloat(body.paddingBottom),
    };
  });
}

// Fits without sideways scrolling, crisp, and no whole step larger would fit.
function checkFit(g) {
  const problems = [];
  if (g.scrollWidth > g.innerWidth) problems.push(`scrolls sideways: ${g.scrollWidth} > ${g.innerWidth}`);
  if (g.canvasWidth !== W * g.scale || g.canvasHeight !== H * g.scale) problems.push(`canvas ${g.canvasWidth}`);
  if (Math.abs(g.shownWidth * g.ratio - g.canvasWidth) > 0.5) problems.push(`shown ${g.shownWidth} CSS px`);
  if (g.roomWidth < -0.5 || g.roomHeight < -0.5) problems.push(`overflows by ${g.roomWidth}, ${g.roomHeight}`);
  if (g.roomWidth >= W / g.ratio && g.roomHeight >= H / g.ratio) problems.push(`scale ${g.scale} is not the largest`);
  for (const b of g.buttons) {
    if (b.height < 48 || b.right > g.innerWidth) problems.push(`button ${JSON.stringify(b)}`);
  }
  if (problems.length) throw new Error(problems.join("; "));
}

async function openViewer(browser, viewport, url) {
  const context = await newMobileContext(browser, viewport);
  const page = await context.newPage();
  await page.goto(url);
  await waitFor(async () => (await page.evaluate(() => document.body.dataset.link)) === "live" &&
                            showsPattern(page), `the live panel on the ${viewport.name}`);
  return { context, page };
}

// Touches through the browser's input layer, so the page sees what a finger makes.
async function touchPad(context, page) {
  const cdp = await context.newCDPSession(page);
  const centre = async (index) => {
    const box = await page.locator(`#buttons button[data-index="${index}"]`).boundingBox();
    return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
  };
  const send = (type, points) => cdp.send("Input.dispatchTouchEvent", { type, touchPoints: points });
  return { centre, send };
}

// Waits for the client's words to read `expected` exactly, then for a quiet
// moment in which nothing more arrives.
async function sawExactly(words, expected) {
  const text = JSON.stringify(expected);
  await waitFor(() => words.length >= expected.length, `button words ${text}`);
  await sleep(250);
  const seen = JSON.stringify(words.splice(0));
  if (seen !== text) throw new Error(`button words ${seen}, expected ${text}`);
}

async function main() {
  let service = await run.startService(displayTool, serveArgs);
  const client = run.startClient(testClient, library);
  const { words } = client;
  const browser = await run.launchBrowser();
  // The service keeps a few event streams; pages not needed later close.
  const kept = ["phone", "tablet", "tablet-landscape"];
  for (const viewport of viewports) {
    await check(`${viewport.name}: the panel fits at its largest whole scale`, async () => {
      pages[viewport.name] = await openViewer(browser, viewport, ownerUrl(service, hostOf(viewport.name)));
      const { page } = pages[viewport.name];
      checkFit(await geometry(page));
    });
    if (!kept.includes(viewport.name) && pages[viewport.name]) {
      await pages[viewport.name].context.close();
      delete pages[viewport.name];
    }
  }
  const phone = pages.phone, tablet = pages["tablet-landscape"];
  if (!phone || !tablet) throw new Error("no phone or tablet page to go on with");

  await check("phone: a touch presses, holds and releases a soft button, once", async () => {
    const touch = await touchPad(phone.context, phone.page);
    const at = await touch.centre(1);
    await touch.send("touchStart", [at]);
    await waitFor(() => words.includes(2), "button word 2");
    await sleep(600);  // held: no release reaches the client while the finger stays
    await phone.page.waitForSelector('#buttons button[data-index="1"].down');
    await touch.send("touchEnd", []);
    await sawExactly(words, [2, 0]);
  });

  await check("phone: a cancelled touch releases the button", async () => {
    const touch = await touchPad(phone.context, phone.page);
    await touch.send("touchStart", [await touch.centre(3)]);
    await waitFor(() => words.includes(8), "button word 8");
    await touch.send("touchCancel", []);
    await sawExactly(words, [8, 0]);
  });

  await check("tablet: two fingers hold two buttons and lift one at a time", async () => {
    const touch = await touchPad(tablet.context, tablet.page);
    const first = { ...(await touch.centre(0)), id: 1 }, third = { ...(await touch.centre(2)), id: 2 };
    await touch.send("touchStart", [first]);
    await waitFor(() => words.includes(1), "button word 1");
    await touch.send("touchStart", [first, third]);
    await waitFor(() => words.includes(5), "button word 5");
    await touch.send("touchEnd", [first]);  // the first finger lifts
    await waitFor(() => words.includes(4), "button word 4");
    await touch.send("touchEnd", []);
    await sawExactly(words, [1, 5, 4, 0]);
  });

  await check("tablet: one tap shows the panel only, full screen, and a tap on the panel leaves", async () => {
    const { page } = tablet;
    const before = (await geometry(page)).scale;
    await page.tap("#full");
    await waitFor(() => page.evaluate(() => document.body.classList.contains("panel-only")), "panel-only mode");
    await waitFor(async () => (await geometry(page)).scale > before, "a larger panel");
    const g = await geometry(page);
    checkFit(g);
    if (!(await page.locator("#controls").isHidden())) throw new Error("the controls are still shown");
    await page.tap("#panel");
    await waitFor(() => page.evaluate(() => !document.body.classList.contains("panel-only")), "the whole page");
    await waitFor(async () => (await geometry(page)).scale === before, `scale ${before} again`);
  });

  await check("tablet: the amber look colours the panel and is remembered", async () => {
    const { page } = pages.tablet;
    await page.selectOption("#look", "amber");
    const amber = () => page.evaluate(() => {
      const canvas = document.getElementById("panel");
      const s = Number(canvas.dataset.scale);
      const [r, g, b] = canvas.getContext("2d").getImageData(s >> 1, s >> 1, 1, 1).data;  // a lit border pixel
      return r > 200 && g > 120 && g < 210 && b < 90;
    });
    await waitFor(amber, "an amber panel");
    await page.reload();
    await waitFor(async () => (await page.evaluate(() => document.body.dataset.look)) === "amber" && amber(),
                  "amber after a reload");
    await pages.tablet.context.close();
    delete pages.tablet;
  });

  await check("the page keeps the screen awake on loopback and says why it cannot on plain http", async () => {
    const onLoopback = await tablet.page.locator("#awake").innerText();
    const onNetwork = await phone.page.locator("#awake").innerText();
    if (onLoopback !== "screen kept awake" || !onNetwork.includes("https")) {
      throw new Error(`wake lock status "${onLoopback}" on ${secondLoopback}, "${onNetwork}" on ${lanAddress}`);
    }
  });

  await check("requests without the secret are refused on both addresses", async () => {
    const statuses = [];
    for (const host of [lanAddress, secondLoopback]) {
      for (const url of ["/", "/api/state", "/frame.png", "/events", "/?key=0123"]) {
        statuses.push(await request(host, port, "GET", url, { Host: `${host}:${port}` }));
      }
    }
    if (statuses.some((s) => s !== 401)) throw new Error(`statuses ${statuses}`);
  });

  await check("phone: a dropped event stream comes back by itself", async () => {
    const { page, context } = phone;
    await page.evaluate(() => {
      window.linkModes = [];
      new MutationObserver(() => window.linkModes.push(document.body.dataset.link))
        .observe(document.body, { attributes: true, attributeFilter: ["data-link"] });
    });
    // As many streams as the listener keeps, with the phone's cookie: the
    // phone's own stream, the oldest, is closed for them.
    const [{ name, value }] = await context.cookies(`http://${lanAddress}:${port}/`);
    const streams = await Promise.all(Array.from({ length: 4 }, () => openStream(lanAddress, {
      Host: `${lanAddress}:${port}`, Cookie: `${name}=${value}`,
    })));
    try {
      await waitFor(async () => (await page.evaluate(() => window.linkModes.join(" "))).endsWith("reconnecting live"),
                    "the page reconnecting and live again");
      if (!(await showsPattern(page))) throw new Error("the panel is not the client's pattern");
    } finally {
      for (const stream of streams) stream.destroy();
    }
  });

  await check("phone: the page shows the service going away and comes back by itself after its restart",
              async () => {
    const { page } = phone;
    await run.stopService(service);
    await waitFor(async () => (await page.evaluate(() => document.body.dataset.link)) === "reconnecting" &&
                              page.locator("#reconnecting").isVisible(), "the reconnecting notice");
    service = await run.startService(displayTool, serveArgs);
    await waitFor(async () => (await page.evaluate(() => document.body.dataset.link)) === "live" &&
                              showsPattern(page), "the live panel after the restart", 15000);
  });

  await check("phone: a rotated secret logs the page out, which says what to do", async () => {
    const { page } = phone;
    const rotated = await run.tool(displayTool, ["rotate-secret"]);
    await waitFor(async () => (await page.evaluate(() => document.body.dataset.link)) === "refused",
                  "the refused notice", 15000);
    const advice = await page.locator("#refused").innerText();
    if (!advice.includes("vareko-display url")) throw new Error(`advice "${advice}"`);
    const key = rotated.match(/\/\?key=([0-9a-f]{64})\n/);
    if (!key) throw new Error(`rotate-secret printed "${rotated}"`);
    await page.goto(ownerUrl({ key: key[1] }, lanAddress));
    await waitFor(async () => (await page.evaluate(() => document.body.dataset.link)) === "live" &&
                              showsPattern(page), "the live panel again");
  });

  if (program) {
    await check("phone: the dashboard switches pages when a touched button is released, not while held",
                () => dashboardByTouch(phone, client));
  }
}

// Opens an /events stream and keeps it open; destroy() closes it.
function openStream(host, headers) {
  return new Promise((resolve, reject) => {
    const req = http.get({ host, port, path: "/events", headers }, (res) => {
      if (res.statusCode !== 200) reject(new Error(`/events answered ${res.statusCode}`));
      res.resume();
      resolve(req);
    });
    req.on("error", () => {});
  });
}

// The top left corner of the panel, where each dashboard page has its first label.
const labelCorner = async (page) => {
  const cells = await litCells(page);
  return Array.from({ length: 12 }, (_, y) => cells.slice(y * W, y * W + 48).join("")).join("\n");
};

async function dashboardByTouch(phone, client) {
  const { page, context } = phone;
  await client.stop();
  run.env.VAREKO_REGISTRY_ROOT = path.join(run.work, "registry");
  const registered = run.spawnChild(registryTool, ["set", libraryKey, library]);
  const status = await new Promise((resolve) => registered.once("exit", resolve));
  if (status !== 0) throw new Error(`${registryTool} set exited with ${status}`);
  run.spawnChild(program, [], "ignore");
  run.spawnChild(sender, [], "ignore");
  await waitFor(async () => (await page.locator("#clients tr.shown").innerText()).includes("VAREKO"),
                "the dashboard shown");
  await sleep(500);  // the first datagrams arrive
  const flight = await labelCorner(page);
  const touch = await touchPad(context, page);
  await touch.send("touchStart", [await touch.centre(1)]);  // soft button 2: the engine page
  await waitFor(() => page.locator('#buttons button[data-index="1"].down').isVisible(), "button 2 down");
  await sleep(600);
  if ((await labelCorner(page)) !== flight) throw new Error("the page switched while the button was held");
  await touch.send("touchEnd", []);
  await waitFor(async () => (await labelCorner(page)) !== flight, "the engine page");
  await touch.send("touchStart", [await touch.centre(0)]);  // soft button 1: the flight page
  await sleep(100);
  await touch.send("touchEnd", []);
  await waitFor(async () => (await labelCorner(page)) === flight, "the flight page again");
}

await run.finish("browser viewer on phones and tablets", main);
