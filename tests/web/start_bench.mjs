// How long the page takes from opening to the first title card, answered at
// once (No) in Debian's headless chromium, and how much it downloads.
//   node tests/web/start_bench.mjs <page url> <data dir> [runs]
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [url, dataDir, runsArg] = process.argv.slice(2);
const runs = Number(runsArg || 3);
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'mijotine-web-bench-'));
const ref = path.join(scratch, 'ref.png');
execFileSync('convert', [path.join(dataDir, 'mij1.jpg'), '-resize', '800x600!', ref]);

function mae(file) {
  let out;
  try {
    out = execFileSync('compare', ['-metric', 'MAE', file, ref, 'null:'], { encoding: 'utf8', stdio: 'pipe' });
  } catch (e) {
    out = String(e.stderr);
  }
  return Number(/\(([0-9.e+-]+)\)/.exec(out)[1]);
}

for (let run = 0; run < runs; ++run) {
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: path.join(scratch, `profile${run}`),
    args: ['--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox',
      '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run'],
  });
  const page = await browser.newPage();
  await page.setViewport({ width: 800, height: 600 });
  let bytes = 0;
  page.on('response', async (r) => {
    try { bytes += (await r.buffer()).length; } catch (e) { /* redirects carry no body */ }
  });
  const t0 = Date.now();
  await page.goto(url);
  await page.waitForSelector('#answer-no', { visible: true });
  const asked = Date.now() - t0;
  await page.click('#answer-no');
  const shot = path.join(scratch, 'shot.png');
  // The card is on the screen once it has faded in part of the way.
  for (;;) {
    await page.screenshot({ path: shot, clip: { x: 0, y: 0, width: 800, height: 600 } });
    if (mae(shot) < 0.2) break;
  }
  const card = Date.now() - t0;
  console.log(`run ${run + 1}: question after ${asked} ms, first title card after ${card} ms, ` +
    `${(bytes / 1048576).toFixed(2)} MiB downloaded`);
  await browser.close();
}
fs.rmSync(scratch, { recursive: true, force: true });
