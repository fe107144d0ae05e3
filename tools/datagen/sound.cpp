#include "sound.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "image.h"

namespace datagen {
namespace {

constexpr double kTau = 2 * std::numbers::pi;

// Renders seconds of sound from a function of time, with a short fade at both
// ends so no effect starts or stops with a click.
std::vector<float> Render(double seconds, const std::function<double(double)>& f) {
  size_t n = static_cast<size_t>(seconds * kSampleRate);
  std::vector<float> out(n);
  for (size_t i = 0; i < n; ++i) {
    double t = static_cast<double>(i) / kSampleRate;
    double edge = std::min({1.0, t / 0.002, (n - i) / (0.004 * kSampleRate)});
    out[i] = static_cast<float>(f(t) * edge);
  }
  return out;
}

double Square(double phase) { return std::fmod(phase, 1.0) < 0.5 ? 1.0 : -1.0; }

// Filtered noise: a one-pole low-pass whose cut-off is given per sample.
class LowNoise {
public:
  explicit LowNoise(uint32_t seed) : noise_(seed) {}
  // smoothing is the filter step at 22050 Hz, where the effects were tuned;
  // converted to the real rate so their colour does not depend on it.
  double Next(double smoothing) {
    double white = noise_.Unit() * 2 - 1;
    value_ += (white - value_) * (1 - std::pow(1 - std::clamp(smoothing, 0.0, 1.0), 22050.0 / kSampleRate));
    return value_;
  }

private:
  Noise noise_;
  double value_ = 0;
};

}  // namespace

std::vector<uint8_t> EncodeWav16(const std::vector<float>& samples, int rate) {
  std::vector<uint8_t> out;
  auto u16 = [&](uint32_t v) { out.push_back(v & 0xFF); out.push_back((v >> 8) & 0xFF); };
  auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
  auto tag = [&](const char* t) { for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(t[i])); };
  const uint32_t dataSize = static_cast<uint32_t>(samples.size() * 2);
  tag("RIFF");
  u32(36 + dataSize);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(rate);
  u32(rate * 2);  // bytes per second
  u16(2);         // block align
  u16(16);
  tag("data");
  u32(dataSize);
  for (float s : samples) {
    double v = std::clamp(static_cast<double>(s), -1.0, 1.0);
    u16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767))));
  }
  return out;
}

std::vector<SoundFile> SoundEffects() {
  std::vector<SoundFile> out;
  {
    LowNoise n(5);
    out.push_back({"eatsand.wav", "EatSand", Render(0.09, [&](double t) {
                     return n.Next(0.35) * 1.4 * std::exp(-t * 30);
                   })});
  }
  out.push_back({"diamond.wav", "DiamondPickup", Render(0.22, [](double t) {
                   double f = t < 0.06 ? 1046.5 : (t < 0.12 ? 1318.5 : 1568.0);
                   return 0.45 * Square(f * t) * std::exp(-t * 9);
                 })});
  out.push_back({"diamdown.wav", "DiamondDown", Render(0.12, [](double t) {
                   return 0.5 * std::sin(kTau * 2093 * t) * std::exp(-t * 35) +
                          0.3 * std::sin(kTau * 3136 * t) * std::exp(-t * 50);
                 })});
  {
    LowNoise n(7);
    out.push_back({"boulder.wav", "BoulderDown", Render(0.2, [&](double t) {
                     double body = std::sin(kTau * (90 - 150 * t) * t) * std::exp(-t * 18);
                     return 0.8 * body + 0.5 * n.Next(0.08) * std::exp(-t * 25);
                   })});
  }
  {
    LowNoise n(9);
    out.push_back({"push.wav", "Pushing", Render(0.16, [&](double t) {
                     return n.Next(0.12) * 1.8 * (0.6 + 0.4 * std::sin(kTau * 35 * t)) * std::exp(-t * 8);
                   })});
  }
  out.push_back({"balloon.wav", "BalloonUp", Render(0.12, [](double t) {
                   double f = 400 + 2500 * t;
                   return 0.35 * std::sin(kTau * f * t) * std::exp(-t * 12);
                 })});
  {
    LowNoise n(11);
    out.push_back({"tunstart.wav", "TunnelStart", Render(0.25, [&](double t) {
                     return 0.8 * n.Next(0.02 + t * 0.6) * std::sin(std::numbers::pi * t / 0.25);
                   })});
  }
  out.push_back({"tunitem.wav", "TunnelItem", Render(0.05, [](double t) {
                   return 0.4 * Square(660 * t) * std::exp(-t * 60);
                 })});
  {
    LowNoise n(13);
    out.push_back({"tunend.wav", "TunnelEnd", Render(0.25, [&](double t) {
                     return 0.8 * n.Next(0.17 - t * 0.6) * std::sin(std::numbers::pi * t / 0.25);
                   })});
  }
  {
    LowNoise n(17);
    out.push_back({"explode.wav", "Explosion", Render(0.7, [&](double t) {
                     double rumble = n.Next(0.05 + 0.3 * std::exp(-t * 12));
                     return std::clamp(3.0 * rumble * std::exp(-t * 5), -0.9, 0.9);  // headroom for the mix
                   })});
  }
  out.push_back({"exitopen.wav", "ExitOpen", Render(0.6, [](double t) {
                   double v = 0;
                   const double notes[3] = {523.25, 659.25, 783.99};
                   for (int k = 0; k < 3; ++k) {
                     double start = k * 0.08;
                     if (t >= start) v += std::sin(kTau * notes[k] * (t - start)) * std::exp(-(t - start) * 5);
                   }
                   return 0.3 * v;
                 })});
  return out;
}

}  // namespace datagen
