// ImpBig.exe on a 1 GiB archive, against baselines measured in the same run:
//  - replacing a 1 MiB entry (/i then /r) against copying the archive with cp;
//  - extracting a 1 MiB entry against reading that many bytes, and against
//    extracting the same entry from a small archive.
// RefPack decompression of 16 MiB, of text like a string table's and of
// bytes that do not compress, against memcpy of as many bytes (throughput in
// bytes of output). Run only these with --benchmark_filter='RefPack|Memcpy':
// the others build a 1 GiB archive first.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/statvfs.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "common/file.h"
#include "common/fs.h"
#include "tests/support/refpack_pack.h"
#include "archive/bigf.h"
#include "archive/refpack.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr size_t kEntrySize = 1 << 20;
constexpr size_t kEntries = 1024;  // 1 GiB
constexpr uint64_t kSpaceNeeded = 2 * (uint64_t{kEntries} * kEntrySize) + (256u << 20);
const char* const kEntry = "entry0512.bin";

// Runs a program, waits, and returns the seconds it took.
double Run(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const auto start = Clock::now();
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<uint8_t> PatternBytes(size_t size) {
  std::vector<uint8_t> b(size);
  uint32_t x = 2463534242u;
  for (auto& c : b) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<uint8_t>(x);
  }
  return b;
}

// The archives and files of the run, in a scratch folder removed at exit.
class Workspace {
 public:
  static Workspace& Get() {
    static Workspace w;
    return w;
  }
  ~Workspace() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  bool Ready() const { return error_.empty(); }
  const std::string& Error() const { return error_; }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  Workspace() : dir_(fs::temp_directory_path() / ("gs-bench-archive-" + std::to_string(::getpid()))) {
    struct statvfs st {};
    if (::statvfs(fs::temp_directory_path().c_str(), &st) != 0 ||
        uint64_t{st.f_bavail} * st.f_frsize < kSpaceNeeded) {
      error_ = "not enough free space in " + fs::temp_directory_path().string();
      return;
    }
    fs::create_directories(dir_);
    // 1024 distinct entries cut from one 2 MiB pattern.
    const std::vector<uint8_t> pattern = PatternBytes(2 * kEntrySize);
    std::vector<gs::bigf::NewEntry> entries;
    for (size_t i = 0; i < kEntries; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "entry%04zu.bin", i);
      const size_t shift = (i * 4099) % kEntrySize;
      entries.push_back({name, std::span<const uint8_t>(pattern).subspan(shift, kEntrySize)});
    }
    gs::bigf::Create(Path("big.viv"), entries);
    gs::bigf::Create(Path("small.viv"), std::span(entries).subspan(kEntries / 2, 2));
    const std::vector<uint8_t> replacement = PatternBytes(kEntrySize);
    gs::WriteWholeFile(Path("source.bin"), replacement);
  }

  fs::path dir_;
  std::string error_;
};

void ReplaceEntryVersusCp(benchmark::State& state) {
  Workspace& w = Workspace::Get();
  if (!w.Ready()) return state.SkipWithError(w.Error().c_str());
  const std::string tool = gs::ExecutableDir() + "ImpBig.exe";
  const std::string archive = w.Path("big.viv");
  double cpTotal = 0, replaceTotal = 0;
  for (auto _ : state) {
    const double cp = Run({"/bin/cp", archive, w.Path("copy.viv")});
    fs::remove(w.Path("copy.viv"));
    const double insert = Run({tool, "/i", archive, kEntry, w.Path("source.bin"), "/c"});
    const double finish = Run({tool, "/r", archive});
    if (cp < 0 || insert < 0 || finish < 0) return state.SkipWithError("a program failed");
    state.SetIterationTime(insert + finish);
    cpTotal += cp;
    replaceTotal += insert + finish;
  }
  state.counters["cp_ms"] = benchmark::Counter(cpTotal * 1000, benchmark::Counter::kAvgIterations);
  state.counters["replace_ms"] = benchmark::Counter(replaceTotal * 1000, benchmark::Counter::kAvgIterations);
  state.counters["replace_per_cp_pct"] = 100 * replaceTotal / cpTotal;
}

void ExtractEntryVersusRead(benchmark::State& state) {
  Workspace& w = Workspace::Get();
  if (!w.Ready()) return state.SkipWithError(w.Error().c_str());
  const std::string tool = gs::ExecutableDir() + "ImpBig.exe";
  const gs::bigf::Reader reader(w.Path("big.viv"));
  const gs::bigf::Entry& entry = reader.Get(kEntry);
  std::vector<uint8_t> buffer(entry.Size);
  double readTotal = 0, bigTotal = 0, smallTotal = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    reader.GetFile().ReadExactAt(entry.Offset, buffer.data(), buffer.size());
    benchmark::DoNotOptimize(buffer.data());
    const double read = std::chrono::duration<double>(Clock::now() - start).count();
    const double big = Run({tool, "/e", w.Path("big.viv"), kEntry, w.Path("out.bin")});
    const double small = Run({tool, "/e", w.Path("small.viv"), kEntry, w.Path("out.bin")});
    if (big < 0 || small < 0) return state.SkipWithError("extraction failed");
    state.SetIterationTime(big);
    readTotal += read;
    bigTotal += big;
    smallTotal += small;
  }
  state.counters["read_ms"] = benchmark::Counter(readTotal * 1000, benchmark::Counter::kAvgIterations);
  state.counters["extract_ms"] = benchmark::Counter(bigTotal * 1000, benchmark::Counter::kAvgIterations);
  state.counters["extract_per_read"] = bigTotal / readTotal;
  state.counters["big_per_small_archive"] = bigTotal / smallTotal;
}

constexpr size_t kPlainSize = 16 << 20;

// Lines of words and numbers, as the game's texts repeat them.
std::vector<uint8_t> TableText() {
  static const char* const kWords[] = {"the",     "player", "team",   "goal",    "season",   "shot",
                                       "pass",    "game",   "press",  "to",      "continue", "select",
                                       "your",    "line",   "period", "win",     "trade",    "contract",
                                       "injured", "score",  "Ready",  "Options", "Back"};
  std::mt19937 rng(12);
  std::string text;
  while (text.size() < kPlainSize) {
    for (int n = 3 + static_cast<int>(rng() % 8); n > 0; --n) {
      text += kWords[rng() % std::size(kWords)];
      text += rng() % 5 == 0 ? std::to_string(rng() % 100) + " " : " ";
    }
    text.back() = '\n';
  }
  text.resize(kPlainSize);
  return std::vector<uint8_t>(text.begin(), text.end());
}

struct Compressed {
  std::vector<uint8_t> plain;
  std::vector<uint8_t> packed;
};

const Compressed& Sample(bool text) {
  static const Compressed samples[2] = {
      [] {
        Compressed c{PatternBytes(kPlainSize), {}};
        c.packed = gs::test::RefPackCompress(c.plain, {true, false});
        return c;
      }(),
      [] {
        Compressed c{TableText(), {}};
        c.packed = gs::test::RefPackCompress(c.plain, {true, false});
        return c;
      }(),
  };
  return samples[text ? 1 : 0];
}

void Decompress(benchmark::State& state, bool text) {
  const Compressed& c = Sample(text);
  if (gs::refpack::Decompress(c.packed, "bench") != c.plain) return state.SkipWithError("wrong output");
  for (auto _ : state) {
    const gs::Bytes out = gs::refpack::Decompress(c.packed, "bench");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.plain.size()));
  state.counters["ratio"] = static_cast<double>(c.plain.size()) / static_cast<double>(c.packed.size());
}

void RefPackDecompressText(benchmark::State& state) {
  Decompress(state, true);
}

void RefPackDecompressIncompressible(benchmark::State& state) {
  Decompress(state, false);
}

void MemcpyOfTheOutput(benchmark::State& state) {
  const Compressed& c = Sample(true);
  std::vector<uint8_t> out(c.plain.size());
  for (auto _ : state) {
    std::memcpy(out.data(), c.plain.data(), out.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.plain.size()));
}

}  // namespace

BENCHMARK(ReplaceEntryVersusCp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ExtractEntryVersusRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(RefPackDecompressText)->Unit(benchmark::kMillisecond);
BENCHMARK(RefPackDecompressIncompressible)->Unit(benchmark::kMillisecond);
BENCHMARK(MemcpyOfTheOutput)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  return gs::bench::RunWithRatios(argc, argv,
                                  {{"RefPackDecompressText", "MemcpyOfTheOutput"},
                                   {"RefPackDecompressIncompressible", "MemcpyOfTheOutput"}});
}
