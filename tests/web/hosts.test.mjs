// The page where it runs beyond a plain visit, in Debian's Chromium,
// headless: as a wallpaper under fake Wallpaper Engine and Lively Wallpaper
// hosts, installed and offline, and keeping the screen on when asked.
//
//   OMBREL_PAGE_DIR=build/web OMBREL_NATIVE_BUILD=build/native node --test tests/web/hosts.test.mjs
//
// OMBREL_PAGE_DIR holds the page's files and the hosts' folders
// wallpaper-engine/ and lively/ (the build tree, or the release's zips
// unpacked so); OMBREL_NATIVE_BUILD the native build whose ombrel-frames
// renders the frames that the page's are compared with.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';
import { launchBrowser, openPage, readPng, waitForFrames, waitForSteps } from '../../tools/browser/browser.mjs';
import { serveFolder } from '../../tools/browser/serve.mjs';
import { canvasPixels, compareFrames, litPixels, nativeFrame, withinTolerance } from './frames.mjs';

const pageDir = process.env.OMBREL_PAGE_DIR;
const nativeBuild = process.env.OMBREL_NATIVE_BUILD;
assert.ok(pageDir && fs.existsSync(path.join(pageDir, 'index.html')), 'OMBREL_PAGE_DIR must hold the page');
assert.ok(nativeBuild && fs.existsSync(path.join(nativeBuild, 'tools', 'ombrel-frames')),
  'OMBREL_NATIVE_BUILD must hold a native build with tools/ombrel-frames');
const hostDirs = { engine: path.join(pageDir, 'wallpaper-engine'), lively: path.join(pageDir, 'lively') };
const readJson = (dir, name) => JSON.parse(fs.readFileSync(path.join(dir, name), 'utf8'));
const project = readJson(hostDirs.engine, 'project.json');
const livelyInfo = readJson(hostDirs.lively, 'LivelyInfo.json');
const livelyProperties = readJson(hostDirs.lively, 'LivelyProperties.json');

// The hosts open the page from its folder. A page that fetches ombrel.wasm
// beside it cannot run from file:// in Chromium; such a page is served over
// http instead, and from file:// once it no longer fetches it.
const opensFromFile = !fs.existsSync(path.join(hostDirs.engine, 'ombrel.wasm'));
const clock = 1700000000;
const frames = 60;
// What the visitor stored through the page's own panel, which no host's
// setting may overwrite.
const visitorSettings = JSON.stringify({ container: 'sphere', particles: '1050' });

const pageTest = (name, fn) => test(name, { timeout: 120000 }, fn);
let browser;
before(async () => { browser = await launchBrowser(); });
after(async () => { await browser?.close(); });

// Opens index.html?query from `dir` (from file:// or served, as above; or
// always served with `served`), with `init` run before the page's scripts,
// and runs `fn`; then closes the page and its server. With `stoppedClock`
// the page's time (its timers, its animation callbacks every 16 ms and their
// timestamps) stands still until the test moves it on with
// page.clock.runFor; such a page gets a browser of its own, whose context the
// clock belongs to.
async function withPage(dir, query, fn, { init, initArg, served = !opensFromFile, stoppedClock = false } = {}) {
  let server, page, own;
  try {
    let url = pathToFileURL(path.join(dir, 'index.html')).href;
    if (served) {
      server = await serveFolder(dir);
      url = server.url + 'index.html';
    }
    if (stoppedClock) own = await launchBrowser();
    let log;
    ({ page, log } = await openPage((own || browser).context));
    if (init) await page.addInitScript(init, initArg);
    if (stoppedClock) {
      await page.clock.install();
      await page.clock.pauseAt(Date.now() + 1000);
    }
    await page.goto(url + query);
    return await fn({ page, log, server });
  } finally {
    await page?.close();
    await server?.close();
    await own?.close();
  }
}

const settingsInForce = (page) => page.evaluate(() => window.Module.ccall('OmbrelSettings', 'string', [], []));
const framesDrawn = (page) => page.evaluate(() => window.ombrel.framesDrawn());
const stepsTaken = (page) => page.evaluate(() => window.ombrel.steps());
const storedSettings = (page) => page.evaluate(() => localStorage.getItem('ombrel.settings'));

// A setting's value (as the address writes it) in the host's terms: a choice
// by its value (Wallpaper Engine) or index (Lively), a flag as a boolean, a
// count as a number.
function hostValue(host, name, value) {
  const property = project.general.properties[name];
  if (property.type === 'combo') {
    return host === 'engine' ? value : property.options.findIndex((option) => option.value === value);
  }
  if (property.type === 'bool') return value !== 0 && value !== '0';
  return Number(value);
}

// Every property at its default in the host's files, with `settings` over them.
function fullSet(host, settings) {
  const properties = host === 'engine' ? project.general.properties : livelyProperties;
  const values = Object.fromEntries(Object.entries(properties).map(([name, p]) => [name, p.value]));
  for (const [name, value] of Object.entries(settings)) values[name] = hostValue(host, name, value);
  return values;
}

// A fake host, run before the page's scripts: it stores the visitor's
// settings, and as soon as the page defines its listener it calls it with
// every property, then with each of `changes` alone, as the hosts do once
// the page has loaded and when their panel changes; with `pausedAtLoad`
// Wallpaper Engine then pauses the wallpaper, as it does one that loads
// covered.
function fakeHost({ host, all, changes, stored, pausedAtLoad }) {
  localStorage.setItem('ombrel.settings', stored);
  const engine = host === 'engine';
  let listener;
  Object.defineProperty(window, engine ? 'wallpaperPropertyListener' : 'livelyPropertyListener', {
    configurable: true,
    get: () => listener,
    set(value) {
      listener = value;
      for (const values of [all, ...changes]) {
        if (engine) {
          listener.applyUserProperties(Object.fromEntries(Object.entries(values).map(([n, v]) => [n, { value: v }])));
        } else {
          for (const [name, value] of Object.entries(values)) listener(name, value);
        }
      }
      if (pausedAtLoad) listener.setPaused(true);
    },
  });
}

const nativeFrames = new Map();
function cachedNativeFrame(settings) {
  const key = JSON.stringify(settings);
  if (!nativeFrames.has(key)) nativeFrames.set(key, nativeFrame(nativeBuild, settings, clock, frames));
  return nativeFrames.get(key);
}

pageTest('the hosts\' files describe the settings table\'s settings, defaults and ranges', async () => {
  assert.equal(project.type, 'web');
  assert.equal(project.file, 'index.html');
  assert.equal(project.title, 'Ombrel');
  assert.equal(livelyInfo.Type, 1);
  assert.equal(livelyInfo.FileName, 'index.html');
  // Lively tells only a wallpaper started so when it pauses it.
  assert.equal(livelyInfo.Arguments, '--pause-event true');
  assert.equal(livelyInfo.License, 'MIT');
  for (const [dir, picture] of [[hostDirs.engine, project.preview], [hostDirs.lively, livelyInfo.Thumbnail]]) {
    const size = fs.statSync(path.join(dir, picture)).size;
    assert.ok(size > 1000 && size < 40000, `${picture}: ${size} bytes`);
  }
  const table = await withPage(pageDir, '?frames=1', async ({ page }) => {
    await waitForFrames(page, 1);
    return JSON.parse(await page.evaluate(() => window.Module.ccall('OmbrelSettingTable', 'string', [], [])));
  }, { served: true });
  const engine = project.general.properties;
  assert.deepEqual(Object.keys(engine), [...table.map((s) => s.name), 'scale']);
  assert.deepEqual(Object.keys(livelyProperties), [...table.map((s) => s.name), 'scale']);
  // The render scale, 0.25 to 1, as the page's ?scale= takes it.
  for (const p of [engine.scale, livelyProperties.scale]) {
    assert.deepEqual([p.type, p.min, p.max, p.step, p.value], ['slider', 0.25, 1, 0.05, 1]);
  }
  assert.deepEqual([engine.scale.fraction, engine.scale.order], [true, table.length]);
  const expected = { choice: ['combo', 'dropdown'], flag: ['bool', 'checkbox'], count: ['slider', 'slider'] };
  for (const setting of table) {
    const [e, l] = [engine[setting.name], livelyProperties[setting.name]];
    assert.deepEqual([e.type, l.type], expected[setting.kind], setting.name);
    if (setting.kind === 'choice') {
      assert.deepEqual(e.options, setting.choices.map((c) => ({ label: c.label, value: c.value })));
      assert.deepEqual(l.items, setting.choices.map((c) => c.label));
      assert.equal(e.value, setting.default);
      assert.equal(setting.choices[l.value].value, setting.default);
    } else if (setting.kind === 'flag') {
      assert.equal(e.value, setting.default === '1');
      assert.equal(l.value, setting.default === '1');
    } else {
      const ends = [setting.slider.valueAtFirst, setting.slider.valueAtFirst + 10 * setting.slider.step];
      for (const p of [e, l]) {
        assert.deepEqual([p.min, p.max, p.value], [Math.min(...ends), Math.max(...ends), Number(setting.default)]);
      }
    }
  }
});

// Each setting changed alone after the full set: the scene shows the native
// frame of the changed settings, not that of the full set, and the visitor's
// stored settings stay as they were.
const cases = [
  { base: { particles: 2050 }, change: { container: 'sphere' } },
  { base: { particles: 2050 }, change: { decay: 0 } },
  { base: { particles: 2050, permeability: 1 }, change: { regeneration: 0 } },
  { base: { particles: 2050 }, change: { permeability: 1 } },
  { base: { container: 'cube' }, change: { particles: 2050 } },
];
for (const host of ['engine', 'lively']) {
  for (const c of cases) {
    const [name] = Object.keys(c.change);
    pageTest(`${host} host: the full set, then ${name} alone, shows in the scene`, async () => {
      const setup = { host, all: fullSet(host, c.base), changes: [fullSetChange(host, c.change)],
        stored: visitorSettings };
      await withPage(hostDirs[host], '?' + new URLSearchParams({ clock, frames }), async ({ page, log }) => {
        await waitForSteps(page, frames, 60000);
        const shown = await canvasPixels(page);
        const changed = cachedNativeFrame({ ...c.base, ...c.change });
        const comparison = compareFrames(shown, changed);
        assert.ok(withinTolerance(comparison), `${name}: ${JSON.stringify(comparison)}`);
        assert.ok(!withinTolerance(compareFrames(shown, cachedNativeFrame(c.base))), 'the change shows');
        assert.equal(await storedSettings(page), visitorSettings);
        assert.ok(!(await page.isVisible('#panel')), 'the host\'s panel, not the page\'s');
        assert.deepEqual(log.warnings, []);
        assert.deepEqual(log.errors, []);
      }, { init: fakeHost, initArg: setup });
    });
  }
}

function fullSetChange(host, change) {
  const [[name, value]] = Object.entries(change);
  return { [name]: hostValue(host, name, value) };
}

// Lit pixels of a growing shell with few particles, then with many.
async function particlesGrow(page, setParticles) {
  await waitForFrames(page, 5);
  const few = litPixels(await canvasPixels(page));
  await setParticles();
  await waitForFrames(page, (await framesDrawn(page)) + 3);
  const many = litPixels(await canvasPixels(page));
  assert.ok(many > few * 2, `lit pixels ${few} with 50 particles, ${many} with 2050`);
}

pageTest('engine host: changes act on the running scene; bad properties warn once; an fps limit paces', async () => {
  const setup = { host: 'engine', all: fullSet('engine', { decay: 0, particles: 50 }), changes: [],
    stored: visitorSettings };
  await withPage(hostDirs.engine, '', async ({ page, log }) => {
    const call = (method, properties) => page.evaluate(([m, p]) => window.wallpaperPropertyListener[m](p),
      [method, properties]);
    await particlesGrow(page, () => call('applyUserProperties', { particles: { value: 2050 } }));
    const before = await settingsInForce(page);
    assert.equal(before, 'container=cube&decay=0&regeneration=1&permeability=10&particles=2050');
    await call('applyUserProperties', { bogus: { value: 1 }, container: { value: 'cone' }, decay: { value: 'yes' },
      particles: { value: 12.5 }, permeability: { value: -1 }, regeneration: 'on' });
    assert.equal(await settingsInForce(page), before);
    assert.equal(log.warnings.length, 1, log.warnings.join('\n'));
    for (const name of ['bogus', 'container', 'decay', 'particles', 'permeability', 'regeneration']) {
      assert.match(log.warnings[0], new RegExp(name));
    }
    assert.equal(await storedSettings(page), visitorSettings);

    const rate = async () => {
      const [start, at] = [await framesDrawn(page), Date.now()];
      await page.waitForTimeout(2000);
      return ((await framesDrawn(page)) - start) / ((Date.now() - at) / 1000);
    };
    await call('applyUserProperties', { particles: { value: 50 } });  // a rate the machine keeps up with
    await call('applyGeneralProperties', { fps: 5 });
    const limited = await rate();
    await call('applyGeneralProperties', { fps: 0 });
    const unlimited = await rate();
    console.log(`fps 5: ${limited.toFixed(1)} frames a second; no limit: ${unlimited.toFixed(1)}`);
    assert.ok(limited > 3 && limited < 5.6, `${limited} frames a second at a limit of 5`);
    assert.ok(unlimited > 8, `${unlimited} frames a second without the limit`);
    assert.deepEqual(log.errors, []);
  }, { init: fakeHost, initArg: setup });
});

pageTest('lively host: changes act on the running scene; each bad property warns once', async () => {
  const setup = { host: 'lively', all: fullSet('lively', { decay: 0, particles: 50 }), changes: [],
    stored: visitorSettings };
  await withPage(hostDirs.lively, '', async ({ page, log }) => {
    const call = (name, value) => page.evaluate(([n, v]) => window.livelyPropertyListener(n, v), [name, value]);
    await particlesGrow(page, () => call('particles', 2050));
    await call('container', 1);
    const before = await settingsInForce(page);
    assert.equal(before, 'container=sphere&decay=0&regeneration=1&permeability=10&particles=2050');
    const bad = [['bogus', 1], ['container', 2], ['container', 'sphere'], ['decay', 'true'], ['particles', '9']];
    for (const [name, value] of bad) await call(name, value);
    assert.equal(await settingsInForce(page), before);
    assert.equal(log.warnings.length, bad.length, log.warnings.join('\n'));
    bad.forEach(([name], i) => assert.match(log.warnings[i], new RegExp(name)));
    assert.equal(await storedSettings(page), visitorSettings);
    assert.deepEqual(log.errors, []);
  }, { init: fakeHost, initArg: setup });
});

// The hosts' pause on a clock that the test moves: paused, no frames at all
// and the picture kept; resumed, the next frame takes one step (a new grid,
// no jump for the time paused) and the frames go on at 60 steps a second.
const pauses = {
  engine: { pause: (page) => page.evaluate(() => window.wallpaperPropertyListener.setPaused(true)),
    resume: (page) => page.evaluate(() => window.wallpaperPropertyListener.setPaused(false)) },
  lively: { pause: (page) => page.evaluate(() => window.livelyWallpaperPlaybackChanged('{"IsPaused":true}')),
    resume: (page) => page.evaluate(() => window.livelyWallpaperPlaybackChanged('{"IsPaused":false}')) },
};
for (const host of ['engine', 'lively']) {
  pageTest(`${host} host: paused, the page draws nothing and keeps its picture; resumed, it goes on without a jump`,
    async () => {
      const setup = { host, all: fullSet(host, { particles: 2050 }), changes: [], stored: visitorSettings };
      await withPage(hostDirs[host], '', async ({ page, log }) => {
        await page.waitForFunction(() => window.ombrel, null, { timeout: 30000, polling: 50 });
        await page.clock.runFor(500);
        assert.ok(await stepsTaken(page) >= 25, 'it runs');
        await pauses[host].pause(page);
        const [steps, drawn] = [await stepsTaken(page), await framesDrawn(page)];
        const picture = await canvasPixels(page);
        await page.clock.runFor(2000);
        assert.deepEqual([await stepsTaken(page), await framesDrawn(page)], [steps, drawn], 'nothing while paused');
        assert.equal(compareFrames(picture, await canvasPixels(page)).differing, 0, 'the picture is kept');

        await pauses[host].resume(page);
        await page.clock.runFor(16);
        assert.deepEqual([await stepsTaken(page), await framesDrawn(page)], [steps + 1, drawn + 1],
          'one step at the first frame');
        await page.clock.runFor(1000);
        const after = (await stepsTaken(page)) - steps - 1;
        assert.ok(after >= 59 && after <= 61, `${after} steps in the second after`);
        // A call that is not the host's is said, and changes nothing.
        await page.evaluate((engine) => (engine ? window.wallpaperPropertyListener.setPaused('yes')
          : window.livelyWallpaperPlaybackChanged('paused')), host === 'engine');
        assert.equal(log.warnings.length, 1, log.warnings.join('\n'));
        assert.match(log.warnings[0], /Ombrel ignored (setPaused\("yes"\)|a playback change of "paused")/);
        await page.clock.runFor(100);
        assert.ok(await stepsTaken(page) > steps + after, 'still running');
        assert.deepEqual(log.errors, []);
      }, { init: fakeHost, initArg: setup, stoppedClock: true });
    });
}

pageTest('engine host: a wallpaper paused as it loads draws nothing until resumed', async () => {
  const setup = { host: 'engine', all: fullSet('engine', { particles: 50 }), changes: [], stored: visitorSettings,
    pausedAtLoad: true };
  await withPage(hostDirs.engine, '', async ({ page, log }) => {
    await page.waitForFunction(() => window.ombrel, null, { timeout: 30000, polling: 50 });
    await page.clock.runFor(1000);
    assert.equal(await framesDrawn(page), 0);
    await page.evaluate(() => window.wallpaperPropertyListener.setPaused(false));
    await page.clock.runFor(500);
    assert.ok(await framesDrawn(page) >= 25);
    assert.deepEqual(log.errors, []);
  }, { init: fakeHost, initArg: setup, stoppedClock: true });
});

// The render scale as a host property, and numbers outside what the host's
// sliders offer: taken as the page takes them from the address, and said.
pageTest('both hosts: the render scale acts at once; numbers outside the sliders are said', async () => {
  for (const host of ['engine', 'lively']) {
    const setup = { host, all: fullSet(host, {}), changes: [], stored: visitorSettings };
    await withPage(hostDirs[host], '', async ({ page, log }) => {
      const set = (name, value) => page.evaluate(([engine, n, v]) => (engine
        ? window.wallpaperPropertyListener.applyUserProperties({ [n]: { value: v } })
        : window.livelyPropertyListener(n, v)), [host === 'engine', name, value]);
      await waitForFrames(page, 2);
      assert.deepEqual(await page.evaluate(() => [canvas.width, canvas.height]), [1024, 768]);
      await set('scale', 0.5);
      await page.waitForFunction(() => canvas.width === 512 && canvas.height === 384, null, { timeout: 5000 });
      assert.deepEqual(log.warnings, []);
      await set('particles', 99999);
      await set('scale', 2);
      await page.waitForFunction(() => canvas.width === 1024, null, { timeout: 5000 });
      assert.equal(new URLSearchParams(await settingsInForce(page)).get('particles'), '2100');
      assert.equal(log.warnings.length, 2, log.warnings.join('\n'));
      assert.match(log.warnings[0], /wallpaper properties: particles: 99999 is outside 50 to 2050, taken as 2100$/);
      assert.match(log.warnings[1], /wallpaper properties: scale: 2 is outside 0.25 to 1, taken as 1$/);
      assert.equal(await storedSettings(page), visitorSettings);
      assert.deepEqual(log.errors, []);
    }, { init: fakeHost, initArg: setup });
  }
});

// Installable and offline, served over http://127.0.0.1 (a secure context).
pageTest('installable: the manifest and its icons, and no installability errors', async () => {
  const manifest = readJson(pageDir, 'manifest.webmanifest');
  assert.equal(manifest.display, 'fullscreen');
  assert.deepEqual([manifest.background_color, manifest.theme_color], ['#000000', '#000000']);
  assert.ok(manifest.name && manifest.short_name && manifest.start_url);
  for (const icon of manifest.icons) {
    const image = readPng(path.join(pageDir, icon.src));
    assert.equal(`${image.width}x${image.height}`, icon.sizes);
    assert.ok(litPixels(image) > 0.3 * image.width * image.height, `${icon.src} is drawn`);
  }
  assert.deepEqual(manifest.icons.map((icon) => icon.sizes), ['192x192', '512x512']);
  await withPage(pageDir, '', async ({ page, log }) => {
    await waitForFrames(page, 2);
    await page.evaluate(() => navigator.serviceWorker.ready);
    const cdp = await page.context().newCDPSession(page);
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors, []);
    assert.deepEqual(log.errors, []);
  }, { served: true });
});

pageTest('offline: after one visit the page reloads and draws with the network off', async () => {
  const version = livelyInfo.Desc.match(/Version (\S+)\.$/)[1];
  const otherHost = await serveFolder(pageDir);
  // An old release's cache, to be replaced, and another program's, to be kept.
  const init = () => {
    if (sessionStorage.getItem('caches-made')) return;
    sessionStorage.setItem('caches-made', '1');
    caches.open('ombrel-0.9.0');
    caches.open('someone-else');
  };
  try {
    await withPage(pageDir, '?particles=2050', async ({ page, log, server }) => {
      await waitForFrames(page, 2);
      await page.evaluate(() => navigator.serviceWorker.ready);
      // Something of another origin, which the worker must leave alone.
      await page.evaluate((url) => fetch(url + 'icon-192.png', { mode: 'no-cors' }).then(() => true), otherHost.url);
      await page.waitForFunction(() => caches.keys().then((k) => !k.includes('ombrel-0.9.0')), null,
        { timeout: 10000 });
      const cached = await page.evaluate(async () => {
        const names = await caches.keys();
        const kept = {};
        for (const name of names) kept[name] = (await (await caches.open(name)).keys()).map((r) => r.url);
        return kept;
      });
      assert.deepEqual(Object.keys(cached).sort(), [`ombrel-${version}`, 'someone-else']);
      const files = ['index.html', 'ombrel.js', 'manifest.webmanifest', 'icon-192.png', 'icon-512.png'];
      if (fs.existsSync(path.join(pageDir, 'ombrel.wasm'))) files.push('ombrel.wasm');
      assert.deepEqual(cached[`ombrel-${version}`].sort(), files.map((f) => server.url + f).sort());

      const served = { ...server.served };
      await page.context().setOffline(true);
      try {
        await page.reload();
        await waitForFrames(page, 5);
        assert.deepEqual(server.served, served, 'nothing more was asked of the server');
        assert.equal(new URLSearchParams(await settingsInForce(page)).get('particles'), '2050');
        assert.ok(litPixels(await canvasPixels(page)) > 0.02 * 1024 * 768, 'the scene is drawn');
      } finally {
        await page.context().setOffline(false);
      }
      assert.deepEqual(log.errors, []);
    }, { served: true, init });
  } finally {
    await otherHost.close();
  }
});

pageTest('from a file the page links no manifest and registers no worker', async () => {
  await withPage(pageDir, '', async ({ page, log }) => {
    await page.waitForLoadState('load');
    assert.equal(await page.evaluate(() => document.querySelectorAll('link[rel=manifest]').length), 0);
    assert.ok(!log.messages.some((m) => /service ?worker|manifest/i.test(m)), log.messages.join('\n'));
  }, { served: false });
});

// The wake lock, spied on: every lock the page asks for, and whether it was let go.
function spyOnWakeLock() {
  window.wakeLocks = [];
  const request = navigator.wakeLock.request.bind(navigator.wakeLock);
  navigator.wakeLock.request = async (type) => {
    const lock = await request(type);
    window.wakeLocks.push(lock);
    return lock;
  };
}
const locksHeld = (page) => page.evaluate(() => window.wakeLocks.map((lock) => !lock.released));

pageTest('the screen is kept on only when asked: awake=1 or the checkbox, again after hiding, let go when off',
  async () => {
    await withPage(pageDir, '', async ({ page }) => {
      await waitForFrames(page, 3);
      assert.equal(await page.isChecked('#awake'), false);
      assert.deepEqual(await locksHeld(page), [], 'off by default');
    }, { served: true, init: spyOnWakeLock });

    await withPage(pageDir, '?awake=1', async ({ page, log }) => {
      await waitForFrames(page, 3);
      await page.waitForFunction(() => window.wakeLocks.length === 1, null, { timeout: 5000 });
      assert.equal(await page.isChecked('#awake'), true);
      assert.deepEqual(await locksHeld(page), [true]);
      await page.mouse.move(30, 30);
      await page.uncheck('#awake');
      await page.waitForFunction(() => window.wakeLocks[0].released, null, { timeout: 5000 });
      assert.equal(await settingsInForce(page), 'container=cube&decay=1&regeneration=1&permeability=10&particles=250',
        'the checkbox is no scene setting');
      await page.check('#awake');
      await page.waitForFunction(() => window.wakeLocks.length === 2, null, { timeout: 5000 });
      assert.deepEqual(await locksHeld(page), [false, true]);
      // Hidden, the browser lets go of the lock; shown again, the page takes another.
      await page.evaluate(() => window.wakeLocks[1].release());
      await page.evaluate(() => document.dispatchEvent(new Event('visibilitychange')));
      await page.waitForFunction(() => window.wakeLocks.length === 3, null, { timeout: 5000 });
      assert.deepEqual(await locksHeld(page), [false, false, true]);
      assert.deepEqual(log.warnings, []);
      assert.deepEqual(log.errors, []);
    }, { served: true, init: spyOnWakeLock });

    // Where the browser offers no wake lock, there is no checkbox.
    await withPage(pageDir, '?awake=1', async ({ page, log }) => {
      await waitForFrames(page, 3);
      assert.equal(await page.locator('#awake').count(), 0);
      assert.deepEqual(log.errors, []);
    }, { served: true, init: () => { delete Navigator.prototype.wakeLock; } });
  });
