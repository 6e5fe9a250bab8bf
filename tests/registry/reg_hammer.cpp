// Sets registry values from a process of its own, for the tests of several
// writers at once and of writers killed mid-write.
//   reg_hammer KEY PREFIX COUNT   sets PREFIX0 .. PREFIX<COUNT-1> to 0 .. COUNT-1
//   reg_hammer KEY NAME forever   sets NAME to 0, 1, 2, ... until killed
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/error.h"
#include "registry/bas_registry.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: reg_hammer KEY PREFIX COUNT|forever\n");
    return 2;
  }
  const std::string key = argv[1];
  const std::string prefix = argv[2];
  const std::string count = argv[3];
  try {
    if (count == "forever") {
      for (int32_t i = 0;; ++i) gs::SetRegDWord(gs::HKEY_LOCAL_MACHINE, key, prefix, i);
    }
    const int n = std::atoi(count.c_str());
    for (int i = 0; i < n; ++i) gs::SetRegDWord(gs::HKEY_LOCAL_MACHINE, key, prefix + std::to_string(i), i);
  } catch (const gs::Error& e) {
    std::fprintf(stderr, "reg_hammer: %s: %s\n", e.Source().c_str(), e.Description().c_str());
    return 1;
  }
  return 0;
}
