// Measures the web page in headless Chromium (Debian's): the size of the built files (and
// gzipped), the time from opening the page to its first picture, the share of a processor
// core a round of two computer players takes (the page's main thread, and every process of
// the browser), how many pictures the page showed against its animation frames, and the
// frame periods at WAIT 1, 2 and 10 (the pacing probe's page). Measures, asserts nothing.
//
//   bash scripts/web.sh --test-setup
//   node tools/web_probe.mjs build-web
import {readFileSync, readdirSync, rmSync, statSync} from 'node:fs';
import {join} from 'node:path';
import {gzipSync} from 'node:zlib';
import {launchChromium, press, readScript, serve, sleep, waitForPage} from '../tests/web/browser.mjs';

const build = process.argv[2];
if (!build) {
  console.error('usage: node tools/web_probe.mjs BUILD_FOLDER');
  process.exit(2);
}
const kStarts = 5;
const kRoundSeconds = 8;
const kCountdownMs = 4000;

function sizes() {
  for (const name of ['index.html', 'diraviru.js', 'diraviru.wasm']) {
    const bytes = readFileSync(join(build, name));
    console.log(`${name}: ${bytes.length} bytes, ${gzipSync(bytes, {level: 9}).length} gzipped`);
  }
}

// Processor time (user + system, in clock ticks) of a process and all its descendants.
function treeTicks(root) {
  const children = new Map();
  const ticks = new Map();
  for (const name of readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) continue;
    try {
      const stat = readFileSync(`/proc/${name}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      const parent = Number(fields[1]);
      if (!children.has(parent)) children.set(parent, []);
      children.get(parent).push(Number(name));
      ticks.set(Number(name), Number(fields[11]) + Number(fields[12]));
    } catch {
      // gone meanwhile
    }
  }
  let total = 0;
  const stack = [root];
  while (stack.length) {
    const pid = stack.pop();
    total += ticks.get(pid) || 0;
    stack.push(...(children.get(pid) || []));
  }
  return total;
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

async function firstPictures(browser, url) {
  const times = [];
  for (let i = 0; i < kStarts; ++i) {
    const page = await browser.newPage();
    await page.goto(url);
    await page.waitForFunction(() => window.firstPictureMs !== undefined);
    times.push(await page.evaluate(() => window.firstPictureMs));
    await page.close();
  }
  console.log(`first picture after opening the page: median ${median(times).toFixed(0)} ms ` +
              `(${times.map((t) => t.toFixed(0)).join(', ')})`);
}

// Plays the page's script up to the match's start, starts a round and watches it.
async function roundShare(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({width: 1280, height: 1000});
  await page.goto(url);
  for (const step of readScript()) {
    if (step.action === 'press') await press(page, step.name);
    if (step.action === 'see') {
      const failure = await waitForPage(page, step, build);
      if (failure) throw new Error(failure);
      if (step.name === 'match_start') break;
    }
  }
  await press(page, 'Enter');
  await sleep(kCountdownMs);
  await page.evaluate(() => {
    window.probe = {frames: 0, pictures: 0};
    const count = () => { window.probe.frames += 1; requestAnimationFrame(count); };
    requestAnimationFrame(count);
    const shown = Module.onPictureShown;
    Module.onPictureShown = (n) => { window.probe.pictures += 1; shown(n); };
  });
  const session = await page.createCDPSession();
  await session.send('Performance.enable');
  const task = async () => (await session.send('Performance.getMetrics')).metrics
                               .find((m) => m.name === 'TaskDuration').value;
  const pid = browser.process().pid;
  const taskBefore = await task();
  const ticksBefore = treeTicks(pid);
  const start = Date.now();
  await sleep(kRoundSeconds * 1000);
  const seconds = (Date.now() - start) / 1000;
  const mainThread = (await task()) - taskBefore;
  const ticks = treeTicks(pid) - ticksBefore;
  const counts = await page.evaluate(() => window.probe);
  console.log(`a round of two computer players, ${seconds.toFixed(1)} s: the page's main thread ` +
              `${(100 * mainThread / seconds).toFixed(1)}% of a core, all of the browser ` +
              `${(ticks / seconds).toFixed(1)}% (clock ticks of 10 ms); ` +
              `${counts.pictures} pictures shown in ${counts.frames} animation frames`);
  await page.close();
}

async function pacing(browser, url) {
  const page = await browser.newPage();
  const done = new Promise((resolve) => {
    page.on('console', (message) => {
      const text = message.text();
      if (text.startsWith('WAIT') || text.includes('probe')) console.log(text);
      if (text.includes('done')) resolve();
    });
  });
  await page.goto(url + 'web_pacing_probe.html');
  await done;
  await page.close();
}

async function main() {
  sizes();
  const server = await serve(build);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const {browser, profile} = await launchChromium();
  try {
    await firstPictures(browser, url);
    await roundShare(browser, url);
    if (statSync(join(build, 'web_pacing_probe.js'), {throwIfNoEntry: false})) {
      await pacing(browser, url);
    } else {
      console.log('frame periods: no web_pacing_probe.js in the build folder');
    }
  } finally {
    await browser.close();
    server.close();
    rmSync(profile, {recursive: true, force: true});
  }
}

// A failed run is one line saying what went wrong, and status 1.
main().catch((error) => {
  console.error(`web_probe: ${String(error.message || error).split('\n')[0]}`);
  process.exit(1);
});
