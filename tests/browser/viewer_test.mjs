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
import { Run, programsOrSkip, request as requestAt, showsPattern, sleep, waitFor } from "./harness.mjs";

const { displayTool, testClient, library } =
  programsOrSkip("node viewer_test.mjs VAREKO_DISPLAY BROWSER_TEST_CLIENT LIBRARY");
const run = new Run();
const request = (port, method, url, headers) => requestAt("127.0.0.1", port, method, url, headers);

async function main() {
  const { url, port } = await run.startService(displayTool, ["--http-port", "0"]);
  const cleanUrl = `http://127.0.0.1:${port}/`;

  const { words, sawWord } = run.startClient(testClient, library);

  const browser = await run.launchBrowser();
  const context = await browser.newContext({ viewport: { width: 900, height: 560 } });
  const page = await context.newPage();
  const opened = await page.goto(url);

  const check = (name, test) => run.check(name, test);

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
    await waitFor(() => showsPattern(page), "the pattern on the canvas");
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
    await sleep(300);
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
    await sleep(300);
    if (words.length !== 0) throw new Error(`client saw ${words}`);
  });

  await check("the plug switch unplugs and replugs the device", async () => {
    await page.locator("#plug").click();
    await waitFor(() => page.evaluate(() => document.body.classList.contains("unplugged")), "the unplugged panel");
    await page.locator("#plug").click();
    await waitFor(() => page.evaluate(() => !document.body.classList.contains("unplugged") &&
                                       document.body.dataset.shown !== "0"), "the client shown again");
  });
}

await run.finish("browser viewer", main);
