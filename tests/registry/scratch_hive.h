// A registry place of the test's own, made fresh for each test and removed
// after it: on POSIX an empty hive file in a temporary folder that
// XDG_CONFIG_HOME points at, so that the user's own settings are never
// touched; on Windows a key of its own below HKEY_LOCAL_MACHINE.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "registry/registry_api.h"

namespace gs::testing {

class ScratchHive {
 public:
  ScratchHive();
  ~ScratchHive();
  ScratchHive(const ScratchHive&) = delete;
  ScratchHive& operator=(const ScratchHive&) = delete;

  // The key below HKEY_LOCAL_MACHINE that the test's keys go under.
  std::string Root() const;
  // Whether a key handle of this process is open now, where the platform
  // tells (the POSIX hive gives the lowest free handles first: those it gave
  // before the test must be free again).
  std::optional<bool> KeyOpen() const;
  // The folder that holds the hive (POSIX); the root key (Windows).
  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
  std::vector<HKEY> firstHandles_;
  std::string savedConfigHome_;
  bool hadConfigHome_ = false;
};

// A fixture on a scratch hive, with the checks that every registry test uses.
class RegistryTest : public ::testing::Test {
 protected:
  void ExpectNoOpenKey() const {
    if (const auto open = hive_.KeyOpen()) {
      EXPECT_FALSE(*open);
    }
  }

  // Runs call, which must raise the given error, and checks that no key
  // handle stayed open.
  template <typename F>
  void ExpectError(F call, int32_t number, const std::string& source, const std::string& description) {
    try {
      call();
      ADD_FAILURE() << "no error raised; expected " << description;
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), number);
      EXPECT_EQ(e.Source(), source);
      EXPECT_EQ(e.Description(), description);
      EXPECT_EQ(e.HelpFile(), "");
      EXPECT_EQ(e.HelpContext(), 0);
    }
    ExpectNoOpenKey();
  }

  ScratchHive hive_;
};

}  // namespace gs::testing
