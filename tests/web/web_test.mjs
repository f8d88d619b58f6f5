// The show in its web page, driven in Debian's headless chromium: the
// question and its three answers, the first title card, a slide, a slide change in mid-wipe, the
// next button (clicked through the scaled canvas), the scroll text in the
// show's own font, a closing card, the music's fades read from the page's
// Web Audio, and a console free of errors.
//   node web_test.mjs <page url> <data dir> <scratch dir>
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [url, dataDir, scratch] = process.argv.slice(2);
const CAPTION = 'Mijotine - Issue 1 - In the kitchen with Stovecraft';
// A window wider than the show's shape: the canvas is scaled by 1.25 to
// 1000 x 750 and centred, 50 pixels from the left.
const VIEW = { width: 1100, height: 750 };
const t0 = Date.now();
const note = (text) => console.log(`[web] ${((Date.now() - t0) / 1000).toFixed(1).padStart(5)} ${text}`);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const problems = [];

function fail(text) {
  throw new Error(text);
}

// ImageMagick does the picture arithmetic, as in the desktop tests.
function magick(tool, args) {
  return execFileSync(tool, args, { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] }).trim();
}
function mae(a, b, area) {
  let out;
  try {
    out = execFileSync('compare', ['-metric', 'MAE', `${a}[${area}]`, `${b}[${area}]`, 'null:'],
      { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
  } catch (e) {
    out = String(e.stderr);  // compare exits 1 when the pictures differ
  }
  const m = /\(([0-9.e+-]+)\)/.exec(out);
  if (!m) fail(`compare gave no figure: ${out}`);
  return Number(m[1]);
}
// Mean over the area of the smaller of the two differences: small when every
// pixel comes from one picture or the other.
function eitherMae(shot, a, b, area) {
  return Number(magick('convert', [
    '(', `${shot}[${area}]`, `${a}[${area}]`, '-compose', 'difference', '-composite', ')',
    '(', `${shot}[${area}]`, `${b}[${area}]`, '-compose', 'difference', '-composite', ')',
    '-compose', 'darken', '-composite', '-colorspace', 'gray', '-format', '%[fx:mean]', 'info:']));
}
function darkness(file, area) {
  return Number(magick('convert', [`${file}[${area}]`, '-colorspace', 'gray', '-threshold', '35%', '-negate',
    '-format', '%[fx:mean]', 'info:']));
}
function reference(name) {
  const out = path.join(scratch, `ref-${name}.png`);
  if (!fs.existsSync(out)) magick('convert', [path.join(dataDir, name), '-resize', '800x600!', out]);
  return out;
}

// The readings of a fade on its way (gain between 0.05 and 0.95): how many,
// the straight line's slope through them (gain per second of audio time), and
// whether any reading went against the fade's direction.
function fade(log) {
  const on = log.filter((s) => s[1] > 0.05 && s[1] < 0.95);
  const n = on.length;
  if (n < 2) return { n, slope: 0, backwards: false };
  const mt = on.reduce((a, s) => a + s[0], 0) / n, mv = on.reduce((a, s) => a + s[1], 0) / n;
  const slope = on.reduce((a, s) => a + (s[0] - mt) * (s[1] - mv), 0) / on.reduce((a, s) => a + (s[0] - mt) ** 2, 0);
  const backwards = on.some((s, i) => i > 0 && Math.sign(s[1] - on[i - 1][1]) === -Math.sign(slope) &&
    Math.abs(s[1] - on[i - 1][1]) > 1e-6);
  return { n, slope, backwards };
}

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  userDataDir: path.join(scratch, 'profile'),
  args: ['--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox',
    '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
    `--window-size=${VIEW.width},${VIEW.height}`],
  protocolTimeout: 120000,
});
let shots = 0;
try {
  // Cancel (by its key): no show, no sound, a quiet page that says so.
  // Yes: the page goes full screen and its sound starts with that click.
  for (const [answer, act] of [['Cancel', (p) => p.keyboard.press('c')], ['Yes', (p) => p.click('#answer-yes')]]) {
    const other = await browser.newPage();
    const errors = [];
    other.on('pageerror', (e) => errors.push(String(e && e.message ? e.message : e)));
    await other.goto(url, { waitUntil: 'load', timeout: 120000 });
    await other.waitForSelector('#answer-yes', { visible: true, timeout: 60000 });
    await act(other);
    const state = await other.waitForFunction((a) => {
      const s = {
        status: document.getElementById('status').textContent,
        canvas: getComputedStyle(document.getElementById('canvas')).visibility,
        fullscreen: !!document.fullscreenElement,
        audio: Module.audioContext ? Module.audioContext.state : 'none',
        ended: Module.showEnded ? Module.showEnded.status : null,
      };
      if (a === 'Cancel' && s.ended !== null) return s;
      if (a === 'Yes' && s.fullscreen && s.audio === 'running') return s;
      return null;
    }, { timeout: 120000, polling: 100 }, answer).then((h) => h.jsonValue()).catch(() => null);
    if (!state) fail(`after ${answer} the page never settled`);
    note(`${answer}: ${JSON.stringify(state)}`);
    if (answer === 'Cancel' && (state.status !== 'The show was not run.' || state.canvas !== 'hidden' ||
        state.audio !== 'none' || state.ended !== 0 || state.fullscreen))
      fail(`Cancel did not leave a quiet page: ${JSON.stringify(state)}`);
    if (errors.length) fail(`after ${answer}: ${errors.join('; ')}`);
    await other.close();
  }

  const page = await browser.newPage();
  await page.setViewport({ ...VIEW, deviceScaleFactor: 1 });
  page.on('console', (m) => {
    if (m.type() === 'error') problems.push(`console error: ${m.text()}`);
  });
  page.on('pageerror', (e) => problems.push(`page error: ${e && e.message ? e.message : e}`));
  page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()}`));
  page.on('response', (r) => { if (r.status() >= 400) problems.push(`HTTP ${r.status()}: ${r.url()}`); });

  // The show's canvas in page pixels, and a screenshot of it in show pixels.
  const canvasBox = async () => page.$eval('#canvas', (c) => {
    const r = c.getBoundingClientRect();
    return { x: r.left, y: r.top, width: r.width, height: r.height };
  });
  let box = null;
  async function shot(name) {
    const file = path.join(scratch, `${name}.png`);
    const raw = path.join(scratch, 'raw.png');
    await page.screenshot({ path: raw, clip: box });
    magick('convert', [raw, '-resize', '800x600!', file]);
    shots += 1;
    return file;
  }
  async function waitMatch(name, ref, area, limit, seconds, what) {
    const deadline = Date.now() + seconds * 1000;
    let v;
    for (;;) {
      const file = await shot(name);
      v = mae(file, ref, area);
      if (v < limit) return v;
      if (Date.now() > deadline) fail(`${what} (MAE ${v} against ${path.basename(ref)})`);
      await sleep(200);
    }
  }
  async function until(what, seconds, test) {
    const deadline = Date.now() + seconds * 1000;
    for (;;) {
      const v = await page.evaluate(test);
      if (v) return v;
      if (Date.now() > deadline) fail(`${what} within ${seconds} s`);
      await sleep(100);
    }
  }
  const showPoint = (x, y) => ({ x: box.x + (x * box.width) / 800, y: box.y + (y * box.height) / 600 });

  await page.goto(url, { waitUntil: 'load', timeout: 120000 });
  // The page keeps a log of the music's gain, read every 40 ms.
  await page.evaluate(() => {
    window.gainLog = [];
    setInterval(() => {
      const m = window.Module && Module.music;
      if (m) window.gainLog.push([m.context.currentTime, m.gain.gain.value]);
    }, 40);
  });

  // The question, as the page's own dialog.
  await page.waitForSelector('#question', { visible: true, timeout: 60000 });
  const asked = await page.evaluate(() => [document.getElementById('question-title').textContent,
    document.getElementById('question-text').textContent, document.title,
    [...document.querySelectorAll('#question button')].map((b) => b.textContent)]);
  if (asked[0] !== 'Mijotine!' || asked[1] !== 'Run in fullscreen mode? (Cancel means no run)')
    fail(`the question reads ${JSON.stringify(asked.slice(0, 2))}`);
  if (asked[2] !== CAPTION) fail(`the page's title is '${asked[2]}'`);
  if (asked[3].join(',') !== 'Yes,No,Cancel') fail(`the answers are ${asked[3]}`);
  await page.click('#answer-no');
  box = await canvasBox();
  if (Math.abs(box.width - 1000) > 1 || Math.abs(box.height - 750) > 1 || Math.abs(box.x - 50) > 1)
    fail(`the canvas is not scaled to fit and centred: ${JSON.stringify(box)}`);
  note(`answered No; canvas at ${JSON.stringify(box)}`);

  // The first title card, and the music starting with a fade-in.
  const intro = await waitMatch('intro', reference('mij1.jpg'), '800x600+0+0', 0.03, 180,
    'the first title card never showed');
  note(`first title card: MAE ${intro}`);
  await until('the AudioContext did not run', 30, () => Module.music && Module.music.context.state === 'running');
  const risen = await until('the music did not reach full level', 30, () => {
    const log = window.gainLog;
    return log.length && log[log.length - 1][1] >= 0.999 ? log : null;
  });
  const rise = fade(risen);
  note(`fade-in: ${rise.n} readings on the way, ${rise.slope.toFixed(3)} per second of audio time`);
  if (rise.n < 5) fail(`the gain jumped instead of fading in (${rise.n} readings on the way)`);
  if (rise.backwards) fail('the gain fell during the fade-in');
  if (Math.abs(rise.slope - 1 / 2.5) > 0.2 / 2.5) fail(`the fade-in rises at ${rise.slope} per second, expected 0.4 (2.5 s)`);

  // Right ends the Intro: the first slide.
  const SKY = '560x240+220+10';  // upper right of a slide, away from the chef, captions and buttons
  await page.keyboard.press('ArrowRight');
  const slide = await waitMatch('slide', reference('mij4.jpg'), SKY, 0.04, 30, 'the first slide never showed');
  note(`first slide: MAE ${slide}`);
  // The page does not scroll for the arrow keys.
  const scrolled = await page.evaluate(() => [window.scrollX, window.scrollY]);
  if (scrolled[0] || scrolled[1]) fail(`the page scrolled to ${scrolled}`);

  // Right again: the wipe from slide 4 to slide 5, caught on its way. The
  // page keeps a small copy of every frame the show draws for the next three
  // seconds, so that a slow machine cannot step over the wipe between two
  // screenshots.
  await sleep(500);
  await page.evaluate(() => {
    window.drawnFrames = [];
    const until = performance.now() + 3000;
    Module.onFrame = () => {
      if (performance.now() > until) return;
      const copy = document.createElement('canvas');
      copy.width = 400;
      copy.height = 300;
      copy.getContext('2d').drawImage(Module.canvas, 0, 0, 400, 300);
      window.drawnFrames.push(copy);
    };
  });
  await page.keyboard.press('ArrowRight');
  await sleep(3500);
  const frames = await page.evaluate(() => {
    Module.onFrame = null;
    const all = window.drawnFrames;
    const step = Math.max(1, Math.floor(all.length / 12));
    return { count: all.length, picked: all.filter((_, i) => i % step === 0).map((c) => c.toDataURL('image/png')) };
  });
  const HALF_SKY = '280x120+110+5';
  const halfRef = (ref) => {
    const out = ref.replace(/\.png$/, '-half.png');
    if (!fs.existsSync(out)) magick('convert', [ref, '-resize', '400x300!', out]);
    return out;
  };
  const from = reference('mij4.jpg'), to = reference('mij5.jpg');
  let wipe = null;
  for (let i = 0; i < frames.picked.length && !wipe; ++i) {
    const file = path.join(scratch, `wipe${i}.png`);
    fs.writeFileSync(file, Buffer.from(frames.picked[i].split(',')[1], 'base64'));
    const a = mae(file, halfRef(from), HALF_SKY), b = mae(file, halfRef(to), HALF_SKY);
    const either = eitherMae(file, halfRef(from), halfRef(to), HALF_SKY);
    if (a > 0.03 && b > 0.03 && either < 0.025) wipe = { a, b, either };
  }
  if (!wipe) fail(`none of the ${frames.picked.length} frames looked at (of ${frames.count}) was in mid-wipe`);
  note(`mid-wipe (${frames.count} frames drawn in 3 s): MAE ${wipe.a.toFixed(3)} to slide 4, ` +
    `${wipe.b.toFixed(3)} to slide 5, ${wipe.either.toFixed(3)} to the nearer`);
  await waitMatch('slide5', to, SKY, 0.04, 30, 'slide 5 never stood alone after the wipe');

  // The next button, clicked through the scaled canvas, pages on.
  const next = showPoint(747 + 15, 550 + 14);
  await page.mouse.move(next.x - 40, next.y - 40);
  await page.mouse.move(next.x, next.y, { steps: 4 });
  await sleep(200);
  await page.mouse.down();
  await sleep(80);
  await page.mouse.up();
  const paged = await waitMatch('slide6', reference('mij6.jpg'), SKY, 0.04, 30,
    'a click on the next button did not bring slide 6');
  note(`next button: slide 6 shows (MAE ${paged})`);

  // Escape: the Scroller, with its text rising in the show's own font.
  await page.keyboard.press('Escape');
  const kitchen = reference('mij13.jpg');
  await waitMatch('scroller', kitchen, '480x300+0+0', 0.04, 30, 'Escape did not bring the Scroller');
  const TEXT = '700x240+60+305';
  const bare = darkness(kitchen, TEXT);
  const deadline = Date.now() + 60000;
  let dark = 0;
  for (;;) {
    dark = darkness(await shot('text'), TEXT);
    if (dark > bare + 0.008) break;
    if (Date.now() > deadline) fail(`no scroll text in the lower half (dark fraction ${dark}, bare picture ${bare})`);
    await sleep(300);
  }
  const fontLoaded = await page.evaluate(() =>
    [...document.fonts].some((f) => f.family.replace(/"/g, '') === 'data/font.ttf' && f.status === 'loaded'));
  if (!fontLoaded) fail("the show's font is not loaded in the page");
  note(`scroll text: dark fraction ${dark.toFixed(4)} (bare picture ${bare.toFixed(4)}), font loaded`);

  // Escape: the closing cards while the music fades out, then the end.
  await page.evaluate(() => { window.gainLog = []; });
  await page.keyboard.press('Escape');
  const outro = await waitMatch('outro', reference('mij11.jpg'), '800x600+0+0', 0.04, 30,
    'the first closing card never showed');
  note(`closing card: MAE ${outro}`);
  const ended = await until('the show did not end after the closing cards', 60, () => Module.showEnded);
  if (ended.status !== 0) fail(`the show ended with status ${ended.status}`);
  const fall = await page.evaluate(() => window.gainLog);
  const drop = fade(fall);
  note(`fade-out: ${drop.n} readings on the way, ${drop.slope.toFixed(4)} per second of audio time`);
  if (drop.n < 10) fail(`the gain jumped instead of fading out (${drop.n} readings on the way)`);
  if (drop.backwards) fail('the gain rose during the fade-out');
  if (Math.abs(drop.slope + 1 / 7.5) > 0.2 / 7.5) fail(`the fade-out falls at ${drop.slope} per second, expected -0.133 (7.5 s)`);

  if (problems.length) fail(`the page reported:\n  ${problems.join('\n  ')}`);
  note(`PASS (${shots} screenshots)`);
} finally {
  await browser.close();
}
