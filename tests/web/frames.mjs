// Frames of the page set beside the frames that the native ombrel-frames
// renders with Mesa's OpenGL 1.1 for the same settings, calendar second and
// frame count.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { readPng, screenshotPixels } from '../../tools/browser/browser.mjs';

// How far a page frame may be from the native one. The two pictures come
// from different rasterisers (Chromium's SwiftShader through the GL 1.1
// layer, Mesa's llvmpipe through its own OpenGL 1.1) that may round colours,
// blend and filter the sprite's mipmaps a little differently, and place an
// edge pixel on the other side of a triangle's edge. So: no pixel more than
// kMaxLevels off in any channel except edge pixels, which are at most
// kEdgeShare of a 1024 x 768 picture. Edges grow with a picture's side and
// its pixels with the square of it, so a smaller picture of the same scene
// allows a larger share: twice as much at half the size. A wrong transform,
// colour, blend or texture moves whole sprites and cells and breaks both
// bounds at once.
export const kMaxLevels = 8;
export const kEdgeShare = 0.003;

// Per-pixel comparison of the RGB channels of two pictures of one size:
// the largest difference, and how many pixels differ at all and by more
// than kMaxLevels.
export function compareFrames(a, b) {
  if (a.width !== b.width || a.height !== b.height) {
    throw new Error(`sizes differ: ${a.width}x${a.height} and ${b.width}x${b.height}`);
  }
  const pixels = a.width * a.height;
  let maxDiff = 0, differing = 0, beyond = 0;
  for (let i = 0; i < pixels; ++i) {
    let diff = 0;
    for (let c = 0; c < 3; ++c) diff = Math.max(diff, Math.abs(a.data[i * 4 + c] - b.data[i * 4 + c]));
    if (diff > 0) ++differing;
    if (diff > kMaxLevels) ++beyond;
    maxDiff = Math.max(maxDiff, diff);
  }
  return { maxDiff, differing, beyond, pixels, beyondShare: beyond / pixels };
}

// The share of edge pixels allowed in a picture of `pixels`.
export function edgeShare(pixels) {
  return kEdgeShare * Math.max(1, Math.sqrt((1024 * 768) / pixels));
}

export function withinTolerance(comparison) {
  return comparison.beyondShare <= edgeShare(comparison.pixels);
}

// The native frame F of `settings` (an object of parameters) at clock T.
export function nativeFrame(nativeBuild, settings, clock, frames, size = '1024x768') {
  const tool = path.join(nativeBuild, 'tools', 'ombrel-frames');
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'ombrel-native-'));
  try {
    const args = Object.entries(settings).flatMap(([name, value]) => [`--${name}`, String(value)]);
    execFileSync(tool, [...args, '--clock', String(clock), '--frames', String(frames), '--every', String(frames),
      '--size', size, '--out', out], { stdio: ['ignore', 'ignore', 'inherit'], timeout: 120000 });
    return readPng(path.join(out, `frame-${String(frames).padStart(6, '0')}.png`));
  } finally {
    fs.rmSync(out, { recursive: true, force: true });
  }
}

// The canvas of a page that has drawn its last frame, without the panel and
// the frame-rate display over it.
export async function canvasPixels(page) {
  await page.addStyleTag({ content: '#panel, #fps { visibility: hidden !important; }' });
  return screenshotPixels(page);
}

export function litPixels(image, threshold = 40) {
  let lit = 0;
  for (let i = 0; i < image.width * image.height; ++i) {
    if (Math.max(image.data[i * 4], image.data[i * 4 + 1], image.data[i * 4 + 2]) > threshold) ++lit;
  }
  return lit;
}

// The smallest rectangle holding every lit pixel.
export function litBox(image, threshold = 40) {
  let left = image.width, right = -1, top = image.height, bottom = -1;
  for (let y = 0; y < image.height; ++y) {
    for (let x = 0; x < image.width; ++x) {
      const i = (y * image.width + x) * 4;
      if (Math.max(image.data[i], image.data[i + 1], image.data[i + 2]) <= threshold) continue;
      left = Math.min(left, x); right = Math.max(right, x);
      top = Math.min(top, y); bottom = Math.max(bottom, y);
    }
  }
  return { left, right, top, bottom, width: right - left + 1, height: bottom - top + 1 };
}
