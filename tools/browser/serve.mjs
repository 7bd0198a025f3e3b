// Serves a folder of the page on a free port of 127.0.0.1: for the browser
// tests, the screenshots and the frame-rate benchmark (serveFolder), and from
// the command line for scripts/run web:
//
//   node tools/browser/serve.mjs DIR
//       prints the address (http://127.0.0.1:PORT/) on one line once it
//       accepts connections, and serves DIR until it is killed.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json', '.png': 'image/png', '.json': 'application/json' };

// Serves the files of `dir` (no sub-folders). Returns { url, served, close };
// requests are counted in `served` by path.
export async function serveFolder(dir) {
  const served = {};
  const server = http.createServer((request, response) => {
    const name = new URL(request.url, 'http://127.0.0.1').pathname.replace(/^\/$/, '/index.html');
    const file = path.join(dir, path.basename(name));
    served[name] = (served[name] || 0) + 1;
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      response.end(data);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const url = `http://127.0.0.1:${server.address().port}/`;
  return {
    url,
    served,
    close: () => new Promise((resolve) => {
      server.close(resolve);
      server.closeAllConnections();  // the browser's kept-alive ones too
    }),
  };
}

// Run as a program rather than imported.
if (process.argv[1] && fs.realpathSync(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const dir = process.argv[2];
  if (process.argv.length !== 3 || !fs.statSync(dir, { throwIfNoEntry: false })?.isDirectory()) {
    console.error('usage: node tools/browser/serve.mjs DIR (a folder of the page)');
    process.exit(2);
  }
  console.log((await serveFolder(dir)).url);
}
