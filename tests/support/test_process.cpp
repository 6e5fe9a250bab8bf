// The parts of the test helpers that all platforms share.
#include "tests/support/test_process.h"

#include <filesystem>
#include <fstream>

#include "common/fs.h"

namespace gs::test {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::string s(static_cast<size_t>(in.tellg()), '\0');
  in.seekg(0);
  in.read(s.data(), static_cast<std::streamsize>(s.size()));
  return s;
}

std::string ImpBigPath() {
  return ExecutableDir() + "ImpBig.exe";
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::map<std::string, std::vector<uint8_t>> TreeOf(const std::string& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::vector<uint8_t>> tree;
  if (!fs::exists(folder)) return tree;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(item.path(), folder).string();
    tree[name] = item.is_directory() ? std::vector<uint8_t>{'<', '>'} : ReadBytes(item.path().string());
  }
  return tree;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  const std::string s = ReadAll(path);
  return std::vector<uint8_t>(s.begin(), s.end());
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace gs::test
