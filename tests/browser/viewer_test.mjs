// Browser test of the display service's viewer page, in Debian's headless
// chromium through playwright-core:
//   node viewer_test.mjs VAREKO_DISPLAY BROWSER_TEST_CLIENT LIBRARY
// It starts a service on a private socket and a free port, a client showing a
// known pattern, opens the owner's address that the service prints, compares
// the canvas with the pattern, presses soft buttons by mouse and keyboard and
// checks that the client reads them, toggles the plug switch, and checks that
// requests without the owner's cookie (another browser context, or none) and
// requests with a foreign Host or Origin are refused, and that no other page
// may frame the viewer. Exits 77 ("skipped") when node_modules or chromium are missing.
// With VAREKO_VIEWER_SCREENSHOT=FILE it also saves a screenshot of the page.
import { spawn } from "node:child_process";
import { existsSync, mkdtempSync, rmSync } from "node:fs";
import http from "node:http";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";

const here = path.dirname(fileURLToPath(import.meta.url));
const chromiumPath = "/usr/bin/chromium";
const W = 160, H = 43;

function skip(reason) {
  console.log(`skipped: ${reason}`);
  process.exit(77);
}
if (!existsSync(path.join(here, "node_modules", "playwright-core"))) skip("run `npm ci` in tests/browser");
if (!existsSync(chromiumPath)) skip("chromium is not installed");
const [displayTool, testClient, library] = process.argv.slice(2);
if (!library) {
  console.error("usage: node viewer_test.mjs VAREKO_DISPLAY BROWSER_TEST_CLIENT LIBRARY");
  process.exit(2);
}
const { chromium } = await import("playwright-core");

const patternWhite = (x, y) => (x * 7 + y * 3) % 5 === 0 || x === 0 || y === 0 || x === W - 1 || y === H - 1;

function waitFor(condition, what, timeoutMs = 10000) {
  return new Promise((resolve, reject) => {
    const started = Date.now();
    const check = async () => {
      try {
        if (await condition()) return resolve();
      } catch { /* not yet */ }
      if (Date.now() - started > timeoutMs) return reject(new Error(`timed out waiting for ${what}`));
      setTimeout(check, 20);
    };
    check();
  });
}

function request(port, method, url, headers) {
  return new Promise((resolve, reject) => {
    const req = http.request({ host: "127.0.0.1", port, method, path: url, headers }, (res) => {
      res.resume();
      res.on("end", () => resolve(res.statusCode));
      if (url === "/events" && res.statusCode === 200) req.destroy();
    });
    req.on("error", reject);
    req.end();
  });
}

const work = mkdtempSync(path.join(tmpdir(), "vareko-browser-"));
const env = { ...process.env, VAREKO_DISPLAY_SOCKET: path.join(work, "display.sock") };
const children = [];
let browser;
let failures = 0;

async function main() {
  const service = spawn(displayTool, ["serve", "--http-port", "0"], { env, stdio: ["ignore", "pipe", "inherit"] });
  children.push(service);
  let serviceOut = "";
  service.stdout.on("data", (d) => { serviceOut += d; });
  const urlLine = /viewer (http:\/\/127\.0\.0\.1:(\d+)\/\?key=[0-9a-f]{64})\n/;
  await waitFor(() => urlLine.test(serviceOut), "the service's URL");
  const [, url, portText] = serviceOut.match(urlLine);
  const port = Number(portText);
  const cleanUrl = `http://127.0.0.1:${port}/`;

  const client = spawn(testClient, [library], { env, stdio: ["pipe", "pipe", "inherit"] });
  children.push(client);
  const words = [];
  let pending = "";
  client.stdout.on("data", (d) => {
    pending += d;
    const lines = pending.split("\n");
    pending = lines.pop();
    for (const line of lines) words.push(Number(line.split(" ")[1]));
  });
  const sawWord = (w) => waitFor(() => words.includes(w), `button word ${w}`).then(() => { words.length = 0; });

  browser = await chromium.launch({
    executablePath: chromiumPath,
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
           "--disable-component-update", "--disable-sync"],
  });
  const context = await browser.newContext({ viewport: { width: 900, height: 560 } });
  const page = await context.newPage();
  const opened = await page.goto(url);

  const check = async (name, body) => {
    try {
      await body();
      console.log(`ok: ${name}`);
    } catch (e) {
      failures += 1;
      console.log(`FAILED: ${name}: ${e.message}`);
    }
  };

  await check("the owner's address sets the cookie and leaves the clean address", async () => {
    if (opened.status() !== 200 || page.url() !== cleanUrl) throw new Error(`${opened.status()} at ${page.url()}`);
    const [cookie] = await context.cookies(cleanUrl);
    if (!cookie || !cookie.httpOnly || cookie.sameSite !== "Strict" || cookie.path !== "/") {
      throw new Error(`cookie ${JSON.stringify(cookie)}`);
    }
    const headers = opened.headers();
    if (headers["x-frame-options"] !== "DENY" || !/frame-ancestors 'none'/.test(headers["content-security-policy"])) {
      throw new Error(`frame headers ${JSON.stringify(headers)}`);
    }
  });

  await check("a second browser context without the cookie is refused", async () => {
    const stranger = await browser.newContext();
    const strangerPage = await stranger.newPage();
    const answer = await strangerPage.goto(cleanUrl);
    const text = await strangerPage.locator("body").innerText();
    await stranger.close();
    if (answer.status() !== 401 || !text.includes("vareko-display url")) throw new Error(`${answer.status()}: ${text}`);
  });

  await check("canvas shows the client's frame", async () => {
    await waitFor(async () => {
      const cells = await page.evaluate(() => {
        const canvas = document.getElementById("panel");
        const s = Number(canvas.dataset.scale);
        const data = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
        const lit = [];
        for (let y = 0; y < 43; ++y) {
          for (let x = 0; x < 160; ++x) {
            const o = ((y * s + (s >> 1)) * canvas.width + x * s + (s >> 1)) * 4;
            lit.push(data[o] > 128 ? 1 : 0);
          }
        }
        return lit;
      });
      let wrong = 0;
      for (let y = 0; y < H; ++y) for (let x = 0; x < W; ++x) if (cells[y * W + x] !== (patternWhite(x, y) ? 1 : 0)) ++wrong;
      return wrong === 0;
    }, "the pattern on the canvas");
  });

  await check("clicking soft button 3 reaches the client", async () => {
    const button = page.locator('#buttons button[data-index="2"]');
    const box = await button.boundingBox();
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    await page.mouse.down();
    await sawWord(4);
    await page.mouse.up();
    await sawWord(0);
  });

  await check("key 1 presses and releases soft button 1", async () => {
    await page.keyboard.down("1");
    await sawWord(1);
    await page.keyboard.up("1");
    await sawWord(0);
  });

  await check("the clients table lists the test client", async () => {
    await waitFor(async () => (await page.locator("#clients tbody").innerText()).includes("browser test client"),
                  "the client row");
  });

  await check("requests without the cookie are refused", async () => {
    const own = { Host: `127.0.0.1:${port}` };
    const post = { ...own, "Content-Length": 0, Origin: `http://127.0.0.1:${port}` };
    const statuses = [
      await request(port, "GET", "/", own),
      await request(port, "GET", "/api/state", own),
      await request(port, "GET", "/frame.png", own),
      await request(port, "GET", "/events", own),
      await request(port, "GET", "/?key=0123", own),
      await request(port, "POST", "/api/plug?plugged=0", post),
      await request(port, "POST", "/api/button?index=1&down=1", { ...post, Cookie: `vareko_viewer_${port}=0123` }),
    ];
    if (statuses.some((s) => s !== 401)) throw new Error(`statuses ${statuses}`);
    await new Promise((r) => setTimeout(r, 300));
    if (words.length !== 0) throw new Error(`client saw ${words}`);
  });

  await check("foreign Host and Origin are refused even with the cookie", async () => {
    const [{ name, value }] = await context.cookies(cleanUrl);
    const cookie = `${name}=${value}`;
    const statuses = [
      await request(port, "GET", "/", { Host: "evil.example", Cookie: cookie }),
      await request(port, "GET", "/events", { Host: `evil.example:${port}`, Cookie: cookie }),
      await request(port, "POST", "/api/button?index=1&down=1",
                    { "Content-Length": 0, Origin: "http://evil.example", Cookie: cookie }),
      await request(port, "POST", "/api/button?index=1&down=1", { "Content-Length": 0, Cookie: cookie }),
      await request(port, "POST", "/api/plug?plugged=0",
                    { "Content-Length": 0, Origin: `http://127.0.0.1:${port + 1}`, Cookie: cookie }),
    ];
    if (statuses.some((s) => s !== 403)) throw new Error(`statuses ${statuses}`);
    await new Promise((r) => setTimeout(r, 300));
    if (words.length !== 0) throw new Error(`client saw ${words}`);
  });

  if (process.env.VAREKO_VIEWER_SCREENSHOT) {
    await page.screenshot({ path: process.env.VAREKO_VIEWER_SCREENSHOT });
  }

  await check("the plug switch unplugs and replugs the device", async () => {
    await page.locator("#plug").click();
    await waitFor(() => page.evaluate(() => document.body.classList.contains("unplugged")), "the unplugged panel");
    await page.locator("#plug").click();
    await waitFor(() => page.evaluate(() => !document.body.classList.contains("unplugged") &&
                                       document.body.dataset.shown !== "0"), "the client shown again");
  });
}

try {
  await main();
} catch (e) {
  failures += 1;
  console.log(`FAILED: ${e.message}`);
} finally {
  if (browser) await browser.close();
  for (const child of children) child.kill("SIGTERM");
  rmSync(work, { recursive: true, force: true });
}
console.log(failures === 0 ? "browser viewer: all checks passed" : `browser viewer: ${failures} checks failed`);
process.exit(failures === 0 ? 0 : 1);
