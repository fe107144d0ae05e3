#include "frame/control_memory.h"
#include "test_support.h"

namespace quarry {
namespace {

// Accesses reaching past the block, or wrapping round 2^32, are refused and
// logged; refused reads leave the destination alone.
TEST(ControlMemory, OutOfRangeAccessIsRefusedAndLogged) {
  LogCapture log;
  TControlMemory m(64);
  uint32_t value = 0xDEADBEEF;
  m.Store(60, &value, 4);
  EXPECT_TRUE(log.lines.empty());
  m.Store(61, &value, 4);
  m.StoreWord(62, 7);
  m.StoreWord(63, 7);
  uint8_t dest[4] = {1, 2, 3, 4};
  m.Retrieve(0xFFFFFFFEu, dest, 4);
  EXPECT_EQ(dest[0], 1);
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "[CONTMEM, TControlMemory.Store] Access out of range! (Address: 61, Size: 4)",
                           "[CONTMEM, TControlMemory.StoreWord] Access out of range! (Address: 63, Size: 2)",
                           "[CONTMEM, TControlMemory.Retrieve] Access out of range! (Address: 4294967294, Size: 4)"}));
  uint16_t word = 0;
  m.Retrieve(62, &word, 2);
  EXPECT_EQ(word, 7);
  const uint16_t keys[] = {273, 274, 13, 32, 27, 127};
  for (int i = 0; i < 6; ++i) m.StoreWord(16 + 2 * i, keys[i]);
  uint16_t back[6] = {};
  m.Retrieve(16, back, sizeof back);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(back[i], keys[i]);
}

TEST(ControlMemory, IllegalSizesBecome64) {
  LogCapture log;
  EXPECT_EQ(TControlMemory(0).Size(), 64u);
  EXPECT_EQ(TControlMemory(-5).Size(), 64u);
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "[CONTMEM, TControlMemory.Init] Illegal size! Replacing with 64. (0)",
                           "[CONTMEM, TControlMemory.Init] Illegal size! Replacing with 64. (-5)"}));
}

}  // namespace
}  // namespace quarry
