// What the browser test and the web probe share: the page's script, the build folder served
// over HTTP, Debian's Chromium driven by puppeteer-core, and the canvas's hash.
import {execFileSync} from 'node:child_process';
import {mkdtempSync, readFileSync} from 'node:fs';
import {createServer} from 'node:http';
import {tmpdir} from 'node:os';
import {dirname, extname, join, normalize} from 'node:path';
import {fileURLToPath} from 'node:url';
import puppeteer from 'puppeteer-core';

const here = dirname(fileURLToPath(import.meta.url));

// The script: [{action, name, value}], as page_script_test reads it.
export function readScript() {
  const steps = [];
  for (const line of readFileSync(join(here, 'page_script.txt'), 'utf8').split('\n')) {
    if (line === '' || line.startsWith('#')) continue;
    const [action, name, hash] = line.trim().split(/\s+/);
    if (action === 'pause' || action === 'hide') steps.push({action, value: Number(name)});
    else if (action === 'see') steps.push({action, name, value: Number.parseInt(hash, 16) >>> 0});
    else steps.push({action, name});
  }
  return steps;
}

const kTypes = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm'};

// The build folder over HTTP on a free port of 127.0.0.1 (a page loads its .wasm by URL).
export function serve(folder) {
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    const file = join(folder, path === '/' ? 'index.html' : path);
    try {
      const body = readFileSync(file);
      response.writeHead(200, {'Content-Type': kTypes[extname(file)] || 'application/octet-stream'});
      response.end(body);
    } catch {
      response.writeHead(404);
      response.end();
    }
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function chromiumPath() {
  if (process.env.CHROMIUM) return process.env.CHROMIUM;
  return execFileSync('sh', ['-c', 'command -v chromium'], {encoding: 'utf8'}).trim();
}

// Debian's Chromium, headless, with a fresh profile (no stored files): {browser, profile}.
// The caller closes the browser and removes the profile's folder.
export async function launchChromium() {
  const profile = mkdtempSync(join(tmpdir(), 'diraviru-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromiumPath(),
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           `--user-data-dir=${profile}`],
  });
  return {browser, profile};
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// FNV-1a (32 bits) of the canvas's bytes, as page_script_test hashes the desktop's page.
export function canvasHash() {
  const canvas = document.getElementById('screen');
  const bytes = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
  let hash = 2166136261;
  for (let i = 0; i < bytes.length; ++i) hash = Math.imul(hash ^ bytes[i], 16777619);
  return hash >>> 0;
}


const kSeeTimeoutMs = 20000;
const kLookEveryMs = 40;
const kPressMs = 40;
const kAfterPressMs = 100;
const kSettleMs = 300;

// Waits until the canvas shows the page of a `see` step: null, or why not (a screenshot is
// left in `folder`).
export async function waitForPage(page, step, folder) {
  const until = Date.now() + kSeeTimeoutMs;
  let seen = 0;
  while (Date.now() < until) {
    seen = await page.evaluate(canvasHash);
    if (seen === step.value) return null;
    await sleep(kLookEveryMs);
  }
  const picture = join(folder, `browser_test_${step.name}.png`);
  await page.screenshot({path: picture});
  return `the page "${step.name}" did not come (the canvas shows 0x${seen.toString(16)}; ` +
         `screenshot ${picture})`;
}

// Waits until the page says the game has ended: null, or why not.
export async function waitForEnding(page) {
  try {
    await page.waitForSelector('#ending.shown', {timeout: kSeeTimeoutMs});
    return null;
  } catch {
    return 'the page did not say that the game had ended';
  }
}

// The tab put in the background for `ms` (the page is told so as a browser tells it) and
// brought back: null when the canvas stood still meanwhile, or what changed.
export async function hideFor(page, ms) {
  const setHidden = (hidden) => {
    Object.defineProperty(document, 'hidden', {configurable: true, get: () => hidden});
    document.dispatchEvent(new Event('visibilitychange'));
  };
  await page.evaluate(setHidden, true);
  await sleep(kSettleMs);  // a picture already on its way may still be drawn
  const before = await page.evaluate(canvasHash);
  await sleep(ms);
  const after = await page.evaluate(canvasHash);
  await page.evaluate(setHidden, false);
  return before === after ? null : 'the game went on in a background tab';
}

// A key pressed as a person would, by its KeyboardEvent.code.
export async function press(page, code) {
  await page.keyboard.press(code, {delay: kPressMs});
  await sleep(kAfterPressMs);
}
