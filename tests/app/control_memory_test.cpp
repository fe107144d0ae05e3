#include <gtest/gtest.h>

#include "app/control_memory.h"
#include "core/log.h"

namespace quarry {
namespace {

class ControlMemoryTest : public ::testing::Test {
protected:
  std::vector<std::string> lines;
  void SetUp() override { SetLogObserver([this](const std::string& l) { lines.push_back(l); }); }
  void TearDown() override { SetLogObserver(nullptr); }
};

TEST_F(ControlMemoryTest, RangeRuleAtTheEndOfTheBlock) {
  TControlMemory m(64);
  uint32_t value = 0xDEADBEEF;
  m.Store(60, &value, 4);
  EXPECT_TRUE(lines.empty());
  m.Store(61, &value, 4);
  m.StoreWord(62, 7);
  m.StoreWord(63, 7);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "[CONTMEM, TControlMemory.Store] Access out of range! (Address: 61, Size: 4)");
  EXPECT_EQ(lines[1], "[CONTMEM, TControlMemory.StoreWord] Access out of range! (Address: 63, Size: 2)");
  uint16_t word = 0;
  m.Retrieve(62, &word, 2);
  EXPECT_EQ(word, 7);
}

TEST_F(ControlMemoryTest, AddressPlusCountNeverWrapsAround) {
  TControlMemory m(64);
  uint8_t dest[4] = {1, 2, 3, 4};
  m.Retrieve(0xFFFFFFFEu, dest, 4);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0],
            "[CONTMEM, TControlMemory.Retrieve] Access out of range! (Address: 4294967294, Size: 4)");
  EXPECT_EQ(dest[0], 1) << "a refused read leaves the destination as it was";
}

TEST_F(ControlMemoryTest, IllegalSizesBecome64) {
  TControlMemory zero(0);
  TControlMemory negative(-5);
  EXPECT_EQ(zero.Size(), 64u);
  EXPECT_EQ(negative.Size(), 64u);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "[CONTMEM, TControlMemory.Init] Illegal size! Replacing with 64. (0)");
  EXPECT_EQ(lines[1], "[CONTMEM, TControlMemory.Init] Illegal size! Replacing with 64. (-5)");
}

TEST_F(ControlMemoryTest, KeyWordsReadBackInOrder) {
  TControlMemory m(64);
  const uint16_t keys[] = {273, 274, 13, 32, 27, 127};
  for (int i = 0; i < 6; ++i) m.StoreWord(16 + 2 * i, keys[i]);
  uint16_t back[6] = {};
  m.Retrieve(16, back, sizeof back);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(back[i], keys[i]);
}

}  // namespace
}  // namespace quarry
