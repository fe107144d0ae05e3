// The game's calls into the page (src/core/browser.cpp). The page's own state
// (canvas, key queue, audio context) is Module.web, set up by quarry-web.js.
mergeInto(LibraryManager.library, {
  // The working folder is kept in IndexedDB. The shipped data is preloaded
  // at /shipped and copied in after the load, so that mounting the storage
  // does not hide it; only the player's own files are ever written back.
  quarry_web_storage_start__deps: ['$FS', '$IDBFS', '$Asyncify'],
  quarry_web_storage_start: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      var dir = '/quarry';
      var shipped = FS.readdir('/shipped').filter(function(n) { return n !== '.' && n !== '..'; });
      var own = function(path) {
        var name = path.substring(path.lastIndexOf('/') + 1);
        if (/^players\.dat(\.bak)?$/.test(name)) return true;
        return /\.qs$/i.test(name) && shipped.indexOf(name) < 0;
      };
      FS.mkdir(dir);
      FS.mount(IDBFS, {}, dir);
      var localSet = IDBFS.getLocalSet;
      IDBFS.getLocalSet = function(mount, callback) {
        localSet(mount, function(err, set) {
          if (set) {
            Object.keys(set.entries).forEach(function(path) {
              if (!own(path)) delete set.entries[path];
            });
          }
          callback(err, set);
        });
      };
      FS.syncfs(true, function(err) {
        if (err) console.warn('quarry: saved progress could not be loaded: ' + err);
        shipped.forEach(function(name) {
          FS.writeFile(dir + '/' + name, FS.readFile('/shipped/' + name));
          FS.unlink('/shipped/' + name);
        });
        FS.chdir(dir);
        wakeUp();
      });
    });
  },

  quarry_web_storage_save__deps: ['$FS'],
  quarry_web_storage_save: function() {
    var web = Module.web;
    web.saving = (web.saving || 0) + 1;
    FS.syncfs(false, function(err) {
      web.saving--;
      if (err) console.warn('quarry: progress could not be stored: ' + err);
      else web.saves = (web.saves || 0) + 1;
    });
  },

  quarry_web_download__deps: ['$FS'],
  quarry_web_download: function(pathPtr) {
    var path = UTF8ToString(pathPtr);
    var data = FS.readFile(path);
    Module.web.download(path.substring(path.lastIndexOf('/') + 1), data);
  },

  // The game flips up to twice per display refresh: each flip only notes
  // where the screen is, and the page converts it once per refresh. Between
  // flips the screen surface holds the last flipped frame, since the game
  // draws elsewhere and flips only while it runs.
  quarry_web_present: function(pixels, width, height, pitch) {
    var web = Module.web;
    if (!web.draw) {
      // The last flipped screen onto the canvas (0x00RRGGBB words in memory).
      web.draw = function() {
        var screen = web.screen;
        if (!screen) return;
        var width = screen.width, height = screen.height;
        if (!web.image || web.image.width !== width || web.image.height !== height) {
          web.canvas.width = width;
          web.canvas.height = height;
          web.image = web.context.createImageData(width, height);
          web.image32 = new Uint32Array(web.image.data.buffer);
        }
        var memory = HEAPU32, out = web.image32, rowWords = screen.pitch >> 2;
        for (var y = 0; y < height; y++) {
          var from = (screen.ptr >> 2) + y * rowWords, to = y * width;
          for (var x = 0; x < width; x++) {
            var p = memory[from + x];
            out[to + x] = 0xFF000000 | ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
          }
        }
        web.context.putImageData(web.image, 0, 0);
      };
      // [r, g, b] of the last flipped screen, read from the game's memory.
      web.pixel = function(x, y) {
        var screen = web.screen;
        if (!screen || x < 0 || y < 0 || x >= screen.width || y >= screen.height) return [0, 0, 0];
        var p = HEAPU32[(screen.ptr + y * screen.pitch + 4 * x) >> 2];
        return [(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF];
      };
    }
    web.screen = { ptr: pixels, width: width, height: height, pitch: pitch };
    web.frames++;
    if (web.onFrame) web.onFrame(web.frames);
    if (!web.drawPending) {
      web.drawPending = true;
      requestAnimationFrame(function() {
        web.drawPending = false;
        web.draw();
      });
    }
  },

  quarry_web_next_key: function(downPtr, symPtr, modPtr) {
    var key = Module.web.keys.shift();
    if (!key) {
      Module.web.pumps++;  // the queue is drained once per pump of the game's events
      return 0;
    }
    HEAP32[downPtr >> 2] = key.down ? 1 : 0;
    HEAP32[symPtr >> 2] = key.sym;
    HEAP32[modPtr >> 2] = key.mod;
    return 1;
  },

  // The mixer fills 16-bit stereo buffers at its own rate; the audio
  // context runs at that rate too, so no resampling is needed here.
  quarry_web_audio_open: function(rate) {
    var web = Module.web;
    var context = web.audioContext(rate);
    if (!context) return 0;
    var frames = 2048;
    var node = context.createScriptProcessor(frames, 0, 2);
    node.onaudioprocess = function(event) {
      var left = event.outputBuffer.getChannelData(0);
      var right = event.outputBuffer.getChannelData(1);
      var ptr = Module._quarry_fill_audio(frames) >> 1;
      var peak = 0;
      for (var i = 0; i < frames; i++) {
        var l = HEAP16[ptr + 2 * i], r = HEAP16[ptr + 2 * i + 1];
        left[i] = l / 32768;
        right[i] = r / 32768;
        var a = l < 0 ? -l : l;
        if (a > peak) peak = a;
      }
      web.audioBuffers++;
      if (peak > 0) web.audioSounding++;
    };
    node.connect(context.destination);
    web.audioNode = node;
    return 1;
  },

  quarry_web_audio_close: function() {
    var web = Module.web;
    if (web.audioNode) {
      web.audioNode.disconnect();
      web.audioNode.onaudioprocess = null;
      web.audioNode = null;
    }
  },
});
