// The commands that write sample files: sample-tables and sample-game.
#include <charconv>
#include <cstdio>
#include <filesystem>

#include "common/error.h"
#include "tools/glossmith/commands.h"
#include "tools/sample/sample_game.h"
#include "tools/sample/sample_tables.h"

namespace gs::cli {

namespace {

int TakeCount(Args& args, const std::string& name, int fallback, int least) {
  const std::string text = TakeOption(args, name);
  if (text.empty()) return fallback;
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < least) {
    throw UsageError{name + " needs a whole number of at least " + std::to_string(least)};
  }
  return value;
}

// --entries, --records and --seed, then the folder, the only argument left.
SampleSizes TakeSizesAndFolder(Args& args, std::string& folder) {
  SampleSizes sizes;
  sizes.Entries = TakeCount(args, "--entries", sizes.Entries, 1);
  sizes.Records = TakeCount(args, "--records", sizes.Records, 0);
  sizes.Seed = static_cast<uint32_t>(TakeCount(args, "--seed", static_cast<int>(sizes.Seed), 0));
  if (args.size() != 1) throw UsageError{args.empty() ? "DIR is needed" : "unexpected argument: " + args[1]};
  folder = args.front();
  return sizes;
}

}  // namespace

int RunSampleTables(const Args& given) {
  Args args = given;
  std::string folder;
  const SampleSizes sizes = TakeSizesAndFolder(args, folder);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) RaiseFileError(ec.value(), folder);
  for (const std::string& path : WriteSampleTables(folder, sizes)) std::printf("%s\n", path.c_str());
  return 0;
}

int RunSampleGame(const Args& given) {
  Args args = given;
  SampleGameOptions options;
  options.Force = TakeFlag(args, "--force");
  const bool install = TakeFlag(args, "--install");
  std::string folder;
  options.Sizes = TakeSizesAndFolder(args, folder);
  const std::vector<SampleGameFile> files = WriteSampleGame(folder, options);

  std::error_code ec;
  const std::string where = std::filesystem::absolute(folder, ec).string();
  std::printf("Sample game in %s (string tables of %d entries, e-mail data of %d records, seed %u):\n",
              ec ? folder.c_str() : where.c_str(), options.Sizes.Entries, options.Sizes.Records,
              options.Sizes.Seed);
  size_t width = 0;
  for (const SampleGameFile& f : files) width = std::max(width, f.Name.size());
  for (const SampleGameFile& f : files) {
    std::printf("  %-*s  %s\n", static_cast<int>(width), f.Name.c_str(), f.What.c_str());
  }
  if (!install) return 0;
  std::printf("\n");
  return InstallAndTell(folder);
}

}  // namespace gs::cli
