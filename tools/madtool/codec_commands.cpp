// Single-stream commands: compress and decompress.
#include "archive/zrcomp.h"
#include "commands.h"

namespace madtool {
namespace {

int RunCompress(const ToolArgs& args) {
  uint8_t stride = 1;
  if (args.values.count("--stride")) {
    const std::string& s = args.values.at("--stride");
    if (s != "1" && s != "2" && s != "3") throw ToolError(kUsage, "compress: --stride must be 1, 2 or 3");
    stride = static_cast<uint8_t>(s[0] - '0');
  }
  uint8_t flags = 0;
  if (args.Has("--no-lzw")) flags |= quarry::kZrNoLzw;
  if (args.Has("--report")) flags |= quarry::kZrReport;
  // Larger inputs would make a stream that no decoder reads back.
  const std::vector<uint8_t> in =
      ReadWholeFile(args.files[0], quarry::kMaxCompressInput,
                    "one stream holds at most " + std::to_string(quarry::kMaxCompressInput));
  std::vector<uint8_t> out;
  if (!quarry::ZRCompress(in, out, stride, flags))
    throw ToolError(kDamaged, args.files[0] + ": too large for one ZRCOMP stream");
  WriteFileAtomic(args.files[1], out);
  return kOk;
}

int RunDecompress(const ToolArgs& args) {
  const std::vector<uint8_t> in =
      ReadWholeFile(args.files[0], quarry::kMaxDecodedSize, "larger than any ZRCOMP stream");
  std::vector<uint8_t> out;
  bool intact = false;
  quarry::ZRUnCompress(in, out, quarry::kMaxDecodedSize, &intact);
  if (!intact)
    throw ToolError(kDamaged, args.files[0] + ": damaged ZRCOMP stream (" +
                                  std::to_string(out.size()) + " bytes decoded; nothing written)");
  WriteFileAtomic(args.files[1], out);
  return kOk;
}

const MadtoolCommand kCompress{
    {"compress", "compress IN OUT [--stride N] [--no-lzw] [--report]",
     "Packs IN as one ZRCOMP stream (stride 1 and all chains unless told otherwise);\n"
     "      --report prints the candidate sizes.",
     {{"--stride", true}, {"--no-lzw", false}, {"--report", false}}, 2, 2, RunCompress}};
const MadtoolCommand kDecompress{{"decompress", "decompress IN OUT",
                                  "Unpacks one ZRCOMP stream; a damaged stream writes nothing.",
                                  {}, 2, 2, RunDecompress}};

}  // namespace
}  // namespace madtool
