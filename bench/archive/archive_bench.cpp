// ZRCOMP against zlib on the same seeded data: decode throughput, encode
// time and packed sizes. Targets: ZRUnCompress at least half of zlib's
// uncompress throughput; ZRCompress at most three times compress2 level 9.
// Counters: "packed" is the stream size, "ratio" packed/original.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <functional>
#include <map>

#include "archive/zrcomp.h"
#include "sample_data.h"

namespace {

using Bytes = std::vector<uint8_t>;

enum Kind { kText, kPixels, kMaps, kRandom };
const char* kKindNames[] = {"text", "pixels32", "maps20x12", "random"};

const Bytes& Corpus(int kind, size_t size) {
  static std::map<std::pair<int, size_t>, Bytes> cache;
  auto& data = cache[{kind, size}];
  if (data.empty()) {
    switch (kind) {
      case kText: data = quarry::sample::Text(size, 42); break;
      case kPixels: data = quarry::sample::Pixels(size, 42); break;
      case kMaps: data = quarry::sample::Maps(size, 42); break;
      default: data = quarry::sample::Random(size, 42); break;
    }
  }
  return data;
}

Bytes ZlibPack(const Bytes& in) {
  uLongf size = compressBound(in.size());
  Bytes out(size);
  compress2(out.data(), &size, in.data(), in.size(), 9);
  out.resize(size);
  return out;
}

void SetCounters(benchmark::State& state, size_t original, size_t packed) {
  state.counters["packed"] = static_cast<double>(packed);
  state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(original);
}

void BM_ZRUnCompress(benchmark::State& state) {
  const Bytes& data = Corpus(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)));
  const Bytes packed = quarry::ZRCompress(data);
  Bytes out;
  for (auto _ : state) {
    out.clear();
    quarry::ZRUnCompress(packed, out);
    benchmark::DoNotOptimize(out.data());
  }
  if (out != data) state.SkipWithError("round trip failed");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
  SetCounters(state, data.size(), packed.size());
  state.SetLabel(kKindNames[state.range(0)]);
}

void BM_ZlibUncompress(benchmark::State& state) {
  const Bytes& data = Corpus(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)));
  const Bytes packed = ZlibPack(data);
  Bytes out(data.size());
  for (auto _ : state) {
    uLongf size = out.size();
    uncompress(out.data(), &size, packed.data(), packed.size());
    benchmark::DoNotOptimize(out.data());
  }
  if (out != data) state.SkipWithError("round trip failed");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
  SetCounters(state, data.size(), packed.size());
  state.SetLabel(kKindNames[state.range(0)]);
}

void BM_ZRCompress(benchmark::State& state) {
  const Bytes& data = Corpus(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)));
  size_t packed = 0;
  for (auto _ : state) {
    Bytes out;
    quarry::ZRCompress(data, out);
    packed = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
  SetCounters(state, data.size(), packed);
  state.SetLabel(kKindNames[state.range(0)]);
}

void BM_ZlibCompress9(benchmark::State& state) {
  const Bytes& data = Corpus(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)));
  size_t packed = 0;
  for (auto _ : state) {
    const Bytes out = ZlibPack(data);
    packed = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
  SetCounters(state, data.size(), packed);
  state.SetLabel(kKindNames[state.range(0)]);
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int kind = kText; kind <= kRandom; ++kind)
    for (int64_t size : {int64_t{4} << 10, int64_t{64} << 10, int64_t{1} << 20, int64_t{4} << 20})
      b->Args({kind, size});
  b->ArgNames({"kind", "bytes"});
  b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_ZRUnCompress)->Apply(Sizes);
BENCHMARK(BM_ZlibUncompress)->Apply(Sizes);
BENCHMARK(BM_ZRCompress)->Apply(Sizes);
BENCHMARK(BM_ZlibCompress9)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
