'use strict';
// The page around the show: the start-up question as the page's own dialog,
// the sound and full screen that the viewer's answer allows, the show's own
// typeface for its text, and the emscripten module's settings.
(function () {
  const canvas = document.getElementById('canvas');
  const dialog = document.getElementById('question');
  const status = document.getElementById('status');
  // The show opens "./data/font.ttf"; the browser's SDL_ttf draws with the
  // font family of that (normalised) name.
  const FONT_FILE = 'data/font.ttf';
  const ANSWERS = { yes: 0, no: 1, cancel: 2 };

  let answer = null;
  let answerGiven = null;
  const answered = new Promise((resolve) => { answerGiven = resolve; });

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
  webglShims(WebGLRenderingContext.prototype);

  // SDL's surfaces are canvases whose pixels the show reads back.
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (type, options) {
    if (type === '2d') options = Object.assign({ willReadFrequently: true }, options);
    return getContext.call(this, type, options);
  };

  function answerWith(which) {
    if (answer !== null) return;
    answer = which;
    dialog.hidden = true;
    document.removeEventListener('keydown', onDialogKey, true);
    if (which === ANSWERS.cancel) {
      document.body.classList.add('not-run');
      status.textContent = 'The show was not run.';
    } else {
      // The answer is the viewer's gesture: the only moment a page may start
      // its sound or ask for full screen.
      try {
        Module.audioContext = new AudioContext();
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
  document.addEventListener('keydown', onDialogKey, true);
  document.getElementById('answer-yes').addEventListener('click', () => answerWith(ANSWERS.yes));
  document.getElementById('answer-no').addEventListener('click', () => answerWith(ANSWERS.no));
  document.getElementById('answer-cancel').addEventListener('click', () => answerWith(ANSWERS.cancel));

  // The font comes out of the data package once it has arrived.
  function loadFont() {
    try {
      const bytes = Module.FS.readFile('/' + FONT_FILE);
      const face = new FontFace(FONT_FILE, bytes);
      return face.load().then((loaded) => { document.fonts.add(loaded); });
    } catch (e) {
      return Promise.resolve();  // the show says itself that the font is missing
    }
  }

  function isNotice(text) {
    return /^WARNING: /.test(text) || / is a no-op for performance reasons$/.test(text);
  }

  window.Module = {
    canvas: canvas,
    print: (text) => console.log(text),
    // The show writes nothing to standard error; emscripten's notices about
    // its own workarounds are no errors of the show's.
    printErr: (text) => (isNotice(text) ? console.info : console.error)(text),
    setStatus: (text) => {
      if (answer !== ANSWERS.cancel) status.textContent = text.replace(/\(\d+\/\d+\)/, '');
    },
    // The show's question: the dialog is up from the start, so the answer
    // may come before the program has arrived.
    askQuestion: function (title, text) {
      document.getElementById('question-title').textContent = title;
      document.getElementById('question-text').textContent = text;
      return Promise.all([answered, loadFont()]).then(([which]) => {
        if (which !== ANSWERS.cancel) status.textContent = '';
        return which;
      });
    },
    onShowEnded: function (exitStatus) {
      Module.showEnded = { status: exitStatus };
      if (answer !== ANSWERS.cancel) status.textContent = 'The show has ended.';
    },
  };
})();
