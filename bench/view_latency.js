// Save-to-drawn latency of `scenario view`: a source saved as editors save
// (a new file renamed over the old), until the page in headless Chromium
// has the new drawing on screen. Run by bench/view.sh.
//
//   node bench/view_latency.js SCENARIO LINE_SOURCE TRAIN_SOURCE NAME [SAVES]
//
// Prints one line: NAME, the median and the 95th percentile in ms, and the
// size of /state in bytes.
'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn } = require('node:child_process');
const puppeteer = require(path.join(__dirname, '../cli/view/browser_test/node_modules/puppeteer-core'));

const [scenario, line, train, name, savesArg] = process.argv.slice(2);
const saves = Number(savesArg || 50);

// The train source with its second speed limit 10 km/h lower, the line's
// width kept.
function slower(source) {
  const text = source.toString('latin1');
  const limits = [...text.matchAll(/^(velocita,\s*\d+,\s*)(\d+)/gm)];
  if (limits.length < 2) throw new Error('the train source has fewer than two speed limits');
  const m = limits[1];
  const speed = String(Number(m[2]) - 10).padStart(m[2].length);
  return Buffer.from(text.slice(0, m.index) + m[1] + speed + text.slice(m.index + m[0].length), 'latin1');
}

function percentile(sorted, p) {
  return sorted[Math.min(sorted.length - 1, Math.ceil(p * sorted.length) - 1)];
}

async function main() {
  const server = spawn(scenario, ['view', line, train, '--route', 'Bench', '--train', 'T'],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  const url = await new Promise((resolve) => {
    let out = '';
    server.stdout.on('data', (d) => {
      out += d;
      const m = out.match(/http:\/\/127\.0\.0\.1:\d+\//);
      if (m) resolve(m[0]);
    });
  });
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'view-bench-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: false, userDataDir: profile,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync', '--window-size=1600,1200'],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1600, height: 1200 });
    await page.goto(url);
    await page.waitForFunction(() => document.querySelector('#live').textContent === 'live' &&
      document.querySelector('#drawing').dataset.drawn, { timeout: 60000 });
    const stateBytes = await page.evaluate(async () => (await (await fetch('/state')).text()).length);
    const original = fs.readFileSync(train);
    const changed = slower(original);
    const latencies = [];
    for (let i = 0; i < saves; ++i) {
      const before = await page.evaluate(() => Number(document.body.dataset.version));
      // Every other save lowers a speed limit by 10 km/h: a change the
      // drawing shows, so that the page has something new to draw.
      const bytes = i % 2 === 0 ? changed : original;
      const t0 = Date.now();
      fs.writeFileSync(train + '.swp', bytes);
      fs.renameSync(train + '.swp', train);
      const handle = await page.waitForFunction((v) => {
        const d = document.querySelector('#drawing').dataset.drawn || '';
        const [version, at] = d.split('@');
        return Number(version) > v ? Number(at) : null;
      }, { timeout: 60000, polling: 'mutation' }, before);
      // The page stamps the clock once the frame with the new drawing is
      // done (layout and paint); how soon puppeteer sees the stamp adds
      // nothing.
      latencies.push((await handle.jsonValue()) - t0);
    }
    fs.writeFileSync(train, original);
    latencies.sort((a, b) => a - b);
    console.log(`${name.padEnd(16)} median ${percentile(latencies, 0.5).toFixed(1)} ms  p95 ${percentile(latencies, 0.95).toFixed(1)} ms  ` +
      `(${saves} saves)  /state ${stateBytes} bytes`);
  } finally {
    await browser.close();
    server.kill('SIGINT');
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

main().catch((e) => { console.error(e); process.exit(1); });
