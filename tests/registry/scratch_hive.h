// A registry of the test's own, made fresh for each test and removed after
// it: on POSIX an empty hive file in a temporary folder that XDG_CONFIG_HOME
// points at, so that the user's own settings are never touched.
#pragma once

#include <cstddef>
#include <string>

namespace gs::testing {

class ScratchHive {
 public:
  ScratchHive();
  ~ScratchHive();
  ScratchHive(const ScratchHive&) = delete;
  ScratchHive& operator=(const ScratchHive&) = delete;

  // The key below HKEY_LOCAL_MACHINE that the test's keys go under.
  std::string Root() const;
  // Key handles of this process open now.
  size_t OpenKeyCount() const;
  // The folder that holds the hive (POSIX).
  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
  std::string savedConfigHome_;
  bool hadConfigHome_ = false;
};

}  // namespace gs::testing
