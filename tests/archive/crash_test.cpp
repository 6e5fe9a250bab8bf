// Kills ImpBig.exe at random moments of inserts and finishing runs on a
// large archive, and reads every entry back after each kill: each must read
// entirely as before or entirely as after, and the archive must stay whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>

#include "tests/support/bigf_layout.h"
#include "tests/support/test_process.h"

#ifndef GS_CRASH_ROUNDS
#define GS_CRASH_ROUNDS 60
#define GS_CRASH_SUITE CrashSafety
#endif

namespace gs::test {
namespace {

// Entry name and a digest of its bytes.
using Contents = std::map<std::string, uint64_t>;

Contents ReadContents(const std::string& archive, bool* finished = nullptr) {
  const LayoutArchive a = ReadLayout(archive, false);  // throws if the layout is broken
  Contents c;
  for (const auto& e : a.entries) {
    EXPECT_TRUE(c.emplace(e.name, e.digest).second) << "two entries named " << e.name;
  }
  if (finished != nullptr) *finished = a.totalSize == a.fileSize;
  return c;
}

// Files in the folder: a run that ends by itself leaves none but the archive
// and the source, having cleared away what killed runs left.
size_t FilesIn(const std::string& folder) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

class KillTimer {
 public:
  // Somewhere within the run, or shortly after it would have ended.
  std::chrono::microseconds Next(std::mt19937& rng) {
    std::uniform_real_distribution<double> d(0, estimate_ * 1.3);
    last_ = d(rng);
    return std::chrono::microseconds(static_cast<int64_t>(last_));
  }
  void Observe(const KilledRun& r) {
    if (!r.killed) {
      estimate_ = 0.7 * estimate_ + 0.3 * r.micros;
    } else {
      // Still running when killed: the run takes longer than that. Where
      // starting a program is slow, this keeps all kills from landing in
      // the start.
      estimate_ = std::max(estimate_, last_);
    }
  }

 private:
  double estimate_ = 20000;
  double last_ = 0;
};

TEST(GS_CRASH_SUITE, EveryEntryReadsOldOrNewAfterAKillAtAnyMoment) {
  const ScratchDir dir("crash");
  const std::string archive = dir / "local.viv";
  const std::string source = dir / "source.bin";
  std::random_device seeder;
  const unsigned seed = seeder();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  std::uniform_int_distribution<size_t> entrySize(256 << 10, 5 << 19);

  // About 40 MiB in 24 entries.
  std::vector<LayoutEntry> initial;
  for (int i = 0; i < 24; ++i) {
    initial.push_back({"Entry" + std::to_string(i) + ".bin", Pattern(entrySize(rng), rng()), 0});
  }
  WriteBytes(archive, BuildLayout("BIGF", initial));
  Contents model;
  for (const auto& e : initial) model[e.name] = Digest(e.data);

  KillTimer insertTimer, finishTimer;
  int kills = 0;
  int added = 0;
  for (int round = 0; round < GS_CRASH_ROUNDS; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    // Mostly replacements; now and then a new entry, which rewrites.
    std::string name;
    if (rng() % 5 == 0) {
      name = "new" + std::to_string(added++) + ".bin";
    } else {
      auto it = model.begin();
      std::advance(it, rng() % model.size());
      name = it->first;
    }
    const std::vector<uint8_t> bytes = Pattern(entrySize(rng), rng());
    WriteBytes(source, bytes);
    const uint64_t content = Digest(bytes);

    const KilledRun insert =
        RunAndKillAfter({ImpBigPath(), "/i", archive, name, source, "/c"}, insertTimer.Next(rng));
    insertTimer.Observe(insert);
    kills += insert.killed;
    Contents now = ReadContents(archive);
    for (const auto& entry : model) EXPECT_EQ(now.count(entry.first), 1u) << entry.first << " is gone";
    for (const auto& [n, data] : now) {
      if (n == name) {
        const bool isNew = data == content;
        EXPECT_TRUE(isNew || (model.count(n) && data == model[n])) << n << " is neither old nor new";
        if (!insert.killed) {
          EXPECT_TRUE(isNew) << "insert ended with " << insert.exitCode;
          EXPECT_EQ(FilesIn(dir.Path()), 2u) << "leftovers stayed";
        }
      } else {
        EXPECT_TRUE(model.count(n) && data == model[n]) << n << " changed";
      }
    }
    model = now;

    const KilledRun finish = RunAndKillAfter({ImpBigPath(), "/r", archive}, finishTimer.Next(rng));
    finishTimer.Observe(finish);
    kills += finish.killed;
    bool finished = false;
    EXPECT_TRUE(ReadContents(archive, &finished) == model) << "finish changed an entry";
    if (!finish.killed) {
      EXPECT_EQ(finish.exitCode, 0);
      EXPECT_TRUE(finished) << "total size differs from the file's length";
      EXPECT_EQ(FilesIn(dir.Path()), 2u) << "leftovers stayed";
    }
    if (HasFailure()) break;
  }
  // The kills must have hit running tools, or the test proves nothing.
  EXPECT_GE(kills, GS_CRASH_ROUNDS / 2);
  std::printf("%d runs, %d killed while running\n", 2 * GS_CRASH_ROUNDS, kills);
}

}  // namespace
}  // namespace gs::test
