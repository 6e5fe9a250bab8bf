// A table as a PO file and back, file to file, as export-po and import-po
// do it on tables: a 200,000-entry string table and 20,000 e-mail records.
// Baselines of the same run: `cp` of the PO file, and GNU gettext's own
// msgcat reading and writing the same PO file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "common/fs.h"
#include "po/po_file.h"
#include "po/table_po.h"
#include "ratio_reporter.h"
#include "tools/sample/sample_tables.h"

namespace gs {
namespace {

namespace fs = std::filesystem;

struct Scene {
  std::string name;      // the current file name
  std::string language;  // as the language list shows it
  std::string work, english, po;
};

std::string Folder() {
  static const std::string folder = [] {
    const fs::path dir = fs::temp_directory_path() / ("gs-bench-po-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir.string() + "/";
  }();
  return folder;
}

const Scene& StringTableScene() {
  static const Scene scene = [] {
    Scene s{"FrontFrench.bin", "French(Russian)", Folder() + "FrontFrench.bin", Folder() + "frontEnglish.bin",
            Folder() + "FrontFrench.po"};
    WriteWholeFile(s.work, MakeStringTable(FileKind::Front, s.language, 200000, 1));
    WriteWholeFile(s.english, MakeStringTable(FileKind::Front, "English", 200000, 1));
    return s;
  }();
  return scene;
}

const Scene& EmailScene() {
  static const Scene scene = [] {
    Scene s{"emaildataFrench.dta", "French(Russian)", Folder() + "emaildataFrench.dta",
            Folder() + "emaildata.dta", Folder() + "emaildataFrench.po"};
    WriteWholeFile(s.work, MakeEmailData(s.language, 20000, 1));
    WriteWholeFile(s.english, MakeEmailData("English", 20000, 1));
    return s;
  }();
  return scene;
}

void ExportPo(const Scene& s) {
  const Bytes work = ReadWholeFile(s.work);
  const Bytes english = ReadWholeFile(s.english);
  size_t empty = 0;
  WritePoFile(s.po, TableToPo({s.name, work, english}, s.language, KtLibrary::Shared(), empty));
}

void ImportPo(const Scene& s) {
  const PoCatalog po = ReadPoFile(s.po);
  const Bytes work = ReadWholeFile(s.work);
  const Bytes english = ReadWholeFile(s.english);
  WriteWholeFile(s.work, TableFromPo({s.name, work, english}, s.language, po, s.po, KtLibrary::Shared()));
}

void RunExport(benchmark::State& state, const Scene& s) {
  for (auto _ : state) ExportPo(s);
  state.counters["po_MB"] = static_cast<double>(fs::file_size(s.po)) / 1e6;
}

void RunImport(benchmark::State& state, const Scene& s) {
  ExportPo(s);
  for (auto _ : state) ImportPo(s);
}

void RunShell(benchmark::State& state, const Scene& s, const std::string& command) {
  ExportPo(s);
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError(command.c_str());
  }
}

void BM_StringTableExportPo(benchmark::State& state) {
  RunExport(state, StringTableScene());
}
void BM_StringTableImportPo(benchmark::State& state) {
  RunImport(state, StringTableScene());
}
void BM_CpStringTablePo(benchmark::State& state) {
  const Scene& s = StringTableScene();
  RunShell(state, s, "cp '" + s.po + "' '" + Folder() + "copy.po'");
}
void BM_MsgcatStringTablePo(benchmark::State& state) {
  const Scene& s = StringTableScene();
  RunShell(state, s, "msgcat -o '" + Folder() + "copy.po' '" + s.po + "'");
}
void BM_EmailExportPo(benchmark::State& state) {
  RunExport(state, EmailScene());
}
void BM_EmailImportPo(benchmark::State& state) {
  RunImport(state, EmailScene());
}
void BM_CpEmailPo(benchmark::State& state) {
  const Scene& s = EmailScene();
  RunShell(state, s, "cp '" + s.po + "' '" + Folder() + "copy.po'");
}
void BM_MsgcatEmailPo(benchmark::State& state) {
  const Scene& s = EmailScene();
  RunShell(state, s, "msgcat -o '" + Folder() + "copy.po' '" + s.po + "'");
}

BENCHMARK(BM_CpStringTablePo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MsgcatStringTablePo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StringTableExportPo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StringTableImportPo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CpEmailPo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MsgcatEmailPo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EmailExportPo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EmailImportPo)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace gs

int main(int argc, char** argv) {
  const int status = gs::bench::RunWithRatios(argc, argv,
                                              {{"BM_StringTableExportPo", "BM_CpStringTablePo"},
                                               {"BM_StringTableImportPo", "BM_CpStringTablePo"},
                                               {"BM_StringTableExportPo", "BM_MsgcatStringTablePo"},
                                               {"BM_StringTableImportPo", "BM_MsgcatStringTablePo"},
                                               {"BM_EmailExportPo", "BM_CpEmailPo"},
                                               {"BM_EmailImportPo", "BM_CpEmailPo"},
                                               {"BM_EmailExportPo", "BM_MsgcatEmailPo"},
                                               {"BM_EmailImportPo", "BM_MsgcatEmailPo"}});
  std::filesystem::remove_all(gs::Folder());
  return status;
}
