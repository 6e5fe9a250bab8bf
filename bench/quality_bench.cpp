// The checks and the progress of a 200,000-entry string table (French slot,
// Russian beside English) and of 20,000 e-mail records, from the files, with
// the table's own text and with an edited text; the command `glossmith
// check` as a user runs it; and what "Save changes" adds for the window's
// lines (progress and checks of the saved text, the game's six tables of the
// type read from its archive for the characters known, the list written). Baselines of the same run: `cp` of
// the two tables, and `iconv` decoding the text file's UTF-8, which reads
// every character once as the checks do.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "common/fs.h"
#include "formats/email_data.h"
#include "formats/string_table.h"
#include "quality/checks.h"
#include "quality/progress.h"
#include "ratio_reporter.h"
#include "archive/bigf.h"
#include "tools/sample/sample_tables.h"
#include "workflow/translation_quality.h"

namespace gs {
namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 200000;
constexpr int kRecords = 20000;

struct Scene {
  std::string name;
  std::string type;
  ConversionFiles files;  // the text file is the edited text, with its byte-order mark
  size_t lines = 0;
};

std::string Folder() {
  static const std::string folder = [] {
    const fs::path dir = fs::temp_directory_path() / ("gs-bench-quality-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir.string() + "/";
  }();
  return folder;
}

// Writes the tables of a scene and its text as the word processor saves it.
template <typename Export>
Scene MakeScene(std::string name, std::string type, std::string english, const Bytes& work,
                const Bytes& englishTable, Export exportFn) {
  Scene s{name, std::move(type), {Folder() + name, Folder() + english, Folder() + name + ".txt"}};
  WriteWholeFile(s.files.WorkTablePath, work, Durability::Work);
  WriteWholeFile(s.files.TemplateCopyPath, englishTable, Durability::Work);
  FormatState state;
  exportFn(state, s.files, s.name, KtLibrary::Shared());
  FileBytes text;
  ReadWholeFile(s.files.TextFilePath, text, 3);
  std::copy_n("\xEF\xBB\xBF", 3, text.begin());
  WriteWholeFile(s.files.TextFilePath, text, Durability::Work);
  s.lines = static_cast<size_t>(std::count(text.begin(), text.end(), 0x0A));
  return s;
}

const Scene& StringTableScene() {
  static const Scene scene =
      MakeScene("FrontFrench.bin", "Front", "frontEnglish.bin.eng",
                MakeStringTable(FileKind::Front, "French(Russian)", kEntries, 1),
                MakeStringTable(FileKind::Front, "English", kEntries, 1), StringTableExport);
  return scene;
}

const Scene& EmailScene() {
  static const Scene scene = MakeScene("emaildataFrench.dta", "E-Mail", "emaildata.dta.eng",
                                       MakeEmailData("French(Russian)", kRecords, 1),
                                       MakeEmailData("English", kRecords, 1), EmailExport);
  return scene;
}

ConversionFiles TablesOnly(const Scene& scene) {
  ConversionFiles files = scene.files;
  files.TextFilePath.clear();
  return files;
}

// What the command does: the repertoire of both tables, then the checks.
void RunCheck(benchmark::State& state, const Scene& scene, const ConversionFiles& files) {
  size_t findings = 0;
  for (auto _ : state) {
    Repertoire repertoire;
    repertoire.AddTables(files, scene.name, KtLibrary::Shared());
    findings = CheckEntries(files, scene.name, repertoire, {}, KtLibrary::Shared()).Findings.size();
  }
  state.counters["lines"] = static_cast<double>(scene.lines);
  state.counters["findings"] = static_cast<double>(findings);
}

void RunShell(benchmark::State& state, const std::string& command, bool findingsAllowed = false) {
  for (auto _ : state) {
    const int status = std::system(command.c_str());
    const int exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (exit != 0 && !(findingsAllowed && exit == 3)) state.SkipWithError(("failed: " + command).c_str());
  }
}

void BM_CheckStringTable(benchmark::State& state) {
  RunCheck(state, StringTableScene(), TablesOnly(StringTableScene()));
}
void BM_CheckStringTableText(benchmark::State& state) {
  RunCheck(state, StringTableScene(), StringTableScene().files);
}
void BM_StatsStringTable(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        ProgressOf(TablesOnly(StringTableScene()), StringTableScene().name, KtLibrary::Shared()));
  }
}
void BM_CheckEmail(benchmark::State& state) {
  RunCheck(state, EmailScene(), TablesOnly(EmailScene()));
}
void BM_CheckEmailText(benchmark::State& state) {
  RunCheck(state, EmailScene(), EmailScene().files);
}

// The window's lines of a save, on a game whose archive holds the type's
// table in every language.
void BM_WindowSaveLines(benchmark::State& state) {
  const Scene& s = StringTableScene();
  KTmain m;
  SetProgramFolder(m, Folder() + "game/");
  m.GameArchivePath = m.InstallDir + "local.viv";
  m.WorkTablePath = s.files.WorkTablePath;
  m.TemplateCopyPath = s.files.TemplateCopyPath;
  m.TextFilePath = s.files.TextFilePath;
  if (!fs::exists(m.GameArchivePath)) {
    fs::create_directories(m.WorkDir + "Efiles");
    std::vector<Bytes> tables;
    std::vector<bigf::NewEntry> entries;
    for (const std::string_view language : kLanguages) {
      tables.push_back(MakeStringTable(FileKind::Front, language, kEntries, 1));
    }
    for (size_t i = 0; i < tables.size(); ++i) {
      entries.push_back({CurrentFileName("Front", kLanguages[i]), tables[i]});
    }
    bigf::Create(m.GameArchivePath, entries);
  }
  for (auto _ : state) NoteSavedQuality(m, s.name);
  state.counters["lines"] = static_cast<double>(s.lines);
  if (m.QualityLines.size() < 2 || !m.QualityLines[1].starts_with("Checks: ")) {
    state.SkipWithError(m.QualityLines.empty() ? "no lines" : m.QualityLines.back().c_str());
  }
}

// The command, as a user runs it on the edited text: start, reading, checks, output.
void BM_GlossmithCheckCommand(benchmark::State& state) {
  const Scene& s = StringTableScene();
  RunShell(state,
           "'" + ExecutableDir() + "glossmith' check --type " + s.type + " --table '" +
               s.files.WorkTablePath + "' --template '" + s.files.TemplateCopyPath + "' --text '" +
               s.files.TextFilePath + "' > /dev/null",
           true);
}

void BM_CpStringTables(benchmark::State& state) {
  const Scene& s = StringTableScene();
  RunShell(state, "cp '" + s.files.WorkTablePath + "' '" + Folder() + "copy1' && cp '" +
                      s.files.TemplateCopyPath + "' '" + Folder() + "copy2'");
}

void BM_IconvText(benchmark::State& state) {
  RunShell(state, "iconv -f UTF-8 -t UTF-32LE '" + StringTableScene().files.TextFilePath + "' > /dev/null");
}

BENCHMARK(BM_CpStringTables)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IconvText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StatsStringTable)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CheckStringTable)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CheckStringTableText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GlossmithCheckCommand)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WindowSaveLines)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CheckEmail)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CheckEmailText)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace gs

int main(int argc, char** argv) {
  const int status = gs::bench::RunWithRatios(argc, argv,
                                              {{"BM_CheckStringTable", "BM_CpStringTables"},
                                               {"BM_CheckStringTable", "BM_IconvText"},
                                               {"BM_CheckStringTableText", "BM_IconvText"},
                                               {"BM_GlossmithCheckCommand", "BM_IconvText"},
                                               {"BM_WindowSaveLines", "BM_IconvText"},
                                               {"BM_StatsStringTable", "BM_IconvText"}});
  std::filesystem::remove_all(gs::Folder());
  return status;
}
