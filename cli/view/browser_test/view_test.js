// The live page in a real browser: the carried scenario exported into a
// fresh folder, `scenario view` on it, headless Chromium pointing, reading,
// and watching the page follow edits of the sources.
//
//   node view_test.js SCENARIO_BINARY [SCREENSHOT.png]
//
// Exits 0 when every check passed, 1 at the first that failed, 77 when
// there is no browser or no driver to run it with.
'use strict';

const assert = require('node:assert/strict');
const { spawn, execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const CHROMIUM = '/usr/bin/chromium';
const WAIT_MS = 30000;  // a bound for each wait, not a timing

function skip(why) {
  console.log(`skipped: ${why}`);
  process.exit(77);
}

let puppeteer;
try {
  puppeteer = require('puppeteer-core');
} catch {
  skip('puppeteer-core is not installed (tools/setup runs npm ci)');
}
if (!fs.existsSync(CHROMIUM)) skip(`no browser at ${CHROMIUM}`);

const [scenario, screenshot] = process.argv.slice(2);
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'view-test-'));
const line = path.join(dir, 'Orvena_Lusco_linea.txt');
const train = path.join(dir, 'Orvena_Lusco_REG 4105-.txt');

// Replaces `from` by `to` in a source, as an editor saves: a new file
// renamed over the old one.
function edit(file, from, to) {
  const text = fs.readFileSync(file, 'latin1');
  assert.ok(text.includes(from), `${path.basename(file)} holds "${from}"`);
  fs.writeFileSync(file + '.swp', text.replace(from, to), 'latin1');
  fs.renameSync(file + '.swp', file);
}

function lineOf(file, start) {
  const lines = fs.readFileSync(file, 'latin1').split('\r\n');
  return lines.findIndex((l) => l.startsWith(start)) + 1;
}

async function startServer() {
  const server = spawn(scenario, ['view', line, train, '--route', 'Orvena_Lusco', '--train', 'REG 4105'],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  const url = await new Promise((resolve, reject) => {
    let out = '';
    server.stdout.on('data', (d) => {
      out += d;
      const m = out.match(/http:\/\/127\.0\.0\.1:\d+\//);
      if (m) resolve(m[0]);
    });
    server.on('exit', (code) => reject(new Error(`scenario view ended with ${code}: ${out}`)));
  });
  return { server, url };
}

async function main() {
  execFileSync(scenario, ['export', dir]);
  const { server, url } = await startServer();
  const profileDir = fs.mkdtempSync(path.join(os.tmpdir(), 'view-test-browser-'));
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: false,  // the flag below says it, as it is
    userDataDir: profileDir,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--window-size=1600,1200'],
  });
  try {
    const page = await browser.newPage();
    const problems = [];
    page.on('pageerror', (e) => problems.push(e.message));
    page.on('requestfailed', (r) => { if (!r.url().endsWith('/events')) problems.push(`${r.url()}: ${r.failure().errorText}`); });
    await page.setViewport({ width: 1600, height: 1200 });
    await page.goto(url);
    const text = async (sel) => page.$eval(sel, (e) => e.textContent);
    const waitText = (sel, pattern) => page.waitForFunction((s, p) => {
      const e = document.querySelector(s);
      return e && new RegExp(p).test(e.textContent);
    }, { timeout: WAIT_MS }, sel, pattern);

    // The summary, against the model.
    await waitText('#summary', '45 stations');
    const summary = await text('#summary');
    assert.match(summary, /45 stations/);
    assert.match(summary, /23 timed stops/);
    assert.match(summary, /179 signals/);
    await waitText('#live', '^live$');
    await page.waitForSelector('#drawing #profile');

    // Zoom in around chainage 29900 with the wheel, as a person would,
    // until a pixel is a few metres.
    const pointAt = (c) => page.evaluate((chainage) => {
      const r = document.querySelector('#profile').getBoundingClientRect();
      return { x: chainageToClientX(chainage), y: r.top + 150 };
    }, c);
    for (let i = 0; i < 25; ++i) {
      const p = await pointAt(29925);
      await page.mouse.move(p.x, p.y);
      await page.mouse.wheel({ deltaY: -120 });
      await page.waitForFunction(() => {
        const g = document.querySelector('#profile');
        return g && Number(g.dataset.from) === Math.round(page.from);
      }, { timeout: WAIT_MS });
    }
    const span = await page.evaluate(() => page.to - page.from);
    assert.ok(span < 2000, `zoomed in to ${span} m`);
    assert.match(await text('#window'), /^2\d\.\d\d – 3\d\.\d\d km$/);

    // The plan answers too: its point of 30500 m is cell 610.
    const onPlan = await page.evaluate(() => {
      const p = planPoint(30500);
      const m = p.g.getScreenCTM();
      return { x: m.a * p.x + m.c * p.y + m.e, y: m.b * p.x + m.d * p.y + m.f };
    });
    await page.mouse.move(onPlan.x, onPlan.y);
    await waitText('#inspector h2', 'Cell 610 ');

    // Point at chainage 29900 on the profile: cell 598, the signal at 29850.
    const at = await pointAt(29925);
    if (process.env.VIEW_TEST_DEBUG) console.log('pointing at', at);
    await page.evaluate(() => { window.notReloaded = true; });
    await page.mouse.move(at.x, at.y);
    await waitText('#inspector h2', 'Cell 598');
    assert.match(await text('#inspector h2'), /from 29900 m/);
    assert.equal(await text('#inspector .kind'), 'signal');
    await waitText('#inspector ul', 'aspects 42/11/');
    const signalLine = lineOf(train, 'segnale,   29850');
    const where = `${train}:${signalLine}`;
    const record = await page.$(`#inspector .record[data-where="${where}"]`);
    assert.ok(record, `the inspector names ${where}`);
    assert.match(await record.evaluate((e) => e.textContent), /segnale, {3}29850, {3}2, 4, 1/);
    // Clicking the record copies file:line.
    await record.click();
    assert.equal(await page.evaluate(() => document.body.dataset.copied), where);

    // Pin the cell, then change the signal's aspects in the source.
    await page.mouse.click(at.x, at.y);
    const drawings = [];
    page.on('request', (r) => { if (new URL(r.url()).pathname === '/drawing') drawings.push(r.url()); });
    const version = await page.evaluate(() => {
      document.querySelector('#plan-stations').kept = 'yes';  // a property: not part of the drawing
      return Number(document.querySelector('#drawing').dataset.version);
    });
    edit(train, 'segnale,   29850,   2, 4, 1', 'segnale,   29850,   2, 5, 3');
    await waitText('#inspector ul', 'aspects 52/31/');
    assert.equal(await page.evaluate(() => window.notReloaded), true, 'updated without a reload');
    await page.waitForFunction((v) => Number(document.querySelector('#drawing').dataset.version) > v,
      { timeout: WAIT_MS }, version);
    // The new drawing came with the save's event, and only what changed in
    // it was replaced.
    assert.deepEqual(drawings, [], 'no drawing fetched after the save');
    assert.equal(await page.$eval('#plan-stations', (e) => e.kept), 'yes', 'the stations stayed in place');

    // A broken station line: error 9 on its line, the drawing kept dimmed.
    const stationLine = lineOf(train, 'stazione,    3100');
    edit(train, 'stazione,    3100, 12,  400', 'stazione,    3100, 12,  450');
    await waitText('#banner', 'error 9');
    assert.match(await text('#banner'), new RegExp(`:${stationLine}:\\d+: error 9`));
    assert.match(await text('#problem-list'), new RegExp(`:${stationLine}:\\d+: error 9`));
    assert.equal(await page.$eval('#drawing', (e) => e.classList.contains('stale')), true);
    assert.match(await text('#summary'), /45 stations/);

    // Mended: the error goes.
    edit(train, 'stazione,    3100, 12,  450', 'stazione,    3100, 12,  400');
    await page.waitForFunction(() => document.querySelector('#banner').hidden, { timeout: WAIT_MS });
    assert.doesNotMatch(await text('#problem-list'), /error 9/);
    assert.equal(await page.$eval('#drawing', (e) => e.classList.contains('stale')), false);
    assert.equal(await page.evaluate(() => window.notReloaded), true, 'still the same page');

    // The keyboard zooms out around the middle; the cell stays inspected.
    await page.focus('#drawing');
    const before = await page.evaluate(() => page.to - page.from);
    for (let i = 0; i < 12; ++i) await page.keyboard.press('-');
    await page.waitForFunction((b) => {
      const g = document.querySelector('#profile');
      return page.to - page.from > 10 * b && g && Number(g.dataset.from) === Math.round(page.from);
    }, { timeout: WAIT_MS }, before);
    await waitText('#inspector h2', 'Cell 598');
    if (screenshot) await page.screenshot({ path: screenshot });
    assert.deepEqual(problems, []);

    // Ctrl-C ends the server cleanly.
    const ended = new Promise((resolve) => server.on('exit', (code, signal) => resolve({ code, signal })));
    server.kill('SIGINT');
    assert.deepEqual(await ended, { code: 0, signal: null });
  } catch (e) {
    if (process.env.VIEW_TEST_FAILURE_SHOT) await (await browser.pages())[1].screenshot({ path: process.env.VIEW_TEST_FAILURE_SHOT });
    throw e;
  } finally {
    await browser.close();
    if (server.exitCode === null) {
      const ended = new Promise((resolve) => server.on('exit', resolve));
      server.kill('SIGINT');
      await ended;
    }
    fs.rmSync(dir, { recursive: true, force: true });
    fs.rmSync(profileDir, { recursive: true, force: true });
  }
}

main().then(() => {
  console.log('1 passed, 0 failed');
}, (e) => {
  console.error(e);
  console.log('0 passed, 1 failed');
  process.exit(1);
});
