// The page around the game: the canvas, the keys, the sound, the start.
// The game reaches this through web/library.js (Module.web).
(function() {
  'use strict';
  var WIDTH = 640, HEIGHT = 480;
  var canvas = document.getElementById('screen');
  var start = document.getElementById('start');
  var status = document.getElementById('status');

  // SDL 1.2 key symbols of the physical keys (DOM KeyboardEvent.code).
  var SYMS = {
    Backspace: 8, Tab: 9, Enter: 13, NumpadEnter: 271, Escape: 27, Space: 32, Delete: 127,
    Quote: 39, Comma: 44, Minus: 45, Period: 46, Slash: 47, Semicolon: 59, Equal: 61,
    BracketLeft: 91, Backslash: 92, BracketRight: 93, Backquote: 96,
    ArrowUp: 273, ArrowDown: 274, ArrowRight: 275, ArrowLeft: 276,
    Insert: 277, Home: 278, End: 279, PageUp: 280, PageDown: 281,
    ShiftRight: 303, ShiftLeft: 304, ControlRight: 305, ControlLeft: 306, AltRight: 307, AltLeft: 308
  };
  for (var i = 0; i < 26; i++) SYMS['Key' + String.fromCharCode(65 + i)] = 97 + i;
  for (var d = 0; d < 10; d++) SYMS['Digit' + d] = 48 + d;
  for (var f = 1; f <= 15; f++) SYMS['F' + f] = 281 + f;
  // KMOD_LSHIFT, RSHIFT, LCTRL, RCTRL, LALT, RALT
  var MODS = { ShiftLeft: 0x1, ShiftRight: 0x2, ControlLeft: 0x40, ControlRight: 0x80, AltLeft: 0x100, AltRight: 0x200 };

  var web = {
    canvas: canvas,
    context: canvas.getContext('2d'),
    keys: [],
    frames: 0,
    pumps: 0,
    firstFrameAt: 0,
    audioBuffers: 0,
    audioSounding: 0,
    saves: 0,
    held: {},
    mod: 0,
    audio: null,
    audioContext: function(rate) {
      var Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) return null;
      if (web.audio && web.audio.sampleRate !== rate) {
        web.audio.close();
        web.audio = null;
      }
      if (!web.audio) {
        try { web.audio = new Context({ sampleRate: rate }); } catch (e) { return null; }
      }
      if (web.audio.state === 'suspended') web.audio.resume();
      return web.audio;
    },
    download: function(name, data) {
      var url = URL.createObjectURL(new Blob([data], { type: 'image/bmp' }));
      var link = document.createElement('a');
      link.href = url;
      link.download = name;
      document.body.appendChild(link);
      link.click();
      link.remove();
      setTimeout(function() { URL.revokeObjectURL(url); }, 10000);
      web.downloads = (web.downloads || 0) + 1;
    }
  };
  web.onFrame = function(n) {
    if (n === 1) web.firstFrameAt = performance.now();
  };

  function key(event, down) {
    var sym = SYMS[event.code];
    if (sym === undefined) return;
    event.preventDefault();  // no scrolling, no browser help on F1
    if (MODS[event.code]) web.mod = down ? (web.mod | MODS[event.code]) : (web.mod & ~MODS[event.code]);
    if (down && web.held[event.code]) return;  // SDL 1.2 has no key repeat unless asked
    if (down) web.held[event.code] = true; else delete web.held[event.code];
    web.keys.push({ down: down, sym: sym, mod: web.mod });
  }
  canvas.addEventListener('keydown', function(e) { key(e, true); });
  canvas.addEventListener('keyup', function(e) { key(e, false); });
  // A key let go while the page was not looking must not stay down.
  canvas.addEventListener('blur', function() {
    Object.keys(web.held).forEach(function(code) { web.keys.push({ down: false, sym: SYMS[code], mod: 0 }); });
    web.held = {};
    web.mod = 0;
  });
  document.addEventListener('mouseup', function(e) {
    if (e.target.tagName !== 'INPUT' && e.target.tagName !== 'BUTTON' && e.target.tagName !== 'A') canvas.focus();
  });

  // The largest whole factor that fits, so every pixel stays square and sharp.
  function fit() {
    var box = document.getElementById('stage');
    var room = box.getBoundingClientRect();
    var w = document.fullscreenElement ? window.innerWidth : Math.min(window.innerWidth - 16, room.width || window.innerWidth);
    var h = document.fullscreenElement ? window.innerHeight : window.innerHeight - 96;
    var factor = Math.max(1, Math.floor(Math.min(w / WIDTH, h / HEIGHT)));
    canvas.style.width = WIDTH * factor + 'px';
    canvas.style.height = HEIGHT * factor + 'px';
    web.scale = factor;
  }
  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', fit);
  fit();

  document.getElementById('fullscreen').addEventListener('click', function() {
    var stage = document.getElementById('stage');
    if (stage.requestFullscreen) stage.requestFullscreen().catch(function() {});
    canvas.focus();
  });

  // A player's own level pack goes into the working folder; the level-pack
  // menu lists it the next time it is shown (F2 in the map menu).
  document.getElementById('pack').addEventListener('change', function(e) {
    var file = e.target.files[0];
    if (!file) return;
    file.arrayBuffer().then(function(buffer) {
      var name = file.name.replace(/[^A-Za-z0-9._-]/g, '_');
      if (!/\.qs$/i.test(name)) name += '.qs';
      Module.FS.writeFile('/quarry/' + name, new Uint8Array(buffer));
      Module.FS.syncfs(false, function(err) {
        if (err) console.warn('quarry: the pack could not be stored: ' + err);
        else web.packsStored = (web.packsStored || 0) + 1;
      });
      status.textContent = name + ' added: choose it in the level-pack menu (F2).';
      canvas.focus();
    });
  });

  // Arguments for the game from the page address, e.g. ?args=--virtual-clock
  var args = new URLSearchParams(location.search).get('args');
  var ready = false, clicked = false;
  function run() {
    if (!ready || !clicked) return;
    status.textContent = '';
    web.startedAt = performance.now();
    canvas.focus();
    Module.callMain(args ? args.split(/\s+/).filter(Boolean) : []);
  }

  window.Module = {
    web: web,
    canvas: canvas,
    noInitialRun: true,
    thisProgram: 'quarry',  // the log is quarry.log
    // The page knows the game is loaded; the click starts it.
    onRuntimeInitialized: function() {
      ready = true;
      start.disabled = false;
      start.textContent = 'Click to play';
      run();
    },
    print: function(text) { console.log(text); },
    printErr: function(text) { console.warn(text); },
    setStatus: function(text) { if (text && !ready) status.textContent = text; },
    onAbort: function(what) { status.textContent = 'The game stopped: ' + what; },
    onExit: function(code) {
      web.exitCode = code;
      status.textContent = 'The game has ended' + (code ? ' (code ' + code + ')' : '') + ': reload the page to play again.';
    }
  };

  start.addEventListener('click', function() {
    if (clicked) return;
    clicked = true;
    web.audioContext(44100);  // made inside the click, so the browser lets it play
    start.hidden = true;
    run();
  });

  var script = document.createElement('script');
  script.src = 'quarry.js';
  document.body.appendChild(script);
})();
