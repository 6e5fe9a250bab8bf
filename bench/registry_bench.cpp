// The settings store's costs: reading a hive file, and the reads and writes
// of start-up against a hive that has not changed.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "registry/bas_registry.h"
#include "registry/reg_file.h"

namespace {

std::string HiveText(int values) {
  gs::RegFile file;
  file.CreateKey(gs::kSettingsKey);
  for (int i = 0; i < values; ++i) {
    file.SetValue(gs::kSettingsKey, "Value" + std::to_string(i), gs::RegValue{gs::REG_DWORD, {1, 2, 3, 4}});
  }
  return file.Serialize();
}

void BM_ParseHive(benchmark::State& state) {
  const std::string text = HiveText(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(gs::RegFile::Parse(text, "bench.reg"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseHive)->Arg(10)->Arg(2000);

// A scratch hive with the settings start-up reads.
class ScratchConfig {
 public:
  ScratchConfig() {
    std::string pattern = (std::filesystem::temp_directory_path() / "gs-bench-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    gs::SetRegDWord(gs::HKEY_LOCAL_MACHINE, gs::kSettingsKey, "TypeId", 0);
    gs::SetRegDWord(gs::HKEY_LOCAL_MACHINE, gs::kSettingsKey, "LanguageId", 1);
  }
  ~ScratchConfig() { std::filesystem::remove_all(folder_); }

 private:
  std::string folder_;
};

void BM_GetRegDWord(benchmark::State& state) {
  const ScratchConfig config;
  for (auto _ : state) {
    benchmark::DoNotOptimize(gs::GetRegDWord(gs::HKEY_LOCAL_MACHINE, gs::kSettingsKey, "TypeId"));
  }
}
BENCHMARK(BM_GetRegDWord);

void BM_SetRegDWordUnchanged(benchmark::State& state) {
  const ScratchConfig config;
  for (auto _ : state) gs::SetRegDWord(gs::HKEY_LOCAL_MACHINE, gs::kSettingsKey, "LanguageId", 1);
}
BENCHMARK(BM_SetRegDWordUnchanged);

void BM_SetRegDWordChanged(benchmark::State& state) {
  const ScratchConfig config;
  int32_t value = 0;
  for (auto _ : state) gs::SetRegDWord(gs::HKEY_LOCAL_MACHINE, gs::kSettingsKey, "WordGoToLine", ++value);
}
BENCHMARK(BM_SetRegDWordChanged)->Iterations(50);

}  // namespace

BENCHMARK_MAIN();
