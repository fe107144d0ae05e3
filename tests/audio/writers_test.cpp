// The WAV and XM writers, pinned byte for byte, and what libopenmpt makes of their modules.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include "audio_test_support.h"

namespace quarry {
namespace {

using test::Bytes;

Bytes Slice(const Bytes& bytes, size_t at, size_t count) { return {bytes.begin() + long(at), bytes.begin() + long(at + count)}; }

TEST(WavWriter, WritesTheCanonicalPcmHeader) {
  EXPECT_EQ(WriteWav({0x1234, -2}, 1, 8000),
            (Bytes{'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
                   0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0, 'd', 'a', 't', 'a', 4, 0, 0, 0, 0x34, 0x12, 0xFE, 0xFF}));
  EXPECT_EQ(Slice(WriteWav({1, 2}, 2, 44100), 22, 10), (Bytes{2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0}));
}

TEST(XmWriter, LaysOutHeaderPatternInstrumentAndDeltaSamplesOfBothWidths) {
  XmModule m;
  m.name = "tiny", m.channels = 1, m.orders = {0}, m.patterns = {XmPattern{1, {}}}, m.instruments.resize(1);
  m.patterns[0].At(0, 0, 1) = XmCell{49, 1, 0, 0, 0};
  m.instruments[0].name = "lead", m.instruments[0].sample.points = {0x1000, 0x0800}, m.instruments[0].sample.eightBit = true;
  auto xm = WriteXm(m);
  ASSERT_EQ(xm.size(), 653u);
  EXPECT_EQ(std::string(xm.begin(), xm.begin() + 22), std::string("Extended Module: tiny\0", 22));
  EXPECT_EQ(xm[37], 0x1A);
  EXPECT_EQ(Slice(xm, 58, 23), (Bytes{0x04, 0x01, 0x14, 0x01, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 6, 0, 125, 0, 0}));
  // Pattern: header of 9 bytes, 1 row, 3 packed bytes (flags: note and instrument).
  EXPECT_EQ(Slice(xm, 336, 12), (Bytes{9, 0, 0, 0, 0, 1, 0, 3, 0, 0x83, 49, 1}));
  // Instrument header size 263, one sample, sample headers of 40 bytes.
  EXPECT_EQ(Slice(xm, 348, 4), (Bytes{0x07, 0x01, 0, 0}));
  EXPECT_EQ(std::string(xm.begin() + 352, xm.begin() + 356), "lead");
  EXPECT_EQ(Slice(xm, 374, 7), (Bytes{0, 1, 0, 40, 0, 0, 0}));
  // Sample header: 2 bytes long, no loop, volume 64, 8-bit, centre pan.
  EXPECT_EQ(Slice(xm, 611, 18), (Bytes{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 64, 0, 0, 128, 0, 0}));
  EXPECT_EQ(Slice(xm, 651, 2), (Bytes{0x10, 0xF8}));  // delta-coded: 0x10, then 0x08 - 0x10

  // Sixteen-bit looping samples are marked and measured in bytes.
  m = XmModule{}, m.channels = 2, m.orders = {0}, m.patterns = {XmPattern{2, {}}}, m.instruments.resize(1);
  auto& sample = m.instruments[0].sample;
  sample.points = {100, 300, -200}, sample.loopStart = 1, sample.loopLength = 5;  // longer than the sample: cut
  xm = WriteXm(m);
  // Empty pattern of 2 rows x 2 channels: four 0x80 flag bytes.
  EXPECT_EQ(Slice(xm, 336, 13), (Bytes{9, 0, 0, 0, 0, 2, 0, 4, 0, 0x80, 0x80, 0x80, 0x80}));
  EXPECT_EQ(Slice(xm, 349 + 263, 16), (Bytes{6, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 64, 0, 0x11, 128}));
  EXPECT_EQ(Slice(xm, 349 + 263 + 40, 6), (Bytes{100, 0, 200, 0, 0x0C, 0xFE}));
}

TEST(XmWriter, LibopenmptReadsTheModulesLayoutAndTiming) {
  const auto xm = WriteXm(test::BeepModule(8, 3, 125));
  openmpt_module* module = openmpt_module_create_from_memory2(xm.data(), xm.size(), openmpt_log_func_silent, nullptr,
                                                              openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(std::make_tuple(openmpt_module_get_num_channels(module), openmpt_module_get_num_patterns(module),
                            openmpt_module_get_num_instruments(module), openmpt_module_get_num_orders(module)),
            std::make_tuple(4, 1, 1, 1));
  EXPECT_NEAR(openmpt_module_get_duration_seconds(module), 0.48, 0.001);  // 8 rows x 3 ticks x 2.5 / 125 s
  openmpt_module_destroy(module);  // the device tests play it
}

}  // namespace
}  // namespace quarry
