// Saves a screenshot of the viewer page per viewport from a running service:
//   node screenshots.mjs OWNER_URL DIR
// DIR/viewer.png is a desktop window, DIR/viewer-NAME.png each phone and
// tablet viewport, each in another of the LCD looks.
import path from "node:path";

import { launchChromium, newMobileContext, viewports, waitFor } from "./harness.mjs";

const [url, dir] = process.argv.slice(2);
if (!dir) {
  console.error("usage: node screenshots.mjs OWNER_URL DIR");
  process.exit(2);
}
const looks = { "phone": "standard", "phone-landscape": "blue-white", "tablet": "amber", "tablet-landscape": "green" };
const shots = [
  { file: "viewer.png", look: "standard", context: (b) => b.newContext({ viewport: { width: 900, height: 560 } }) },
  ...viewports.map((v) => ({ file: `viewer-${v.name}.png`, look: looks[v.name], context: (b) => newMobileContext(b, v) })),
];

const browser = await launchChromium();
try {
  for (const shot of shots) {
    const context = await shot.context(browser);
    const page = await context.newPage();
    await page.addInitScript((look) => localStorage.setItem("vareko-viewer-look", look), shot.look);
    await page.goto(url);
    await waitFor(async () => (await page.evaluate(() => document.body.dataset.link)) === "live", "the live panel");
    const file = path.join(dir, shot.file);
    await page.screenshot({ path: file });
    console.log(`saved ${file}`);
    await context.close();
  }
} finally {
  await browser.close();
}
