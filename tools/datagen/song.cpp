#include "song.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <numbers>
#include <sstream>

#include "image.h"

namespace datagen {
namespace {

constexpr double kTau = 2 * std::numbers::pi;
// Note C-4 with relative note +12 plays a sample at 16726 Hz: one-shot sounds
// are rendered at that rate with their pitch on middle C, and a looped wave of
// 64 points per cycle sounds middle C too.
constexpr double kOneShotRate = 16726.0;
constexpr double kMiddleC = 16726.0 / 64;
constexpr int kCycle = 64;
constexpr double kFullScale = 29000;  // about -1 dBFS per sample, room for interpolation

std::vector<int16_t> Normalised(const std::vector<double>& wave) {
  double peak = 1e-9;
  for (double v : wave) peak = std::max(peak, std::abs(v));
  std::vector<int16_t> out(wave.size());
  for (size_t i = 0; i < wave.size(); ++i) out[i] = static_cast<int16_t>(std::lround(wave[i] / peak * kFullScale));
  return out;
}

// Band-limited additive wave: harmonic n at amplitude amp(n), over `cycles`
// cycles of 64 points each. Several detunings of whole cycles per loop give a
// slow, click-free chorus, since every voice ends its loop where it began.
std::vector<int16_t> Additive(int harmonics, const std::function<double(int)>& amp, int loopCycles = 1,
                              std::vector<int> voiceCycles = {}) {
  if (voiceCycles.empty()) voiceCycles = {loopCycles};
  const size_t n = static_cast<size_t>(kCycle) * loopCycles;
  std::vector<double> wave(n, 0.0);
  for (int voice : voiceCycles)
    for (int h = 1; h <= harmonics; ++h)
      for (size_t i = 0; i < n; ++i)
        wave[i] += amp(h) * std::sin(kTau * h * voice * static_cast<double>(i) / n + voice * h * 0.7);
  return Normalised(wave);
}

XmInstrument Looped(const std::string& name, std::vector<int16_t> data, std::vector<std::pair<uint16_t, uint16_t>> envelope,
                    int sustain, uint16_t fadeout) {
  XmInstrument ins;
  ins.name = name;
  ins.sample.loopLength = static_cast<uint32_t>(data.size());
  ins.sample.data = std::move(data);
  ins.sample.relativeNote = 12;
  ins.volumeEnvelope = std::move(envelope);
  ins.sustainPoint = sustain;
  ins.fadeout = fadeout;
  return ins;
}

XmInstrument OneShot(const std::string& name, double seconds, const std::function<double(double)>& shape) {
  XmInstrument ins;
  ins.name = name;
  std::vector<double> wave(static_cast<size_t>(seconds * kOneShotRate));
  for (size_t i = 0; i < wave.size(); ++i) {
    const double t = i / kOneShotRate;
    const double tail = std::min(1.0, (seconds - t) / 0.01);  // fades out, never stops with a click
    wave[i] = shape(t) * tail;
  }
  ins.sample.data = Normalised(wave);
  ins.sample.relativeNote = 12;
  return ins;
}

// A plucked string: a burst of noise circulating in a delay line of one
// period, averaged a little on every pass.
XmInstrument Pluck() {
  Noise n(21);
  std::vector<double> line(kCycle);
  for (double& v : line) v = n.Unit() * 2 - 1;
  std::vector<double> wave(static_cast<size_t>(1.4 * kOneShotRate));
  double previous = 0;
  for (size_t i = 0; i < wave.size(); ++i) {
    const double v = line[i % kCycle];
    line[i % kCycle] = 0.996 * (0.5 * v + 0.5 * previous);
    previous = v;
    wave[i] = v * std::min(1.0, (wave.size() - i) / 160.0);
  }
  XmInstrument ins;
  ins.name = "pluck";
  ins.sample.data = Normalised(wave);
  ins.sample.relativeNote = 12;
  return ins;
}

const std::vector<std::pair<char, std::string>> kKit = {{'k', "kick"}, {'s', "snare"}, {'h', "hat"}, {'o', "openhat"}, {'t', "tom"}};

int ParseNote(const std::string& token) {
  static const std::map<char, int> base = {{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5}, {'G', 7}, {'A', 9}, {'B', 11}};
  if (token.size() < 2 || token.size() > 3 || !base.count(token[0])) return -1;
  int semitone = base.at(token[0]);
  size_t pos = 1;
  if (token[pos] == '#') { ++semitone; ++pos; }
  else if (token[pos] == 'b') { --semitone; ++pos; }
  if (pos + 1 != token.size() || token[pos] < '0' || token[pos] > '7') return -1;
  int note = (token[pos] - '0') * 12 + semitone + 1;
  return (note >= 1 && note <= 96) ? note : -1;
}

struct Channel {
  std::string name;
  std::vector<int> sources;  // indexes into SongInstruments(): one, or the whole kit
  bool drums = false;
  int pan = 0, volume = 64;
  int echoOf = -1, echoTicks = 0;
  int firstInstrument = 0;  // 1-based number of its first copy in the module
};

}  // namespace

std::vector<XmInstrument> SongInstruments() {
  std::vector<XmInstrument> set;
  // Hollow pulse lead with a vibrato that comes in after the attack.
  XmInstrument lead = Looped("lead", Additive(18, [](int h) { return std::sin(std::numbers::pi * h * 0.3) / h; }),
                             {{0, 0}, {2, 64}, {10, 46}, {40, 40}, {70, 0}}, 3, 1200);
  lead.vibratoSweep = 30, lead.vibratoDepth = 5, lead.vibratoRate = 10;
  set.push_back(lead);
  set.push_back(Looped("bass", Additive(12, [](int h) { return std::pow(h, -1.4); }),
                       {{0, 64}, {5, 54}, {40, 40}, {60, 0}}, 2, 2000));
  // Soft pad: two detuned voices, about 13 cents apart.
  set.push_back(Looped("pad", Additive(6, [](int h) { return 1.0 / (h * h); }, 128, {128, 129}),
                       {{0, 0}, {30, 44}, {60, 40}, {130, 0}}, 2, 500));
  // Bright ensemble: three voices around the note.
  XmInstrument strings = Looped("strings", Additive(14, [](int h) { return 1.0 / h; }, 128, {128, 129, 127}),
                                {{0, 0}, {14, 56}, {30, 48}, {80, 0}}, 2, 800);
  strings.vibratoSweep = 60, strings.vibratoDepth = 3, strings.vibratoRate = 8;
  set.push_back(strings);
  set.push_back(Looped("organ", Additive(8, [](int h) {
                         static const double bars[9] = {0, 1.0, 0.7, 0.45, 0.3, 0, 0.2, 0, 0.15};
                         return bars[h];
                       }),
                       {{0, 40}, {2, 60}, {6, 52}, {16, 0}}, 2, 3000));
  XmInstrument flute = Looped("flute", Additive(3, [](int h) { return h == 1 ? 1.0 : (h == 2 ? 0.15 : 0.06); }),
                              {{0, 0}, {6, 56}, {20, 50}, {45, 0}}, 2, 900);
  flute.vibratoSweep = 40, flute.vibratoDepth = 7, flute.vibratoRate = 12;
  set.push_back(flute);
  // A bell's inharmonic partials, the higher ones dying first.
  set.push_back(OneShot("bell", 1.6, [](double t) {
    const double f = kMiddleC;
    return std::sin(kTau * f * t) * std::exp(-t * 2.2) + 0.5 * std::sin(kTau * 2.76 * f * t) * std::exp(-t * 4) +
           0.3 * std::sin(kTau * 5.4 * f * t) * std::exp(-t * 7) + 0.2 * std::sin(kTau * 8.93 * f * t) * std::exp(-t * 11);
  }));
  set.push_back(Pluck());

  auto noise = std::make_shared<Noise>(4);
  auto white = [noise] { return noise->Unit() * 2 - 1; };
  set.push_back(OneShot("kick", 0.32, [](double t) {
    const double phase = kTau * (45 * t + 105 * (1 - std::exp(-t * 28)) / 28);  // 150 Hz falling to 45 Hz
    return std::sin(phase) * std::exp(-t * 9) + (t < 0.004 ? 0.4 : 0.0);
  }));
  auto low = std::make_shared<double>(0.0);
  set.push_back(OneShot("snare", 0.22, [white, low](double t) {
    *low += (white() - *low) * 0.45;
    return 0.8 * *low * std::exp(-t * 18) + 0.5 * std::sin(kTau * 185 * t) * std::exp(-t * 30);
  }));
  auto hatLow = std::make_shared<double>(0.0);
  auto hat = [white, hatLow](double decay) {
    return [white, hatLow, decay](double t) {
      const double w = white();
      *hatLow += (w - *hatLow) * 0.3;
      return (w - *hatLow) * std::exp(-t * decay);  // only the hiss above the low-passed part
    };
  };
  set.push_back(OneShot("hat", 0.06, hat(60)));
  set.push_back(OneShot("openhat", 0.32, hat(9)));
  set.push_back(OneShot("tom", 0.36, [](double t) {
    return std::sin(kTau * (110 * t + 90 * (1 - std::exp(-t * 12)) / 12)) * std::exp(-t * 8);
  }));
  return set;
}

XmModule CompileSong(const std::string& text) {
  const std::vector<XmInstrument> instruments = SongInstruments();
  std::map<std::string, int> instrumentIndex;
  for (size_t i = 0; i < instruments.size(); ++i) instrumentIndex[instruments[i].name] = static_cast<int>(i);

  XmModule m;
  std::vector<Channel> channels;
  std::map<std::string, int> patternIndex;
  std::vector<std::string> orderNames;
  // Per pattern: the cells of each channel that has a line, by channel.
  std::vector<std::map<int, std::vector<XmCell>>> parsed;
  bool inPattern = false;

  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  auto fail = [&](const std::string& what) {
    throw SongError("line " + std::to_string(lineNo) + ": " + what);
  };
  auto findChannel = [&](const std::string& name) {
    for (size_t c = 0; c < channels.size(); ++c)
      if (channels[c].name == name) return static_cast<int>(c);
    return -1;
  };
  auto number = [&](std::istringstream& words, int low, int high, const std::string& what) {
    int v = 0;
    if (!(words >> v) || v < low || v > high) fail("bad " + what);
    return v;
  };

  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string word;
    if (!(words >> word) || word[0] == '#') continue;
    if (inPattern) {
      if (word == "end") { inPattern = false; continue; }
      const int c = findChannel(word);
      if (c < 0) fail("unknown channel '" + word + "'");
      const Channel& ch = channels[c];
      if (ch.echoOf >= 0) fail("echo channel '" + word + "' takes its notes from '" + channels[ch.echoOf].name + "'");
      if (parsed.back().count(c)) fail("channel '" + word + "' twice in one pattern");
      // Bars first, so "%" can repeat one.
      std::vector<std::vector<std::string>> bars(1);
      std::string token;
      while (words >> token) {
        if (token == "|") {
          if (!bars.back().empty()) bars.emplace_back();
        } else {
          bars.back().push_back(token);
        }
      }
      std::vector<XmCell> cells;
      for (size_t b = 0; b < bars.size(); ++b) {
        if (bars[b].size() == 1 && bars[b][0] == "%") {
          if (b == 0) fail("'%' with no bar before it");
          bars[b] = bars[b - 1];
        }
        for (const std::string& t : bars[b]) {
          XmCell cell;
          if (t == ".") {
          } else if (t == "^") {
            cell.note = 97;
          } else if (ch.drums) {
            auto hit = std::find_if(kKit.begin(), kKit.end(), [&](const auto& k) { return t.size() == 1 && k.first == t[0]; });
            if (hit == kKit.end()) fail("unknown drum '" + t + "'");
            cell.note = 49;
            cell.instrument = static_cast<uint8_t>(ch.firstInstrument + (hit - kKit.begin()));
          } else {
            const int note = ParseNote(t);
            if (note < 0) fail("bad note '" + t + "'");
            cell.note = static_cast<uint8_t>(note);
            cell.instrument = static_cast<uint8_t>(ch.firstInstrument);
          }
          cells.push_back(cell);
        }
      }
      if (cells.empty() || cells.size() > 256) fail("a channel needs 1 to 256 rows");
      if (!parsed.back().empty() && parsed.back().begin()->second.size() != cells.size())
        fail("channel has " + std::to_string(cells.size()) + " rows, the pattern has " +
             std::to_string(parsed.back().begin()->second.size()));
      parsed.back()[c] = std::move(cells);
      continue;
    }
    if (word == "title") {
      std::getline(words >> std::ws, m.name);
    } else if (word == "speed") {
      m.speed = number(words, 1, 31, "speed");
    } else if (word == "bpm") {
      m.bpm = number(words, 32, 255, "bpm");
    } else if (word == "channel") {
      if (!parsed.empty()) fail("channels are declared before the patterns");
      Channel ch;
      std::string instrument;
      if (!(words >> ch.name >> instrument)) fail("channel needs a name and an instrument");
      if (findChannel(ch.name) >= 0) fail("channel '" + ch.name + "' declared twice");
      if (instrument == "drums") {
        ch.drums = true;
        for (const auto& [letter, drum] : kKit) ch.sources.push_back(instrumentIndex.at(drum));
      } else if (auto found = instrumentIndex.find(instrument);
                 found != instrumentIndex.end() && std::none_of(kKit.begin(), kKit.end(), [&](const auto& k) { return k.second == instrument; })) {
        ch.sources.push_back(found->second);
      } else {
        fail("unknown instrument '" + instrument + "'");
      }
      while (words >> word) {
        if (word == "pan") {
          ch.pan = number(words, -100, 100, "pan");
        } else if (word == "vol") {
          ch.volume = number(words, 0, 64, "vol");
        } else if (word == "echo") {
          std::string source;
          words >> source;
          ch.echoOf = findChannel(source);
          if (ch.echoOf < 0 || channels[ch.echoOf].echoOf >= 0) fail("echo needs an earlier channel that is no echo");
          if (channels[ch.echoOf].drums != ch.drums) fail("an echo plays the instrument of its source");
          ch.echoTicks = number(words, 1, 15, "echo ticks");
        } else {
          fail("unknown channel setting '" + word + "'");
        }
      }
      ch.firstInstrument = channels.empty() ? 1 : channels.back().firstInstrument + static_cast<int>(channels.back().sources.size());
      channels.push_back(std::move(ch));
    } else if (word == "order") {
      while (words >> word) orderNames.push_back(word);
    } else if (word == "pattern") {
      if (!(words >> word)) fail("pattern needs a name");
      if (patternIndex.count(word)) fail("pattern '" + word + "' defined twice");
      if (channels.empty()) fail("no channel declared");
      patternIndex[word] = static_cast<int>(parsed.size());
      parsed.emplace_back();
      inPattern = true;
    } else {
      fail("unknown keyword '" + word + "'");
    }
  }
  if (inPattern) fail("pattern not closed with 'end'");
  if (parsed.empty()) fail("no patterns");
  if (orderNames.empty()) fail("no order");
  if (channels.size() > 32) fail("more than 32 channels");
  for (const Channel& ch : channels)
    if (ch.echoOf >= 0 && ch.echoTicks >= m.speed) fail("echo of channel '" + ch.name + "' is not shorter than a row");

  // Each channel's own copies of its instruments, in channel order.
  for (const Channel& ch : channels) {
    for (int source : ch.sources) {
      XmInstrument copy = instruments[source];
      copy.sample.panning = static_cast<uint8_t>(128 + std::lround(ch.pan * 127 / 100.0));
      copy.sample.volume = static_cast<uint8_t>(ch.volume);
      m.instruments.push_back(std::move(copy));
    }
  }
  if (m.instruments.size() > 128) fail("more than 128 instruments in all");

  m.channels = static_cast<int>(channels.size());
  for (size_t p = 0; p < parsed.size(); ++p) {
    if (parsed[p].empty()) fail("pattern without lines");
    XmPattern pattern;
    pattern.rows = static_cast<int>(parsed[p].begin()->second.size());
    pattern.cells.resize(static_cast<size_t>(pattern.rows) * channels.size());
    for (size_t c = 0; c < channels.size(); ++c) {
      const Channel& ch = channels[c];
      const int source = ch.echoOf >= 0 ? ch.echoOf : static_cast<int>(c);
      auto lineCells = parsed[p].find(source);
      if (lineCells == parsed[p].end()) continue;
      for (int r = 0; r < pattern.rows; ++r) {
        XmCell cell = lineCells->second[r];
        if (ch.echoOf >= 0 && cell.note) {
          if (cell.instrument) cell.instrument = static_cast<uint8_t>(cell.instrument - channels[source].firstInstrument + ch.firstInstrument);
          cell.effect = 0x0E;  // note delay
          cell.param = static_cast<uint8_t>(0xD0 | ch.echoTicks);
        }
        pattern.cells[r * channels.size() + c] = cell;
      }
    }
    m.patterns.push_back(std::move(pattern));
  }
  for (const std::string& name : orderNames) {
    auto found = patternIndex.find(name);
    if (found == patternIndex.end()) fail("order names unknown pattern '" + name + "'");
    m.order.push_back(static_cast<uint8_t>(found->second));
  }
  return m;
}

}  // namespace datagen
