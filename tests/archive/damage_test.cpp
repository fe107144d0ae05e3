// Damaged archives: a small archive cut at every length and with every byte
// flipped must open and read without a crash (run under the sanitizer build
// to catch reads outside a buffer). Results may be short or wrong, or a
// missing-data stop; nothing else.
#include <gtest/gtest.h>

#include "archive/mad.h"
#include "archive/mad_write.h"
#include "core/stream.h"
#include "sample_data.h"
#include "test_support.h"

namespace quarry {
namespace {

using Bytes = std::vector<uint8_t>;
using testing_support::ReadFile;
using testing_support::Stopped;

class MadDamage : public testing_support::ArchiveTest {
protected:
  Bytes SmallArchive() {
    const std::string path = Path("small.mad");
    TMADWrite writer(path);
    writer.AddBytes(sample::Text(700, 1), "text");
    writer.AddBytes(sample::Pixels(400, 2), "pixels");
    writer.AddBytes(sample::Maps(264, 3), "001.mpp");
    writer.AddBytes(Bytes{0x42}, "b");
    EXPECT_TRUE(writer.Done());
    return ReadFile(path);
  }

  // Opens the image and reads every member by each route; returns how many
  // members decoded whole.
  int ReadAll(const Bytes& image) {
    int whole = 0;
    try {
      TMad mad("damaged.mad", image);
      for (const MadEntry& e : mad.Entries()) {
        Bytes bytes;
        bool intact = false;
        mad.ReadEntry(e, bytes, &intact);
        EXPECT_LE(bytes.size(), std::max<size_t>(image.size(), size_t{1} << 22));
        whole += intact ? 1 : 0;
        if (e.name.empty()) continue;
        try {
          auto stream = mad.OpenStream(e.name);
          if (stream) {
            EXPECT_EQ(stream->Position(), 0);
          }
          mad.OpenPointer(e.name);
        } catch (const Stopped&) {
          // A name the lookup cannot match (e.g. 12 characters with a blank
          // cut) stops like any missing member.
        }
      }
    } catch (const Stopped&) {
    }
    return whole;
  }
};

TEST_F(MadDamage, TruncatedAtEveryLength) {
  const Bytes archive = SmallArchive();
  ASSERT_EQ(ReadAll(archive), 4);
  for (size_t cut = 0; cut < archive.size(); ++cut) {
    ReadAll(Bytes(archive.begin(), archive.begin() + static_cast<std::ptrdiff_t>(cut)));
  }
}

TEST_F(MadDamage, EveryByteFlipped) {
  const Bytes archive = SmallArchive();
  for (size_t i = 0; i < archive.size(); ++i) {
    for (uint8_t mask : {uint8_t{0x01}, uint8_t{0x80}, uint8_t{0xFF}}) {
      Bytes damaged = archive;
      damaged[i] ^= mask;
      ReadAll(damaged);
    }
  }
}

TEST_F(MadDamage, RandomDamageAndPlainListNoise) {
  const Bytes archive = SmallArchive();
  sample::Rng rng(77);
  for (int round = 0; round < 400; ++round) {
    Bytes damaged = archive;
    const int hits = 1 + static_cast<int>(rng.Below(8));
    for (int h = 0; h < hits; ++h) damaged[rng.Below(static_cast<uint32_t>(damaged.size()))] = static_cast<uint8_t>(rng.Next());
    ReadAll(damaged);
  }
  // A plain list of noise: entries point anywhere, names hold any bytes.
  for (int round = 0; round < 200; ++round) {
    Bytes image = {'Z', 'E', 'P', 'H', 'Y', 'R', 'A', 0xFA, 0xFE, 0x01, 14, 0, 0, 0};
    const Bytes noise = sample::Random(2 + rng.Below(400), 1000 + round);
    image.insert(image.end(), noise.begin(), noise.end());
    ReadAll(image);
  }
}

TEST_F(MadDamage, DamagedFileOnDiskOpensThroughTheFileLayer) {
  const Bytes archive = SmallArchive();
  for (size_t cut : {size_t{0}, size_t{5}, size_t{13}, size_t{14}, archive.size() / 2, archive.size() - 1}) {
    const std::string path = Path("cut.mad");
    testing_support::WriteFile(path, Bytes(archive.begin(), archive.begin() + static_cast<std::ptrdiff_t>(cut)));
    try {
      TMad mad(path);
      for (const MadEntry& e : mad.Entries()) {
        Bytes bytes;
        mad.ReadEntry(e, bytes);
      }
    } catch (const Stopped&) {
    }
  }
}

}  // namespace
}  // namespace quarry
