// Plays the web build in headless Chromium, end to end:
//   node tests/web/play.mjs SITE_DIR [--screenshot FILE]
// intro -> player menu -> a new player -> first.qs -> map 1 played from its
// recorded solution -> completed; a reload keeps the player and the
// completion. Checks canvas pixels, the Web Audio output and the console, and
// prints the page's figures (load to first frame, frame interval, busy share).
// Every wait is bounded by a condition and the total time limit.
import http from 'node:http';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

const TOTAL_LIMIT_MS = 110000;
const site = path.resolve(process.argv[2] || 'build-web/site');
const shotAt = process.argv.indexOf('--screenshot') > 0 ? process.argv[process.argv.indexOf('--screenshot') + 1] : null;
const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const deadline = Date.now() + TOTAL_LIMIT_MS;
const left = () => Math.max(1, deadline - Date.now());

function fail(message) {
  console.error('web test FAILED: ' + message);
  process.exitCode = 1;
  throw new Error(message);
}
function check(condition, message) {
  if (!condition) fail(message);
  console.log('ok - ' + message);
}

// The recorded solution of the first pack's first map.
const mapSource = fs.readFileSync(path.join(root, 'data/levels/first/01-first-steps.map'), 'utf8');
const moves = mapSource.split('\n').filter(l => l.startsWith('solution:')).map(l => l.slice(9)).join('').replace(/[^UDLR.]/g, '');
check(moves.length > 10 && moves[0] !== '.', `map 1 has a recorded solution (${moves.length} ticks) that starts with a move`);

// --- a static server on 127.0.0.1 ------------------------------------------
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.data': 'application/octet-stream' };
const server = http.createServer((req, res) => {
  const name = decodeURIComponent(new URL(req.url, 'http://x').pathname).replace(/^\/+/, '') || 'index.html';
  const file = path.join(site, path.normalize(name));
  if (!file.startsWith(site) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
    res.writeHead(404);
    res.end();
    return;
  }
  res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
  fs.createReadStream(file).pipe(res);
});
await new Promise(resolve => server.listen(0, '127.0.0.1', resolve));
const url = `http://127.0.0.1:${server.address().port}/index.html`;

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'quarry-web-'));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  userDataDir: profile,
  protocolTimeout: TOTAL_LIMIT_MS,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required'],
});
const problems = [];
let page;

const downloads = path.join(profile, 'downloads');
async function openPage(query = '') {
  page = await browser.newPage();
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.setViewport({ width: 1400, height: 1100 });
  page.on('console', m => { if (m.type() === 'error') problems.push('console: ' + m.text()); });
  page.on('pageerror', e => problems.push('page error: ' + (e.stack || e.message)));
  page.on('requestfailed', r => problems.push('request failed: ' + r.url()));
  await page.goto(url + query, { timeout: left() });
  await page.waitForFunction(() => !document.getElementById('start').disabled, { timeout: left() });
  await page.click('#start');
  await page.waitForFunction(() => Module.web.frames > 0, { timeout: left() });
}

const game = () => page.evaluate(() => ({ frames: Module.web.frames, pumps: Module.web.pumps }));
async function waitPumps(n) {
  const p = (await game()).pumps;
  await page.waitForFunction((p, n) => Module.web.pumps >= p + n, { timeout: left() }, p, n);
}
// The game reads its key table once per frame: a key is held over three of
// them, then let go and the release seen.
async function hold(key) {
  await page.keyboard.down(key);
  await waitPumps(3);
  await page.keyboard.up(key);
  await waitPumps(2);
}
// [r, g, b] of the last frame shown, at 640 x 480 coordinates.
const pixel = (x, y) => page.evaluate((x, y) => Module.web.pixel(x, y), x, y);
const near = (a, b, tolerance = 8) => a.every((v, i) => Math.abs(v - b[i]) <= tolerance);
async function waitScreen(name, test) {
  await page.waitForFunction(test, { timeout: left(), polling: 'raf' });
  console.log('ok - ' + name);
}

// Screens, told apart by pixels at chosen points.
const LIST_BACK = [0x10, 0x18, 0x28];  // list box background
// The list boxes: the players' from x 60, the packs' from 120, the maps' from 80.
const onPlayerMenu = () => {
  const d = Module.web.pixel(70, 300);
  return Math.abs(d[0] - 0x10) < 8 && Math.abs(d[1] - 0x18) < 8 && Math.abs(d[2] - 0x28) < 8;
};
const onNameBox = () => {
  const d = Module.web.pixel(100, 255);
  return Math.abs(d[0] - 0x20) < 8 && Math.abs(d[1] - 0x28) < 8 && Math.abs(d[2] - 0x38) < 8;
};
const onPackMenu = () => {
  const d = Module.web.pixel(320, 300), e = Module.web.pixel(100, 300);
  return Math.abs(d[0] - 0x10) < 8 && Math.abs(d[1] - 0x18) < 8 && Math.abs(d[2] - 0x28) < 8 && e[0] + e[1] + e[2] === 0;
};
const onMapMenu = () => {
  const d = Module.web.pixel(100, 300), e = Module.web.pixel(70, 300);
  return Math.abs(d[0] - 0x10) < 8 && Math.abs(d[1] - 0x18) < 8 && Math.abs(d[2] - 0x28) < 8 && e[0] + e[1] + e[2] === 0;
};
// How many pixels of a box pass a test of [r, g, b].
const countPixels = (x0, y0, w, h, test) => page.evaluate((x0, y0, w, h, test) => {
  const pass = new Function('p', 'return ' + test);
  let n = 0;
  for (let y = y0; y < y0 + h; y++) for (let x = x0; x < x0 + w; x++) if (pass(Module.web.pixel(x, y))) n++;
  return n;
}, x0, y0, w, h, test);
// The colour of map 1's title in the map menu: yellow open, green completed.
async function firstMapColour() {
  const green = await countPixels(250, 176, 140, 16, 'p[1] > 150 && p[0] < 120');
  const yellow = await countPixels(250, 176, 140, 16, 'p[0] > 200 && p[1] > 200 && p[2] < 120');
  return green > yellow ? 'green' : yellow > green ? 'yellow' : 'none';
}

// The intro: Space (held) shortens each picture's wait, which shows no new
// frames; the fades are let run, so Space never reaches the menu.
async function skipIntro() {
  while (!(await page.evaluate(onPlayerMenu))) {
    const before = await game();
    await waitPumps(5);
    const after = await game();
    if (after.frames === before.frames && !(await page.evaluate(onPlayerMenu))) await hold('Space');
  }
  console.log('ok - the intro reaches the player menu');
}

try {
  // --- first visit ---------------------------------------------------------
  await openPage();
  const { firstFrame, started } = await page.evaluate(() => ({ firstFrame: Module.web.firstFrameAt, started: Module.web.startedAt }));
  check(firstFrame > started && started > 0, `game started ${Math.round(started)} ms after the page started loading, ` +
        `first frame ${Math.round(firstFrame)} ms`);
  const layout = await page.evaluate(() => {
    const c = document.getElementById('screen'), style = getComputedStyle(c);
    return { width: c.getBoundingClientRect().width, height: c.getBoundingClientRect().height,
             rendering: style.imageRendering, focused: document.activeElement === c };
  });
  check(layout.width === 1280 && layout.height === 960 && layout.rendering === 'pixelated' && layout.focused,
        `the canvas is scaled by 2 in a 1400 x 1100 window, pixelated, and has the focus (${JSON.stringify(layout)})`);
  await skipIntro();
  check(near(await pixel(320, 300), LIST_BACK), 'player menu: the list box is drawn');

  await hold('Enter');  // "-- New player --", the only entry
  await waitScreen('the name box is shown', onNameBox);
  await page.keyboard.down('Shift');
  await page.keyboard.press('KeyA');
  await page.keyboard.up('Shift');
  await page.keyboard.type('nn');
  await page.keyboard.press('Enter');  // the name box reads typed characters
  await waitScreen('back in the player menu', onPlayerMenu);
  await hold('Enter');  // Ann
  await page.waitForFunction(() => Module.FS.analyzePath('/quarry/players.dat').exists, { timeout: left() });
  check(true, 'players.dat written for the new player');
  await waitScreen('the level-pack menu is shown', onPackMenu);
  await hold('ArrowDown');  // expert.qs, first.qs, quarry.qs
  await hold('Enter');
  await waitScreen('the map menu is shown', onMapMenu);
  check(await firstMapColour() === 'yellow', 'map 1 is open (yellow)');
  check(await page.evaluate(() => window.scrollY === 0 && document.documentElement.scrollHeight > window.innerHeight),
        'the arrow keys went to the game, not to the page\'s scrolling');

  // Map 1 from its solution. The page plays it frame by frame: a key goes
  // down in the middle of the frames before the tick that reads it and stays
  // down while the next move is the same. The first move's tick is found by
  // watching the player leave his first cell.
  const metricsBefore = await page.metrics();
  await page.evaluate(moves => {
    const web = Module.web, canvas = web.canvas;
    const codes = { U: 'ArrowUp', D: 'ArrowDown', L: 'ArrowLeft', R: 'ArrowRight' };
    const send = (type, code) => canvas.dispatchEvent(new KeyboardEvent(type, { code: code, key: code, bubbles: true }));
    const play = web.play = { stage: 'wait', firstTick: 0, next: 1, times: [], draws: [], done: false };
    const previous = web.onFrame, draw = web.draw;
    web.draw = () => { if (!play.done) play.draws.push(performance.now()); draw(); };
    web.onFrame = n => {
      previous(n);
      play.times.push(performance.now());
      if (play.stage === 'wait') {
        // The cave's brick wall on the left: the map is shown; hold the first move.
        const wall = web.pixel(8, 100);
        if (wall[0] > 100 && wall[0] > wall[2]) {
          play.stage = 'first';
          send('keydown', codes[moves[0]]);
          send('keydown', 'KeyA');  // a screenshot, for one frame
          play.shotUntil = n + 1;
        }
      }
      if (play.shotUntil === n) send('keyup', 'KeyA');
      if (play.stage === 'first') {
        if (web.pixel(48, 96).join() === '0,0,0') {  // the start cell is dug out: tick 1 was this frame
          play.firstTick = n;
          play.stage = 'moves';
        }
      } else if (play.stage === 'moves' && n === play.firstTick + 7 * (play.next - 1) + 3) {
        const was = codes[moves[play.next - 1]], now = codes[moves[play.next]];
        // A "." holds no key for its tick.
        if (now !== was) {
          if (was) send('keyup', was);
          if (now) send('keydown', now);
        }
        if (play.next >= moves.length) { play.stage = 'over'; play.done = true; }
        play.next++;
      }
    };
  }, moves);
  const savesBefore = await page.evaluate(() => Module.web.saves);
  const soundBefore = await page.evaluate(() => ({ buffers: Module.web.audioBuffers, sounding: Module.web.audioSounding }));
  await hold('Enter');  // First Steps
  await page.waitForFunction(() => Module.web.play.done, { timeout: left() });
  check(true, `map 1 played: ${moves.length} moves from frame ${await page.evaluate(() => Module.web.play.firstTick)}`);
  // The game's frames (flips) and the canvas updates (one per display refresh).
  const playFigures = await page.evaluate(() => {
    const spread = t => {
      const d = t.slice(1).map((v, i) => v - t[i]).sort((a, b) => a - b);
      return { median: d[Math.floor(d.length / 2)], mean: (t[t.length - 1] - t[0]) / (t.length - 1), count: t.length,
               p5: d[Math.floor(d.length * 0.05)], p95: d[Math.floor(d.length * 0.95)], seconds: (t[t.length - 1] - t[0]) / 1000 };
    };
    return { flips: spread(Module.web.play.times.slice(10)), draws: spread(Module.web.play.draws.slice(5)) };
  });
  const metricsAfter = await page.metrics();
  const busy = (metricsAfter.TaskDuration - metricsBefore.TaskDuration) / (metricsAfter.Timestamp - metricsBefore.Timestamp);
  const sound = await page.evaluate(() => ({ state: Module.web.audio.state, buffers: Module.web.audioBuffers, sounding: Module.web.audioSounding }));
  check(sound.state === 'running', 'the Web Audio output is running');
  const played = sound.buffers - soundBefore.buffers, sounding = sound.sounding - soundBefore.sounding;
  check(played > 20 && sounding > played / 2, `the Web Audio output is not silent during play (${sounding} of ${played} buffers)`);

  // "Map Completed!" in the middle of the screen: yellow-ish text pixels.
  await page.waitForFunction(() => {
    let lit = 0;
    for (let y = 220; y < 250; y++) for (let x = 200; x < 440; x++) { const p = Module.web.pixel(x, y); if (p[0] > 180 && p[1] > 120) lit++; }
    return lit > 200;
  }, { timeout: left(), polling: 'raf' });
  check(true, '"Map Completed!" is shown');
  await page.waitForFunction(s => Module.web.saves > s && !Module.web.saving, { timeout: left() }, savesBefore);
  check(true, 'the completion is stored in the browser');
  await waitScreen('back in the map menu', onMapMenu);
  // A in the map's first frame: the screenshot arrives as a download.
  const shot = path.join(downloads, 'quarry0000.bmp');
  const shotDeadline = Date.now() + Math.min(10000, left());
  while (!(fs.existsSync(shot) && fs.statSync(shot).size >= 54 + 640 * 480 * 3) && Date.now() < shotDeadline) {
    await page.evaluate(() => new Promise(resolve => requestAnimationFrame(resolve)));
  }
  const bmp = fs.existsSync(shot) ? fs.readFileSync(shot) : Buffer.alloc(0);
  check(bmp.length >= 54 + 640 * 480 * 3 && bmp.toString('latin1', 0, 2) === 'BM' && bmp.readInt32LE(18) === 640,
        `the screenshot key offers quarry0000.bmp as a download (${bmp.length} bytes)`);
  check(!(await page.evaluate(() => Module.FS.analyzePath('/quarry/quarry0000.bmp').exists)),
        'the screenshot is not kept in the game\'s folder');
  check(await firstMapColour() === 'green', 'map 1 is completed (green)');
  // The canvas shows the game's screen: the same colours at chosen points
  // that do not change (the list, the margin, the title, "(F1)", the author
  // line, a locked map; the highlight bar pulses).
  await page.evaluate(() => new Promise(resolve => requestAnimationFrame(() => requestAnimationFrame(resolve))));
  const mismatches = await page.evaluate(() => {
    const points = [[100, 300], [70, 300], [320, 12], [600, 60], [330, 452], [300, 270]];
    return points.filter(([x, y]) => {
      const c = Module.web.context.getImageData(x, y, 1, 1).data, p = Module.web.pixel(x, y);
      return c[0] !== p[0] || c[1] !== p[1] || c[2] !== p[2];
    });
  });
  check(mismatches.length === 0, 'the canvas shows the screen at the chosen points' + (mismatches.length ? ': ' + JSON.stringify(mismatches) : ''));
  if (shotAt) {
    await page.evaluate(() => { document.getElementById('status').textContent = ''; });
    await page.setViewport({ width: 1000, height: 760 });
    await page.evaluate(() => window.dispatchEvent(new Event('resize')));
    await page.screenshot({ path: shotAt });
    console.log('page screenshot: ' + shotAt);
  }

  // A pack of the player's own, through the page's file picker.
  const ownPack = path.join(profile, 'mine.qs');
  fs.copyFileSync(path.join(site, '..', 'native', 'run', 'first.qs'), ownPack);
  await (await page.$('#pack')).uploadFile(ownPack);
  await page.waitForFunction(() => Module.FS.analyzePath('/quarry/mine.qs').exists && Module.web.packsStored > 0,
                             { timeout: left() });
  check(true, 'the file picker puts a pack into the working folder and the browser\'s storage');

  // --- a reload keeps the player, the completion and the pack ----------------
  await page.close();
  await openPage();
  check(await page.evaluate(() => Module.FS.analyzePath('/quarry/players.dat').exists), 'players.dat is back after the reload');
  check(await page.evaluate(() => Module.FS.analyzePath('/quarry/mine.qs').exists), 'the added pack is back after the reload');
  await skipIntro();
  // Two rows: Ann, then "-- New player --".
  const rows = await countPixels(200, 112, 240, 20, 'p[2] > 150');
  check(rows > 50, 'the player menu lists the saved player above "-- New player --"');
  await hold('Enter');  // Ann
  await page.waitForFunction(`(${onMapMenu})() || (${onPackMenu})()`, { timeout: left(), polling: 'raf' });
  if (await page.evaluate(onPackMenu)) {  // the level-pack menu, if it is asked again
    await hold('ArrowDown');
    await hold('Enter');
  }
  await waitScreen('the map menu is shown after the reload', onMapMenu);
  await hold('ArrowUp');  // the menu opens at the first unfinished map
  check(await firstMapColour() === 'green', 'map 1 is still completed after the reload');

  // Full screen: the stage fills the screen, the canvas keeps the focus.
  await page.click('#fullscreen');
  await page.waitForFunction(() => document.fullscreenElement && document.fullscreenElement.id === 'stage', { timeout: left() });
  check(await page.evaluate(() => document.activeElement === document.getElementById('screen')),
        'the full-screen button fills the screen with the game, which keeps the focus');
  await page.evaluate(() => document.exitFullscreen());

  // Escape in the map menu ends the game; the page says so.
  await page.keyboard.down('Escape');
  await page.waitForFunction(() => Module.web.exitCode !== undefined, { timeout: left() });
  await page.keyboard.up('Escape');
  check(await page.evaluate(() => Module.web.exitCode === 0 && /ended/.test(document.getElementById('status').textContent)),
        'Escape ends the game with code 0 and the page says so');

  // --virtual-clock from the page's address: the intro's waits run far
  // faster than in real time (two frames per 16 ms), and the page still
  // answers meanwhile.
  await page.close();
  await openPage('?args=--virtual-clock');
  const from = await page.evaluate(() => ({ pumps: Module.web.pumps, at: performance.now() }));
  let answers = 0;
  while ((await page.evaluate(() => Module.web.pumps)) < from.pumps + 1000) answers++;
  const took = await page.evaluate(() => performance.now()) - from.at;
  check(took < 1000 * 8 / 4 && answers > 10,
        `--virtual-clock: 1000 frames in ${Math.round(took)} ms, the page answered ${answers} times meanwhile`);

  check(problems.length === 0, 'no errors on the console' + (problems.length ? ': ' + problems.join('; ') : ''));
  const f = playFigures.flips, c = playFigures.draws, ms = v => v.toFixed(1) + ' ms';
  console.log(`figures: wasm ${fs.statSync(path.join(site, 'quarry.wasm')).size} bytes; game started ${Math.round(started)} ms, ` +
              `first frame ${Math.round(firstFrame)} ms after navigation; map 1: ${f.count} game frames in ${f.seconds.toFixed(1)} s ` +
              `(interval median ${ms(f.median)}, mean ${ms(f.mean)}, 5-95 % ${ms(f.p5)}-${ms(f.p95)}), ` +
              `${c.count} canvas updates (interval median ${ms(c.median)}, mean ${ms(c.mean)}, 5-95 % ${ms(c.p5)}-${ms(c.p95)}); ` +
              `main thread busy ${(100 * busy).toFixed(1)} %`);
  console.log('web test passed');
} catch (e) {
  if (!process.exitCode) console.error('web test FAILED: ' + e.message);
  process.exitCode = 1;
  if (page) {
    const log = await page.evaluate(() => {
      try { return new TextDecoder().decode(Module.FS.readFile('/quarry/quarry.log')).split('\n').slice(-15).join('\n'); } catch (x) { return ''; }
    }).catch(() => '');
    console.error('problems: ' + problems.join('; ') + '\nlast lines of quarry.log:\n' + log);
    await page.screenshot({ path: path.join(os.tmpdir(), 'quarry-web-failure.png') }).catch(() => {});
  }
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}
