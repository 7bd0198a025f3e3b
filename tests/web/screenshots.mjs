// Screenshots of the page in headless Chromium, for scripts/run web on a
// machine without a display:
//
//   node tests/web/screenshots.mjs URL DIR
//
// opens URL at 1024 x 768 and writes DIR/web-1.png to web-3.png, one each
// time the page has drawn another 120 frames (about two seconds).
import path from 'node:path';
import { launchBrowser, openPage, waitForFrames } from './browser.mjs';

const [url, dir] = process.argv.slice(2);
const browser = await launchBrowser();
try {
  const { page, log } = await openPage(browser.context, url);
  for (let shot = 1; shot <= 3; ++shot) {
    await waitForFrames(page, shot * 120, 60000);
    await page.screenshot({ path: path.join(dir, `web-${shot}.png`) });
  }
  for (const line of log.messages) console.log(`page: ${line}`);
} finally {
  await browser.close();
}
