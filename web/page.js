'use strict';
// The page around the show: the start-up question as the page's own dialog,
// the sound and full screen that the viewer's answer allows, the show's own
// typeface for its text, and the show's files. The page fetches those itself
// (the script and the program from its first moment, the pictures and the
// song from its first paint), says how far they have come, checks
// them against the sizes and digests the build wrote into the page, and says
// in plain words what failed and what to do when one cannot be had whole and
// unharmed. While the question waits for its answer the browser decodes the
// pictures and the song with its own decoders, beside the program's start.
// A block of its own: the page's names stay out of the window's.
{
  const canvas = document.getElementById('canvas');
  const dialog = document.getElementById('question');
  const status = document.getElementById('status');
  const problem = document.getElementById('problem');
  // The data set's names, written in by web/build.sh from its table. The show
  // opens its font under ./data/; the browser's SDL_ttf draws with the font
  // family of that (normalised) name.
  const FONT_FILE = 'data/@FONT_FILE@';
  const SONG_FILE = '@SONG_FILE@';
  const FINER_PACKAGE = 'mijotine-finer.data';
  const ANSWERS = { yes: 0, no: 1, cancel: 2 };
  const mark = (what) => performance.mark('mijotine:' + what);

  // The build's list of the show's files with their sizes and digests.
  let built = {}, buildName = '';
  try {
    const facts = JSON.parse(document.getElementById('build').textContent);
    built = facts.files || {};
    buildName = facts.build || '';
    // The finer pictures' package, for a canvas larger than 800 x 600: not
    // among the files every visit fetches and keeps.
    if (facts.finer) built[FINER_PACKAGE] = facts.finer;
  } catch (e) {
    built = {};
  }
  // A file under its content's digest, as the build names it.
  const located = (name) => (built[name] ? `${name}?v=${built[name].hash}` : name);
  // Where this build's files are kept for a visit without a network (sw.js).
  const CACHE = `mijotine-${buildName}`;
  // Kept only once the show plays: writing five megabytes away would
  // otherwise take its share of the machine while the show starts.
  const keeping = [];
  const keep = (name, bytes, type) => keeping.push(() => {
    if (!buildName || !window.caches || !window.isSecureContext) return;
    const url = new URL(located(name), location.href).href;
    caches.open(CACHE).then((cache) => cache.put(url, new Response(bytes, {
      headers: { 'Content-Type': type, 'Content-Length': String(bytes.length), 'X-Kept': '1' },
    }))).catch(() => {});
  });
  // The two large files wait for the page's first paint: taken in beside it,
  // their four megabytes held the question's paint back by a sixth here
  // (some 30 ms of 200 in a browser already running), and nothing waits on
  // them before it. The script and the program are small and are compiled
  // as they come.
  const FILES = [
    { name: 'mijotine.js', what: 'script', type: 'text/javascript' },
    { name: 'mijotine.wasm', what: 'program', type: 'application/wasm' },
    { name: 'mijotine.data', what: 'pictures and font', type: 'application/octet-stream', afterPaint: true },
    { name: SONG_FILE, what: 'music', type: 'audio/ogg', afterPaint: true },
  ];
  for (const file of FILES) file.size = (built[file.name] || {}).size || 0;

  let answer = null;
  let answerGiven = null;
  const answered = new Promise((resolve) => { answerGiven = resolve; });
  let failed = false;
  let soundProblem = '';

  // ------------------------------------------------------------ what failed

  const RELOAD = 'Reload the page to try again. If it keeps failing, the copy of the show on this site ' +
    'is incomplete or damaged: please tell whoever runs the site.';

  // Replaces the question (or the show) with a plain account of what failed.
  function fail(text, advice) {
    if (failed) return;
    failed = true;
    document.removeEventListener('keydown', onDialogKey, true);
    dialog.hidden = true;
    status.textContent = '';
    document.body.classList.add('failed');
    document.getElementById('problem-text').textContent = text;
    document.getElementById('problem-advice').textContent = advice;
    problem.hidden = false;
    document.getElementById('problem-reload').focus();
  }
  document.getElementById('problem-reload').addEventListener('click', () => location.reload());

  class FileProblem extends Error {
    constructor(text, advice) {
      super(text);
      this.advice = advice;
    }
  }

  function hasWebGL() {
    try {
      const gl = document.createElement('canvas').getContext('webgl');
      if (!gl) return false;
      const lose = gl.getExtension('WEBGL_lose_context');
      if (lose) lose.loseContext();
      return true;
    } catch (e) {
      return false;
    }
  }

  // ------------------------------------------------------------ the files

  const megabytes = (n) => (n / 1e6).toFixed(1);
  let received = 0;
  let progressDue = false;
  // At most once a frame, whatever the number of pieces the files come in.
  function showProgress() {
    if (progressDue) return;
    progressDue = true;
    requestAnimationFrame(() => {
      progressDue = false;
      writeProgress();
    });
  }
  function writeProgress() {
    if (failed || answer === ANSWERS.cancel || status.dataset.done) return;
    const total = FILES.reduce((sum, f) => sum + (f.size || 0), 0);
    status.textContent = total
      ? `Loading the show: ${megabytes(received)} of ${megabytes(total)} MB`
      : `Loading the show: ${megabytes(received)} MB`;
  }

  // A file's bytes, counted into the progress as they come; a FileProblem
  // with the words for the viewer when the file cannot be had whole and as
  // the build made it.
  async function download(file) {
    const label = `The show's ${file.what} (${file.name})`;
    let { bytes, response } = await fetchWhole(file, label, {});
    let digest = await digestOf(bytes);
    const hash = (built[file.name] || {}).hash;
    if (digest && hash && digest !== hash && (await forget(file.name))) {
      // What was kept for a visit without a network is damaged: the site's
      // own copy, once more.
      received -= bytes.length;
      ({ bytes, response } = await fetchWhole(file, label, { cache: 'reload' }));
      digest = await digestOf(bytes);
    }
    if (digest && hash && digest !== hash) {
      throw new FileProblem(`${label} arrived damaged: its contents are not the ones this page was built with.`,
        RELOAD);
    }
    mark(file.name);
    if (!response.headers.get('X-Kept')) keep(file.name, bytes, file.type);
    return bytes;
  }

  async function fetchWhole(file, label, options) {
    let response;
    try {
      response = await fetch(located(file.name), options);
    } catch (e) {
      throw new FileProblem(`${label} could not be fetched: the connection failed.`,
        'Check the network connection, then reload the page.');
    }
    if (!response.ok) {
      throw new FileProblem(`${label} could not be loaded: the site answered "${response.status} ` +
        `${response.statusText || 'error'}".`, RELOAD);
    }
    if (!file.size) file.size = Number(response.headers.get('Content-Length')) || 0;
    showProgress();
    const parts = [];
    let got = 0;
    try {
      const reader = response.body.getReader();
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        parts.push(value);
        got += value.length;
        received += value.length;
        showProgress();
      }
    } catch (e) {
      throw new FileProblem(`${label} stopped arriving after ${megabytes(got)} of ${megabytes(file.size)} MB.`,
        'Check the network connection, then reload the page.');
    }
    if (file.size && got !== file.size) {
      throw new FileProblem(`${label} arrived incomplete: ${megabytes(got)} MB of ${megabytes(file.size)} MB.`,
        RELOAD);
    }
    const bytes = new Uint8Array(got);
    let at = 0;
    for (const part of parts) {
      bytes.set(part, at);
      at += part.length;
    }
    return { bytes, response };
  }

  // The first 16 hex digits of the bytes' SHA-256, as the build writes them,
  // by the browser's own digest, which works off the page's thread; null
  // where the browser offers none to this page (one served over plain HTTP
  // from another machine), which then has only the sizes to go by.
  function digestOf(bytes) {
    if (!window.crypto || !crypto.subtle) return Promise.resolve(null);
    return crypto.subtle.digest('SHA-256', bytes).then((d) =>
      [...new Uint8Array(d, 0, 8)].map((b) => b.toString(16).padStart(2, '0')).join(''), () => null);
  }

  // Drops a file from what the service worker keeps; whether it was there.
  async function forget(name) {
    if (!window.caches || !window.isSecureContext) return false;
    const url = new URL(located(name), location.href).href;
    let dropped = false;
    try {
      for (const key of await caches.keys()) {
        if (key.startsWith('mijotine-') && (await (await caches.open(key)).delete(url))) dropped = true;
      }
    } catch (e) {
      return false;
    }
    return dropped;
  }

  // What WebGL lacks of the show's OpenGL 1.1 calls: GL_CLAMP becomes its
  // nearest kin, a texture format given as a component count becomes the
  // data's format, and settings WebGL does not know (unpack rows and skips
  // left at 0, smoothing hints) are left out.
  function webglShims(proto) {
    const GL_CLAMP = 0x2900, GL_CLAMP_TO_EDGE = 0x812F, GL_GENERATE_MIPMAP_HINT = 0x8192;
    for (const name of ['texParameteri', 'texParameterf']) {
      const original = proto[name];
      proto[name] = function (target, pname, param) {
        return original.call(this, target, pname, param === GL_CLAMP ? GL_CLAMP_TO_EDGE : param);
      };
    }
    // WebGL 1 knows only a texture format named the same as its data's.
    const texImage2D = proto.texImage2D;
    proto.texImage2D = function (...args) {
      if (args.length === 9 && args[2] >= 1 && args[2] <= 4) args[2] = args[6];
      return texImage2D.apply(this, args);
    };
    // Rows are always tightly packed from the start here: the unpack row
    // length and skips that WebGL 1 lacks stay at their default of 0.
    const GL_UNPACK_ROW_LENGTH = 0x0CF2, GL_UNPACK_SKIP_ROWS = 0x0CF3, GL_UNPACK_SKIP_PIXELS = 0x0CF4;
    const pixelStorei = proto.pixelStorei;
    proto.pixelStorei = function (pname, param) {
      if ((pname === GL_UNPACK_ROW_LENGTH || pname === GL_UNPACK_SKIP_ROWS || pname === GL_UNPACK_SKIP_PIXELS) &&
          param === 0) return;
      pixelStorei.call(this, pname, param);
    };
    const hint = proto.hint;
    proto.hint = function (target, mode) {
      if (target === GL_GENERATE_MIPMAP_HINT) hint.call(this, target, mode);
    };
  }

  // SDL's surfaces are canvases whose pixels the show reads back.
  function canvasShims(proto) {
    const getContext = proto.getContext;
    proto.getContext = function (type, options) {
      if (type === '2d') options = Object.assign({ willReadFrequently: true }, options);
      return getContext.call(this, type, options);
    };
  }

  // ------------------------------------------------------------ the answer

  function answerWith(which) {
    if (answer !== null || failed) return;
    answer = which;
    mark('answered');
    dialog.hidden = true;
    document.removeEventListener('keydown', onDialogKey, true);
    if (which === ANSWERS.cancel) {
      // No show, no sound: the context made while the question waited goes.
      if (Module.audioContext) {
        Module.audioContext.close().catch(() => {});
        Module.audioContext = null;
      }
      document.body.classList.add('not-run');
      status.textContent = 'The show was not run.';
    } else {
      document.body.classList.add('playing');
      // The answer is the viewer's gesture: the only moment a page may start
      // its sound or ask for full screen.
      try {
        if (!Module.audioContext) Module.audioContext = new AudioContext();
        Module.audioContext.resume();
      } catch (e) {
        console.warn('No sound in this browser: ' + e);
      }
      if (which === ANSWERS.yes && document.documentElement.requestFullscreen) {
        document.documentElement.requestFullscreen().catch(() => {});
      }
      canvas.focus();
    }
    answerGiven(which);
  }

  function onDialogKey(event) {
    const key = event.key.toLowerCase();
    let which = null;
    if (key === 'y' || key === 'enter') which = ANSWERS.yes;
    else if (key === 'n') which = ANSWERS.no;
    else if (key === 'c' || key === 'escape') which = ANSWERS.cancel;
    else return;
    event.preventDefault();
    event.stopPropagation();
    answerWith(which);
  }
  function setUpQuestion() {
    document.addEventListener('keydown', onDialogKey, true);
    document.getElementById('answer-yes').addEventListener('click', () => answerWith(ANSWERS.yes));
    document.getElementById('answer-no').addEventListener('click', () => answerWith(ANSWERS.no));
    document.getElementById('answer-cancel').addEventListener('click', () => answerWith(ANSWERS.cancel));
  }

  // ------------------------------------------------------------ touch

  // On a touch screen the show is steered with the same keys a keyboard
  // gives, so its rules stay as they are: a tap is already the click it is
  // (the program's SDL makes one of it); a swipe across a slide pages
  // (finger to the left: Right; to the right: Left); holding a finger on the
  // right or left half of the Scroller holds Right or Left until it lifts;
  // and the Skip control is Escape in whatever phase is on.
  const KEYS = { ArrowRight: 39, ArrowLeft: 37, Escape: 27 };
  function key(type, name) {
    const event = new KeyboardEvent(type, { key: name, code: name, bubbles: true, cancelable: true });
    // The program's SDL reads the legacy key code, which an event made here
    // does not carry in every browser.
    Object.defineProperty(event, 'keyCode', { get: () => KEYS[name] });
    Object.defineProperty(event, 'which', { get: () => KEYS[name] });
    document.dispatchEvent(event);
  }
  const press = (name) => {
    key('keydown', name);
    key('keyup', name);
  };
  let stroke = null;  // the finger being followed: where it started, and the key it holds
  function setUpTouch() {
    const skip = document.getElementById('skip');
    const touchScreen = () => document.body.classList.add('touch');
    if (navigator.maxTouchPoints > 0 || (window.matchMedia && matchMedia('(any-pointer: coarse)').matches)) touchScreen();
    skip.addEventListener('click', () => press('Escape'));

    // The show reads where the pointer is when it moves, never from a click;
    // a finger comes down with no move before it, so the program is first told
    // that the pointer moved there (before its SDL turns the touch into a click).
    document.getElementById('stage').addEventListener('touchstart', (event) => {
      const t = event.changedTouches[0];
      if (event.target !== canvas || !t) return;
      canvas.dispatchEvent(new MouseEvent('mousemove', { clientX: t.clientX, clientY: t.clientY, bubbles: true }));
    }, { capture: true, passive: true });

    canvas.addEventListener('touchstart', (event) => {
      touchScreen();
      if (stroke || event.changedTouches.length !== 1) return;
      const t = event.changedTouches[0];
      stroke = { id: t.identifier, x: t.clientX, y: t.clientY, phase: Module.phase, held: null };
      if (stroke.phase === 'scroller') {
        const r = canvas.getBoundingClientRect();
        stroke.held = t.clientX < r.left + r.width / 2 ? 'ArrowLeft' : 'ArrowRight';
        key('keydown', stroke.held);
      }
    }, { passive: true });
    const strokeEnds = (event) => {
      if (!stroke) return;
      const t = [...event.changedTouches].find((c) => c.identifier === stroke.id);
      if (!t) return;
      if (stroke.held) key('keyup', stroke.held);
      const dx = t.clientX - stroke.x, dy = t.clientY - stroke.y;
      const far = Math.max(30, canvas.getBoundingClientRect().width * 0.06);
      if (stroke.phase === 'slideshow' && event.type === 'touchend' && Math.abs(dx) >= far &&
          Math.abs(dx) > 1.5 * Math.abs(dy)) {
        press(dx < 0 ? 'ArrowRight' : 'ArrowLeft');
      }
      stroke = null;
    };
    canvas.addEventListener('touchend', strokeEnds, { passive: true });
    canvas.addEventListener('touchcancel', strokeEnds, { passive: true });
  }

  // ------------------------------------------------------------ the words

  // What the screen says, for a viewer who cannot see it: each title card,
  // slide, the Scroller and each closing card, in words, once as it appears,
  // in a polite live region; nothing before the show plays.
  const said = document.getElementById('said');
  function announce(phase, words) {
    if (answer === null || answer === ANSWERS.cancel || failed || phase === 'loading' || !words) return;
    if (phase === 'scroller') words += ' All of it is below the show, under "Read the text".';
    if (said.textContent !== words) said.textContent = words;
  }

  // The scroll text as text on the page, below the show: built from the
  // program's own lines the first time it is opened, and nothing before. A
  // row of asterisks opens a section, an empty line ends a paragraph, a line
  // in capitals heads a recipe and its "  - " lines are its ingredients.
  function scrollTextNodes(lines) {
    const nodes = [];
    let section = null, block = null, list = null;
    const add = (tag, text) => {
      const el = document.createElement(tag);
      el.textContent = text;
      section.append(el);
      return el;
    };
    const newSection = () => {
      section = document.createElement('section');
      nodes.push(section);
      block = list = null;
    };
    newSection();
    for (const raw of lines) {
      const line = raw.trim();
      if (/^\*+$/.test(line)) {
        if (section.childNodes.length) newSection();
      } else if (!line) {
        block = list = null;
      } else if (/^ {2}- /.test(raw)) {
        if (!list) list = add('ul', '');
        const item = document.createElement('li');
        item.textContent = raw.replace(/^ {2}- /, '').trim();
        list.append(item);
        block = null;
      } else if (/^ {4}\S/.test(raw) && list && list.lastChild) {
        list.lastChild.textContent += ' ' + line;
      } else if (/[A-Z]/.test(line) && !/[a-z]/.test(line)) {
        add('h3', line);
        block = list = null;
      } else if (block) {
        block.textContent += ' ' + line;
      } else {
        block = add('p', line);
        list = null;
      }
    }
    return nodes.filter((n) => n.childNodes.length);
  }

  function setUpReading() {
    const toggle = document.getElementById('read-toggle');
    const panel = document.getElementById('scroll-text');
    const body = document.getElementById('scroll-text-body');
    const textReady = new Promise((resolve) => {
      Module.onScrollTextOffered = resolve;
      if (Module.scrollTextLines) resolve();
    });
    toggle.addEventListener('click', async () => {
      const open = toggle.getAttribute('aria-expanded') !== 'true';
      toggle.setAttribute('aria-expanded', String(open));
      if (open && !body.childNodes.length) {
        body.textContent = 'The text comes with the show\'s program…';
        panel.hidden = false;
        await textReady;
        body.replaceChildren(...scrollTextNodes(Module.scrollTextLines()));
      }
      panel.hidden = toggle.getAttribute('aria-expanded') !== 'true';
      if (!panel.hidden) panel.scrollIntoView({ block: 'start' });
    });
    // Keys on the control and in the text are the reader's (to move, select,
    // copy), not the show's; Tab moves between the page's controls whatever
    // has the focus, since the show has no use for it.
    for (const el of [toggle, panel]) {
      for (const type of ['keydown', 'keypress', 'keyup']) el.addEventListener(type, (e) => e.stopPropagation());
    }
    window.addEventListener('keydown', (e) => { if (e.key === 'Tab') e.stopPropagation(); }, true);
  }

  // ------------------------------------------------------------ the program

  // Once the package is in the program's file system: the pictures decoded
  // by the browser (off the page's thread where it can), each ready for the
  // program's IMG_Load, which looks for it there first, and the font loaded
  // for the scroll text. The program starts once the pictures are ready.
  let fontLoaded = Promise.resolve();
  let finerBytes = null;
  function prepareFiles() {
    Module.preloadedImages = Module.preloadedImages || {};
    // The finer pictures, one after another in their package as the build
    // lists them, beside the plain ones.
    if (finerBytes) {
      let at = 0;
      for (const [name, size] of built[FINER_PACKAGE].parts) {
        Module.FS.writeFile('/data/' + name, finerBytes.subarray(at, at + size));
        at += size;
      }
      Module.finerPictures = true;
      Module.finerScale = drawableSize()[1] / 600;
      finerBytes = null;
    }
    const waiting = [];
    const names = Module.FS.readdir('/data');
    for (const name of names) {
      // The photographs only: they have no transparency, which a canvas
      // would store multiplied into the colours; the program decodes the
      // pictures with it itself, straight into its memory. Where a finer
      // one is here, the program reads that (and the plain one only if the
      // finer fails, decoding it then itself).
      if (!/\.jpg$/.test(name) || !window.createImageBitmap) continue;
      if (!name.includes('@2x.') && names.includes(name.replace(/\.jpg$/, '@2x.jpg'))) continue;
      const path = '/data/' + name;
      waiting.push({ path, blob: new Blob([Module.FS.readFile(path)], { type: 'image/jpeg' }) });
    }
    // Two at a time, from the page's first paint: all at once, the decoders
    // would take every core from the page showing its question.
    const decodeNext = () => {
      const next = waiting.shift();
      if (!next) return Promise.resolve();
      return createImageBitmap(next.blob, { colorSpaceConversion: 'none' })
        .then((bitmap) => { Module.preloadedImages[next.path] = bitmap; })
        .catch(() => {})  // the program decodes it itself, and says so if it cannot
        .then(decodeNext);
    };
    const pictures = [firstPaint().then(decodeNext), firstPaint().then(decodeNext)];
    try {
      const face = new FontFace(FONT_FILE, Module.FS.readFile('/' + FONT_FILE));
      fontLoaded = face.load().then((loaded) => { document.fonts.add(loaded); }, () => {});
    } catch (e) {
      fontLoaded = Promise.resolve();  // the show says itself that the font is missing
    }
    Module.addRunDependency('pictures');
    Promise.all(pictures).then(() => {
      mark('pictures decoded');
      Module.removeRunDependency('pictures');
    });
  }

  function isNotice(text) {
    return /^WARNING: /.test(text) || / is a no-op for performance reasons$/.test(text);
  }
  let lastLine = '';

  function makeModule() {
    return {
      canvas: canvas,
      print: (text) => {
        lastLine = text;
        console.log(text);
      },
      // The show writes nothing to standard error; emscripten's notices about
      // its own workarounds are no errors of the show's.
      printErr: (text) => (isNotice(text) ? console.info : console.error)(text),
      // The page says itself how far the files have come.
      setStatus: () => {},
      // Each picture is loaded once: its decoded copy goes once used.
      freePreloadedMediaOnUse: true,
      preRun: [prepareFiles],
      hasAnswer: () => answer !== null,
      onScreenWords: announce,
      onRuntimeInitialized: () => mark('program started'),
      // The show's question: the dialog is up from the start, so the answer
      // may come before the program has arrived. The show goes on from it
      // once the page has been painted, since it asks for WebGL next.
      askQuestion: function (title, text) {
        document.getElementById('question-title').textContent = title;
        document.getElementById('question-text').textContent = text;
        return Promise.all([answered, fontLoaded, firstPaint()]).then(([which]) => {
          if (which !== ANSWERS.cancel) {
            status.dataset.done = '1';
            status.textContent = soundProblem;
          }
          return which;
        });
      },
      onShowEnded: function (exitStatus) {
        Module.showEnded = { status: exitStatus };
        document.body.classList.remove('playing');
        if (answer !== ANSWERS.cancel) status.textContent = 'The show has ended.';
      },
      // A failed start inside the program (it prints its reason, then exits 1).
      quit: function (exitStatus, toThrow) {
        if (exitStatus !== 0) {
          Module.showEnded = { status: exitStatus };
          fail(`The show stopped as it started: ${lastLine || 'it gave no reason'}.`,
            'Reload the page, or try another browser.');
        }
        throw toThrow;
      },
      onAbort: function (what) {
        fail(`The show stopped with an error inside the program (${what}).`, 'Reload the page, or try another browser.');
      },
    };
  }

  // The canvas's backing store: its size on the page in the screen's own
  // pixels, kept 4:3 and at most 2560 x 1920 (a larger one only costs time);
  // the program asks between frames and resizes it when this changes.
  function drawableSize() {
    const r = canvas.getBoundingClientRect();
    const ratio = window.devicePixelRatio || 1;
    let width = Math.round(Math.min(r.width * ratio, (r.height * ratio * 4) / 3, 2560) / 4) * 4;
    if (!(width >= 4)) width = 800;
    return [width, (width * 3) / 4];
  }

  function watchContext() {
    canvas.addEventListener('webglcontextlost', (event) => {
      event.preventDefault();
      if (!Module.showEnded) {
        fail('The browser took the show\'s drawing surface away (its WebGL context was lost).',
          'Reload the page to start the show again.');
      }
    });
  }

  // The song is decoded as soon as it is here and the page has been
  // painted, for the music to take when it starts. Without it the show plays in silence, as it does without its
  // music file anywhere, and the page says why.
  function decodeSong(song) {
    const decoding = window.OfflineAudioContext ? new OfflineAudioContext(2, 1, 44100) : null;
    const decoded = song.then((bytes) => firstPaint().then(() => bytes)).then((bytes) => {
      if (!decoding) throw new Error('no Web Audio');
      // Decoding takes its buffer away; the kept copy still reads from it.
      return decoding.decodeAudioData(bytes.buffer.slice(0));
    }).then((buffer) => {
      mark('music decoded');
      return buffer;
    }, (e) => {
      soundProblem = e instanceof FileProblem ? `${e.message} The show plays without its music.` :
        'This browser could not decode the music: the show plays without it.';
      if (status.dataset.done && !failed) status.textContent = soundProblem;
      throw Object.assign(new Error(soundProblem), { missing: e instanceof FileProblem });
    });
    decoded.catch(() => {});
    return decoded;
  }

  // The program compiled as soon as it is here; the script runs once the
  // package and the program are here, so that nothing of the show waits on
  // a file that never comes, and the page has been painted.
  function startProgram(script, program, data, finer) {
    const compiled = program.then((bytes) => WebAssembly.compile(bytes).catch(() => {
      throw new FileProblem("The show's program (mijotine.wasm) is damaged: this browser could not compile it.",
        RELOAD);
    }));
    Module.instantiateWasm = (imports, done) => {
      compiled.then((module) => WebAssembly.instantiate(module, imports).then((instance) => done(instance, module)))
        .catch((e) => fail(`The show's program could not be started (${e && e.message ? e.message : e}).`,
          'Reload the page, or try another browser.'));
      return {};
    };
    Promise.all([script, compiled, data, finer, firstPaint()]).then(([source, , package_, finerPackage]) => {
      if (failed) return;
      finerBytes = finerPackage;
      Module.getPreloadedPackage = () => package_.buffer;
      const tag = document.createElement('script');
      tag.src = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
      document.body.appendChild(tag);
    }, (e) => {
      if (e instanceof FileProblem) fail(e.message, e.advice);
      else fail(`The show could not be loaded (${e && e.message ? e.message : e}).`, RELOAD);
    });
  }

  // The finer pictures' package, for a dense screen (a pixel ratio above 1)
  // where the canvas is drawn larger than 800 x 600 and the browser does not
  // ask to save data; null where it is not wanted, or does not come whole:
  // the show then draws the plain ones. At a pixel ratio of 1 the page
  // fetches what it always has, whatever the window's size.
  function finerPictures(painting) {
    const wanted = built[FINER_PACKAGE] && (window.devicePixelRatio || 1) > 1 && drawableSize()[0] > 800 &&
      !(navigator.connection && navigator.connection.saveData);
    if (!wanted) return Promise.resolve(null);
    const file = { name: FINER_PACKAGE, what: 'finer pictures', type: 'application/octet-stream' };
    file.size = built[FINER_PACKAGE].size;
    FILES.push(file);
    return painting.then(() => download(file)).catch((e) => {
      console.warn(`${e && e.message ? e.message : e} The show draws its plain pictures.`);
      return null;
    });
  }

  // Once this build's files are all here and the show plays: the files put
  // away, and the worker that keeps them for a visit without a network,
  // named for this build.
  function keepForOffline(downloads) {
    const playing = new Promise((resolve) => { Module.onPhase = (phase) => { if (phase === 'intro') resolve(); }; });
    Promise.all([...downloads, playing]).then(() => setTimeout(() => {
      for (const put of keeping.splice(0)) put();
      if (buildName && navigator.serviceWorker && window.isSecureContext) {
        navigator.serviceWorker.register(`sw.js?build=${buildName}`).catch((e) => {
          console.warn(`This page will not play without a network: ${e}`);
        });
      }
    }, 1000), () => {});
  }

  // Once the page's first paint with the question in it is on the screen.
  // Until then the page starts nothing that takes the machine's time (the
  // decoders, the program, a WebGL context): on a machine of two cores the
  // browser's own drawing of that first frame has to share them, and until
  // it has, the first WebGL context a page asks for holds the page's thread.
  // A page in the background is not painted: after two seconds there (five
  // in front, for a browser that never says it painted) it goes on without.
  let painted = null;
  function firstPaint() {
    if (painted) return painted;
    painted = new Promise((resolve) => {
      setTimeout(() => {
        Module.painted = true;  // for the program, where no paint is reported
        resolve();
      }, document.hidden ? 2000 : 5000);
      const types = (window.PerformanceObserver && PerformanceObserver.supportedEntryTypes) || [];
      if (types.includes('paint')) {
        // The first paint with content: chromium may first paint the
        // backgrounds alone, and work started there holds up the next.
        new PerformanceObserver((list, observer) => {
          if (!list.getEntries().some((entry) => entry.name === 'first-contentful-paint')) return;
          observer.disconnect();
          setTimeout(resolve, 0);
        }).observe({ type: 'paint', buffered: true });
      } else {
        requestAnimationFrame(() => setTimeout(resolve, 0));
      }
    });
    return painted;
  }

  // The audio context takes a while to make (some 70 ms of the page's thread
  // here), so it is made while the question waits. Made before the viewer's
  // gesture, it waits suspended until the answer resumes it; made at the
  // answer, where the answer came first.
  function prepareSound() {
    if (answer !== null || Module.audioContext || !window.AudioContext) return;
    try {
      Module.audioContext = new AudioContext();
    } catch (e) {
      // made again at the answer, which says so if it cannot be
    }
  }

  // Whether the browser can draw at all, after the page's first paint.
  function checkDrawing() {
    firstPaint().then(() => {
      const drawable = hasWebGL();
      mark('webgl checked');
      if (!drawable) {
        fail('This browser cannot draw the show: WebGL is turned off or not available here.',
          'Try another browser, or turn on graphics (hardware) acceleration in this one.');
      }
    });
  }

  // The page's stand-ins first, then the question and the touch controls,
  // then the files: the small ones at once, the large ones from the first
  // paint (at once in a background tab, which is not painted).
  function start() {
    if (window.WebGLRenderingContext) webglShims(WebGLRenderingContext.prototype);
    canvasShims(HTMLCanvasElement.prototype);
    setUpQuestion();
    setUpTouch();
    window.Module = makeModule();
    setUpReading();
    Module.drawableSize = drawableSize;
    watchContext();
    writeProgress();
    const painting = document.hidden ? Promise.resolve() : firstPaint();
    const downloads = FILES.map((file) => (file.afterPaint ? painting.then(() => download(file)) : download(file)));
    const [script, program, data, song] = downloads;
    Module.decodedMusic = { [SONG_FILE]: decodeSong(song) };
    startProgram(script, program, data, finerPictures(painting));
    keepForOffline(downloads);
    checkDrawing();
    firstPaint().then(prepareSound);
    Module.questionShown = Promise.race([firstPaint(), answered]);
  }

  start();
}
