#include <gtest/gtest.h>

#include "core/keys.h"

namespace quarry {
namespace {

TEST(KeyQueue, Holds254AndDropsTheOldestWhenFull) {
  ClearKeyQueue();
  EXPECT_EQ(PopKey(), kNoKey);
  for (int i = 0; i < 254; ++i) PushKey(static_cast<uint8_t>(i));
  // 254 held, none lost.
  ClearKeyQueue();
  for (int i = 0; i < 254; ++i) PushKey(static_cast<uint8_t>(i));
  PushKey(200);  // the 255th drops character 0
  EXPECT_EQ(PopKey(), 1);
  int count = 1;
  uint8_t last = 1;
  for (uint8_t c; (c = PopKey()) != kNoKey; ++count) last = c;
  EXPECT_EQ(count, 254);
  EXPECT_EQ(last, 200);
  EXPECT_EQ(PopKey(), kNoKey);
}

TEST(KeyQueue, WrapsAroundManyTimesInOrder) {
  ClearKeyQueue();
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
