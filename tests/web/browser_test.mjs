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
import {rmSync} from 'node:fs';
import {hideFor, launchChromium, press, readScript, serve, sleep, waitForEnding, waitForPage} from
    './browser.mjs';

const build = process.argv[2];
if (!build) {
  console.error('usage: node tests/web/browser_test.mjs BUILD_FOLDER');
  process.exit(2);
}

async function main() {
  const steps = readScript();
  const server = await serve(build);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const {browser, profile} = await launchChromium();
  let passed = 0;
  const failures = [];
  try {
    const page = await browser.newPage();
    await page.setViewport({width: 1280, height: 1000});
    page.on('pageerror', (error) => failures.push(`the page threw: ${error.message}`));
    page.on('console', (message) => console.log(`  page: ${message.text()}`));
    await page.goto(url);
    for (let i = 0; i < steps.length && failures.length === 0; ++i) {
      const step = steps[i];
      const next = steps[i + 1];
      if (step.action === 'press') {
        await press(page, step.name);
      } else if (step.action === 'pause') {
        if (next && next.action !== 'see') await sleep(step.value);
      } else if (step.action === 'see') {
        const failure = await waitForPage(page, step, build);
        if (failure) failures.push(failure);
        else {
          passed += 1;
          console.log(`saw ${step.name}`);
        }
      } else if (step.action === 'reload') {
        await page.reload();
      } else if (step.action === 'hide') {
        const failure = await hideFor(page, step.value);
        if (failure) failures.push(failure);
        else {
          passed += 1;
          console.log('the round stood still in a background tab');
        }
      } else if (step.action === 'ended') {
        const failure = await waitForEnding(page);
        if (failure) failures.push(failure);
        else {
          passed += 1;
          console.log('saw the ending');
        }
      }
    }
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
