#include "art.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "font.h"

namespace datagen {
namespace {

constexpr int kCell = 32;
constexpr double kPi = std::numbers::pi;

// A sphere lit from the upper left, the look shared by boulders, bombs and
// balloons.
void ShadedBall(Image& img, double cx, double cy, double r, Rgb base, double shine = 0.6) {
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x) {
      double dx = (x + 0.5 - cx) / r, dy = (y + 0.5 - cy) / r;
      double d2 = dx * dx + dy * dy;
      if (d2 > 1.0) continue;
      double dz = std::sqrt(1.0 - d2);
      double light = std::max(0.0, (-dx * 0.5 - dy * 0.6 + dz * 0.62));
      Rgb c = Scale(base, 0.35 + 0.85 * light);
      double highlight = std::pow(std::max(0.0, light), 18.0) * shine;
      c = Mix(c, Rgb{255, 255, 255}, highlight);
      double edge = std::clamp((1.0 - std::sqrt(d2)) * r, 0.0, 1.0);
      img.Blend(x, y, c, edge);
    }
}

Image Bricks() {
  Image img(kCell, kCell, {70, 60, 56});
  Noise n(11);
  for (int row = 0; row < 4; ++row) {
    int offset = (row % 2) ? 8 : 0;
    for (int b = -1; b < 3; ++b) {
      int x0 = b * 16 + offset + 1, y0 = row * 8 + 1;
      Rgb base{static_cast<uint8_t>(150 + n.Below(30)), static_cast<uint8_t>(80 + n.Below(20)), 60};
      for (int y = y0; y < y0 + 6; ++y)
        for (int x = x0; x < x0 + 14; ++x) {
          double f = 0.85 + 0.3 * n.Unit();
          if (y == y0) f += 0.25;
          if (y == y0 + 5) f -= 0.3;
          img.Set(x, y, Scale(base, f));
        }
    }
  }
  return img;
}

Image HardWall() {
  Image img(kCell, kCell);
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x) {
      double g = 0.75 + 0.25 * std::sin((x + y) * 0.35);
      img.Set(x, y, Scale(Rgb{110, 125, 150}, g));
    }
  for (int i = 0; i < kCell; ++i) {
    img.Set(i, 0, {200, 210, 230});
    img.Set(0, i, {200, 210, 230});
    img.Set(i, kCell - 1, {40, 45, 60});
    img.Set(kCell - 1, i, {40, 45, 60});
  }
  for (int cy : {6, 25})
    for (int cx : {6, 25}) ShadedBall(img, cx, cy, 2.6, {170, 180, 200}, 0.9);
  return img;
}

// Sand: one colour for every variant and only fine grain, so a field of
// randomly chosen variants reads as one even surface. Variants differ only in
// where their few pebbles lie.
constexpr Rgb kSand{112, 80, 48};

Image Sand(uint32_t seed) {
  Image img(kCell, kCell);
  Noise n(seed);
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x) img.Set(x, y, Scale(kSand, 0.93 + 0.14 * n.Unit()));
  for (int i = 0; i < 6; ++i) {
    int x = 1 + n.Below(kCell - 3), y = 1 + n.Below(kCell - 3);
    img.Set(x, y, Scale(kSand, 1.18));
    img.Set(x + 1, y, Scale(kSand, 1.1));
    img.Set(x + 1, y + 1, Scale(kSand, 0.8));
  }
  return img;
}

// Boulders are pale stone with a dark rim: far brighter than sand, so they
// stand out by brightness alone, and lumpy so they do not read as balls.
Image Boulder(uint32_t seed) {
  const Rgb stone{214, 208, 196};
  Image img(kCell, kCell);
  Noise n(seed);
  double bump[8];
  for (double& b : bump) b = 13.2 + 1.6 * n.Unit();
  auto radius = [&](double angle) {
    double t = (angle + kPi) / (2 * kPi) * 8;
    int i = static_cast<int>(t) % 8;
    double f = t - std::floor(t), smooth = f * f * (3 - 2 * f);
    return bump[i] + (bump[(i + 1) % 8] - bump[i]) * smooth;
  };
  const double cx = 16, cy = 16.5;
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x) {
      double px = x + 0.5 - cx, py = y + 0.5 - cy;
      double d = std::hypot(px, py), r = radius(std::atan2(py, px));
      if (d > r) continue;
      if (d > r - 1.3) {
        img.Set(x, y, Scale(stone, 0.28));
        continue;
      }
      double dx = px / r, dy = py / r, dz = std::sqrt(std::max(0.0, 1 - dx * dx - dy * dy));
      double light = std::max(0.0, -dx * 0.5 - dy * 0.6 + dz * 0.62);
      Rgb c = Scale(stone, std::min(1.0, 0.62 + 0.5 * light) * (0.96 + 0.06 * n.Unit()));
      img.Set(x, y, Mix(c, Rgb{255, 255, 255}, std::pow(light, 16.0) * 0.5));
    }
  // A crack with a branch, so the stones read as rock.
  int x = 11 + n.Below(8), y = 7 + n.Below(3), branchX = 0, branchY = 0;
  for (int k = 0; k < 10; ++k) {
    img.Set(x, y, Scale(stone, 0.35));
    img.Set(x + 1, y, Scale(stone, 0.7));
    if (k == 4) branchX = x, branchY = y;
    x += n.Below(3) - 1;
    y += 1;
  }
  for (int k = 1; k < 5; ++k) img.Set(branchX + k, branchY + k / 2, Scale(stone, 0.45));
  return img;
}

// Every diamond has the one blue of kGem; lighter facets are mixed towards
// white and darker ones scaled down, which keeps the hue. The variants differ
// only in their sparkle: 0 a glint sweeping across, 1 a star on the left
// crown, 2 a star on the right pavilion.
constexpr Rgb kGem{70, 190, 255};

void Star(Image& img, double cx, double cy, double size) {
  int len = static_cast<int>(size);
  for (int k = -len; k <= len; ++k) {
    double a = 1.0 - std::abs(k) / (size + 1);
    img.Blend(static_cast<int>(cx) + k, static_cast<int>(cy), {255, 255, 255}, a);
    img.Blend(static_cast<int>(cx), static_cast<int>(cy) + k, {255, 255, 255}, a);
  }
}

Image Gem(int sparkle, int frame, int frames) {
  Image img(kCell, kCell);
  const double cx = 16, top = 5, girdle = 13, bottom = 28;
  const Rgb white{255, 255, 255};
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x) {
      double px = x + 0.5, py = y + 0.5;
      double half;
      if (py < top || py > bottom) continue;
      if (py < girdle) half = 7 + (py - top) / (girdle - top) * 6;
      else half = 13 * (bottom - py) / (bottom - girdle);
      double dx = px - cx;
      if (std::abs(dx) > half) continue;
      Rgb c;
      if (std::abs(py - girdle) < 0.8) c = Mix(kGem, white, 0.55);
      else if (py < girdle) c = dx < -3 ? Mix(kGem, white, 0.25) : dx > 3 ? Scale(kGem, 0.78) : Mix(kGem, white, 0.45);
      else c = dx < 0 ? Scale(kGem, 0.9) : Scale(kGem, 0.6);
      img.Set(x, y, c);
    }
  double t = static_cast<double>(frame) / frames, pulse = std::sin(t * kPi);
  if (sparkle == 0) Star(img, 9 + 14 * t, 9 + 6 * pulse, 2.0 + 3.0 * pulse);
  else if (sparkle == 1) Star(img, 11, 9, 1.0 + 4.0 * pulse);
  else Star(img, 20, 18, 1.0 + 4.0 * std::sin(std::fmod(t + 0.5, 1.0) * kPi));
  return img;
}

// Bombs are near-black, so a bright yellow ring keeps them visible on the
// black of the cave. The variants differ in the fuse, not the colour.
Image Bomb(int variant, int frame) {
  Image img(kCell, kCell);
  const double cx = 15, cy = 18, r = 10.5;
  const Rgb ring{255, 215, 70};
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x) {
      double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      if (d <= r + 1.8 && d > r - 0.6) img.Set(x, y, ring);
    }
  ShadedBall(img, cx, cy, r, {72, 72, 90}, 0.7);
  img.FillRect(13, 5, 5, 3, {190, 190, 200});
  Rgb fuse{235, 205, 140};
  int tipX = 0, tipY = 0;
  for (int k = 0; k < 5; ++k) {
    tipX = 18 + k;
    tipY = variant == 0 ? 4 - k / 2 : 4 - (k * k) / 6;
    img.Set(tipX, tipY, fuse);
  }
  Rgb spark = frame % 2 ? Rgb{255, 245, 150} : Rgb{255, 170, 60};
  img.FillCircle(tipX + 1.5, tipY - 1.0, frame % 2 ? 2.2 : 1.6, spark);
  return img;
}

// Both balloons are the same red, far from the diamonds' blue; the variants
// differ in the swing of the string.
Image Balloon(int variant) {
  const Rgb base{225, 45, 45};
  Image img(kCell, kCell);
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x) {
      double dx = (x + 0.5 - 16) / 11.0, dy = (y + 0.5 - 13) / 12.5;
      if (dx * dx + dy * dy <= 1.0) img.Set(x, y, base);
    }
  ShadedBall(img, 16, 13, 11.5, base, 0.9);
  img.FillRect(15, 25, 3, 2, Scale(base, 0.7));
  for (int y = 27; y < kCell; ++y) img.Set(16 + ((y / 2 + variant) % 2), y, {220, 220, 220});
  return img;
}

Image ExitFrame(int frame, int stage) {
  // stage 0: closed, blinking lamp; 1: doors sliding apart; 2: open portal.
  Image img(kCell, kCell, {40, 36, 30});
  img.FillRect(2, 2, 28, 30, {90, 80, 60});
  img.FillRect(4, 4, 24, 28, {20, 20, 24});
  if (stage == 2) {
    for (int y = 4; y < 32; ++y)
      for (int x = 4; x < 28; ++x) {
        double a = std::atan2(y - 18.0, x - 16.0) + frame * kPi / 2;
        double r = std::hypot(y - 18.0, x - 16.0);
        double v = 0.5 + 0.5 * std::sin(a * 3 + r * 0.6);
        img.Set(x, y, Mix(Rgb{30, 60, 160}, Rgb{180, 240, 255}, v * std::max(0.0, 1 - r / 16)));
      }
    return img;
  }
  int gap = stage == 1 ? (frame + 1) * 3 : 0;
  Rgb door{120, 110, 100};
  img.FillRect(4, 4, 12 - gap, 28, door);
  img.FillRect(16 + gap, 4, 12 - gap, 28, door);
  if (stage == 1)
    img.FillRect(16 - gap, 4, 2 * gap, 28, Mix(Rgb{20, 20, 24}, Rgb{120, 180, 255}, frame / 4.0));
  for (int y = 6; y < 30; y += 4) {
    img.FillRect(4, y, 12 - gap, 1, Scale(door, 0.7));
    img.FillRect(16 + gap, y, 12 - gap, 1, Scale(door, 0.7));
  }
  if (stage == 0) {
    Rgb lamp = (frame % 2) ? Rgb{255, 60, 40} : Rgb{120, 20, 20};
    img.FillCircle(16, 3, 2, lamp);
  }
  return img;
}

Image Tunnel(bool right, bool occupied, int frame) {
  Image img(kCell, kCell);
  for (int y = 6; y < 26; ++y) {
    double f = 0.45 + 0.55 * std::sin((y - 6) / 20.0 * kPi);
    for (int x = 0; x < kCell; ++x) img.Set(x, y, Scale(Rgb{150, 140, 170}, f));
  }
  img.FillRect(0, 9, kCell, 14, {30, 26, 40});
  if (occupied) {
    double x0 = 6 + frame * 6;
    img.FillCircle(right ? x0 : kCell - x0, 16, 6, {255, 210, 120});
    img.FillCircle(right ? x0 : kCell - x0, 16, 3, {255, 255, 220});
  } else {
    // Arrow in the direction of travel.
    for (int k = 0; k < 6; ++k) {
      int x = right ? 12 + k : 19 - k;
      img.FillRect(x, 16 - (5 - k), 1, 2 * (5 - k) + 1, {200, 190, 90});
    }
  }
  return img;
}

Image SyncBlock(int frame) {
  Image img(kCell, kCell);
  double v = 0.5 + 0.5 * std::sin(frame * kPi / 2);
  Rgb base = Mix(Rgb{40, 120, 60}, Rgb{120, 255, 150}, v);
  img.FillRect(1, 1, 30, 30, Scale(base, 0.6));
  img.FillRect(5, 5, 22, 22, base);
  img.FillRect(11, 11, 10, 10, Scale(base, 1.3));
  return img;
}

Image Explosion(int frame, int frames) {
  Image img(kCell, kCell);
  Noise n(900 + frame);
  double t = (frame + 1.0) / frames;
  double radius = 6 + 12 * std::sin(t * kPi * 0.8);
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x) {
      double d = std::hypot(x + 0.5 - 16, y + 0.5 - 16) + 3 * n.Unit();
      if (d > radius) continue;
      double heat = (1 - d / radius) * (1.2 - t);
      Rgb c = heat > 0.6 ? Rgb{255, 250, 200} : heat > 0.3 ? Rgb{255, 170, 40}
              : heat > 0.1 ? Rgb{200, 60, 20} : Rgb{70, 60, 60};
      img.Set(x, y, c);
    }
  return img;
}

// The miner: helmet with lamp, face, overalls. Facing 0 down, 1 up, 2 left, 3 right.
Image Miner(int facing) {
  Image img(kCell, kCell);
  Rgb skin{240, 190, 150}, helmet{250, 200, 40}, suit{60, 110, 200}, boot{80, 50, 30};
  img.FillRect(10, 26, 5, 5, boot);
  img.FillRect(17, 26, 5, 5, boot);
  img.FillRect(9, 15, 14, 12, suit);
  img.FillRect(5, 16, 4, 9, suit);
  img.FillRect(23, 16, 4, 9, suit);
  img.FillRect(5, 24, 4, 3, skin);
  img.FillRect(23, 24, 4, 3, skin);
  img.FillCircle(16, 10, 6.5, skin);
  for (int y = 2; y < 9; ++y)
    for (int x = 8; x < 24; ++x)
      if (std::hypot(x + 0.5 - 16, y + 0.5 - 9) < 8.2) img.Set(x, y, helmet);
  img.FillRect(7, 8, 18, 2, Scale(helmet, 0.75));
  if (facing == 0) {
    img.FillRect(13, 11, 2, 2, {20, 20, 20});
    img.FillRect(18, 11, 2, 2, {20, 20, 20});
    img.FillRect(14, 14, 4, 1, {150, 60, 60});
    img.FillCircle(16, 5, 2, {255, 255, 200});
  } else if (facing == 1) {
    img.FillRect(10, 9, 12, 6, Scale(skin, 0.8));
    img.FillRect(13, 15, 6, 4, Scale(suit, 0.7));
  } else {
    Image side(kCell, kCell);
    side.Paste(img, 0, 0);
    side.FillRect(17, 11, 2, 2, {20, 20, 20});
    side.FillCircle(22, 5, 2, {255, 255, 200});
    side.FillRect(22, 13, 2, 1, {150, 60, 60});
    return facing == 3 ? side : side.Mirrored();
  }
  return img;
}

std::vector<Image> Frames(int count, auto make) {
  std::vector<Image> f;
  for (int i = 0; i < count; ++i) f.push_back(make(i));
  return f;
}

// Closing-scene figures: elves of the cave in different tunics.
Image Elf(int w, int h, Rgb tunic, Rgb hat, int pose, bool facingLeft, bool crown = false) {
  Image img(w, h);
  double s = h / 32.0;
  auto rect = [&](double x, double y, double ww, double hh, Rgb c) {
    img.FillRect(static_cast<int>(x * s + (w - 32 * s) / 2), static_cast<int>(y * s),
                 std::max(1, static_cast<int>(ww * s)), std::max(1, static_cast<int>(hh * s)), c);
  };
  Rgb skin{250, 205, 170}, boot{90, 60, 30};
  // Both boots end on the image's last row, so a figure drawn at y stands on
  // the ground at y + h; a walking pose spreads the legs.
  int spread = pose % 2;
  const int bootTop = static_cast<int>(26 * s), bootW = std::max(1, static_cast<int>(4 * s));
  for (int left : {11 - spread, 17 + spread})
    img.FillRect(static_cast<int>(left * s + (w - 32 * s) / 2), bootTop, bootW, h - bootTop, boot);
  rect(10, 15, 12, 12, tunic);
  rect(7, 16, 3, 8, tunic);
  rect(22, 16, 3, 8, tunic);
  img.FillCircle(w / 2.0, 11 * s, 5.5 * s, skin);
  // Pointed ears.
  rect(8, 9, 3, 2, skin);
  rect(21, 9, 3, 2, skin);
  // Pointed hat.
  for (int k = 0; k < 8; ++k) rect(10 + k * 0.6, 6 - k * 0.75, 12 - k * 1.2, 1.2, hat);
  if (crown) {
    rect(10, 3, 12, 3, {255, 215, 0});
    rect(10, 1, 2, 2, {255, 215, 0});
    rect(15, 0, 2, 3, {255, 215, 0});
    rect(20, 1, 2, 2, {255, 215, 0});
  }
  rect(13, 10, 2, 2, {20, 20, 20});
  rect(18, 10, 2, 2, {20, 20, 20});
  return facingLeft ? img.Mirrored() : img;
}

}  // namespace

std::vector<ArtFile> CaveArt() {
  std::vector<ArtFile> out;
  out.push_back({"wall.bmp", Bricks()});
  out.push_back({"hardwall.bmp", HardWall()});
  out.push_back({"sand1.bmp", Sand(21)});
  out.push_back({"sand2.bmp", Sand(22)});
  out.push_back({"sand3.bmp", Sand(23)});
  out.push_back({"rock1.bmp", Boulder(31)});
  out.push_back({"rock2.bmp", Boulder(32)});
  out.push_back({"rock3.bmp", Boulder(33)});
  for (int v = 0; v < 3; ++v)
    out.push_back({"gem" + std::to_string(v + 1) + ".bmp", Strip(Frames(4, [v](int i) { return Gem(v, i, 4); }))});
  out.push_back({"bomb1.bmp", Strip(Frames(2, [](int i) { return Bomb(0, i); }))});
  out.push_back({"bomb2.bmp", Strip(Frames(2, [](int i) { return Bomb(1, i); }))});
  out.push_back({"balloon1.bmp", Balloon(0)});
  out.push_back({"balloon2.bmp", Balloon(1)});
  out.push_back({"exit.bmp", Strip(Frames(4, [](int i) { return ExitFrame(i, 0); }))});
  out.push_back({"exitopen.bmp", Strip(Frames(4, [](int i) { return ExitFrame(i, 1); }))});
  out.push_back({"exitlive.bmp", Strip(Frames(4, [](int i) { return ExitFrame(i, 2); }))});
  out.push_back({"tunright.bmp", Tunnel(true, false, 0)});
  out.push_back({"tunleft.bmp", Tunnel(false, false, 0)});
  out.push_back({"tunrgo.bmp", Strip(Frames(4, [](int i) { return Tunnel(true, true, i); }))});
  out.push_back({"tunlgo.bmp", Strip(Frames(4, [](int i) { return Tunnel(false, true, i); }))});
  out.push_back({"sync.bmp", Strip(Frames(4, SyncBlock))});
  out.push_back({"explode.bmp", Strip(Frames(6, [](int i) { return Explosion(i, 6); }))});
  out.push_back({"minerup.bmp", Miner(1)});
  out.push_back({"minerdn.bmp", Miner(0)});
  out.push_back({"minerlt.bmp", Miner(2)});
  out.push_back({"minerrt.bmp", Miner(3)});
  return out;
}

std::vector<ArtFile> OutroArt() {
  std::vector<ArtFile> out;
  Image grass(kCell, kCell);
  Noise n(77);
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x) {
      Rgb soil{110, 75, 45}, green{60, 170, 60};
      grass.Set(x, y, y < 8 + n.Below(4) ? Scale(green, 0.8 + 0.4 * n.Unit()) : Scale(soil, 0.8 + 0.3 * n.Unit()));
    }
  out.push_back({"owall.bmp", Bricks()});
  out.push_back({"ograss.bmp", grass});
  Rgb red{200, 40, 40}, redHat{120, 20, 20};
  Rgb green{40, 160, 70}, greenHat{20, 100, 40};
  Rgb boss{120, 40, 160}, bossHat{70, 20, 100};
  // Pose digits follow the image names: 1 front/still, 2 walking left, 3 facing
  // left at rest, 4 walking right.
  out.push_back({"elfbad1.bmp", Elf(36, 36, red, redHat, 0, false)});
  out.push_back({"elfbad2.bmp", Elf(36, 36, red, redHat, 1, true)});
  out.push_back({"elfbad4.bmp", Elf(36, 36, red, redHat, 1, false)});
  out.push_back({"elfboss1.bmp", Elf(32, 32, boss, bossHat, 0, true, true)});
  out.push_back({"elfboss4.bmp", Elf(32, 32, boss, bossHat, 1, false, true)});
  out.push_back({"elf2.bmp", Elf(32, 32, green, greenHat, 1, true)});
  out.push_back({"elf3.bmp", Elf(32, 32, green, greenHat, 0, true)});
  out.push_back({"elf4.bmp", Elf(32, 32, green, greenHat, 1, false)});
  out.push_back({"elfmrs2.bmp", Elf(32, 32, {230, 120, 170}, {150, 60, 110}, 1, true)});
  const Rgb kid[4] = {{240, 200, 60}, {80, 180, 230}, {250, 140, 60}, {160, 230, 120}};
  const char* kidFile[4] = {"elfkida2.bmp", "elfkidb2.bmp", "elfkidc2.bmp", "elfkidd2.bmp"};
  for (int i = 0; i < 4; ++i) out.push_back({kidFile[i], Elf(24, 24, kid[i], Scale(kid[i], 0.6), 1, true)});
  for (int i = 0; i < 4; ++i) {
    Image g = Gem(i % 3, i == 3 ? 2 : 1, 4);
    Image small(16, 16);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) small.Set(x, y, g.Get(2 * x, 2 * y));
    out.push_back({"odiam" + std::to_string(i + 1) + ".bmp", small});
  }
  return out;
}

std::vector<ArtFile> LogoArt(const std::string& fontPath) {
  std::vector<ArtFile> out;
  auto title = [&](int w, int h, int size, const std::string& text, Rgb top, Rgb bottom, bool gems) {
    Image img(w, h);
    GreyMap m = RenderLine(fontPath, size, text);
    int ox = (w - m.width) / 2, oy = (h - m.height) / 2;
    for (int y = 0; y < m.height; ++y)
      for (int x = 0; x < m.width; ++x) {
        uint8_t a = m.At(x, y);
        if (!a) continue;
        Rgb c = Mix(top, bottom, static_cast<double>(y) / std::max(1, m.height - 1));
        // A dark outline one pixel down-right gives the letters depth.
        img.Blend(ox + x + 1, oy + y + 1, {60, 30, 10}, a / 255.0);
        img.Blend(ox + x, oy + y, c, a / 255.0);
      }
    if (gems) {
      img.Paste(Gem(1, 2, 4), ox - 40, (h - 32) / 2, true);
      img.Paste(Gem(2, 2, 4), ox + m.width + 8, (h - 32) / 2, true);
    }
    return img;
  };
  out.push_back({"logolite.bmp", title(256, 32, 24, "QUARRYSTAR", {255, 230, 120}, {220, 120, 30}, false)});
  out.push_back({"logo.bmp", title(640, 90, 56, "QUARRYSTAR", {255, 240, 150}, {230, 110, 20}, true)});
  // The studio card of the intro: a ring of gems around the studio's name.
  Image card(640, 180);
  for (int i = 0; i < 12; ++i) {
    double a = i * kPi / 6;
    card.Paste(Gem(i % 3, i % 4, 4), static_cast<int>(320 - 16 + 250 * std::cos(a)),
               static_cast<int>(90 - 16 + 70 * std::sin(a)), true);
  }
  Image name = title(400, 60, 40, "Deepvein Games", {200, 230, 255}, {90, 140, 220}, false);
  card.Paste(name, 120, 60, true);
  out.push_back({"zrlogo.bmp", card});
  return out;
}

}  // namespace datagen
