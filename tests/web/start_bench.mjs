// How long the page takes from opening to the question and to the first
// title card, answered at once (No), in Debian's headless chromium, where the
// time goes on the way, and how much it downloads; medians of several runs.
// Each run first opens a page of one line of text, served from this machine
// as well, in a browser of its own: its first paint is what the browser
// cannot do faster, and the show's page's first paint is given as a multiple
// of it.
//   node tests/web/start_bench.mjs <page url> <data dir> [runs] [reading ms] [pixel ratio] [settling ms]
// With a reading time the answer comes that long after the question is
// shown, as a viewer's would, rather than at once. With a pixel ratio of 2
// the 800 x 600 canvas is drawn at 1600 x 1200, from the finer pictures.
// With a settling time each browser is left that long after it starts before
// either page is opened, as a browser already running would be: a freshly
// started one is still loading its own parts, which share the machine with
// the page's first paint and make that time vary by half from run to run.
// The card counts as shown in the first frame that draws it faded in half-way
// or more (the page reports every frame to a test hook), and again on the
// first screenshot that matches it about as closely.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [url, dataDir, runsArg, readingArg, ratioArg, settlingArg] = process.argv.slice(2);
const runs = Number(runsArg || 5);
const readingMs = Number(readingArg || 0);
const ratio = Number(ratioArg || 1);
const settlingMs = Number(settlingArg || 0);
const settle = () => new Promise((resolve) => setTimeout(resolve, settlingMs));
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'mijotine-web-bench-'));
const ref = path.join(scratch, 'ref.png');
execFileSync('convert', [path.join(dataDir, 'mij1.jpg'), '-resize', `${800 * ratio}x${600 * ratio}!`, ref]);

function mae(file) {
  let out;
  try {
    out = execFileSync('compare', ['-metric', 'MAE', file, ref, 'null:'], { encoding: 'utf8', stdio: 'pipe' });
  } catch (e) {
    out = String(e.stderr);
  }
  return Number(/\(([0-9.e+-]+)\)/.exec(out)[1]);
}

// Installed before the page's own scripts: marks the moments that the page
// does not mark itself, times the uploads and the music's decoding, and keeps
// the page's frame reports.
function instrument() {
  const log = (window.benchLog = []);
  const mark = (what, extra) => log.push([what, performance.now(), extra]);
  let module = null;
  Object.defineProperty(window, 'Module', {
    configurable: true,
    get: () => module,
    set: (m) => {
      module = m;
      if (!m || m.benchWrapped) return;
      m.benchWrapped = true;
      const ready = m.onRuntimeInitialized;
      m.onRuntimeInitialized = function () {
        mark('runtime');
        if (ready) ready.apply(this, arguments);
      };
      // The show yields right after each frame; its own timer fires just
      // after this one, so 'resumed' is when the show goes on.
      m.onFrame = (note) => {
        mark('frame', note);
        setTimeout(() => mark('resumed'), 0);
      };
    },
  });
  const timed = (proto, name, what, big) => {
    const original = proto[name];
    proto[name] = function (...args) {
      const t = performance.now();
      const r = original.apply(this, args);
      if (!big || big(args)) {
        if (r && typeof r.then === 'function') r.then(() => mark(what, performance.now() - t), () => {});
        else mark(what, performance.now() - t);
      }
      return r;
    };
  };
  timed(WebGLRenderingContext.prototype, 'texImage2D', 'upload', (a) => a.length === 9 && a[3] * a[4] >= 128 * 128);
  if (window.BaseAudioContext) timed(BaseAudioContext.prototype, 'decodeAudioData', 'music decoded');
  if (window.SubtleCrypto) timed(SubtleCrypto.prototype, 'digest', 'digest');
}

const median = (xs) => {
  const s = xs.filter((x) => Number.isFinite(x)).sort((a, b) => a - b);
  if (!s.length) return NaN;
  return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
};
const rows = [];
const launch = (profile) => puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  userDataDir: path.join(scratch, profile),
  args: ['--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox',
    '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run'],
});
const firstPaint = (page) => page.waitForFunction(() => {
  const paint = performance.getEntriesByType('paint').find((p) => p.name === 'first-contentful-paint');
  return paint ? paint.startTime : null;
}, { polling: 50, timeout: 60000 }).then((h) => h.jsonValue());
const oneLine = http.createServer((request, response) => {
  response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' });
  response.end('<!doctype html><title>One line</title><p>One line of text.</p>');
});
await new Promise((resolve) => oneLine.listen(0, '127.0.0.1', resolve));

for (let run = 0; run < runs; ++run) {
  const plain = await launch(`plain${run}`);
  const plainPage = await plain.newPage();
  await plainPage.setViewport({ width: 800, height: 600, deviceScaleFactor: ratio });
  await settle();
  await plainPage.goto(`http://127.0.0.1:${oneLine.address().port}/`, { waitUntil: 'domcontentloaded' });
  const plainPaint = await firstPaint(plainPage);
  await plain.close();

  const browser = await launch(`profile${run}`);
  const page = await browser.newPage();
  await page.setViewport({ width: 800, height: 600, deviceScaleFactor: ratio });
  await page.evaluateOnNewDocument(instrument);
  await settle();
  const t0 = Date.now();
  await page.goto(url, { waitUntil: 'domcontentloaded' });
  await page.waitForSelector('#answer-no', { visible: true });
  const asked = Date.now() - t0;
  if (readingMs > 0) await new Promise((resolve) => setTimeout(resolve, readingMs));
  await page.click('#answer-no');
  const shot = path.join(scratch, 'shot.png');
  // The card is on the screen once it has faded in part of the way.
  for (;;) {
    await page.screenshot({ path: shot, clip: { x: 0, y: 0, width: 800, height: 600 } });
    if (mae(shot) < 0.2) break;
  }
  const seen = Date.now() - t0;
  // A screenshot may match a little before the frame the hook counts.
  await page.waitForFunction(() => window.benchLog.some((e) => e[0] === 'frame' && e[2].phase === 'intro' &&
    e[2].slot === 0 && e[2].level >= 0.5), { polling: 50, timeout: 60000 });
  const facts = await page.evaluate(() => {
    const resources = {};
    for (const r of performance.getEntriesByType('resource')) {
      const name = r.name.replace(/^.*\//, '').replace(/\?.*$/, '');
      resources[name] = { end: r.responseEnd, bytes: r.transferSize || r.encodedBodySize || 0 };
    }
    const nav = performance.getEntriesByType('navigation')[0];
    const paint = performance.getEntriesByType('paint').find((p) => p.name === 'first-contentful-paint');
    const marks = {};
    for (const m of performance.getEntriesByType('mark')) marks[m.name] = m.startTime;
    return { resources, page: nav ? nav.responseEnd : NaN, paint: paint ? paint.startTime : NaN, marks,
      log: window.benchLog };
  });
  await browser.close();

  // Navigation start is 0 on the page's clock.
  const frames = facts.log.filter((e) => e[0] === 'frame');
  const loading = frames.filter((e) => e[2].phase === 'loading');
  const intro = frames.filter((e) => e[2].phase === 'intro');
  const at = (what) => (facts.log.find((e) => e[0] === what) || [])[1];
  const firstLoading = loading.length ? loading[0][1] : NaN;
  const firstIntro = intro.length ? intro[0][1] : NaN;
  // The Intro's first frame shows the card at its full level for a moment
  // (its clock still at 0); the card counts once it has faded in half-way.
  const card = (intro.slice(1).find((e) => e[2].slot === 0 && e[2].level >= 0.5) || [])[1];
  // Between the first loading frame and the first Intro frame: the time the
  // show spends handing each frame to the browser and back, and the rest.
  let yielded = 0;
  for (let i = 0; i < facts.log.length - 1; ++i) {
    const e = facts.log[i];
    if (e[0] !== 'frame' || e[1] < firstLoading || e[1] >= firstIntro) continue;
    const next = facts.log.slice(i + 1).find((n) => n[0] === 'resumed');
    if (next) yielded += next[1] - e[1];
  }
  const uploads = facts.log.filter((e) => e[0] === 'upload' && e[1] >= firstLoading - 1 && e[1] <= firstIntro);
  const uploadMs = uploads.reduce((a, e) => a + e[2], 0);
  const music = facts.log.find((e) => e[0] === 'music decoded');
  const digests = facts.log.filter((e) => e[0] === 'digest');
  const bytes = Object.values(facts.resources).reduce((a, r) => a + r.bytes, 0);
  const row = {
    question: asked,
    'card (hook)': card,
    'card (screenshot)': seen,
    'page received': facts.page,
    'first paint (question, progress)': facts.paint,
    'a one-line page\'s first paint': plainPaint,
    'data received': (facts.resources['mijotine.data'] || {}).end,
    'finer data received': (facts.resources['mijotine-finer.data'] || {}).end,
    'wasm received': (facts.resources['mijotine.wasm'] || {}).end,
    'runtime ready': at('runtime'),
    'first loading frame': firstLoading,
    'first Intro frame': firstIntro,
    'loading frames': loading.length,
    'yielding frames (ms)': yielded,
    'uploads (ms)': uploadMs,
    'music decode (ms)': music ? music[2] : NaN,
    // Each file's digest, checked as it arrives (the longest of them).
    'longest digest (ms)': digests.length ? Math.max(...digests.map((e) => e[2])) : NaN,
    'loading screen to Intro (ms)': firstIntro - firstLoading,
    'Intro to card (ms)': card - firstIntro,
    'answer to card (ms)': card - (facts.marks['mijotine:answered'] ?? NaN),
    MiB: bytes / 1048576,
  };
  for (const [name, t] of Object.entries(facts.marks)) if (name.startsWith('mijotine:')) row[name.slice(9)] = t;
  rows.push(row);
  console.log(`run ${run + 1}: question after ${asked} ms, first paint after ${Math.round(facts.paint)} ms ` +
    `(a one-line page: ${Math.round(plainPaint)} ms), first title card after ${Math.round(card)} ms ` +
    `(screenshot: ${seen} ms), ${row.MiB.toFixed(2)} MiB downloaded`);
}
console.log(`\nmedians of ${runs} runs (ms from opening the page, unless named otherwise):`);
for (const key of Object.keys(rows[0])) {
  const m = median(rows.map((r) => r[key]));
  console.log(`  ${key.padEnd(30)} ${key === 'MiB' ? m.toFixed(2) : Math.round(m)}`);
}
const paints = median(rows.map((r) => r['first paint (question, progress)'])) /
  median(rows.map((r) => r['a one-line page\'s first paint']));
// Each run's pair of launches, one right after the other, meets the same
// moment of a busy machine: the median of their ratios drifts less.
const paired = median(rows.map((r) => r['first paint (question, progress)'] / r['a one-line page\'s first paint']));
console.log(`  the page's first paint is ${paints.toFixed(2)} times a one-line page's ` +
  `(run by run: ${paired.toFixed(2)} times)`);
oneLine.close();
fs.rmSync(scratch, { recursive: true, force: true });
