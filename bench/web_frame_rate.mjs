// The page's frame rate in headless Chromium (WebGL 2 on SwiftShader, the
// software rasteriser), 2050 particles at 1024 x 768, cube and sphere:
//
// - unpaced: ?bench=1, a frame on every animation callback, Chromium
//   without its frame-rate limit and vsync, so the callbacks come as fast
//   as the frames are drawn: how fast the page can draw;
// - paced: as a visitor's page runs, at most 60 steps a second, on
//   Chromium's own 60 Hz callbacks: whether it keeps 60.
//
// Each figure is measured over SECONDS of wall time after a warm-up, inside
// the page (performance.now and the frames it has drawn).
//
//   node bench/web_frame_rate.mjs [--unpaced] [PAGE_DIR...] [SECONDS]     (build/web, 10)
//
// Several folders (two builds of the page, say) are measured in one run,
// taking turns for each container, so that they share the machine's state;
// a folder named twice is measured twice. --unpaced leaves the paced figure out.
import { launchBrowser, openPage, waitForFrames } from '../tools/browser/browser.mjs';
import { serveFolder } from '../tools/browser/serve.mjs';

const args = process.argv.slice(2);
const unpacedOnly = args.includes('--unpaced');
const numeric = (arg) => /^\d+(\.\d+)?$/.test(arg);
const pageDirs = args.filter((arg) => !numeric(arg) && arg !== '--unpaced');
if (!pageDirs.length) pageDirs.push('build/web');
const seconds = Number(args.find(numeric) || 10);

async function measure(pageDir, extraArgs, query) {
  const browser = await launchBrowser(extraArgs);
  const server = await serveFolder(pageDir);
  try {
    const { page } = await openPage(browser.context, server.url + query);
    await waitForFrames(page, 60, 60000);  // warm-up: shaders built, caches full
    return await page.evaluate((span) => new Promise((resolve) => {
      const start = performance.now(), first = window.ombrel.framesDrawn();
      const tick = (now) => {
        if (now - start < span * 1000) return requestAnimationFrame(tick);
        resolve((window.ombrel.framesDrawn() - first) / ((now - start) / 1000));
      };
      requestAnimationFrame(tick);
    }), seconds);
  } finally {
    await browser.close();
    await server.close();
  }
}

const unlimited = ['--disable-frame-rate-limit', '--disable-gpu-vsync'];
for (const container of ['cube', 'sphere']) {
  const query = `?particles=2050&container=${container}`;
  for (const pageDir of pageDirs) {
    const unpaced = await measure(pageDir, unlimited, `${query}&bench=1`);
    const paced = unpacedOnly ? '' : `, paced ${(await measure(pageDir, [], query)).toFixed(1)} frames/s`;
    console.log(`${pageDirs.length > 1 ? pageDir + ' ' : ''}${container}: unpaced ${unpaced.toFixed(1)} frames/s` +
      `${paced} (2050 particles, 1024x768, ${seconds} s each)`);
  }
}
