#include "song.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <sstream>

#include "image.h"

namespace datagen {
namespace {

constexpr double kTau = 2 * std::numbers::pi;
// Single-cycle waves of 64 samples play one octave low at the base rate, so
// the relative note +12 puts note C-4 on middle C.
constexpr int kCycle = 64;

std::vector<int8_t> Cycle(double (*wave)(double)) {
  std::vector<int8_t> out(kCycle);
  for (int i = 0; i < kCycle; ++i)
    out[i] = static_cast<int8_t>(std::lround(wave(static_cast<double>(i) / kCycle) * 100));
  return out;
}

XmInstrument Looped(const std::string& name, double (*wave)(double), uint8_t volume,
                    std::vector<std::pair<uint16_t, uint16_t>> envelope) {
  XmInstrument ins;
  ins.name = name;
  ins.sample.data = Cycle(wave);
  ins.sample.loopStart = 0;
  ins.sample.loopLength = kCycle;
  ins.sample.volume = volume;
  ins.sample.relativeNote = 12;
  ins.volumeEnvelope = std::move(envelope);
  return ins;
}

// Drum hits are one-shot samples rendered at twice the base rate (relative
// note +12), so they sound as written when triggered on C-4.
XmInstrument Drum(const std::string& name, double seconds, uint32_t seed,
                  double (*shape)(double t, double noise)) {
  constexpr double rate = 16726.0;
  XmInstrument ins;
  ins.name = name;
  Noise n(seed);
  size_t count = static_cast<size_t>(seconds * rate);
  for (size_t i = 0; i < count; ++i) {
    double v = shape(i / rate, n.Unit() * 2 - 1);
    ins.sample.data.push_back(static_cast<int8_t>(std::lround(std::clamp(v, -1.0, 1.0) * 120)));
  }
  ins.sample.relativeNote = 12;
  ins.sample.volume = 64;
  return ins;
}

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

}  // namespace

std::vector<XmInstrument> SongInstruments() {
  std::vector<XmInstrument> set;
  set.push_back(Looped("lead", [](double p) { return p < 0.5 ? 0.6 : -0.6; }, 40,
                       {{0, 64}, {6, 46}, {30, 30}, {90, 0}}));
  set.push_back(Looped("bass", [](double p) { return p < 0.5 ? 4 * p - 1 : 3 - 4 * p; }, 60,
                       {{0, 64}, {20, 44}, {80, 0}}));
  set.push_back(Looped("pad", [](double p) { return 0.5 * std::sin(kTau * p) + 0.25 * std::sin(2 * kTau * p); }, 36,
                       {{0, 10}, {16, 50}, {60, 40}, {200, 0}}));
  set.push_back(Looped("bell", [](double p) { return std::sin(kTau * p) * 0.8 + 0.2 * std::sin(3 * kTau * p); }, 48,
                       {{0, 64}, {10, 30}, {60, 0}}));
  set.push_back(Drum("kick", 0.18, 3, [](double t, double) {
    return std::sin(kTau * (110 - 200 * t) * t) * std::exp(-t * 18);
  }));
  set.push_back(Drum("snare", 0.16, 4, [](double t, double n) {
    return (0.8 * n + 0.3 * std::sin(kTau * 190 * t)) * std::exp(-t * 22);
  }));
  set.push_back(Drum("hat", 0.05, 5, [](double t, double n) { return 0.6 * n * std::exp(-t * 70); }));
  return set;
}

XmModule CompileSong(const std::string& text) {
  std::vector<XmInstrument> instruments = SongInstruments();
  std::map<std::string, int> instrumentIndex;
  for (size_t i = 0; i < instruments.size(); ++i) instrumentIndex[instruments[i].name] = static_cast<int>(i) + 1;

  XmModule m;
  m.instruments = instruments;
  std::map<std::string, int> patternIndex;
  std::vector<std::string> orderNames;
  // Per pattern: channel rows as parsed, padded to the widest pattern later.
  std::vector<std::vector<std::vector<XmCell>>> parsed;
  bool inPattern = false;

  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  auto fail = [&](const std::string& what) {
    throw SongError("line " + std::to_string(lineNo) + ": " + what);
  };
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string word;
    if (!(words >> word) || word[0] == '#') continue;
    if (inPattern) {
      if (word == "end") { inPattern = false; continue; }
      bool drums = word == "drums";
      auto found = instrumentIndex.find(word);
      if (!drums && found == instrumentIndex.end()) fail("unknown instrument '" + word + "'");
      std::vector<XmCell> cells;
      std::string token;
      while (words >> token) {
        if (token == "|") continue;
        XmCell cell;
        if (token == ".") {
        } else if (token == "^") {
          cell.note = 97;
        } else if (drums) {
          static const std::map<std::string, std::string> kit = {{"k", "kick"}, {"s", "snare"}, {"h", "hat"}};
          auto hit = kit.find(token);
          if (hit == kit.end()) fail("unknown drum '" + token + "'");
          cell.note = 49;
          cell.instrument = static_cast<uint8_t>(instrumentIndex.at(hit->second));
        } else {
          int note = ParseNote(token);
          if (note < 0) fail("bad note '" + token + "'");
          cell.note = static_cast<uint8_t>(note);
          cell.instrument = static_cast<uint8_t>(found->second);
        }
        cells.push_back(cell);
      }
      auto& channels = parsed.back();
      if (!channels.empty() && channels[0].size() != cells.size())
        fail("channel has " + std::to_string(cells.size()) + " rows, the pattern has " +
             std::to_string(channels[0].size()));
      if (cells.empty() || cells.size() > 256) fail("a channel needs 1 to 256 rows");
      channels.push_back(std::move(cells));
      continue;
    }
    if (word == "title") {
      std::getline(words >> std::ws, m.name);
    } else if (word == "speed" || word == "bpm") {
      int v = 0;
      if (!(words >> v) || v < 1 || v > 255 || (word == "bpm" && v < 32)) fail("bad " + word);
      (word == "speed" ? m.speed : m.bpm) = v;
    } else if (word == "order") {
      while (words >> word) orderNames.push_back(word);
    } else if (word == "pattern") {
      if (!(words >> word)) fail("pattern needs a name");
      if (patternIndex.count(word)) fail("pattern '" + word + "' defined twice");
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

  size_t channels = 1;
  for (const auto& p : parsed) {
    if (p.empty()) fail("empty pattern");
    channels = std::max(channels, p.size());
  }
  if (channels > 32) fail("more than 32 channels");
  m.channels = static_cast<int>(channels);
  for (const auto& p : parsed) {
    XmPattern pattern;
    pattern.rows = static_cast<int>(p[0].size());
    pattern.cells.resize(pattern.rows * channels);
    for (size_t c = 0; c < p.size(); ++c)
      for (int r = 0; r < pattern.rows; ++r) pattern.cells[r * channels + c] = p[c][r];
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
