// Driving the page in Debian's Chromium, headless, with WebGL 2 on its
// software rasteriser: shared by the browser tests, the screenshots of
// scripts/run and scripts/readme-pictures, and the frame-rate benchmark.
// serve.mjs serves the page's folder to it.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';
import { PNG } from 'pngjs';

export const chromiumPath = process.env.OMBREL_CHROMIUM || '/usr/bin/chromium';

// Chromium with a fresh profile folder, removed again by close(). `extraArgs`
// go after the standard ones; `contextOptions` to Playwright's context (a
// device pixel ratio, say).
export async function launchBrowser(extraArgs = [], contextOptions = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'ombrel-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    viewport: { width: 1024, height: 768 },
    args: ['--no-sandbox', '--headless', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
      '--disable-quic', ...extraArgs],
    ...contextOptions,
  });
  return {
    context,
    async close() {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// A page that records its console messages and uncaught errors.
export async function openPage(context, url) {
  const page = await context.newPage();
  const log = { errors: [], warnings: [], messages: [] };
  page.on('console', (m) => {
    log.messages.push(`${m.type()}: ${m.text()}`);
    if (m.type() === 'error') log.errors.push(m.text());
    if (m.type() === 'warning') log.warnings.push(m.text());
  });
  page.on('pageerror', (e) => log.errors.push(String(e)));
  if (url) await page.goto(url);
  return { page, log };
}

// Waits (bounded) until the page has drawn at least `count` frames.
export async function waitForFrames(page, count, timeout = 30000) {
  await page.waitForFunction((n) => window.ombrel && window.ombrel.framesDrawn() >= n, count,
    { timeout, polling: 50 });
}

// Waits (bounded) until the page has taken at least `count` steps: until its
// canvas shows ombrel-frames' frame `count` or a later one.
export async function waitForSteps(page, count, timeout = 30000) {
  await page.waitForFunction((n) => window.ombrel && window.ombrel.steps() >= n, count, { timeout, polling: 50 });
}

// A screenshot decoded to { width, height, data } (RGBA bytes, top row first).
export async function screenshotPixels(page, options = {}) {
  return PNG.sync.read(await page.screenshot(options));
}

export function readPng(file) {
  return PNG.sync.read(fs.readFileSync(file));
}

export function writePng(file, image) {
  fs.writeFileSync(file, PNG.sync.write(image));
}
