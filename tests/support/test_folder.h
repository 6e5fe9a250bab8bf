// What many tests need: a fresh folder of their own, small file helpers,
// the number of an error, and waiting for something another process does.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace gs::testing {

// A fresh folder for each test, removed after it.
class FolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static void Write(const std::string& path, const std::string& bytes);
  static std::string Read(const std::string& path);

  std::filesystem::path dir_;
};

// The number of the gs::Error that call raises; 0 when it raises none.
int32_t ErrorNumberOf(const std::function<void()>& call);

bool ProcessAlive(int pid);

// Whether condition holds within seconds (polled).
bool Eventually(const std::function<bool()>& condition, double seconds = 10);

}  // namespace gs::testing
