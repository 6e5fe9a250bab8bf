// DeCoder and ReCoder of the library kt on 64 MiB of mixed text (70 % ASCII,
// 30 % Cyrillic letters in the form each expects), beside memcpy and glibc's
// iconv turning the same letters from Windows-1251 into UTF-8.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstring>

#include "common/file.h"
#include "common/utf8.h"
#include "formats/kt_library.h"
#include "kt/kt_paths.h"
#include "ratio_reporter.h"

namespace gs {
namespace {

constexpr size_t kSize = 64u << 20;

// The same text in three forms: stored (Windows-1251 codes as Latin-1 code
// points, UTF-8), edit (Cyrillic code points, UTF-8) and Windows-1251.
struct MixedText {
  Bytes stored;
  Bytes edit;
  Bytes cp1251;
};

void PutUtf8(Bytes& out, char32_t v) {
  const std::string utf8 = Utf8(v);
  out.insert(out.end(), utf8.begin(), utf8.end());
}

const MixedText& Text() {
  static const MixedText text = [] {
    MixedText t;
    for (Bytes* b : {&t.stored, &t.edit, &t.cp1251}) b->reserve(kSize + 2);
    uint64_t seed = 0x2006;
    while (t.stored.size() < kSize) {
      seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
      const uint32_t r = static_cast<uint32_t>(seed >> 33);
      if (r % 10 < 7) {
        const uint8_t c = r % 7 == 0 ? ' ' : static_cast<uint8_t>('a' + r % 26);
        t.stored.push_back(c);
        t.edit.push_back(c);
        t.cp1251.push_back(c);
      } else {
        // One of the 66 letters: А to я, Ё, ё.
        const uint32_t k = r % 66;
        const uint32_t code = k < 64 ? 0xC0 + k : (k == 64 ? 0xA8 : 0xB8);
        const uint32_t letter = k < 64 ? 0x410 + k : (k == 64 ? 0x401 : 0x451);
        PutUtf8(t.stored, code);
        PutUtf8(t.edit, letter);
        t.cp1251.push_back(static_cast<uint8_t>(code));
      }
    }
    return t;
  }();
  return text;
}

void BM_Memcpy(benchmark::State& state) {
  const Bytes& source = Text().stored;
  Bytes target(source.size());
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

// Runs convert on a fresh copy of source each time.
template <typename Convert>
void Run(benchmark::State& state, const Bytes& source, Convert convert) {
  Bytes work(source.size());
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(work.data(), source.data(), source.size());
    state.ResumeTiming();
    convert(work.data(), static_cast<uint32_t>(work.size()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

// The library as the program loads it; it takes the widest path the
// processor runs.
void BM_DeCoder(benchmark::State& state) {
  Run(state, Text().stored, [](uint8_t* p, uint32_t n) { KtLibrary::Shared().DeCoder(p, n); });
}

void BM_ReCoder(benchmark::State& state) {
  Run(state, Text().edit, [](uint8_t* p, uint32_t n) { KtLibrary::Shared().ReCoder(p, n); });
}

#if BENCH_KT_PATHS
// The SSE2 path, which processors without AVX2 take.
void BM_DeCoderSse2(benchmark::State& state) {
  Run(state, Text().stored, kt::DecodeSse2);
}

void BM_ReCoderSse2(benchmark::State& state) {
  Run(state, Text().edit, kt::EncodeSse2);
}

BENCHMARK(BM_DeCoderSse2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReCoderSse2)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

void BM_IconvCp1251ToUtf8(benchmark::State& state) {
  const Bytes& source = Text().cp1251;
  Bytes target(source.size() * 2);
  iconv_t cd = iconv_open("UTF-8", "CP1251");
  for (auto _ : state) {
    char* in = reinterpret_cast<char*>(const_cast<uint8_t*>(source.data()));
    size_t inLeft = source.size();
    char* out = reinterpret_cast<char*>(target.data());
    size_t outLeft = target.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1))
      state.SkipWithError("iconv failed");
    benchmark::ClobberMemory();
  }
  iconv_close(cd);
  // The same letters as the other runs: counted in their UTF-8 size.
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Text().stored.size()));
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IconvCp1251ToUtf8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DeCoder)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReCoder)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace gs

int main(int argc, char** argv) {
  return gs::bench::RunWithRatios(argc, argv,
                                  {{"BM_DeCoder", "BM_Memcpy"},
                                   {"BM_ReCoder", "BM_Memcpy"},
                                   {"BM_DeCoderSse2", "BM_Memcpy"},
                                   {"BM_ReCoderSse2", "BM_Memcpy"},
                                   {"BM_IconvCp1251ToUtf8", "BM_Memcpy"},
                                   {"BM_DeCoder", "BM_IconvCp1251ToUtf8"},
                                   {"BM_ReCoder", "BM_IconvCp1251ToUtf8"}});
}
