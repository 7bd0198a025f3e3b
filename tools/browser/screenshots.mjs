// Screenshots of the page in headless Chromium:
//
//   node tools/browser/screenshots.mjs URL DIR
//       opens URL at 1024 x 768 and writes DIR/web-1.png to web-3.png, one
//       each time the scene has taken another 120 steps (two seconds)
//       (scripts/run web, on a machine without a display);
//   node tools/browser/screenshots.mjs --picture DIR QUERY FILE
//       serves the page's folder DIR, opens it with QUERY (which ends with
//       frames=F) at 800 x 600, waits for its last step and writes FILE with
//       the settings panel shown (the README's picture,
//       scripts/readme-pictures).
import path from 'node:path';
import { launchBrowser, openPage, waitForSteps } from './browser.mjs';
import { serveFolder } from './serve.mjs';

const picture = process.argv[2] === '--picture';
const served = picture ? await serveFolder(process.argv[3]) : null;
const url = picture ? served.url + process.argv[4] : process.argv[2];
const target = picture ? process.argv[5] : process.argv[3];
const browser = await launchBrowser();
try {
  const { page, log } = await openPage(browser.context);
  if (picture) {
    await page.setViewportSize({ width: 800, height: 600 });
    await page.goto(url);
    const frames = Number(new URL(url).searchParams.get('frames'));
    await waitForSteps(page, frames, 120000);
    await page.mouse.move(400, 300);  // the panel shows while the pointer moves
    await page.waitForFunction(() => getComputedStyle(panel).opacity === '1', null, { timeout: 5000 });
    await page.screenshot({ path: target });
  } else {
    await page.goto(url);
    for (let shot = 1; shot <= 3; ++shot) {
      await waitForSteps(page, shot * 120, 60000);
      await page.screenshot({ path: path.join(target, `web-${shot}.png`) });
    }
  }
  for (const line of log.messages) console.log(`page: ${line}`);
} finally {
  await browser.close();
  if (served) await served.close();
}
