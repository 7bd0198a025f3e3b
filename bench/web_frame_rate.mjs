// The page's frame rate and what it costs in headless Chromium (WebGL 2 on
// SwiftShader, the software rasteriser), 2050 particles:
//
// - unpaced: ?bench=1, a frame on every animation callback, Chromium
//   without its frame-rate limit and vsync, so the callbacks come as fast
//   as the frames are drawn: how fast the page can draw (1024 x 768);
// - paced: as a visitor's page runs, at most 60 steps a second, on
//   Chromium's own 60 Hz callbacks: whether it keeps 60 (1024 x 768);
// - --power: the CPU time of all of Chromium's processes in a window of
//   1920 x 1080 (or --size WxH), at
//   60 and at 30 frames a second (Wallpaper Engine's frame-rate limit, set
//   through its hook as the host sets it) and at render scales 1 and 0.5,
//   the four taking turns for ROUNDS rounds, and a fifth that tells what
//   the browser's scaling costs: the pixels of scale 0.5 shown at their own
//   size in the corner of the window. Each runs ?clock=T&frames=F
//   and is measured from its 60th step to its last: 600 steps, 10 s of real
//   time at 60 steps a second. Its last picture is compared with
//   ombrel-frames' frame F at the size drawn (NATIVE_BUILD), which shows the
//   particles where they are at that step, whatever the frame rate and
//   scale.
//
// Each figure is measured over SECONDS of wall time after a warm-up, inside
// the page (performance.now and the frames it has drawn).
//
//   node bench/web_frame_rate.mjs [--unpaced] [PAGE_DIR...] [SECONDS]     (build/web, 10)
//   node bench/web_frame_rate.mjs --power [--size WxH] [PAGE_DIR] [NATIVE_BUILD] [ROUNDS]
//       (1920x1080, build/web, build/native, 2)
//
// Several folders (two builds of the page, say) are measured in one run,
// taking turns for each container, so that they share the machine's state;
// a folder named twice is measured twice. --unpaced leaves the paced figure out.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import { launchBrowser, openPage, waitForFrames, waitForSteps } from '../tools/browser/browser.mjs';
import { serveFolder } from '../tools/browser/serve.mjs';
import { canvasPixels, compareFrames, nativeFrame, withinTolerance } from '../tests/web/frames.mjs';

const args = process.argv.slice(2);
const unpacedOnly = args.includes('--unpaced');
const power = args.includes('--power');
const sizeAt = args.indexOf('--size');
const [windowWidth, windowHeight] = sizeAt >= 0 ? args.splice(sizeAt, 2)[1].split('x').map(Number) : [1920, 1080];
const numeric = (arg) => /^\d+(\.\d+)?$/.test(arg);
const pageDirs = args.filter((arg) => !numeric(arg) && !arg.startsWith('--'));
if (!pageDirs.length) pageDirs.push('build/web');

async function measure(pageDir, extraArgs, query, seconds) {
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

async function frameRates() {
  const seconds = Number(args.find(numeric) || 10);
  const unlimited = ['--disable-frame-rate-limit', '--disable-gpu-vsync'];
  for (const container of ['cube', 'sphere']) {
    const query = `?particles=2050&container=${container}`;
    for (const pageDir of pageDirs) {
      const unpaced = await measure(pageDir, unlimited, `${query}&bench=1`, seconds);
      const paced = unpacedOnly ? '' : `, paced ${(await measure(pageDir, [], query, seconds)).toFixed(1)} frames/s`;
      console.log(`${pageDirs.length > 1 ? pageDir + ' ' : ''}${container}: unpaced ${unpaced.toFixed(1)} frames/s` +
        `${paced} (2050 particles, 1024x768, ${seconds} s each)`);
    }
  }
}

// ---- --power ----

const clockTicks = Number(execFileSync('getconf', ['CLK_TCK'], { encoding: 'utf8' }));

// The CPU seconds used so far by every process below this one (Chromium's
// browser, GPU, renderer and helper processes), and by Chromium's GPU
// process alone (where SwiftShader draws the page's WebGL and composites
// the window).
function childrenCpuSeconds() {
  const stats = [];
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      // Fields after the command's closing parenthesis: state ppid ... utime(14) stime(15).
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      const gpu = fs.readFileSync(`/proc/${entry}/cmdline`, 'utf8').includes('--type=gpu-process');
      stats.push({ pid: Number(entry), ppid: Number(fields[1]), ticks: Number(fields[11]) + Number(fields[12]), gpu });
    } catch (e) {
      // The process ended meanwhile.
    }
  }
  const below = new Set([process.pid]);
  let grew = true;
  while (grew) {
    grew = false;
    for (const s of stats) {
      if (!below.has(s.pid) && below.has(s.ppid)) {
        below.add(s.pid);
        grew = true;
      }
    }
  }
  const chromium = stats.filter((s) => s.pid !== process.pid && below.has(s.pid));
  const seconds = (list) => list.reduce((sum, s) => sum + s.ticks, 0) / clockTicks;
  return { all: seconds(chromium), gpu: seconds(chromium.filter((s) => s.gpu)) };
}

const clock = 1700000000;
const warmSteps = 60, measuredSteps = 600;
const lastStep = warmSteps + measuredSteps;

// Wallpaper Engine's frame-rate limit, set as the host sets it once the page
// defines its listener.
function limitFrameRate(fps) {
  let listener;
  Object.defineProperty(window, 'wallpaperPropertyListener', {
    configurable: true,
    get: () => listener,
    set(value) {
      listener = value;
      listener.applyGeneralProperties({ fps });
    },
  });
}

async function measurePower(pageDir, { fps, scale, corner }) {
  const browser = await launchBrowser([], { viewport: { width: windowWidth, height: windowHeight } });
  const server = await serveFolder(pageDir);
  try {
    const { page, log } = await openPage(browser.context);
    if (fps < 60) await page.addInitScript(limitFrameRate, fps);
    await page.goto(server.url + '?' + new URLSearchParams({ particles: 2050, scale, clock, frames: lastStep }));
    if (corner) await page.addStyleTag({ content: `canvas { width: ${corner[0]}px; height: ${corner[1]}px; }` });
    await waitForSteps(page, warmSteps, 60000);
    const start = { cpu: childrenCpuSeconds(), wall: performance.now(),
      ...await page.evaluate(() => ({ steps: window.ombrel.steps(), frames: window.ombrel.framesDrawn() })) };
    await waitForSteps(page, lastStep, 60000);
    const end = { cpu: childrenCpuSeconds(), wall: performance.now(),
      ...await page.evaluate(() => ({ steps: window.ombrel.steps(), frames: window.ombrel.framesDrawn() })) };
    const seconds = (end.wall - start.wall) / 1000;
    return {
      seconds, load: os.loadavg()[0],
      canvas: await page.evaluate(() => `${canvas.width}x${canvas.height}`),
      cpu: (end.cpu.all - start.cpu.all) / seconds,
      gpuProcess: (end.cpu.gpu - start.cpu.gpu) / seconds,
      framesPerSecond: (end.frames - start.frames) / seconds,
      stepsPerSecond: (end.steps - start.steps) / seconds,
      picture: await drawnPixels(page),
      warnings: log.warnings.length + log.errors.length,
    };
  } finally {
    await browser.close();
    await server.close();
  }
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

async function powerFigures() {
  const pageDir = pageDirs[0];
  const nativeBuild = pageDirs[1] || 'build/native';
  const rounds = Number(args.find(numeric) || 2);
  const configs = [{ fps: 60, scale: 1 }, { fps: 30, scale: 1 }, { fps: 60, scale: 0.5 }, { fps: 30, scale: 0.5 },
    { fps: 60, scale: 1, corner: [windowWidth / 2, windowHeight / 2] }];
  const label = ({ scale, corner }) => corner ? `1, shown at ${corner.join('x')}` : String(scale);
  const runs = configs.map(() => []);
  for (let round = 0; round < rounds; ++round) {
    // The configurations take turns, in the opposite order every other round.
    const order = round % 2 ? [...configs.keys()].reverse() : [...configs.keys()];
    for (const i of order) {
      const run = await measurePower(pageDir, configs[i]);
      console.log(`round ${round + 1}: ${configs[i].fps} frames/s at scale ${label(configs[i])} (${run.canvas}): CPU ` +
        `${(run.cpu * 100).toFixed(1)} % (GPU process ${(run.gpuProcess * 100).toFixed(1)} %), ` +
        `${run.framesPerSecond.toFixed(1)} frames/s, ` +
        `${run.stepsPerSecond.toFixed(1)} steps/s, load average ${run.load.toFixed(2)}`);
      runs[i].push(run);
    }
  }
  const natives = new Map();
  const base = median(runs[0].map((r) => r.cpu));
  console.log(`\n| frame rate | scale | canvas | CPU (all of Chromium, % of a core) | of 60 at 1 | GPU process | ` +
    `frames/s | CPU a frame | steps/s | 600 steps took | step ${lastStep} against ombrel-frames |`);
  console.log('|---|---|---|---|---|---|---|---|---|---|---|');
  for (const [i, config] of configs.entries()) {
    const rs = runs[i];
    const size = rs[0].canvas;
    if (!natives.has(size)) natives.set(size, nativeFrame(nativeBuild, { particles: 2050 }, clock, lastStep, size));
    // The last round's last picture as drawn, before the browser scales it up.
    const comparison = compareFrames(rs.at(-1).picture, natives.get(size));
    const cpu = median(rs.map((r) => r.cpu));
    const frames = median(rs.map((r) => r.framesPerSecond)), steps = median(rs.map((r) => r.stepsPerSecond));
    const gpu = median(rs.map((r) => r.gpuProcess));
    console.log(`| ${config.fps} | ${label(config)} | ${size} | ${(cpu * 100).toFixed(1)} | ` +
      `${(cpu / base).toFixed(2)} | ${(gpu * 100).toFixed(1)} | ${frames.toFixed(1)} | ` +
      `${(cpu / frames * 1000).toFixed(1)} ms | ` +
      `${steps.toFixed(1)} | ${median(rs.map((r) => r.seconds)).toFixed(2)} s | ` +
      `${withinTolerance(comparison) ? 'the same' : 'differs'} ` +
      `(${(comparison.beyondShare * 100).toFixed(2)} % beyond 8 levels) |`);
  }
  console.log(`\nload average (1 min) during the runs: ${Math.min(...runs.flat().map((r) => r.load)).toFixed(2)} to ` +
    `${Math.max(...runs.flat().map((r) => r.load)).toFixed(2)}; ${rounds} rounds, medians; ` +
    `${runs.flat().reduce((n, r) => n + r.warnings, 0)} console warnings or errors`);
}

// The canvas's own pixels: a screenshot of the canvas (at the window's top
// left) scaled up by a whole factor without smoothing, every factor-th pixel
// of it.
async function drawnPixels(page) {
  await page.addStyleTag({ content: 'canvas { image-rendering: pixelated; }' });
  const shot = await canvasPixels(page);
  const [width, height, shown] = await page.evaluate(() => [canvas.width, canvas.height, canvas.clientWidth]);
  const factor = shown / width;
  const data = Buffer.alloc(width * height * 4);
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      const from = (y * factor * shot.width + x * factor) * 4;
      shot.data.copy(data, (y * width + x) * 4, from, from + 4);
    }
  }
  return { width, height, data };
}

if (power) await powerFigures();
else await frameRates();
