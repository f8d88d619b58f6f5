// The show in its web page, driven in Debian's chromium (headless) or
// firefox-esr (under the X display it is given): the page's words when one of
// its files fails or the browser cannot draw; its progress from the start;
// the question and its three answers; the first title card, a slide, a slide
// change in mid-wipe, the next button (clicked through the scaled canvas), the
// scroll text in the show's own font, a closing card, the music's fades read
// from the page's Web Audio, and a console free of errors.
//   node web_test.mjs <site url> <data dir> <scratch dir> [chromium|firefox]
// The page reports every frame it draws to a hook that only tests set
// (Module.onFrame): the test keeps a copy of the frame that shows what it is
// waiting for, so that a card lasting seconds cannot pass unseen between two
// slow screenshots on a busy machine, and compares that copy with the picture.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [url, dataDir, scratch, browserName = 'chromium'] = process.argv.slice(2);
const firefox = browserName === 'firefox';
const CAPTION = 'Mijotine - Issue 1 - In the kitchen with Stovecraft';
// A window wider than the show's shape: the canvas is scaled by 1.25 to
// 1000 x 750 and centred, 50 pixels from the left.
const VIEW = { width: 1100, height: 750 };
const t0 = Date.now();
const note = (text) => console.log(`[web ${browserName}] ${((Date.now() - t0) / 1000).toFixed(1).padStart(5)} ${text}`);
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
// A data picture at the show's size (or another), dimmed to a grey level.
function reference(name, level = 1, size = '800x600') {
  const out = path.join(scratch, `ref-${name}-${size}-${level.toFixed(3)}.png`);
  if (!fs.existsSync(out)) {
    magick('convert', [path.join(dataDir, name), '-resize', `${size}!`, '-evaluate', 'multiply', level.toFixed(4), out]);
  }
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

function launch(extraArgs = [], extraPrefs = {}) {
  if (firefox) {
    return puppeteer.launch({
      browser: 'firefox',
      executablePath: '/usr/bin/firefox-esr',
      headless: false,  // headless Firefox has no WebGL; it runs on the X display it is given
      userDataDir: fs.mkdtempSync(path.join(scratch, 'firefox-')),
      args: [`--width=${VIEW.width}`, `--height=${VIEW.height}`],
      extraPrefsFirefox: {
        'media.autoplay.default': 0, 'full-screen-api.allow-trusted-requests-only': false,
        'full-screen-api.warning.timeout': 0, 'toolkit.telemetry.reportingpolicy.firstRun': false,
        'datareporting.policy.dataSubmissionEnabled': false, 'browser.shell.checkDefaultBrowser': false,
        // No sound device here: Firefox's stand-in for one lets its audio run,
        // as headless chromium's own stand-in does.
        'media.cubeb.force_mock_context': true,
        ...extraPrefs,
      },
      protocolTimeout: 180000,
    });
  }
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: fs.mkdtempSync(path.join(scratch, 'chromium-')),
    args: ['--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox',
      '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
      '--autoplay-policy=user-gesture-required', `--window-size=${VIEW.width},${VIEW.height}`, ...extraArgs],
    protocolTimeout: 180000,
  });
}

// Exceptions the page left unhandled; the browser's own line about a file the
// site did not have is no fault of the page's.
function watchErrors(page, into, allowMissing = false) {
  page.on('pageerror', (e) => into.push(`page error: ${e && e.message ? e.message : e}`));
  page.on('console', (m) => {
    if (m.type() !== 'error') return;
    if (allowMissing && /Failed to load resource|status of 404/.test(m.text())) return;
    into.push(`console error: ${m.text()}`);
  });
}

// The page's words for a failure: the problem shown, nothing of the show,
// and no exception left unhandled.
async function expectProblem(browser, pageUrl, what, words) {
  const page = await browser.newPage();
  const errors = [];
  watchErrors(page, errors, true);
  await page.goto(pageUrl, { waitUntil: 'load', timeout: 120000 });
  const said = await page.waitForFunction(() => {
    const p = document.getElementById('problem');
    if (p.hidden) return null;
    return {
      text: p.innerText, question: document.getElementById('question').hidden,
      canvas: getComputedStyle(document.getElementById('canvas')).visibility,
      focused: document.activeElement && document.activeElement.id, role: p.getAttribute('role'),
    };
  }, { timeout: 120000, polling: 100 }).then((h) => h.jsonValue()).catch(() => null);
  if (!said) fail(`${what}: the page never said what failed (it shows: ${await page.evaluate(() => document.body.innerText)})`);
  for (const w of words) if (!said.text.includes(w)) fail(`${what}: the page's words lack "${w}": ${JSON.stringify(said.text)}`);
  if (!said.question || said.canvas !== 'hidden' || said.focused !== 'problem-reload' || said.role !== 'alertdialog')
    fail(`${what}: the question or the canvas still shows, or the message is no focused alert: ${JSON.stringify(said)}`);
  // The page stays as it is: no late exception from the show's script.
  await page.waitForFunction(() => document.readyState === 'complete', { timeout: 60000 });
  if (errors.length) fail(`${what}: ${errors.join('; ')}`);
  note(`${what}: ${JSON.stringify(said.text.replace(/\s+/g, ' '))}`);
  await page.close();
}

let browser = await launch();
let shots = 0;
try {
  // ---------------------------------------------------------- failures
  // The package's size as the build wrote it into the page; the site's copy is cut to half of it.
  const MB = (n) => (n / 1e6).toFixed(1);
  const built = /<script id="build" type="application\/json">(.*?)<\/script>/.exec(await (await fetch(url)).text());
  const size = built ? JSON.parse(built[1]).files['mijotine.data'].size : 0;
  if (!size) fail('the page carries no list of its files');
  const cut = [`${MB(Math.floor(size / 2))} MB of ${MB(size)} MB`];
  await expectProblem(browser, `${url}no-data/`, 'no data package', ['mijotine.data', '404', 'Reload']);
  await expectProblem(browser, `${url}cut-data/`, 'data package cut short', ['mijotine.data', 'incomplete', ...cut]);
  await expectProblem(browser, `${url}no-wasm/`, 'no wasm', ['mijotine.wasm', '404', 'Reload']);
  // Each of the show's files with one byte changed, its size the same.
  for (const name of ['mijotine.js', 'mijotine.wasm', 'mijotine.data']) {
    await expectProblem(browser, `${url}damaged-${name}/`, `${name} damaged`, [name, 'arrived damaged', 'Reload']);
  }
  {
    // A damaged song: the show plays without its music, and says so.
    const silent = await browser.newPage();
    const errors = [];
    watchErrors(silent, errors);
    await silent.goto(`${url}damaged-song.ogg/`, { waitUntil: 'load', timeout: 120000 });
    await silent.waitForSelector('#answer-no', { visible: true, timeout: 60000 });
    await silent.click('#answer-no');
    const said = await silent.waitForFunction(() => {
      const text = document.getElementById('status').textContent;
      return Module.phase === 'intro' && text ? { text, tracks: Module.music ? Module.music.tracks.length : 0 } : null;
    }, { timeout: 120000, polling: 100 }).then((h) => h.jsonValue()).catch(() => null);
    if (!said || !said.text.includes('song.ogg') || !said.text.includes('arrived damaged') ||
        !said.text.includes('without its music') || said.tracks !== 0)
      fail(`with its song damaged the show does not say that it plays without it: ${JSON.stringify(said)}`);
    if (errors.length) fail(`song damaged: ${errors.join('; ')}`);
    note(`song.ogg damaged: ${JSON.stringify(said.text)}`);
    await silent.close();
  }
  {
    // A browser that cannot draw with WebGL at all.
    const plain = await launch(['--disable-webgl', '--disable-3d-apis'], { 'webgl.disabled': true });
    try {
      await expectProblem(plain, url, 'no WebGL', ['WebGL', 'another browser']);
    } finally {
      await plain.close();
    }
  }

  // ---------------------------------------------------------- Cancel, Yes
  // Cancel (by its key): no show, no sound, a quiet page that says so.
  // Yes: the page goes full screen and its sound starts with that click.
  for (const [answer, act] of [['Cancel', (p) => p.keyboard.press('c')], ['Yes', (p) => p.click('#answer-yes')]]) {
    const other = await browser.newPage();
    const errors = [];
    watchErrors(other, errors);
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

  // ---------------------------------------------------------- the show
  let page = await browser.newPage();
  await page.setViewport({ ...VIEW, deviceScaleFactor: 1 });
  watchErrors(page, problems);
  // What each square RGBA picture uploaded holds, as an FNV-1a hash of its bytes.
  await page.evaluateOnNewDocument(() => {
    // When the work that takes the machine's time first starts: the
    // decoders, the program and WebGL.
    const started = (window.heavyWork = {});
    const timed = (owner, name, what) => {
      const original = owner[name];
      owner[name] = function (...a) {
        if (what !== 'webgl' || /webgl/.test(a[0])) started[what] = started[what] ?? performance.now();
        return original.apply(this, a);
      };
    };
    timed(BaseAudioContext.prototype, 'decodeAudioData', 'decodeAudioData');
    timed(window, 'createImageBitmap', 'createImageBitmap');
    timed(WebAssembly, 'instantiate', 'the program');
    timed(HTMLCanvasElement.prototype, 'getContext', 'webgl');
    const uploaded = (window.squareUploads = []);
    const texImage2D = WebGLRenderingContext.prototype.texImage2D;
    WebGLRenderingContext.prototype.texImage2D = function (...a) {
      if (a.length === 9 && a[3] === a[4] && a[6] === 0x1908 && a[8] instanceof Uint8Array) {
        let h = 2166136261;
        for (let i = 0; i < a[8].length; ++i) h = Math.imul(h ^ a[8][i], 16777619) >>> 0;
        uploaded.push(h);
      }
      return texImage2D.apply(this, a);
    };
  });
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
  async function until(what, seconds, test, arg) {
    const deadline = Date.now() + seconds * 1000;
    for (;;) {
      const v = await page.evaluate(test, arg);
      if (v) return v;
      if (Date.now() > deadline) fail(`${what} within ${seconds} s`);
      await sleep(100);
    }
  }
  const showPoint = (x, y) => ({ x: box.x + (x * box.width) / 800, y: box.y + (y * box.height) / 600 });

  await page.goto(url, { waitUntil: 'domcontentloaded', timeout: 120000 });
  // From the page's first moment: how far the files have come, in bytes.
  const first = await page.evaluate(() => document.getElementById('status').textContent);
  if (!/^Loading the show: \d+\.\d of \d+\.\d MB$/.test(first)) fail(`the page opens without its progress: "${first}"`);
  // The hook: every frame drawn, and the best copy yet of each frame waited for.
  const installHook = () => page.evaluate(() => {
    window.frames_ = { count: 0, last: null, wants: {}, caught: {}, all: {} };
    Module.onFrame = (s) => {
      const f = window.frames_;
      f.count += 1;
      f.last = s;
      // How far the music is ahead of the show's clock, on this frame.
      const m = Module.music;
      if (s.clock >= 0 && m && m.startedAt !== undefined) {
        f.lag = m.context.currentTime - m.startedAt - s.clock;
      }
      for (const [name, want] of Object.entries(f.wants)) {
        const score = want.score(s);
        if (score === null || score === undefined || score === false) continue;
        if (want.all) {
          // Every such frame, each in a copy of its own.
          const copy = document.createElement('canvas');
          copy.width = want.width;
          copy.height = want.height;
          copy.getContext('2d').drawImage(Module.canvas, 0, 0, want.width, want.height);
          (f.all[name] = f.all[name] || []).push({ note: s, copy });
          continue;
        }
        const best = f.caught[name];
        if (best && best.score >= score) continue;
        const copy = best ? best.copy : document.createElement('canvas');
        copy.width = want.width;
        copy.height = want.height;
        copy.getContext('2d').drawImage(Module.canvas, 0, 0, want.width, want.height);
        f.caught[name] = { score, note: s, copy };
      }
    };
    // The music's gain, read every 40 ms.
    window.gainLog = [];
    setInterval(() => {
      const m = window.Module && Module.music;
      if (m) window.gainLog.push([m.context.currentTime, m.gain.gain.value]);
    }, 40);
  });
  await installHook();
  // What the page's live region says, each change with whether the question was still up.
  await page.evaluate(() => {
    window.heard = [];
    const said = document.getElementById('said');
    new MutationObserver(() => window.heard.push({ words: said.textContent,
      asking: !document.getElementById('question').hidden })).observe(said, { childList: true, characterData: true, subtree: true });
  });
  // Keeps the frame with the highest score (a JavaScript expression of the
  // frame's note s: a number, or null for a frame that does not count).
  // With all, keeps every frame that counts instead.
  const want = (name, score, width = 800, height = 600, all = false) => page.evaluate((n, src, w, h, every) => {
    window.frames_.wants[n] = { score: new Function('s', `return (${src});`), width: w, height: h, all: every };
  }, name, score, width, height, all);
  // Waits until the frame is caught and done(note of the frame last drawn,
  // score caught) holds; saves it and gives its note.
  async function caught(name, seconds, what, done) {
    const deadline = Date.now() + seconds * 1000;
    for (;;) {
      const got = await page.evaluate((n, src) => {
        const f = window.frames_, c = f.caught[n];
        if (!c || !new Function('s', 'score', `return (${src});`)(f.last, c.score)) return null;
        delete f.wants[n];
        return { note: c.note, score: c.score, png: c.copy.toDataURL('image/png') };
      }, name, done);
      if (got) {
        const file = path.join(scratch, `${name}.png`);
        fs.writeFileSync(file, Buffer.from(got.png.split(',')[1], 'base64'));
        return { file, note: got.note };
      }
      if (Date.now() > deadline) {
        const last = await page.evaluate(() => window.frames_.last);
        fail(`${what} within ${seconds} s (the last frame drawn: ${JSON.stringify(last)})`);
      }
      await sleep(100);
    }
  }
  // Waits until the show has drawn n more frames.
  async function frames(n) {
    const start = await page.evaluate(() => window.frames_.count);
    await until(`${n} frames were not drawn`, 60, (s) => window.frames_.count >= s, start + n);
  }

  // The question, as the page's own dialog.
  await page.waitForSelector('#question', { visible: true, timeout: 60000 });
  const asked = await page.evaluate(() => [document.getElementById('question-title').textContent,
    document.getElementById('question-text').textContent, document.title,
    [...document.querySelectorAll('#question button')].map((b) => b.textContent),
    document.activeElement && document.activeElement.id, document.documentElement.lang,
    document.querySelector('meta[name=description]') && document.querySelector('meta[name=description]').content,
    document.getElementById('canvas').getAttribute('aria-label')]);
  if (asked[0] !== 'Mijotine!' || asked[1] !== 'Run in fullscreen mode? (Cancel means no run)')
    fail(`the question reads ${JSON.stringify(asked.slice(0, 2))}`);
  if (asked[2] !== CAPTION) fail(`the page's title is '${asked[2]}'`);
  if (asked[3].join(',') !== 'Yes,No,Cancel') fail(`the answers are ${asked[3]}`);
  if (asked[4] !== 'answer-yes' || asked[5] !== 'en' || !asked[6] || !/cooking show/.test(asked[7] || ''))
    fail(`the page lacks its focus, language, description or the canvas's text: ${JSON.stringify(asked.slice(4))}`);
  // By the time the program asks, the files have all come: the progress counted them all.
  const progress = await until('the progress did not reach the whole', 120, () => {
    const text = document.getElementById('status').textContent;
    const counted = /^Loading the show: (\d+\.\d) of (\d+\.\d) MB$/.exec(text);
    return counted && counted[1] === counted[2] ? text : null;
  });
  await want('card', "s.phase === 'intro' && s.slot === 0 && s.level >= 0.5 ? s.level : null");
  await page.click('#answer-no');
  box = await canvasBox();
  if (Math.abs(box.width - 1000) > 1 || Math.abs(box.height - 750) > 1 || Math.abs(box.x - 50) > 1)
    fail(`the canvas is not scaled to fit and centred: ${JSON.stringify(box)}`);
  note(`answered No after "${progress}"; canvas at ${JSON.stringify(box)}`);

  // The first title card, and the music starting with a fade-in.
  const card = await caught('card', 180, 'the first title card never showed',
    "score >= 0.98 || s.phase !== 'intro' || s.slot !== 0");
  // The page's first paint, with the question in it, came before any of the
  // work that would have held it up.
  const start = await page.evaluate(() => ({ heavy: window.heavyWork,
    paint: (performance.getEntriesByType('paint').find((p) => p.name === 'first-contentful-paint') || {}).startTime }));
  const early = Object.entries(start.heavy).filter(([, t]) => !(t >= start.paint));
  note(`first paint at ${Math.round(start.paint)} ms; then ` +
    Object.entries(start.heavy).map(([what, t]) => `${what} at ${Math.round(t)} ms`).join(', '));
  if (Object.keys(start.heavy).length < 4 || early.length)
    fail(`work began before the first paint (at ${start.paint} ms): ${JSON.stringify(start.heavy)}`);
  const intro = mae(card.file, reference('mij1.jpg', card.note.level), '800x600+0+0');
  note(`first title card at level ${card.note.level.toFixed(3)}: MAE ${intro}`);
  if (intro >= 0.03) fail(`the first title card is not the picture (MAE ${intro})`);
  // The pictures with transparency reach WebGL as their files hold them, not
  // rounded on a way through a canvas.
  const uploads = await page.evaluate(() => window.squareUploads);
  // (The plain ones: at a pixel ratio of 1 the finer ones are not fetched.)
  for (const name of fs.readdirSync(dataDir).filter((n) => n.endsWith('.png') && !n.includes('@2x.'))) {
    const bytes = execFileSync('convert', [path.join(dataDir, name), '-depth', '8', 'rgba:-']);
    let h = 2166136261;
    for (const c of bytes) h = Math.imul(h ^ c, 16777619) >>> 0;
    if (!uploads.includes(h)) fail(`${name} was not uploaded as its file holds it`);
  }
  await until('the AudioContext did not run', 30, () => Module.music && Module.music.context.state === 'running');
  // At a pixel ratio of 1 the page fetches what it always has, however large its window.
  if (await page.evaluate(() => Module.finerPictures ||
      performance.getEntriesByType('resource').some((r) => r.name.includes('mijotine-finer.data')))) {
    fail('at a pixel ratio of 1 the page fetched the finer pictures');
  }
  const risen = await until('the music did not reach full level', 30, () => {
    const log = window.gainLog;
    return log.length && log[log.length - 1][1] >= 0.999 ? log : null;
  });
  const rise = fade(risen);
  note(`fade-in: ${rise.n} readings on the way, ${rise.slope.toFixed(3)} per second of audio time`);
  if (rise.n < 5) fail(`the gain jumped instead of fading in (${rise.n} readings on the way)`);
  if (rise.backwards) fail('the gain fell during the fade-in');
  if (Math.abs(rise.slope - 1 / 2.5) > 0.2 / 2.5) fail(`the fade-in rises at ${rise.slope} per second, expected 0.4 (2.5 s)`);

  // A hidden tab that comes back: another tab in front hides the show's (the
  // browser's own visibility change, which slows its timers to a crawl) for
  // two seconds of the music's time; the show's clock and the music's are no
  // further apart than they were.
  {
    const before = await until("the show's clock and the music's were not both read", 30, () => window.frames_.lag);
    const other = await browser.newPage();
    await other.bringToFront();
    await until("the show's tab did not go hidden", 60, () => document.visibilityState === 'hidden');
    const hiddenAt = await page.evaluate(() => Module.music.context.currentTime);
    await until('the music stopped in the hidden tab', 60, (t) => Module.music.context.currentTime > t + 2, hiddenAt);
    await page.bringToFront();
    await until("the show's tab did not come back", 60, () => document.visibilityState === 'visible');
    await frames(5);
    const after = await page.evaluate(() => ({ lag: window.frames_.lag, phase: window.frames_.last.phase }));
    await other.close();
    note(`hidden for 2 s: the music ahead of the show's clock by ${before.toFixed(3)} s before, ` +
      `${after.lag.toFixed(3)} s after`);
    if (after.phase !== 'intro') fail(`the Intro ended while the tab was hidden (${after.phase})`);
    if (Math.abs(after.lag) > Math.abs(before) + 0.1)
      fail(`after a hidden tab the music and the show are ${after.lag} s apart (${before} s before)`);
  }

  // A page frozen and resumed (the page lifecycle's freeze, through the
  // DevTools protocol: chromium's; Firefox's driver has no such state): the
  // show's clock runs on meanwhile, the music's stops, and once the page goes
  // on the two are back in step, as they were before.
  if (!firefox) {
    const before = await until("the show's clock and the music's were not both read", 30, () => window.frames_.lag);
    await page.evaluate(() => document.addEventListener('freeze', () => { window.froze = true; }));
    const cdp = await page.createCDPSession();
    await cdp.send('Page.setWebLifecycleState', { state: 'frozen' });
    // Three seconds frozen.
    for (const thaw = Date.now() + 3000; Date.now() < thaw;) await sleep(100);
    await cdp.send('Page.setWebLifecycleState', { state: 'active' });
    await frames(5);
    const frozen = await page.evaluate(() => window.froze);
    const after = await until('the music did not come back into step with the show after a freeze', 30, (limit) =>
      (Math.abs(window.frames_.lag) <= limit ? { lag: window.frames_.lag, phase: window.frames_.last.phase } : null),
    Math.abs(before) + 0.05);
    note(`frozen for 3 s: the music ahead of the show's clock by ${before.toFixed(3)} s before, ` +
      `${after.lag.toFixed(3)} s after`);
    if (!frozen) fail('the page was never frozen');
    if (after.phase !== 'intro') fail(`the Intro ended while the page was frozen (${after.phase})`);
    await cdp.detach();
    // The protocol's freeze leaves the page counted as hidden until another
    // tab has been in front.
    const other = await browser.newPage();
    await other.bringToFront();
    await page.bringToFront();
    await until("the show's tab did not come back after the freeze", 60, () => document.visibilityState === 'visible');
    await other.close();
  }

  // Right ends the Intro: the first slide.
  const SKY = '560x240+220+10';  // upper right of a slide, away from the chef, captions and buttons
  const atRest = (slot) => `s.phase === 'slideshow' && s.slot === ${slot} && s.wipe < 0 ? 1 : null`;
  await want('slide4', atRest(3));
  await page.keyboard.press('ArrowRight');
  const slide4 = await caught('slide4', 60, 'the first slide never showed', 'true');
  const slide = mae(slide4.file, reference('mij4.jpg'), SKY);
  note(`first slide: MAE ${slide}`);
  if (slide >= 0.04) fail(`the first slide is not the picture (MAE ${slide})`);
  // The page does not scroll for the arrow keys.
  const scrolled = await page.evaluate(() => [window.scrollX, window.scrollY]);
  if (scrolled[0] || scrolled[1]) fail(`the page scrolled to ${scrolled}`);

  // Right again: the wipe from slide 4 to slide 5. Every frame of it is kept
  // (in a copy at half size, where the rim's few pixels weigh little); one of
  // them must show the sky part slide 4, part slide 5.
  await want('wipe', "s.phase === 'slideshow' && s.slot === 4 && s.wipe > 0.1 && s.wipe < 0.9 && " +
    "!(s.wipe < (window.lastWipe || 0) + 0.02) && (window.lastWipe = s.wipe) ? 1 : null", 400, 300, true);
  await want('slide5', atRest(4));
  await page.keyboard.press('ArrowRight');
  const slide5 = await caught('slide5', 60, 'slide 5 never stood alone after the wipe', 'true');
  const wipeFrames = await page.evaluate(() => (window.frames_.all.wipe || []).map((w) =>
    ({ wipe: w.note.wipe, png: w.copy.toDataURL('image/png') })));
  const HALF_SKY = '280x120+110+5';
  const from = reference('mij4.jpg', 1, '400x300'), to = reference('mij5.jpg', 1, '400x300');
  let wipe = null;
  for (let i = 0; i < wipeFrames.length && !wipe; ++i) {
    const file = path.join(scratch, `wipe${i}.png`);
    fs.writeFileSync(file, Buffer.from(wipeFrames[i].png.split(',')[1], 'base64'));
    const a = mae(file, from, HALF_SKY), b = mae(file, to, HALF_SKY);
    const either = eitherMae(file, from, to, HALF_SKY);
    if (a > 0.03 && b > 0.03 && either < 0.025) wipe = { a, b, either, at: wipeFrames[i].wipe };
  }
  if (!wipe) {
    fail(`none of the ${wipeFrames.length} frames of the wipe (at ${wipeFrames.map((w) => w.wipe.toFixed(2))}) ` +
      'shows part slide 4, part slide 5');
  }
  note(`mid-wipe (${wipeFrames.length} frames drawn; ${(wipe.at * 100).toFixed(0)} % of the way): MAE ` +
    `${wipe.a.toFixed(3)} to slide 4, ${wipe.b.toFixed(3)} to slide 5, ${wipe.either.toFixed(3)} to the nearer`);
  const alone = mae(slide5.file, reference('mij5.jpg'), SKY);
  if (alone >= 0.04) fail(`slide 5 after the wipe is not the picture (MAE ${alone})`);

  // What a screen reader meets at this slide: its step and the chef's words,
  // said once in a polite live region, and below the show the control that
  // opens the scroll text as text, built only then (chromium's accessibility
  // tree; Firefox's driver gives none, nor a key press that works a button,
  // so there the page itself is read and the control clicked).
  {
    const STEP2 = 'Step 2 of 7: Brown the beef. Stovecraft says: Brown it well. Colour is flavour!';
    const live = await until('the live region did not say the second step', 30, (w) => {
      const el = document.getElementById('said');
      return el.textContent === w ? { polite: el.getAttribute('aria-live'), built: document.getElementById('scroll-text-body').childNodes.length } : null;
    }, STEP2);
    if (live.polite !== 'polite') fail(`the live region is aria-live="${live.polite}"`);
    if (live.built) fail('the scroll text was built before it was asked for');
    const flat = (node, out = []) => {
      out.push(`${node.role}: ${node.name || ''}`);
      for (const child of node.children || []) flat(child, out);
      return out;
    };
    const tree = async () => (firefox ? null : flat(await page.accessibility.snapshot()));
    const before = await tree();
    if (before && (!before.includes(`StaticText: ${STEP2}`) || !before.includes('button: Read the text')))
      fail(`the accessibility tree at a slide lacks its words or the control: ${JSON.stringify(before)}`);
    if (firefox) {
      await page.click('#read-toggle');
    } else {
      await page.keyboard.press('Tab');
      const focused = await page.evaluate(() => document.activeElement.id);
      if (focused !== 'read-toggle') fail(`Tab from the show went to '${focused}', not the control`);
      await page.keyboard.press('Enter');
    }
    const opened = await until('the scroll text did not open as text', 30, () => {
      const body = document.getElementById('scroll-text-body');
      if (document.getElementById('scroll-text').hidden || !body.querySelector('li')) return null;
      const range = document.createRange();
      range.selectNodeContents(body);
      getSelection().removeAllRanges();
      getSelection().addRange(range);
      const selected = getSelection().toString();
      getSelection().removeAllRanges();
      const below = document.getElementById('read-toggle').getBoundingClientRect().top >=
        document.getElementById('canvas').getBoundingClientRect().bottom - 1;
      return { selected, below, expanded: document.getElementById('read-toggle').getAttribute('aria-expanded'),
        sections: body.querySelectorAll('section').length, headings: [...body.querySelectorAll('h3')].map((h) => h.textContent),
        items: body.querySelectorAll('li').length, lang: body.closest('[lang]').lang };
    });
    if (!opened.below) fail('the control is not below the show');
    if (opened.expanded !== 'true' || opened.sections !== 7 || opened.items !== 8 || opened.lang !== 'en' ||
        opened.headings.join() !== 'KIR FOR ONE,CROQUE-MONSIEUR FOR TWO')
      fail(`the scroll text is not laid out as its sections, recipes and ingredients: ${JSON.stringify({ ...opened, selected: undefined })}`);
    for (const words of ['Welcome to the totally nouvelle Mijotine! Some brief instructions first: Left and right arrow',
      'Gang, Mme Roux\u2019s whole family', 'letters@mijotine.kitchen', 'Aligote if you can find it'])
      if (!opened.selected.includes(words)) fail(`the scroll text as selected lacks "${words}"`);
    const after = await tree();
    if (after && !['heading: The scroll text: letters and recipes', 'heading: KIR FOR ONE',
      'StaticText: 1 tablespoon (15 ml) creme de cassis'].every((n) => after.includes(n)))
      fail(`the accessibility tree lacks the opened scroll text: ${JSON.stringify(after.slice(0, 30))}`);
    note(`at the second slide the page says "${STEP2}"; "Read the text" opens ${opened.sections} sections, ` +
      `${opened.headings.length} recipes, ${opened.items} ingredients${after ? ` (${after.length} nodes in the tree)` : ''}`);
    // Closed again, and the show back in front, with the keys.
    await page.click('#read-toggle');
    await page.evaluate(() => {
      window.scrollTo(0, 0);
      document.getElementById('canvas').focus();
    });
    if (!(await page.evaluate(() => document.getElementById('scroll-text').hidden))) fail('the scroll text did not close');
  }

  // The next button, clicked through the scaled canvas, pages on.
  await want('slide6', atRest(5));
  const next = showPoint(747 + 15, 550 + 14);
  await page.mouse.move(next.x - 40, next.y - 40);
  await page.mouse.move(next.x, next.y, { steps: 4 });
  await frames(2);
  await page.mouse.down();
  await frames(1);
  await page.mouse.up();
  const slide6 = await caught('slide6', 60, 'a click on the next button did not bring slide 6', 'true');
  const paged = mae(slide6.file, reference('mij6.jpg'), SKY);
  note(`next button: slide 6 shows (MAE ${paged})`);
  if (paged >= 0.04) fail(`slide 6 is not the picture (MAE ${paged})`);

  // Resized to a small window and to a large one on a dense screen: the
  // canvas stays 4:3, whole inside the window and centred, its backing store
  // is its size times the pixel ratio (at most 2560 x 1920), and the show
  // goes on drawing into it.
  for (const size of [{ width: 400, height: 300, deviceScaleFactor: 1, store: [400, 300] },
    { width: 2560, height: 1440, deviceScaleFactor: 2, store: [2560, 1920] },
    { ...VIEW, deviceScaleFactor: 1, store: [1000, 750] }]) {
    const name = `${size.width}x${size.height}`;
    await page.setViewport({ width: size.width, height: size.height, deviceScaleFactor: size.deviceScaleFactor });
    const fit = await until(`the canvas did not follow the window to ${name}`, 60, (store) => {
      const c = document.getElementById('canvas'), r = c.getBoundingClientRect();
      if (c.width !== store[0] || c.height !== store[1]) return null;
      return { x: r.left, y: r.top, width: r.width, height: r.height, inner: [innerWidth, innerHeight] };
    }, size.store);
    const wide = Math.min(size.width, (size.height * 4) / 3);
    if (Math.abs(fit.width - wide) > 1 || Math.abs(fit.height - (wide * 3) / 4) > 1 || fit.x < -0.5 || fit.y < -0.5 ||
        fit.x + fit.width > fit.inner[0] + 0.5 || fit.y + fit.height > fit.inner[1] + 0.5 ||
        Math.abs(fit.x - (fit.inner[0] - fit.width) / 2) > 1 || Math.abs(fit.y - (fit.inner[1] - fit.height) / 2) > 1)
      fail(`in a window of ${name} the canvas is not whole, 4:3 and centred: ${JSON.stringify(fit)}`);
    await want(`resized${name}`, atRest(5));
    const drawn = await caught(`resized${name}`, 60, `the show stopped drawing after the window went to ${name}`, 'true');
    const still = mae(drawn.file, reference('mij6.jpg'), SKY);
    note(`window ${name}: canvas ${fit.width} x ${fit.height} at ${fit.x},${fit.y}, drawn at ${size.store.join(' x ')}; ` +
      `slide 6 MAE ${still}`);
    if (still >= 0.04) fail(`after the window went to ${name} slide 6 is not the picture (MAE ${still})`);
  }

  // Escape: the Scroller, with its text rising in the show's own font.
  await want('scroller', "s.phase === 'scroller' ? 1 : null");
  await page.keyboard.press('Escape');
  const scroller = await caught('scroller', 60, 'Escape did not bring the Scroller', 'true');
  const kitchen = reference('mij13.jpg');
  const back = mae(scroller.file, kitchen, '480x300+0+0');
  if (back >= 0.04) fail(`the Scroller's background is not the picture (MAE ${back})`);
  const TEXT = '700x240+60+305';
  const bare = darkness(kitchen, TEXT);
  const deadline = Date.now() + 90000;
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
  await want('outro', "s.phase === 'outro' && s.slot === 10 ? s.level : null");
  await page.keyboard.press('Escape');
  const outro = await caught('outro', 60, 'the first closing card never showed',
    "score >= 0.98 || s.phase !== 'outro' || s.slot !== 10");
  const closing = mae(outro.file, reference('mij11.jpg', outro.note.level), '800x600+0+0');
  note(`closing card at level ${outro.note.level.toFixed(3)}: MAE ${closing}`);
  if (closing >= 0.04) fail(`the first closing card is not the picture (MAE ${closing})`);
  const ended = await until('the show did not end after the closing cards', 90, () => Module.showEnded);
  if (ended.status !== 0) fail(`the show ended with status ${ended.status}`);
  // Everything the live region said: nothing while the question was up,
  // nothing twice over, from the first title card to the last closing card.
  const heard = await page.evaluate(() => window.heard);
  const words = heard.map((h) => h.words);
  note(`the live region said, in turn: ${words.map((w) => w.slice(0, 24) + '…').join(' | ')}`);
  if (heard.some((h) => h.asking)) fail('the live region spoke while the question was open');
  if (words.some((w, i) => i > 0 && w === words[i - 1])) fail(`the live region said something twice: ${JSON.stringify(words)}`);
  const expected = [/^Title card 1 of 3: Mijotine!/, /^Step 1 of 7: The line-up\./, /^Step 2 of 7: Brown the beef\./,
    /^Step 3 of 7: /, /^The scroll text: /, /^Closing card 1 of 2: Merci! /, /^Closing card 2 of 2: /];
  let at = 0;
  for (const w of words) if (at < expected.length && expected[at].test(w)) at += 1;
  if (at < expected.length) fail(`the live region never said ${expected[at]} in its turn: ${JSON.stringify(words)}`);
  const fall = await page.evaluate(() => window.gainLog);
  const drop = fade(fall);
  note(`fade-out: ${drop.n} readings on the way, ${drop.slope.toFixed(4)} per second of audio time`);
  if (drop.n < 10) fail(`the gain jumped instead of fading out (${drop.n} readings on the way)`);
  if (drop.backwards) fail('the gain rose during the fade-out');
  if (Math.abs(drop.slope + 1 / 7.5) > 0.2 / 7.5) fail(`the fade-out falls at ${drop.slope} per second, expected -0.133 (7.5 s)`);

  if (problems.length) fail(`the page reported:\n  ${problems.join('\n  ')}`);
  await page.close();

  // ---------------------------------------------------------- touch
  // The whole show steered by touch alone, with touch events sent through
  // the DevTools protocol (chromium's; Firefox's driver sends none), on a
  // screen of two device pixels to the CSS pixel, where the canvas is drawn
  // at that density.
  if (!firefox) {
    page = await browser.newPage();
    await page.setViewport({ ...VIEW, deviceScaleFactor: 2, hasTouch: true });
    watchErrors(page, problems);
    await page.goto(url, { waitUntil: 'domcontentloaded', timeout: 120000 });
    await installHook();
    await page.waitForSelector('#answer-no', { visible: true, timeout: 60000 });
    await want('card', "s.phase === 'intro' ? 1 : null");
    await page.touchscreen.tap(...Object.values(await page.$eval('#answer-no', (b) => {
      const r = b.getBoundingClientRect();
      return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
    })));
    await caught('card', 180, 'a tap on No did not start the show', 'true');
    box = await canvasBox();
    const skipShown = await page.$eval('#skip', (b) => ({ visible: getComputedStyle(b).display !== 'none',
      name: b.getAttribute('aria-label') || b.textContent, focusable: b.tabIndex >= 0 }));
    if (!skipShown.visible || skipShown.name !== 'Skip' || !skipShown.focusable)
      fail(`no Skip control on a touch screen: ${JSON.stringify(skipShown)}`);
    const swipe = async (fromX, toX) => {
      const a = showPoint(fromX, 200), b = showPoint(toX, 210);
      await page.touchscreen.touchStart(a.x, a.y);
      await page.touchscreen.touchMove((a.x + b.x) / 2, (a.y + b.y) / 2);
      await page.touchscreen.touchMove(b.x, b.y);
      await page.touchscreen.touchEnd();
    };
    const dense = await page.$eval('#canvas', (c) => [c.width, c.height]);
    if (dense[0] !== 2000 || dense[1] !== 1500) fail(`at a pixel ratio of 2 the canvas draws at ${dense}, not 2000,1500`);
    // A tap on the canvas is a click: it ends the Intro.
    await want('slide4', atRest(3));
    const middle = showPoint(400, 300);
    await page.touchscreen.tap(middle.x, middle.y);
    await caught('slide4', 60, 'a tap did not end the Intro', 'true');
    // A tap on the next button, where it is drawn: the pointer is mapped from
    // the dense canvas into the show's space.
    await want('tapped5', atRest(4));
    const button = showPoint(747 + 15, 550 + 14);
    await page.touchscreen.tap(button.x, button.y);
    const tapped = await caught('tapped5', 60, 'a tap on the next button did not page on', 'true');
    // At a pixel ratio of 2 the finer pictures come, in their package of their own.
    const finer = await page.evaluate(() => Module.finerPictures === true &&
      performance.getEntriesByType('resource').some((r) => r.name.includes('mijotine-finer.data')));
    if (!finer) fail('at a pixel ratio of 2 the show did not draw from the finer pictures');
    const sharp = mae(tapped.file, reference('mij5.jpg'), SKY);
    if (sharp >= 0.04) fail(`on the dense canvas slide 5 is not the picture (MAE ${sharp})`);
    // Swipes: the finger to the right pages back, to the left on.
    await want('back4', atRest(3));
    await swipe(200, 600);
    await caught('back4', 60, 'a swipe to the right did not bring the slide before', 'true');
    await want('slide5', atRest(4));
    await swipe(600, 200);
    await caught('slide5', 60, 'a swipe to the left did not bring the next slide', 'true');
    // Skip ends the Slideshow.
    await want('scroller', "s.phase === 'scroller' ? s.speed : null");
    await page.touchscreen.tap(...Object.values(await page.$eval('#skip', (b) => {
      const r = b.getBoundingClientRect();
      return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
    })));
    const scrolling = await caught('scroller', 60, 'Skip did not end the Slideshow', 'true');
    // Holding the right half speeds the scroll up, the left half slows it;
    // lifting the finger keeps the speed where it is.
    const hold = async (x, what, test) => {
      const at = showPoint(x, 300);
      await page.touchscreen.touchStart(at.x, at.y);
      await frames(10);
      await page.touchscreen.touchEnd();
      await frames(2);
      const s1 = await page.evaluate(() => window.frames_.last.speed);
      await frames(10);
      const s2 = await page.evaluate(() => window.frames_.last.speed);
      if (!test(s1) || s2 !== s1) fail(`${what}: the scroll speed went to ${s1}, then ${s2}`);
      return s1;
    };
    const faster = await hold(650, 'holding the right half', (v) => v > scrolling.note.speed);
    const slower = await hold(150, 'holding the left half', (v) => v < faster);
    note(`touch: a tap answered and ended the Intro, swipes paged both ways, holds took the scroll speed ` +
      `from ${scrolling.note.speed} to ${faster.toFixed(2)} and back to ${slower.toFixed(2)}`);
    // Skip again: the closing cards; and once more: the end.
    await want('outro', "s.phase === 'outro' ? 1 : null");
    await page.tap('#skip');
    await caught('outro', 60, 'Skip did not end the Scroller', 'true');
    await page.tap('#skip');
    const over = await until('Skip did not end the closing cards', 60, () => Module.showEnded);
    if (over.status !== 0) fail(`the show ended with status ${over.status}`);
    if (problems.length) fail(`the page reported:\n  ${problems.join('\n  ')}`);
    await page.close();
  }

  // ---------------------------------------------------------- saving data
  // A browser that asks to save data gets the plain pictures, even on a
  // dense screen.
  if (!firefox) {
    page = await browser.newPage();
    await page.setViewport({ ...VIEW, deviceScaleFactor: 2 });
    await page.evaluateOnNewDocument(() => {
      Object.defineProperty(navigator, 'connection', { value: { saveData: true }, configurable: true });
    });
    await page.goto(url, { waitUntil: 'domcontentloaded', timeout: 120000 });
    await page.waitForSelector('#answer-no', { visible: true, timeout: 60000 });
    await page.click('#answer-no');
    await page.waitForFunction(() => performance.getEntriesByName('mijotine:program started').length > 0,
      { timeout: 120000, polling: 100 });
    if (await page.evaluate(() => Module.finerPictures ||
        performance.getEntriesByType('resource').some((r) => r.name.includes('mijotine-finer.data')))) {
      fail('a browser that asks to save data was given the finer pictures');
    }
    note('finer pictures: none at a pixel ratio of 1 nor for a browser saving data; fetched and drawn at 2');
    await page.close();
  }

  // ---------------------------------------------------------- offline
  // A second visit with the network switched off plays from what the first kept;
  // a new build replaces what was kept. In a copy of the site of its own
  // (update/), in a browser context of its own.
  if (!firefox && process.env.MIJOTINE_SITE) {
    const context = await browser.createBrowserContext();
    page = await context.newPage();
    await page.setViewport({ ...VIEW, deviceScaleFactor: 1 });
    const home = `${url}update/`;
    await page.goto(home, { waitUntil: 'load', timeout: 120000 });
    // The files are put away once the show plays.
    await page.waitForSelector('#answer-no', { visible: true, timeout: 60000 });
    await page.click('#answer-no');
    const keptNow = () => caches.keys().then(async (keys) => {
      if (!navigator.serviceWorker.controller || keys.length !== 1) return null;
      const held = (await (await caches.open(keys[0])).keys()).map((r) => r.url.replace(/^.*\/update\//, ''));
      return held.length >= 10 ? { cache: keys[0], held } : null;
    });
    const kept = await until('the page\'s worker did not keep its files', 120, keptNow);
    note(`kept for offline in ${kept.cache}: ${kept.held.join(' ')}`);

    // What was kept, damaged: each of the show's files in turn with one byte
    // changed in the worker's cache. The page takes the site's copy instead,
    // plays, and keeps that one in its place.
    for (const name of ['mijotine.js', 'mijotine.wasm', 'mijotine.data', 'song.ogg']) {
      const spoilt = await page.evaluate(async (name) => {
        const cache = await caches.open((await caches.keys())[0]);
        const key = (await cache.keys()).find((r) => new URL(r.url).pathname.endsWith(`/${name}`));
        const held = await cache.match(key);
        const bytes = new Uint8Array(await held.arrayBuffer());
        bytes[bytes.length >> 1] ^= 0xff;
        await cache.put(key, new Response(bytes, { headers: held.headers }));
        return key.url;
      }, name);
      await page.reload({ waitUntil: 'domcontentloaded', timeout: 120000 });
      await page.waitForSelector('#answer-no', { visible: true, timeout: 60000 });
      await page.click('#answer-no');
      const mended = await until(`a damaged ${name} in the worker's cache was not replaced`, 120, async (url) => {
        const problem = document.getElementById('problem');
        if (!problem.hidden) return { problem: problem.innerText };
        const held = await (await caches.open((await caches.keys())[0])).match(url);
        if (!held) return null;
        const d = new Uint8Array(await crypto.subtle.digest('SHA-256', await held.arrayBuffer()), 0, 8);
        if (!url.endsWith([...d].map((b) => b.toString(16).padStart(2, '0')).join(''))) return null;
        return { status: document.getElementById('status').textContent,
          marks: performance.getEntriesByType('mark').map((m) => m.name) };
      }, spoilt);
      if (mended.problem) fail(`with a damaged ${name} in the worker's cache the show did not play: ${mended.problem}`);
      if (!mended.marks.includes('mijotine:music decoded') || mended.status)
        fail(`with a damaged ${name} in the worker's cache the show plays as it should not: ${JSON.stringify(mended)}`);
      note(`a damaged ${name} in the worker's cache: the site's copy played and was kept in its place`);
    }
    // The network off for the page (through the DevTools protocol), and the
    // site's copy gone, so that nothing can come but what was kept.
    const dir = path.join(process.env.MIJOTINE_SITE, 'update');
    const offline = async (off) => {
      await page.setOfflineMode(off);
      fs.renameSync(off ? dir : `${dir}-gone`, off ? `${dir}-gone` : dir);
    };
    await offline(true);
    if (await page.evaluate(() => fetch('mijotine.data').then((r) => (r.ok ? 'online' : 'gone'), () => 'off')) === 'online')
      fail('the network did not go off');
    // Nothing the page or its manifest names fails to come, its icons neither.
    const offlineErrors = [];
    watchErrors(page, offlineErrors);
    page.on('requestfailed', (r) => offlineErrors.push(`request failed: ${r.url()}`));
    await page.reload({ waitUntil: 'domcontentloaded', timeout: 120000 });
    await installHook();
    await want('card', "s.phase === 'intro' && s.slot === 0 && s.level >= 0.5 ? s.level : null");
    await page.waitForSelector('#answer-no', { visible: true, timeout: 60000 });
    await page.click('#answer-no');
    const card = await caught('card', 180, 'the first title card never showed without a network', 'true');
    const offlineCard = mae(card.file, reference('mij1.jpg', card.note.level), '800x600+0+0');
    if (offlineCard >= 0.03) fail(`offline, the first title card is not the picture (MAE ${offlineCard})`);
    // The browser's own check of the page as an app to install, which asks
    // for the manifest's icon.
    const installable = await (await page.createCDPSession()).send('Page.getInstallabilityErrors');
    const unfit = installable.installabilityErrors.filter((e) => e.errorId !== 'in-incognito');
    if (unfit.length) fail(`offline, the page is not fit to install: ${JSON.stringify(unfit)}`);
    if (offlineErrors.length) fail(`offline, the page reported:\n  ${offlineErrors.join('\n  ')}`);
    note(`offline second visit: the first title card shows (MAE ${offlineCard})`);
    await offline(false);

    // The next build: its style sheet changed, and the page names it anew.
    const css = path.join(dir, 'page.css');
    fs.appendFileSync(css, '\n/* the next build */\n');
    const bytes = fs.readFileSync(css);
    const hash = (await import('node:crypto')).createHash('sha256').update(bytes).digest('hex').slice(0, 16);
    const html = fs.readFileSync(path.join(dir, 'index.html'), 'utf8');
    const facts = JSON.parse(/<script id="build" type="application\/json">(.*?)<\/script>/.exec(html)[1]);
    const oldCss = facts.files['page.css'].hash;
    facts.files['page.css'] = { size: bytes.length, hash };
    facts.build = `${facts.build.slice(0, 8)}next0000`;
    fs.writeFileSync(path.join(dir, 'index.html.new'), html
      .replace(/(<script id="build" type="application\/json">).*?(<\/script>)/, `$1${JSON.stringify(facts)}$2`)
      .replace(`page.css?v=${oldCss}`, `page.css?v=${hash}`));
    fs.renameSync(path.join(dir, 'index.html.new'), path.join(dir, 'index.html'));
    await page.goto('about:blank');
    await page.goto(home, { waitUntil: 'load', timeout: 120000 });
    await page.waitForSelector('#answer-no', { visible: true, timeout: 60000 });
    await page.click('#answer-no');
    const replaced = await until('the new build did not replace what was kept', 120, (want) => caches.keys().then(
      async (keys) => {
        if (keys.length !== 1 || keys[0] !== `mijotine-${want.build}`) return null;
        const held = (await (await caches.open(keys[0])).keys()).map((r) => r.url);
        return held.some((u) => u.endsWith(`page.css?v=${want.hash}`)) ? keys : null;
      }), { build: facts.build, hash });
    note(`a new build replaced the kept files: ${replaced.join(' ')}`);
    await context.close();

    // A site whose icon has one byte changed: the worker keeps everything
    // else, but not that.
    const other = await browser.createBrowserContext();
    page = await other.newPage();
    await page.goto(`${url}damaged-icon-192.png/`, { waitUntil: 'load', timeout: 120000 });
    await page.waitForSelector('#answer-no', { visible: true, timeout: 60000 });
    await page.click('#answer-no');
    const installed = await until('the worker for a site with a damaged icon was not installed', 120, () =>
      (navigator.serviceWorker.controller ? caches.keys().then(async (keys) =>
        (await (await caches.open(keys[0])).keys()).map((r) => r.url.replace(/^.*\//, ''))) : null));
    if (installed.length !== 9 || installed.some((u) => u.startsWith('icon-192.png')))
      fail(`with a damaged icon on the site the worker kept ${installed.join(' ')}`);
    note(`with a damaged icon on the site the worker kept the rest: ${installed.join(' ')}`);
    await other.close();
  }
  note(`PASS (${shots} screenshots)`);
} finally {
  await browser.close();
}
