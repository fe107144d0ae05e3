#include <gtest/gtest.h>

#include "core/keys.h"

namespace quarry {
namespace {

// Catches a queue holding other than 254 keys, dropping the newest instead of the oldest, or losing order on wrap.
TEST(KeyQueue, Holds254DropsTheOldestAndWrapsInOrder) {
  ClearKeyQueue();
  EXPECT_EQ(PopKey(), kNoKey);
  for (int i = 0; i < 254; ++i) PushKey(static_cast<uint8_t>(i));
  PushKey(200);  // the 255th drops character 0
  EXPECT_EQ(PopKey(), 1);
  int count = 1;
  uint8_t last = 1;
  for (uint8_t c; (c = PopKey()) != kNoKey; ++count) last = c;
  EXPECT_EQ(std::pair(count, last), std::pair(254, uint8_t{200}));
  for (int round = 0; round < 1000; ++round) {
    PushKey(static_cast<uint8_t>(round % 250));
    PushKey(static_cast<uint8_t>((round + 1) % 250));
    EXPECT_EQ(PopKey(), round % 250);
    EXPECT_EQ(PopKey(), (round + 1) % 250);
  }
  EXPECT_EQ(PopKey(), kNoKey);
}

}  // namespace
}  // namespace quarry
