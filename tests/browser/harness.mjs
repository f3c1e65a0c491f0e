// What the browser tests share: the skip rules (exit 77 without node_modules
// or chromium), polling to a deadline, plain HTTP requests beside the
// browser, the display service and the test client as child processes, the
// headless chromium, and named checks that count failures.
import { spawn } from "node:child_process";
import { existsSync, mkdtempSync, rmSync } from "node:fs";
import http from "node:http";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";

const here = path.dirname(fileURLToPath(import.meta.url));
const chromiumPath = "/usr/bin/chromium";
export const W = 160, H = 43;

// The client's pattern: pixel (x, y) is white when (x * 7 + y * 3) % 5 == 0
// or it lies on the panel's border.
export const patternWhite = (x, y) =>
  (x * 7 + y * 3) % 5 === 0 || x === 0 || y === 0 || x === W - 1 || y === H - 1;

// The phone and tablet viewports, portrait and landscape, with touch.
export const viewports = [
  { name: "phone", width: 360, height: 740, deviceScaleFactor: 3 },
  { name: "phone-landscape", width: 740, height: 360, deviceScaleFactor: 3 },
  { name: "tablet", width: 800, height: 1280, deviceScaleFactor: 2 },
  { name: "tablet-landscape", width: 1280, height: 800, deviceScaleFactor: 2 },
];

export function skip(reason) {
  console.log(`skipped: ${reason}`);
  process.exit(77);
}

// The three programs every test needs, from the command line, or a skip.
export function programsOrSkip(usage) {
  if (!existsSync(path.join(here, "node_modules", "playwright-core"))) skip("run `npm ci` in tests/browser");
  if (!existsSync(chromiumPath)) skip("chromium is not installed");
  const [displayTool, testClient, library] = process.argv.slice(2);
  if (!library) {
    console.error(`usage: ${usage}`);
    process.exit(2);
  }
  return { displayTool, testClient, library };
}

export function waitFor(condition, what, timeoutMs = 10000) {
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

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Resolves with the status code; an /events stream that opens is closed at once.
export function request(host, port, method, url, headers) {
  return new Promise((resolve, reject) => {
    const req = http.request({ host, port, method, path: url, headers }, (res) => {
      res.resume();
      res.on("end", () => resolve(res.statusCode));
      if (url === "/events" && res.statusCode === 200) req.destroy();
    });
    req.on("error", reject);
    req.end();
  });
}

// Debian's chromium, headless, with nothing that reaches out to the network.
export async function launchChromium() {
  const { chromium } = await import("playwright-core");
  return chromium.launch({
    executablePath: chromiumPath,
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-proxy-server", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
}

// Child processes, a private folder for the service's socket, the browser.
export class Run {
  constructor() {
    this.work = mkdtempSync(path.join(tmpdir(), "vareko-browser-"));
    this.env = { ...process.env, VAREKO_DISPLAY_SOCKET: path.join(this.work, "display.sock") };
    this.children = [];
    this.failures = 0;
    this.browser = null;
  }

  // Starts `vareko-display serve ARGS` and resolves with the owner's address
  // that it prints, its port, and the process.
  async startService(displayTool, args) {
    const service = spawn(displayTool, ["serve", ...args], { env: this.env, stdio: ["ignore", "pipe", "inherit"] });
    this.children.push(service);
    let out = "";
    service.stdout.on("data", (d) => { out += d; });
    const urlLine = /viewer (http:\/\/127\.0\.0\.1:(\d+)\/\?key=([0-9a-f]{64}))\n/;
    await waitFor(() => urlLine.test(out), "the service's URL");
    const [, url, port, key] = out.match(urlLine);
    return { url, port: Number(port), key, process: service, output: () => out };
  }

  // Starts a program with the run's environment; it ends with the run.
  spawnChild(program, args, stdio = "inherit") {
    const child = spawn(program, args, { env: this.env, stdio });
    this.children.push(child);
    return child;
  }

  // Runs `vareko-display ARGS` against the service; resolves with its output.
  tool(displayTool, args) {
    return new Promise((resolve, reject) => {
      const child = spawn(displayTool, args, { env: this.env, stdio: ["ignore", "pipe", "inherit"] });
      let out = "";
      child.stdout.on("data", (d) => { out += d; });
      child.on("exit", (code) => (code === 0 ? resolve(out) : reject(new Error(`${args[0]} exited with ${code}`))));
    });
  }

  async stopService(service) {
    if (service.process.exitCode !== null) return;
    const exited = new Promise((r) => service.process.once("exit", r));
    service.process.kill("SIGTERM");
    await exited;
  }

  // Starts the test client; `words` collects every button word it reads,
// `stop()` ends it.
  startClient(testClient, library) {
    const client = spawn(testClient, [library], { env: this.env, stdio: ["pipe", "pipe", "inherit"] });
    this.children.push(client);
    const words = [];
    let pending = "";
    client.stdout.on("data", (d) => {
      pending += d;
      const lines = pending.split("\n");
      pending = lines.pop();
      for (const line of lines) words.push(Number(line.split(" ")[1]));
    });
    const sawWord = (w) => waitFor(() => words.includes(w), `button word ${w}`).then(() => { words.length = 0; });
    const stop = () => new Promise((resolve) => {
      if (client.exitCode !== null) return resolve();
      client.once("exit", resolve);
      client.stdin.end();  // the client's cue to leave
    });
    return { words, sawWord, stop };
  }

  async launchBrowser() {
    this.browser = await launchChromium();
    return this.browser;
  }

  async check(name, body) {
    try {
      await body();
      console.log(`ok: ${name}`);
    } catch (e) {
      this.failures += 1;
      console.log(`FAILED: ${name}: ${e.message}`);
    }
  }

  // Runs `main`, cleans up, reports and exits with the test's status.
  async finish(title, main) {
    try {
      await main();
    } catch (e) {
      this.failures += 1;
      console.log(`FAILED: ${e.message}`);
    } finally {
      if (this.browser) await this.browser.close();
      for (const child of this.children) child.kill("SIGTERM");
      rmSync(this.work, { recursive: true, force: true });
    }
    console.log(this.failures === 0 ? `${title}: all checks passed` : `${title}: ${this.failures} checks failed`);
    process.exit(this.failures === 0 ? 0 : 1);
  }
}

// The panel as the page shows it: 1 for a lit cell, sampled at each cell's centre.
export function litCells(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById("panel");
    const s = Number(canvas.dataset.scale);
    const data = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    const lit = [];
    for (let y = 0; y < 43; ++y) {
      for (let x = 0; x < 160; ++x) {
        const o = ((y * s + (s >> 1)) * canvas.width + x * s + (s >> 1)) * 4;
        lit.push(data[o] + data[o + 1] + data[o + 2] > 384 ? 1 : 0);
      }
    }
    return lit;
  });
}

// A browser context of one viewport, as a phone or tablet shows pages.
export function newMobileContext(browser, viewport) {
  return browser.newContext({
    viewport: { width: viewport.width, height: viewport.height }, deviceScaleFactor: viewport.deviceScaleFactor,
    isMobile: true, hasTouch: true,
  });
}

export async function showsPattern(page) {
  const cells = await litCells(page);
  for (let y = 0; y < H; ++y) {
    for (let x = 0; x < W; ++x) if (cells[y * W + x] !== (patternWhite(x, y) ? 1 : 0)) return false;
  }
  return true;
}
