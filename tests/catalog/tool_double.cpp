#include "tests/catalog/tool_double.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/fs.h"

namespace {

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string RestOf(std::istringstream& line) {
  std::string rest;
  std::getline(line >> std::ws, rest);
  return rest;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  std::ifstream script(gs::ExecutableDir() + gs::test::kToolDoubleScript);
  for (std::string text; std::getline(script, text);) {
    std::istringstream line(text);
    std::string op;
    line >> op;
    if (op == "args" && args.size() > 1) {
      std::string out;
      for (size_t i = 2; i < args.size(); ++i) out += "[" + args[i] + "]";
      WriteFile(args[1], out);
    } else if (op == "write") {
      size_t n = 0;
      line >> n;
      if (n < args.size()) WriteFile(args[n], RestOf(line));
    } else if (op == "touch") {
      WriteFile(RestOf(line), "");
    } else if (op == "startup") {
      WriteFile(RestOf(line), gs::test::StartupWindowState());
    } else if (op == "exit") {
      uint64_t code = 0;
      line >> code;
      // The full 32 bits where the system keeps them.
      std::exit(static_cast<int>(static_cast<uint32_t>(code)));
    }
  }
  return 0;
}
