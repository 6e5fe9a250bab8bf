// The office process and its profiles, with small shell scripts standing in
// for the office.
#include "word/writer/office_process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/test_folder.h"

namespace gs::writer {
namespace {

namespace fs = std::filesystem;

bool WaitUntilGone(int pid, double seconds) {
  return gs::testing::Eventually([&] { return !gs::testing::ProcessAlive(pid); }, seconds);
}

class OfficeProcessTest : public gs::testing::FolderTest {
 protected:
  std::string Script(const std::string& name, const std::string& body) const {
    const std::string path = Path(name);
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    ::chmod(path.c_str(), 0755);
    return path;
  }
  // An office that writes its process id to NAME.pid and waits.
  std::string Sleeper(const std::string& name, const std::string& before = "") const {
    const std::string pid = Path(name + ".pid");
    return Script(name,
                  before + "echo $$ > " + pid + ".new && mv " + pid + ".new " + pid + "\nexec sleep 60");
  }
  // The process id that the office NAME wrote, once it has (0 when it has not
  // within 10 seconds).
  int PidOf(const std::string& name) const {
    const std::string pid = Path(name + ".pid");
    if (!gs::testing::Eventually([&] { return fs::exists(pid); }, 10)) return 0;
    return std::stoi(Read(pid));
  }
  std::string Root() const { return Path("profiles"); }
};

TEST_F(OfficeProcessTest, ProfilesAreHandedOutOneOfficeAtATime) {
  auto first = OfficeProfile::Acquire(Root());
  auto second = OfficeProfile::Acquire(Root());
  EXPECT_NE(first.Folder(), second.Folder());
  EXPECT_TRUE(fs::is_directory(first.Folder()));
  EXPECT_GT(ProfileHeldSince(first.Folder()), 0);
  const std::string folder = first.Folder();
  first = OfficeProfile();
  EXPECT_EQ(ProfileHeldSince(folder), 0);
  // A freed profile is used again: its office starts faster.
  EXPECT_EQ(OfficeProfile::Acquire(Root()).Folder(), folder);
}

TEST_F(OfficeProcessTest, RunsTheProgramWithItsArgumentsAndOutputInTheLog) {
  const std::string office = Script("office", "echo \"$@\" > " + Path("args") + "\necho started\nexit 3");
  auto profile = OfficeProfile::Acquire(Root());
  OfficeProcess process(office, {"--one", "two words"}, Path("office.log"), profile);
  EXPECT_TRUE(process.WaitForExit(10));
  EXPECT_EQ(process.ExitCode(), 3);
  EXPECT_FALSE(process.Running());
  EXPECT_EQ(Read(Path("args")), "--one two words\n");
  EXPECT_EQ(Read(Path("office.log")), "started\n");
}

TEST_F(OfficeProcessTest, AMissingProgramEndsAt127) {
  auto profile = OfficeProfile::Acquire(Root());
  OfficeProcess process(Path("absent"), {}, Path("office.log"), profile);
  EXPECT_TRUE(process.WaitForExit(10));
  EXPECT_EQ(process.ExitCode(), 127);
}

TEST_F(OfficeProcessTest, StartsAgainAfterTheFirstStartOfAFreshProfile) {
  // Exits with 81 once, as an office with a new profile does, then runs.
  const std::string office = Sleeper(
      "office", "if [ ! -e " + Path("started") + " ]; then touch " + Path("started") + "; exit 81; fi\n");
  auto profile = OfficeProfile::Acquire(Root());
  OfficeProcess process(office, {}, Path("office.log"), profile);
  // Only the second start gets to write its process id.
  const int pid = PidOf("office");
  ASSERT_GT(pid, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(process.Running());
  EXPECT_TRUE(gs::testing::ProcessAlive(pid));
  process.Kill();
  EXPECT_TRUE(process.WaitForExit(10));
  EXPECT_EQ(process.ExitCode(), 128 + SIGKILL);
  EXPECT_TRUE(WaitUntilGone(pid, 5));
}

TEST_F(OfficeProcessTest, TheKeeperHoldsTheProfileWhileTheOfficeRuns) {
  const std::string office = Sleeper("office");
  auto profile = OfficeProfile::Acquire(Root());
  const std::string folder = profile.Folder();
  auto process =
      std::make_unique<OfficeProcess>(office, std::vector<std::string>{}, Path("office.log"), profile);
  ASSERT_GT(PidOf("office"), 0);
  profile.HandOver();
  EXPECT_GT(ProfileHeldSince(folder), 0);
  process->Kill();
  ASSERT_TRUE(process->WaitForExit(10));
  process.reset();
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (ProfileHeldSince(folder) != 0 && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(ProfileHeldSince(folder), 0);
}

TEST_F(OfficeProcessTest, TheOfficeEndsWithItsOwnerUnlessDetached) {
  auto profile = OfficeProfile::Acquire(Root());
  int ended = 0;
  int kept = 0;
  {
    OfficeProcess process(Sleeper("a"), {}, Path("a.log"), profile);
    ended = PidOf("a");
  }
  {
    OfficeProcess process(Sleeper("b"), {}, Path("b.log"), profile);
    kept = PidOf("b");
    process.SetDetached(true);
  }
  ASSERT_GT(ended, 0);
  ASSERT_GT(kept, 0);
  EXPECT_TRUE(WaitUntilGone(ended, 10));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(gs::testing::ProcessAlive(kept));
  ::kill(kept, SIGKILL);
}

TEST_F(OfficeProcessTest, TheOfficeEndsWhenItsOwnerDiesUnlessDetached) {
  // A child process starts the office and dies without any clean-up.
  const auto startAndDie = [&](const std::string& name, bool detach) {
    const std::string office = Sleeper(name);
    const pid_t child = ::fork();
    if (child == 0) {
      auto profile = OfficeProfile::Acquire(Root());
      OfficeProcess process(office, {}, Path("c.log"), profile);
      PidOf(name);
      if (detach) process.SetDetached(true);
      // Let the keeper read the command before the owner vanishes.
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return PidOf(name);
  };
  const int orphan = startAndDie("orphan", false);
  ASSERT_GT(orphan, 0);
  EXPECT_TRUE(WaitUntilGone(orphan, 10));
  const int users = startAndDie("users", true);
  ASSERT_GT(users, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(gs::testing::ProcessAlive(users));
  ::kill(users, SIGKILL);
}

}  // namespace
}  // namespace gs::writer
