// The web build in a real browser: Debian's Chromium, headless, driven over the DevTools
// protocol (puppeteer-core). It serves the build folder on 127.0.0.1, opens the page with a
// fresh profile (no stored files) and plays tests/web/page_script.txt: keys pressed as a
// person would, and the canvas checked against the pages the desktop game shows for the same
// keys (page_script_test checks those against the desktop build). A reload in the script
// checks that the settings saved on the option screen are kept in the browser's storage.
//
//   node tests/web/browser_test.mjs BUILD_FOLDER
//
// On a page that does not come, a screenshot is left in the build folder. Ends with one line
// counting the checks that passed and failed.
import {execFileSync} from 'node:child_process';
import {mkdtempSync, readFileSync, rmSync} from 'node:fs';
import {createServer} from 'node:http';
import {tmpdir} from 'node:os';
import {dirname, extname, join, normalize} from 'node:path';
import {fileURLToPath} from 'node:url';
import puppeteer from 'puppeteer-core';

const here = dirname(fileURLToPath(import.meta.url));
const build = process.argv[2];
if (!build) {
  console.error('usage: node tests/web/browser_test.mjs BUILD_FOLDER');
  process.exit(2);
}

const kSeeTimeoutMs = 20000;
const kLookEveryMs = 40;
const kPressMs = 40;
const kAfterPressMs = 100;

// The script: [{action, name, value}], as page_script_test reads it.
function readScript() {
  const steps = [];
  for (const line of readFileSync(join(here, 'page_script.txt'), 'utf8').split('\n')) {
    if (line === '' || line.startsWith('#')) continue;
    const [action, name, hash] = line.trim().split(/\s+/);
    if (action === 'pause') steps.push({action, value: Number(name)});
    else if (action === 'see') steps.push({action, name, value: Number.parseInt(hash, 16) >>> 0});
    else steps.push({action, name});
  }
  return steps;
}

const kTypes = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm'};

// The build folder over HTTP on a free port of 127.0.0.1 (a page loads its .wasm by URL).
function serve(folder) {
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

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// FNV-1a (32 bits) of the canvas's bytes, as page_script_test hashes the desktop's page.
function canvasHash() {
  const canvas = document.getElementById('screen');
  const bytes = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
  let hash = 2166136261;
  for (let i = 0; i < bytes.length; ++i) hash = Math.imul(hash ^ bytes[i], 16777619);
  return hash >>> 0;
}

async function waitForPage(page, step) {
  const until = Date.now() + kSeeTimeoutMs;
  let seen = 0;
  while (Date.now() < until) {
    seen = await page.evaluate(canvasHash);
    if (seen === step.value) return null;
    await sleep(kLookEveryMs);
  }
  const picture = join(build, `browser_test_${step.name}.png`);
  await page.screenshot({path: picture});
  return `the page "${step.name}" did not come (the canvas shows 0x${seen.toString(16)}; ` +
         `screenshot ${picture})`;
}

async function main() {
  const steps = readScript();
  const server = await serve(build);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const profile = mkdtempSync(join(tmpdir(), 'diraviru-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromiumPath(),
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           `--user-data-dir=${profile}`],
  });
  let passed = 0;
  const failures = [];
  try {
    const page = await browser.newPage();
    await page.setViewport({width: 1280, height: 1000});
    page.on('pageerror', (error) => failures.push(`the page threw: ${error.message}`));
    page.on('console', (message) => console.log(`  page: ${message.text()}`));
    await page.goto(url);
    const firstPicture = await page.evaluate(() => window.firstPictureMs);
    for (let i = 0; i < steps.length && failures.length === 0; ++i) {
      const step = steps[i];
      const next = steps[i + 1];
      if (step.action === 'press') {
        await page.keyboard.press(step.name, {delay: kPressMs});
        await sleep(kAfterPressMs);
      } else if (step.action === 'pause') {
        if (next && next.action !== 'see') await sleep(step.value);
      } else if (step.action === 'see') {
        const failure = await waitForPage(page, step);
        if (failure) failures.push(failure);
        else {
          passed += 1;
          console.log(`saw ${step.name}`);
        }
      } else if (step.action === 'reload') {
        await page.reload();
      }
    }
    if (firstPicture !== undefined) console.log(`first picture ${firstPicture.toFixed(0)} ms after the page opened`);
  } finally {
    await browser.close();
    server.close();
    rmSync(profile, {recursive: true, force: true});
  }
  for (const failure of failures) console.error(`FAILED: ${failure}`);
  console.log(`browser: ${passed} passed, ${failures.length} failed`);
  process.exit(failures.length === 0 ? 0 : 1);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
