// Runs of ImpBig.exe on one archive at the same time, as the window and the
// command-line companion may start them: processes, each taking the lock.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "common/fs.h"
#include "tests/support/bigf_layout.h"
#include "tests/support/test_process.h"

namespace gs::test {
namespace {

using namespace std::chrono_literals;

std::future<ProgramResult> Start(std::vector<std::string> argv) {
  return std::async(std::launch::async, RunProgram, std::move(argv));
}

std::future<ProgramResult> Tool(std::vector<std::string> args) {
  args.insert(args.begin(), ImpBigPath());
  return Start(std::move(args));
}

// The helper that holds the lock until told to let go (hold_archive_lock.cpp).
class Holder {
 public:
  Holder(const ScratchDir& dir, const std::string& archive, const char* mode, const std::string& tag,
         std::vector<std::string> rewrite = {})
      : ready_(dir / (tag + ".ready")), release_(dir / (tag + ".release")) {
    std::vector<std::string> argv = {ExecutableDir() + "hold_archive_lock", archive, mode, ready_, release_};
    argv.insert(argv.end(), rewrite.begin(), rewrite.end());
    run_ = Start(argv);
  }
  ~Holder() {
    if (run_.valid()) Release();
  }
  // True once the helper holds the lock, false when it does not within the time.
  bool Holds(std::chrono::milliseconds within = 60s) const {
    const auto giveUp = std::chrono::steady_clock::now() + within;
    while (!std::filesystem::exists(ready_)) {
      if (std::chrono::steady_clock::now() >= giveUp) return false;
      std::this_thread::sleep_for(5ms);
    }
    return true;
  }
  ProgramResult Release() {
    WriteText(release_, "");
    return run_.get();
  }

 private:
  std::string ready_, release_;
  std::future<ProgramResult> run_;
};

class ArchiveLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(archive_, BuildLayout("BIGF", {{"a.bin", Pattern(3000, 1)},
                                              {"b.bin", Pattern(5000, 2)},
                                              {"c.bin", Pattern(4000, 3)},
                                              {"d.bin", Pattern(2000, 4)}}));
  }
  std::string Source(const std::vector<uint8_t>& bytes) {
    const std::string path = dir_ / ("source" + std::to_string(++sources_));
    WriteBytes(path, bytes);
    return path;
  }

  ScratchDir dir_{"lock"};
  const std::string archive_ = dir_ / "local.viv";
  int sources_ = 0;
};

#ifndef GS_LOCK_PATIENCE

TEST_F(ArchiveLockTest, RunsAtTheSameTimeLoseNothing) {
  // Replacements in place, new entries (rewrites), finishing runs and an
  // extraction, all at once, round after round.
  std::map<std::string, std::vector<uint8_t>> expected = EntriesOf(archive_);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string added = "new" + std::to_string(round) + ".bin";
    const std::vector<uint8_t> b = Pattern(4100 + round, 10 + round), c = Pattern(900 + round, 20 + round),
                               fresh = Pattern(1500 + round, 30 + round);
    std::vector<std::future<ProgramResult>> runs;
    runs.push_back(Tool({"/i", archive_, "b.bin", Source(b), "/c"}));
    runs.push_back(Tool({"/i", archive_, added, Source(fresh), "/c"}));
    runs.push_back(Tool({"/i", archive_, "c.bin", Source(c), "/c"}));
    runs.push_back(Tool({"/r", archive_}));
    runs.push_back(Tool({"/e", archive_, "d.bin", dir_ / "d.out"}));
    for (auto& run : runs) {
      const ProgramResult r = run.get();
      EXPECT_EQ(r.exitCode, 0) << r.err;
    }
    expected["b.bin"] = b;
    expected["c.bin"] = c;
    expected[added] = fresh;
    EXPECT_TRUE(EntriesOf(archive_) == expected);
    EXPECT_TRUE(ReadBytes(dir_ / "d.out") == expected["d.bin"]);
    if (HasFailure()) break;
  }
}

TEST_F(ArchiveLockTest, ExtractionsShareTheLockAndChangesWaitTheirTurn) {
  const std::vector<uint8_t> b = Pattern(777, 9);
  struct Case {
    const char* what;
    const char* holding;
    std::vector<std::string> run;
    bool waits;
  };
  const Case cases[] = {
      {"an extraction beside an extraction", "shared", {"/e", archive_, "a.bin", dir_ / "a.out"}, false},
      {"an insert beside an extraction", "shared", {"/i", archive_, "b.bin", Source(b), "/c"}, true},
      {"an extraction beside an insert", "exclusive", {"/e", archive_, "a.bin", dir_ / "a.out"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Holder holder(dir_, archive_, c.holding, c.what);
    ASSERT_TRUE(holder.Holds());
    std::future<ProgramResult> run = Tool(c.run);
    if (c.waits) {
      EXPECT_EQ(run.wait_for(500ms), std::future_status::timeout) << "did not wait";
      EXPECT_EQ(holder.Release().exitCode, 0);
    } else {
      EXPECT_EQ(run.wait_for(30s), std::future_status::ready) << "waited";
    }
    const ProgramResult r = run.get();
    EXPECT_EQ(r.exitCode, 0) << r.err;
  }
  const auto entries = EntriesOf(archive_);
  EXPECT_TRUE(entries.at("b.bin") == b);
  EXPECT_TRUE(ReadBytes(dir_ / "a.out") == entries.at("a.bin"));
}

TEST_F(ArchiveLockTest, ARunThatWaitedOnAReplacedArchiveLocksTheNewOne) {
  // The first holder adds an entry, which renames a new archive over the one
  // that the second holder waits on; the second must then hold the new one,
  // or a third run would change it beside the second.
  const std::vector<uint8_t> b = Pattern(777, 9), added = Pattern(555, 8);
  Holder first(dir_, archive_, "exclusive", "first", {"added.bin", Source(added)});
  ASSERT_TRUE(first.Holds());
  Holder second(dir_, archive_, "exclusive", "second");
  EXPECT_FALSE(second.Holds(300ms));
  EXPECT_EQ(first.Release().exitCode, 0);
  ASSERT_TRUE(second.Holds());
  std::future<ProgramResult> third = Tool({"/i", archive_, "b.bin", Source(b), "/c"});
  EXPECT_EQ(third.wait_for(500ms), std::future_status::timeout) << "ran beside the second";
  EXPECT_EQ(second.Release().exitCode, 0);
  const ProgramResult r = third.get();
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const auto entries = EntriesOf(archive_);
  EXPECT_TRUE(entries.at("b.bin") == b);
  EXPECT_TRUE(entries.at("added.bin") == added);
}

#else

// ImpBig.exe waits 30 seconds for another run to let go of the archive.
TEST_F(ArchiveLockTest, ARunHeldOffTooLongFailsWithError70) {
  const auto before = ReadBytes(archive_);
  Holder holder(dir_, archive_, "exclusive", "holder");
  ASSERT_TRUE(holder.Holds());
  const auto start = std::chrono::steady_clock::now();
  const ProgramResult r = Tool({"/i", archive_, "b.bin", Source(Pattern(10, 1)), "/c"}).get();
  EXPECT_GE(std::chrono::steady_clock::now() - start, 29s);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind("ImpBig: error 70: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find(archive_), std::string::npos) << r.err;
  EXPECT_EQ(holder.Release().exitCode, 0);
  EXPECT_EQ(ReadBytes(archive_), before);
}

#endif

}  // namespace
}  // namespace gs::test
