// The page in a real browser: Debian's Chromium, headless, WebGL 2 on its
// software rasteriser, driven through playwright-core.
//
//   OMBREL_PAGE_DIR=build/web OMBREL_NATIVE_BUILD=build/native node --test tests/web/page.test.mjs
//
// OMBREL_PAGE_DIR holds the page's files (the build tree, or the released
// zip unpacked); OMBREL_NATIVE_BUILD the native build whose ombrel-frames
// renders the frames the page's frames are compared with. Every wait is
// bounded; each test serves the folder on a port of its own, so each starts
// with empty storage.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';
import { launchBrowser, openPage, waitForFrames, waitForSteps } from '../../tools/browser/browser.mjs';
import { serveFolder } from '../../tools/browser/serve.mjs';
import { canvasPixels, compareFrames, edgeShare, litBox, litPixels, nativeFrame, withinTolerance } from './frames.mjs';

const pageDir = process.env.OMBREL_PAGE_DIR;
const nativeBuild = process.env.OMBREL_NATIVE_BUILD;
assert.ok(pageDir && fs.existsSync(path.join(pageDir, 'index.html')), 'OMBREL_PAGE_DIR must hold the page');
assert.ok(nativeBuild && fs.existsSync(path.join(nativeBuild, 'tools', 'ombrel-frames')),
  'OMBREL_NATIVE_BUILD must hold a native build with tools/ombrel-frames (build the native preset first)');

const clock = 1700000000;

// Every test is bounded in time, as each of its waits is.
const pageTest = (name, fn) => test(name, { timeout: 120000 }, fn);
let browser;

before(async () => { browser = await launchBrowser(); });
after(async () => { await browser?.close(); });

// Opens `query` on a fresh origin and runs `fn` with the page, its log, what
// it asked the server for, and what it asked for elsewhere (refused); then
// closes the page and its server, whatever happened. Options: `init`, a
// script that runs before the page's own, with `initArg`; `browserArgs` and
// `contextOptions`, for a browser of the test's own started with them (and
// closed again too); `fromFile`, to open the page's index.html as a file, as
// a visitor who double-clicks it does (then `elsewhere` lists every request
// outside the page's folder, and `server` is null); `stoppedClock`, for a
// page whose time (its timers, its animation callbacks every 16 ms, and
// their timestamps) stands still until the test moves it on with
// page.clock.runFor, so that when each frame is drawn is known exactly.
async function withPage(query, fn, options = {}) {
  let own, server = null, page;
  try {
    // A stopped clock is the browser context's: such a page gets a browser of its own.
    if (options.browserArgs || options.contextOptions || options.stoppedClock) {
      own = await launchBrowser(options.browserArgs, options.contextOptions);
    }
    if (!options.fromFile) server = await serveFolder(pageDir);
    const base = server ? server.url : pathToFileURL(path.join(path.resolve(pageDir), 'index.html')).href;
    let log;
    ({ page, log } = await openPage((own || browser).context));
    const elsewhere = [];
    const folder = server ? server.url : base.slice(0, base.lastIndexOf('/') + 1);
    page.on('request', (request) => {
      if (!request.url().startsWith(folder)) elsewhere.push(request.url());
    });
    await page.route('**/*', (route) => (route.request().url().startsWith(folder) ? route.continue() : route.abort()));
    if (options.init) await page.addInitScript(options.init, options.initArg);
    if (options.stoppedClock) {
      await page.clock.install();
      await page.clock.pauseAt(Date.now() + 1000);
    }
    await page.goto(base + query, { timeout: 60000 });
    return await fn({ page, log, server, elsewhere });
  } finally {
    await page?.close();
    await server?.close();
    await own?.close();
  }
}

// Moves the pointer, which shows the panel if it had hidden itself.
const wake = (page) => page.mouse.move(20 + Math.random() * 10, 20);
// The panel again after canvasPixels hid it for a screenshot.
const showPanel = async (page) => {
  await page.addStyleTag({ content: '#panel { visibility: visible !important; }' });
  await wake(page);
};
const framesDrawn = (page) => page.evaluate(() => window.ombrel.framesDrawn());
const stepsTaken = (page) => page.evaluate(() => window.ombrel.steps());
const settingsInForce = (page) => page.evaluate(() => window.Module.ccall('OmbrelSettings', 'string', [], []));

// Waits for `count` more animation callbacks of the browser itself.
const animationCallbacks = (page, count) => page.evaluate((n) => new Promise((resolve) => {
  const tick = () => (--n > 0 ? requestAnimationFrame(tick) : resolve());
  requestAnimationFrame(tick);
}), count);

const nativeFrames = new Map();
function cachedNativeFrame(settings, frames, size) {
  const key = JSON.stringify([settings, frames, size]);
  if (!nativeFrames.has(key)) nativeFrames.set(key, nativeFrame(nativeBuild, settings, clock, frames, size));
  return nativeFrames.get(key);
}

function assertNearNative(web, native, what) {
  const comparison = compareFrames(web, native);
  console.log(`${what}: ${JSON.stringify(comparison)}`);
  assert.ok(withinTolerance(comparison),
    `${what}: ${comparison.beyond} pixels (${(comparison.beyondShare * 100).toFixed(3)} %) differ from the native ` +
    `frame by more than the tolerance allows (${(edgeShare(comparison.pixels) * 100).toFixed(3)} %)`);
}

pageTest('the page\'s files are at most 250 KB together', () => {
  const pattern = /^(index\.html|.*\.js|.*\.wasm|.*\.webmanifest|icon-.*\.png)$/;
  const files = fs.readdirSync(pageDir).filter((f) => pattern.test(f)).sort();
  assert.deepEqual(files, ['icon-192.png', 'icon-512.png', 'index.html', 'manifest.webmanifest', 'ombrel.js',
    'service-worker.js']);
  const sizes = Object.fromEntries(files.map((f) => [f, fs.statSync(path.join(pageDir, f)).size]));
  const total = Object.values(sizes).reduce((sum, size) => sum + size, 0);
  console.log(`page files: ${total} bytes, ${JSON.stringify(sizes)}`);
  assert.ok(total <= 250000, `${total} bytes`);
});

// Holds that the page animates a lit canvas without a console message and
// asks no other host for anything.
async function assertAnimatesQuietly(p) {
  await waitForFrames(p.page, 5);
  const first = await canvasPixels(p.page);
  const before = await framesDrawn(p.page);
  await waitForFrames(p.page, before + 10);
  const second = await canvasPixels(p.page);
  assert.ok(litPixels(first) > 0.02 * first.width * first.height, 'the canvas is lit');
  assert.ok(!withinTolerance(compareFrames(first, second)), 'the picture changes between two screenshots');
  assert.deepEqual(p.log.errors, []);
  assert.deepEqual(p.log.warnings, []);
  assert.deepEqual(p.elsewhere, []);
}

pageTest('opened from a file it draws, fetching nothing, without a console error', async () => {
  await withPage('?particles=2050', async (p) => {
    await assertAnimatesQuietly(p);
    assert.ok(await p.page.evaluate(() => !panel.hidden), 'the panel is there');
  }, { fromFile: true });
});

pageTest('loads without a console error, asks no other host for anything, and animates a lit canvas', async () => {
  await withPage('?particles=2050', async (p) => {
    await assertAnimatesQuietly(p);
    assert.deepEqual(Object.keys(p.server.served).sort(), ['/icon-192.png', '/icon-512.png', '/index.html',
      '/manifest.webmanifest', '/ombrel.js', '/service-worker.js']);
  });
});

// The same frames as ombrel-frames: the first, and later ones of both containers.
for (const [settings, frames] of [[{}, 1], [{ container: 'sphere', particles: 2050 }, 1],
  [{ container: 'sphere', decay: 0, permeability: 3, particles: 2050 }, 120]]) {
  pageTest(`?clock=T&frames=${frames} with ${JSON.stringify(settings)} shows the native frame`, async () => {
    await withPage('?' + new URLSearchParams({ ...settings, clock, frames }), async (p) => {
      await waitForSteps(p.page, frames, 60000);
      await animationCallbacks(p.page, 3);
      assert.equal(await stepsTaken(p.page), frames, 'the page stops after its frames');
      assertNearNative(await canvasPixels(p.page), nativeFrame(nativeBuild, settings, clock, frames),
        `frame ${frames} of ${JSON.stringify(settings)}`);
      assert.deepEqual(p.log.errors, []);
    });
  });
}

// Each of the panel's five settings: set in the panel, stored, and in force
// after a reload, where the scene shows that setting's native frame (which
// differs from the frame without the change). Settings in the address stay
// fixed around the one under test, so the change shows within 60 frames.
const panelCases = [
  { name: 'container', base: { particles: 2050 }, change: { container: 'sphere' },
    act: (page) => page.check('input[name=container][value=sphere]') },
  { name: 'particles cause', base: { particles: 2050 }, change: { decay: 0 },
    act: (page) => page.check('input[name=decay][value="0"]') },
  { name: 'regeneration', base: { particles: 2050, permeability: 1 }, change: { regeneration: 0 },
    act: (page) => page.check('input[name=regeneration][value="0"]') },
  { name: 'permeability', base: { particles: 2050 }, change: { permeability: 1 },
    act: (page) => page.fill('#permeability', '10') },
  { name: 'number of particles', base: {}, change: { particles: 2050 },
    act: (page) => page.fill('#particles', '10') },
];
for (const c of panelCases) {
  pageTest(`the panel's ${c.name} changes the scene and survives a reload`, async () => {
    const frames = 60;
    const query = '?' + new URLSearchParams({ ...c.base, clock, frames });
    await withPage(query, async (p) => {
      await waitForSteps(p.page, frames, 60000);
      await wake(p.page);
      await c.act(p.page);
      const [name, value] = Object.entries(c.change)[0];
      assert.equal(new URLSearchParams(await settingsInForce(p.page)).get(name), String(value));
      await p.page.reload();
      await waitForSteps(p.page, frames, 60000);
      assert.equal(new URLSearchParams(await settingsInForce(p.page)).get(name), String(value), 'stored');
      const changed = nativeFrame(nativeBuild, { ...c.base, ...c.change }, clock, frames);
      const unchanged = nativeFrame(nativeBuild, c.base, clock, frames);
      assert.ok(!withinTolerance(compareFrames(changed, unchanged)), 'the setting shows in this scenario');
      assertNearNative(await canvasPixels(p.page), changed, `after the panel's ${c.name}`);
      assert.deepEqual(p.log.errors, []);
    });
  });
}

pageTest('a panel change acts on the running scene at once', async () => {
  // Growth: the shell starts invisible, so the lit pixels are the particles'.
  await withPage('?decay=0&particles=50', async (p) => {
    await waitForFrames(p.page, 5);
    const few = litPixels(await canvasPixels(p.page));
    await p.page.addStyleTag({ content: '#panel, #fps { visibility: visible !important; }' });
    await wake(p.page);
    await p.page.fill('#particles', '10');
    const at = await framesDrawn(p.page);
    await waitForFrames(p.page, at + 3);
    const many = litPixels(await canvasPixels(p.page));
    assert.ok(many > few * 2, `lit pixels ${few} with 50 particles, ${many} with 2050`);
  });
});

pageTest('the address wins over stored settings, and the panel shows what is in force', async () => {
  await withPage('?clock=1&frames=1', async (p) => {
    await waitForFrames(p.page, 1);
    await wake(p.page);
    await p.page.check('input[name=container][value=sphere]');
    await p.page.fill('#particles', '10');
    await p.page.goto(p.server.url + '?' + new URLSearchParams({ container: 'cube', clock, frames: 1 }));
    await waitForFrames(p.page, 1);
    assert.equal(await settingsInForce(p.page),
      'container=cube&decay=1&regeneration=1&permeability=10&particles=2050');
    assert.ok(await p.page.isChecked('input[name=container][value=cube]'));
    assert.equal(await p.page.inputValue('#particles'), '10');
    assertNearNative(await canvasPixels(p.page), nativeFrame(nativeBuild, { particles: 2050 }, clock, 1),
      'stored 2050 particles in the cube of the address');
  });
});

// The panel that the script makes from the module's settings table: the
// Windows dialog's labels, choices and slider ends, and sliders that store
// and show values as the dialog's do (position p stores permeability
// (10 - p) * 2 + 1 and p * 200 + 50 particles; a value shows at its
// position truncated towards zero).
pageTest('the panel has the dialog\'s controls, and its sliders map as the dialog\'s do', async () => {
  await withPage('?' + new URLSearchParams({ permeability: 4, particles: 1000, clock, frames: 1 }), async (p) => {
    await waitForFrames(p.page, 1);
    const texts = await p.page.evaluate(() => Array.from(document.querySelectorAll('#panel fieldset'),
      (fieldset) => Array.from(fieldset.querySelectorAll('legend, label, span'), (e) => e.textContent).join('|')));
    assert.deepEqual(texts, ['Container Type:| Cube| Sphere', 'Particles cause:| Growth| Decay',
      'Regeneration:| On| Off', 'Permeability of Surface|Low|High', 'Number of particles|Not many|Lots',
      'Render scale|Fewer pixels|Every pixel', ' Keep the screen on']);
    const controls = await p.page.evaluate(() => Array.from(document.querySelectorAll('#panel input'),
      (input) => `${input.name} ${input.type} ${input.type === 'range' ? `${input.min}..${input.max}` : input.value}`));
    assert.deepEqual(controls, ['container radio cube', 'container radio sphere', 'decay radio 0', 'decay radio 1',
      'regeneration radio 1', 'regeneration radio 0', 'permeability range 0..10', 'particles range 0..10',
      'scale range 25..100', 'awake checkbox on']);
    assert.equal(await p.page.inputValue('#permeability'), '8');
    assert.equal(await p.page.inputValue('#particles'), '4');

    await p.page.addStyleTag({ content: '#panel { visibility: visible !important; }' });
    await wake(p.page);
    for (let position = 0; position <= 10; position++) {
      await p.page.fill('#permeability', String(position));
      await p.page.fill('#particles', String(position));
      const settings = new URLSearchParams(await settingsInForce(p.page));
      assert.equal(settings.get('permeability'), String((10 - position) * 2 + 1), `position ${position}`);
      assert.equal(settings.get('particles'), String(position * 200 + 50), `position ${position}`);
    }
  });
});

pageTest('bad parameters are ignored with one warning and the page runs with the defaults', async () => {
  const query = '?particles=many&container=cone&speed=9&decay=yes&frames=x&permeability=-3&' +
    new URLSearchParams({ clock, frames: 1 });
  await withPage(query, async (p) => {
    await waitForFrames(p.page, 1);
    assert.equal(await settingsInForce(p.page),
      'container=cube&decay=1&regeneration=1&permeability=10&particles=250');
    assert.equal(p.log.warnings.length, 1, p.log.warnings.join('\n'));
    for (const name of ['particles', 'container', 'speed', 'decay', 'frames', 'permeability']) {
      assert.match(p.log.warnings[0], new RegExp(name));
    }
    assert.deepEqual(p.log.errors, []);
    assertNearNative(await canvasPixels(p.page), nativeFrame(nativeBuild, {}, clock, 1), 'defaults');
  });
});

pageTest('a resize gives the canvas the new size and re-projects the scene', async () => {
  // A sphere with few particles and cells that hold: its picture is a disc
  // whose size follows the window's height and whose shape stays round.
  await withPage('?container=sphere&particles=50&permeability=21', async (p) => {
    await waitForFrames(p.page, 1);
    for (const [width, height] of [[1024, 768], [700, 900], [1200, 500]]) {
      await p.page.setViewportSize({ width, height });
      const at = await framesDrawn(p.page);
      await waitForFrames(p.page, at + 3);
      assert.deepEqual(await p.page.evaluate(() => [canvas.width, canvas.height]), [width, height]);
      const box = litBox(await canvasPixels(p.page));
      console.log(`${width}x${height}: lit ${JSON.stringify(box)}`);
      // The sphere's outline: radius 8 seen from 29 through a 45-degree field
      // of view spans 2 * 8 / sqrt(29^2 - 8^2) / tan(22.5 deg) = 0.694 of the
      // height; in portrait the field widens so that it spans that much of the width.
      const side = Math.min(width, height);
      assert.ok(Math.abs(box.height / side - 0.694) < 0.03, `height ${box.height} in ${width}x${height}`);
      assert.ok(Math.abs(box.width / box.height - 1) < 0.04, `width ${box.width}, height ${box.height}`);
      assert.ok(Math.abs((box.left + box.right) / 2 - width / 2) < 0.02 * width, 'centred across');
      assert.ok(Math.abs((box.top + box.bottom) / 2 - height / 2) < 0.02 * height, 'centred down');
    }
  });
});

// The drawing buffer: the canvas's CSS pixels times the pixel ratio, at most
// 2, times the render scale; the browser scales it up to the canvas. The
// panel's render scale acts at once.
for (const ratio of [1, 2, 3]) {
  pageTest(`on a screen of pixel ratio ${ratio} the canvas draws ${Math.min(ratio, 2)} device pixels to a CSS pixel, ` +
    'times the render scale', async () => {
    const screen = { contextOptions: { deviceScaleFactor: ratio, viewport: { width: 640, height: 400 } } };
    await withPage('?container=sphere&particles=50&permeability=21', async ({ page }) => {
      await waitForFrames(page, 3);
      const drawn = Math.min(ratio, 2);
      assert.deepEqual(await page.evaluate(() => [devicePixelRatio, canvas.width, canvas.height,
        canvas.clientWidth, canvas.clientHeight]), [ratio, 640 * drawn, 400 * drawn, 640, 400]);
      const shot = await canvasPixels(page);
      assert.deepEqual([shot.width, shot.height], [640 * ratio, 400 * ratio]);
      const box = litBox(shot);
      assert.ok(Math.abs(box.height / shot.height - 0.694) < 0.03, `the sphere spans ${box.height} of ${shot.height}`);

      await showPanel(page);
      await page.fill('#scale', '50');
      await page.waitForFunction((w) => canvas.width === w, 320 * drawn, { timeout: 5000 });
      assert.deepEqual(await page.evaluate(() => [canvas.height, canvas.clientWidth, canvas.clientHeight]),
        [200 * drawn, 640, 400]);
      assert.equal(await page.getAttribute('#scale', 'aria-valuetext'), '50 % of the screen\'s resolution');
      const scaled = litBox(await canvasPixels(page));
      assert.ok(Math.abs(scaled.height / shot.height - 0.694) < 0.04, 'scaled up to the same place');
    }, screen);
  });
}

// A scaled frame as drawn, before the browser scales it up (here exactly
// twice, without smoothing, so that every other screenshot pixel is one of
// the canvas's): ombrel-frames' frame at the scaled size.
pageTest('?scale=0.5 draws ombrel-frames\' frame at half the size, which the browser scales up', async () => {
  const settings = { container: 'sphere', particles: 2050 };
  await withPage('?' + new URLSearchParams({ ...settings, scale: 0.5, clock, frames: 30 }), async (p) => {
    await waitForSteps(p.page, 30, 60000);
    assert.deepEqual(await p.page.evaluate(() => [canvas.width, canvas.height]), [512, 384]);
    await p.page.addStyleTag({ content: 'canvas { image-rendering: pixelated; }' });
    const shot = await canvasPixels(p.page);
    const drawn = { width: 512, height: 384, data: Buffer.alloc(512 * 384 * 4) };
    for (let y = 0; y < 384; ++y) {
      for (let x = 0; x < 512; ++x) {
        const from = (2 * y * 1024 + 2 * x) * 4;
        shot.data.copy(drawn.data, (y * 512 + x) * 4, from, from + 4);
      }
    }
    assertNearNative(drawn, cachedNativeFrame(settings, 30, '512x384'), 'frame 30 at scale 0.5');
    assert.deepEqual(p.log.warnings, []);
  });
});

pageTest('a hidden page draws no frames, and goes on when shown again', async () => {
  await withPage('', async (p) => {
    await waitForFrames(p.page, 5);
    const setHidden = (hidden) => p.page.evaluate((h) => {
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => h });
      Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => (h ? 'hidden' : 'visible') });
      document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
    await setHidden(true);
    await animationCallbacks(p.page, 2);
    const hiddenAt = await framesDrawn(p.page);
    // The browser goes on calling back; the page draws nothing.
    await animationCallbacks(p.page, 30);
    assert.equal(await framesDrawn(p.page), hiddenAt);
    await setHidden(false);
    await waitForFrames(p.page, hiddenAt + 5);
  });
});

pageTest('steps at most 60 times a second on a display that calls back faster', async () => {
  // Chromium without its frame-rate limit calls back as fast as it can draw.
  const fast = { browserArgs: ['--disable-frame-rate-limit', '--disable-gpu-vsync'] };
  await withPage('?particles=50', async ({ page }) => {
    await waitForFrames(page, 5);
    const rate = await page.evaluate(() => new Promise((resolve) => {
      let callbacks = 0;
      const start = performance.now(), frames = window.ombrel.framesDrawn();
      const tick = (now) => {
        ++callbacks;
        if (now - start < 2000) return requestAnimationFrame(tick);
        const seconds = (now - start) / 1000;
        resolve({ callbacks: callbacks / seconds, steps: (window.ombrel.framesDrawn() - frames) / seconds });
      };
      requestAnimationFrame(tick);
    }));
    console.log(`callbacks ${rate.callbacks.toFixed(1)}/s, steps ${rate.steps.toFixed(1)}/s`);
    assert.ok(rate.steps <= 61.5, `${rate.steps} steps a second`);
  }, fast);
});

pageTest('?fps=1 shows the frame rate in a corner', async () => {
  await withPage('?fps=1', async (p) => {
    await p.page.waitForFunction(() => /^FPS: \d+\.\d$/.test(document.getElementById('fps').textContent),
      null, { timeout: 20000 });
    const box = await p.page.locator('#fps').boundingBox();
    const viewport = p.page.viewportSize();
    assert.ok(box.x < 10 && box.y + box.height > viewport.height - 10, 'lower left');
  });
  await withPage('', async (q) => {
    await waitForFrames(q.page, 2);
    assert.ok(!(await q.page.isVisible('#fps')));
  });
});

pageTest('double click and F switch full screen; the panel and cursor hide there', async () => {
  await withPage('', async (p) => {
    await waitForFrames(p.page, 2);
    const state = () => p.page.evaluate(() => [!!document.fullscreenElement,
      getComputedStyle(document.getElementById('panel')).display, getComputedStyle(canvas).cursor]);
    await p.page.mouse.dblclick(700, 500);
    await p.page.waitForFunction(() => !!document.fullscreenElement, null, { timeout: 5000 });
    assert.deepEqual(await state(), [true, 'none', 'none']);
    await p.page.keyboard.press('f');
    await p.page.waitForFunction(() => !document.fullscreenElement, null, { timeout: 5000 });
    assert.equal((await state())[1], 'block');
    await p.page.keyboard.press('F');
    await p.page.waitForFunction(() => !!document.fullscreenElement, null, { timeout: 5000 });
    const at = await framesDrawn(p.page);
    await waitForFrames(p.page, at + 3);
  });
});

pageTest('the panel hides while the pointer rests and comes back when it moves', async () => {
  await withPage('', async (p) => {
    await waitForFrames(p.page, 2);
    await p.page.mouse.move(600, 500);
    assert.equal(await p.page.evaluate(() => getComputedStyle(panel).opacity), '1');
    await p.page.waitForFunction(() => document.body.classList.contains('idle'), null, { timeout: 10000 });
    await p.page.waitForFunction(() => getComputedStyle(panel).opacity === '0', null, { timeout: 5000 });
    await p.page.mouse.move(650, 520);
    await p.page.waitForFunction(() => getComputedStyle(panel).opacity === '1', null, { timeout: 5000 });
  });
});

pageTest('without WebGL 2 the page says so instead of showing a blank canvas', async () => {
  // Canvases that offer every context but WebGL 2.
  const init = () => {
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (type, ...rest) {
      return type === 'webgl2' ? null : getContext.call(this, type, ...rest);
    };
  };
  await withPage('', async (p) => {
    await p.page.waitForSelector('#message:not([hidden])', { timeout: 20000 });
    assert.match(await p.page.textContent('#message'), /needs WebGL 2/);
    assert.ok(!(await p.page.isVisible('#panel')));
    assert.deepEqual(p.log.errors, []);
  }, { init });
});

pageTest('a lost WebGL context: drawing stops with a notice, and once restored the scene goes on', async () => {
  await withPage('?particles=2050', async (p) => {
    await waitForFrames(p.page, 5);
    const litBefore = litPixels(await canvasPixels(p.page));
    await p.page.evaluate(() => {
      window.loseContext = document.getElementById('canvas').getContext('webgl2').getExtension('WEBGL_lose_context');
      window.loseContext.loseContext();
    });
    await p.page.waitForSelector('#notice:not([hidden])', { timeout: 5000 });
    assert.match(await p.page.textContent('#notice'), /took the graphics away/);
    await animationCallbacks(p.page, 2);
    const lostAt = await framesDrawn(p.page);
    await animationCallbacks(p.page, 20);
    assert.equal(await framesDrawn(p.page), lostAt, 'no frames while the context is lost');
    // Not back within five seconds: the notice says how to start again.
    await p.page.waitForFunction(() => /Reload the page/.test(document.getElementById('notice').textContent), null,
      { timeout: 10000 });
    await p.page.evaluate(() => window.loseContext.restoreContext());
    await waitForFrames(p.page, lostAt + 10);
    assert.ok(!(await p.page.isVisible('#notice')));
    const litAfter = litPixels(await canvasPixels(p.page));
    assert.ok(litAfter > 0.5 * litBefore, `lit pixels ${litBefore} before, ${litAfter} after`);
    assert.deepEqual(p.log.errors, []);
    assert.deepEqual(p.log.warnings, []);
  });
});

// Values and names that no setting needs: refused with the one warning
// before they reach the module, the page drawing with the rest. The long
// addresses are opened as files: the test's server, as many servers do,
// refuses a request line that long.
const huge = '9'.repeat(1400000);
for (const c of [
  { what: 'a 1.4-million-character stored value', query: '',
    init: () => localStorage.setItem('ombrel.settings', JSON.stringify({ container: 'c'.repeat(1400000) })),
    warning: /stored settings: "container": a value longer than 64/ },
  { what: 'a 1.4-million-character address value', query: `?particles=${huge}`,
    warning: /address parameters: "particles": a value longer than 64/, fromFile: true },
  { what: 'a 1.4-million-character address name', query: `?${huge}=1`, warning: /"9{24}\.\.\.": a name longer/,
    fromFile: true },
  { what: 'NULs in values and names', query: '?container=sphere%00junk&particles=1%00abc&fps%00x=1',
    warning: /"container": a control character in the value; "particles": a control character in the value; "fps\\u0000x": a control character in the name/ },
]) {
  pageTest(`${c.what} is refused with one warning, and the page draws`, async () => {
    await withPage(c.query, async (p) => {
      await waitForFrames(p.page, 3);
      assert.equal(await settingsInForce(p.page),
        'container=cube&decay=1&regeneration=1&permeability=10&particles=250');
      assert.ok(await p.page.isVisible('#panel'));
      assert.ok(!(await p.page.isVisible('#fps')));
      assert.ok(litPixels(await canvasPixels(p.page)) > 0, 'the canvas is lit');
      assert.equal(p.log.warnings.length, 1, p.log.warnings.join('\n'));
      assert.match(p.log.warnings[0], c.warning);
      assert.ok(p.log.warnings[0].length < 400, 'the warning does not repeat the value');
      assert.deepEqual(p.log.errors, []);
    }, { init: c.init, fromFile: c.fromFile });
  });
}

pageTest('on a portrait phone the container stays whole and the panel is compact with large targets', async () => {
  const phone = { contextOptions: { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, hasTouch: true } };
  await withPage('?particles=50&permeability=21', async (p) => {
    await waitForFrames(p.page, 3);
    await p.page.addStyleTag({ content: '#panel { transition: none !important; }' });
    await wake(p.page);
    const panelBox = await p.page.locator('#panel').boundingBox();
    const targets = await p.page.evaluate(() => Array.from(document.querySelectorAll('#panel input, #panel button'),
      (e) => { const r = e.getBoundingClientRect(); return `${e.name || e.id} ${r.width}x${r.height}`; }));
    for (const target of targets) {
      const [width, height] = target.split(' ')[1].split('x').map(Number);
      assert.ok(width >= 24 && height >= 24, `touch target ${target}`);
    }
    assert.ok(panelBox.height < 844 / 3, `panel ${JSON.stringify(panelBox)}`);
    // The cube's picture (in CSS pixels): inside the canvas from side to side,
    // and clear of the panel.
    const image = await canvasPixels(p.page);
    const box = litBox(image);
    const css = { left: box.left / 3, right: box.right / 3, top: box.top / 3, bottom: box.bottom / 3 };
    console.log(`portrait: lit ${JSON.stringify(css)}, panel ${JSON.stringify(panelBox)}`);
    assert.ok(css.left > 4 && css.right < 386, 'the cube is whole across');
    assert.ok(css.bottom < panelBox.y, 'the panel is below the cube');
    assert.deepEqual(p.log.errors, []);
  }, phone);
});

pageTest('Space and the pause button stop and start the motion; the picture stays while paused', async () => {
  await withPage('?particles=2050', async (p) => {
    await waitForFrames(p.page, 5);
    for (const pause of [() => p.page.keyboard.press(' '), () => p.page.click('#pause')]) {
      await showPanel(p.page);
      await pause();
      assert.equal(await p.page.textContent('#pause'), 'Play');
      await animationCallbacks(p.page, 2);
      const pausedAt = await framesDrawn(p.page);
      const still = await canvasPixels(p.page);
      await animationCallbacks(p.page, 20);
      assert.equal(await framesDrawn(p.page), pausedAt, 'no steps while paused');
      assert.equal(compareFrames(still, await canvasPixels(p.page)).differing, 0, 'the same picture');
      await showPanel(p.page);
      await p.page.click('#pause');
      assert.equal(await p.page.textContent('#pause'), 'Pause');
      await waitForFrames(p.page, pausedAt + 5);
    }
    assert.deepEqual(p.log.errors, []);
  });
});

// A landscape phone asking for reduced motion: the page starts on a still
// frame with the Play button; the panel hides itself while nothing moves, as
// it does while the scene plays, and a tap shows it again; turned to
// portrait, the still frame is drawn again at the new size, still without a
// step, and the cube stays whole across.
pageTest('a landscape phone with reduced motion: a still frame, a panel that hides, a true picture when turned',
  async () => {
    const phone = { contextOptions: { reducedMotion: 'reduce', viewport: { width: 844, height: 390 },
      deviceScaleFactor: 3, hasTouch: true } };
    await withPage('?particles=50&permeability=21', async (p) => {
      await waitForFrames(p.page, 1);
      await animationCallbacks(p.page, 20);
      assert.deepEqual([await stepsTaken(p.page), await framesDrawn(p.page)], [1, 1]);
      assert.equal(await p.page.textContent('#pause'), 'Play');
      await p.page.addStyleTag({ content: '#panel { transition: none !important; }' });
      await p.page.waitForFunction(() => getComputedStyle(panel).opacity === '0', null, { timeout: 10000 });
      await p.page.touchscreen.tap(422, 100);
      await p.page.waitForFunction(() => getComputedStyle(panel).opacity === '1', null, { timeout: 5000 });

      await p.page.setViewportSize({ width: 390, height: 844 });
      await waitForFrames(p.page, 2);
      await animationCallbacks(p.page, 5);
      assert.deepEqual([await stepsTaken(p.page), await framesDrawn(p.page)], [1, 2], 'one still frame, no step');
      // Drawn at 2 device pixels to a CSS pixel, the most the page draws.
      assert.deepEqual(await p.page.evaluate(() => [canvas.width, canvas.height]), [780, 1688]);
      const box = litBox(await canvasPixels(p.page));
      assert.ok(box.left / 3 > 4 && box.right / 3 < 386, `the cube is whole across: ${JSON.stringify(box)}`);
      assert.deepEqual(p.log.errors, []);
    }, phone);
  });

// Paused, the picture follows the window's size and the settings: one frame
// of the scene as it stands, drawn again without a step.
pageTest('paused, a resize and a setting change draw the scene again without a step', async () => {
  await withPage('?container=cube&particles=50&permeability=21', async (p) => {
    await waitForFrames(p.page, 5);
    await wake(p.page);
    await p.page.click('#pause');
    await animationCallbacks(p.page, 2);
    const steps = await stepsTaken(p.page);
    let drawn = await framesDrawn(p.page);
    const cube = litBox(await canvasPixels(p.page));

    await p.page.setViewportSize({ width: 700, height: 900 });
    await waitForFrames(p.page, ++drawn);
    assert.deepEqual(await p.page.evaluate(() => [canvas.width, canvas.height]), [700, 900]);
    const resized = litBox(await canvasPixels(p.page));
    console.log(`cube at 1024x768 ${JSON.stringify(cube)}, at 700x900 ${JSON.stringify(resized)}`);
    // The cube's picture scales with the narrower side (the field of view
    // widens in portrait) and stays centred.
    assert.ok(Math.abs(resized.width / cube.width - 700 / 768) < 0.03, 'the picture follows the size');
    assert.ok(Math.abs((resized.left + resized.right) / 2 - 350) < 14, 'centred across');

    await showPanel(p.page);
    await p.page.check('input[name=container][value=sphere]');
    await waitForFrames(p.page, ++drawn);
    const sphere = litBox(await canvasPixels(p.page));
    // The sphere's outline spans 0.694 of the narrower side and is round (see
    // the resize test above); the cube's does not.
    const round = (box) => Math.abs(box.width / 700 - 0.694) < 0.03 && Math.abs(box.width / box.height - 1) < 0.04;
    assert.ok(round(sphere) && !round(resized), `sphere ${JSON.stringify(sphere)}`);

    await animationCallbacks(p.page, 10);
    assert.equal(await stepsTaken(p.page), steps, 'no step while paused');
    assert.equal(await framesDrawn(p.page), drawn, 'nothing drawn while nothing changes');
    await showPanel(p.page);
    await p.page.click('#pause');
    await waitForSteps(p.page, steps + 5);
    assert.deepEqual(p.log.errors, []);
  });
});

// The frames of a page at 60, 30, 20 and 15 frames a second (a wallpaper
// host's limit) on a clock that the test moves: each frame takes the steps
// due, so that a frame drawn t seconds after the first shows step
// 1 + floor(60 t + 1/4) (a quarter step early counts), and the last, at
// step 120, is ombrel-frames' frame 120 whatever the frame rate.
for (const fps of [60, 30, 20, 15]) {
  pageTest(`at ${fps} frames a second the scene moves 60 steps a second and shows ombrel-frames' frames`,
    async () => {
      const settings = { container: 'sphere', particles: 2050 };
      const frames = 120;
      await withPage('?' + new URLSearchParams({ ...settings, clock, frames }), async (p) => {
        await p.page.waitForFunction(() => window.ombrel, null, { timeout: 30000, polling: 50 });
        const seen = await p.page.evaluate((limit) => {
          if (limit < 60) window.wallpaperPropertyListener.applyGeneralProperties({ fps: limit });
          // Called after the page's own callback at each frame: the
          // frame's time and what it shows.
          window.seen = [];
          const see = (time) => {
            window.seen.push({ time, steps: window.ombrel.steps(), drawn: window.ombrel.framesDrawn() });
            requestAnimationFrame(see);
          };
          requestAnimationFrame(see);
          return window.seen.length;
        }, fps);
        assert.equal(seen, 0);
        await p.page.clock.runFor(2400);
        const frameLog = (await p.page.evaluate(() => window.seen))
          .filter((f, i, all) => f.drawn > (i ? all[i - 1].drawn : 0));
        const first = frameLog[0].time;
        for (const f of frameLog) {
          const expected = Math.min(frames, 1 + Math.floor(60 * (f.time - first) / 1000 + 0.25));
          assert.equal(f.steps, expected, `the frame at ${f.time - first} ms`);
        }
        const span = (frameLog.at(-1).time - first) / 1000;
        console.log(`${fps} frames/s: ${frameLog.length} frames to step ${frameLog.at(-1).steps} in ${span} s`);
        assert.ok(Math.abs(frameLog.length - 1 - span * fps) <= 2, `${frameLog.length} frames in ${span} s`);
        assert.equal(await stepsTaken(p.page), frames);
        assertNearNative(await canvasPixels(p.page), cachedNativeFrame(settings, frames),
          `step ${frames} at ${fps} frames a second`);
        assert.deepEqual(p.log.errors, []);
      }, { stoppedClock: true });
    });
}

pageTest('the sliders say their values in words; the canvas has a name, the page a description and a main part',
  async () => {
    await withPage('?particles=2050&permeability=5', async (p) => {
      await waitForFrames(p.page, 1);
      assert.equal(await p.page.getAttribute('#particles', 'aria-valuetext'), '2050 particles');
      assert.equal(await p.page.getAttribute('#permeability', 'aria-valuetext'),
        '5 strikes before a cell lets particles through');
      assert.equal(await p.page.getAttribute('#scale', 'aria-valuetext'), '100 % of the screen\'s resolution');
      await wake(p.page);
      await p.page.fill('#particles', '2');
      assert.equal(await p.page.getAttribute('#particles', 'aria-valuetext'), '450 particles');
      assert.equal(await p.page.getByRole('img', { name: /Ombrel/ }).count(), 1);
      // Everything the page shows lies in its main landmark.
      assert.equal(await p.page.getByRole('main').count(), 1);
      assert.deepEqual(await p.page.evaluate(() => Array.from(document.body.children, (e) => e.tagName)),
        ['MAIN', 'SCRIPT', 'SCRIPT']);
      assert.match(await p.page.getAttribute('meta[name=description]', 'content'), /particles/);
    });
  });

// Numbers outside what the panel offers are taken as before (particles
// beyond the 2100 that exist count as 2100) but said in the one warning, and
// the sliders say the value in use, not the one asked for.
pageTest('numbers outside the panel\'s range are said in the one warning; the slider says the value in use',
  async () => {
    const query = '?' + new URLSearchParams({ particles: 99999, permeability: 0, scale: 3, clock, frames: 1 });
    await withPage(query, async (p) => {
      await waitForSteps(p.page, 1);
      assert.equal(await settingsInForce(p.page),
        'container=cube&decay=1&regeneration=1&permeability=0&particles=2100');
      assert.equal(p.log.warnings.length, 1, p.log.warnings.join('\n'));
      assert.match(p.log.warnings[0], /address parameters: particles: 99999 is outside 50 to 2050, taken as 2100; /);
      assert.match(p.log.warnings[0], /permeability: 0 is outside 1 to 21, taken as 0; scale: 3 is outside/);
      assert.equal(await p.page.getAttribute('#particles', 'aria-valuetext'), '2100 particles');
      assert.equal(await p.page.inputValue('#particles'), '10');
      assert.equal(await p.page.getAttribute('#scale', 'aria-valuetext'), '100 % of the screen\'s resolution');
      // The same scene as ombrel-frames draws with those numbers.
      assertNearNative(await canvasPixels(p.page),
        cachedNativeFrame({ particles: 99999, permeability: 0 }, 1), 'particles 99999, permeability 0');
    });
  });

// What storage holds but the page cannot use is said, not dropped quietly.
for (const c of [
  { stored: 'not json {', warning: /stored settings: not JSON$/ },
  { stored: '[1, 2]', warning: /stored settings: no set of settings$/ },
  { stored: '{}', warning: /stored settings: no known setting$/ },
  { stored: '{"speed": "9", "container": 1}',
    warning: /stored settings: "speed": no setting of the page; "container": not a text value$/ },
  { stored: '{"particles": "5000", "scale": "0.5"}',
    warning: /stored settings: particles: 5000 is outside 50 to 2050, taken as 2100$/,
    settings: 'container=cube&decay=1&regeneration=1&permeability=10&particles=2100', canvas: [512, 384] },
]) {
  pageTest(`stored ${c.stored} gets the one warning`, async () => {
    const init = (stored) => {
      if (!sessionStorage.getItem('stored')) localStorage.setItem('ombrel.settings', stored);
      sessionStorage.setItem('stored', '1');
    };
    await withPage('', async (p) => {
      await waitForFrames(p.page, 1);
      assert.equal(p.log.warnings.length, 1, p.log.warnings.join('\n'));
      assert.match(p.log.warnings[0], c.warning);
      assert.equal(await settingsInForce(p.page),
        c.settings || 'container=cube&decay=1&regeneration=1&permeability=10&particles=250');
      if (c.canvas) assert.deepEqual(await p.page.evaluate(() => [canvas.width, canvas.height]), c.canvas);
      assert.deepEqual(p.log.errors, []);
    }, { init, initArg: c.stored });
  });
}
