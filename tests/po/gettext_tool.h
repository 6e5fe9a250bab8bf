// GNU gettext's own tools, which the PO tests check our files with.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

namespace gs::test {

// The path of a gettext tool (msgfmt, msgfilter, msgmerge) found on PATH.
inline std::string GettextTool(const std::string& name) {
  std::istringstream path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "");
  for (std::string dir; std::getline(path, dir, ':');) {
    if (std::filesystem::exists(dir + "/" + name)) return dir + "/" + name;
  }
  ADD_FAILURE() << name << " (GNU gettext) is not installed";
  return name;
}

}  // namespace gs::test
