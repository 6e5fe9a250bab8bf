// Export plus import, file to file, of a 200,000-entry string table and of
// 20,000 e-mail records, with the heap's peak beside the sizes of the files
// involved. Baselines of the same run: `cp` of the two tables, and the same
// copy made durable (fsync and rename), as lasting data is written. Between
// the timed steps each cycle sets up its files as a real cycle finds them.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "common/fs.h"
#include "common/memory.h"
#include "formats/email_data.h"
#include "formats/string_table.h"
#include "ratio_reporter.h"
#include "tools/sample/sample_tables.h"

// Heap accounting: the bytes live now and the most live since the last reset.
namespace {
std::atomic<size_t> g_live{0};
std::atomic<size_t> g_peak{0};

void* Allocate(size_t n) {
  void* p = std::malloc(n == 0 ? 1 : n);
  if (p == nullptr) throw std::bad_alloc();
  const size_t live = g_live += malloc_usable_size(p);
  size_t peak = g_peak.load();
  while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
  }
  return p;
}

void Release(void* p) noexcept {
  if (p == nullptr) return;
  g_live -= malloc_usable_size(p);
  std::free(p);
}
}  // namespace

void* operator new(size_t n) {
  return Allocate(n);
}
void* operator new[](size_t n) {
  return Allocate(n);
}
void operator delete(void* p) noexcept {
  Release(p);
}
void operator delete[](void* p) noexcept {
  Release(p);
}
void operator delete(void* p, size_t) noexcept {
  Release(p);
}
void operator delete[](void* p, size_t) noexcept {
  Release(p);
}

namespace gs {
namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 200000;
constexpr int kRecords = 20000;

// Heap bytes above the level when the measurement began.
class PeakMeter {
 public:
  PeakMeter() : base_(g_live.load()) { g_peak = base_; }
  size_t Peak() const { return g_peak.load() - base_; }

 private:
  size_t base_;
};

struct Scene {
  std::string name;
  ConversionFiles files;
  Bytes work;
};

std::string Folder() {
  static const std::string folder = [] {
    const fs::path dir = fs::temp_directory_path() / ("gs-bench-formats-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir.string() + "/";
  }();
  return folder;
}

const Scene& StringTableScene() {
  static const Scene scene = [] {
    Scene s{
        "FrontFrench.bin",
        {Folder() + "FrontFrench.bin", Folder() + "frontEnglish.bin.eng", Folder() + "FrontFrench.bin.txt"},
        MakeStringTable(FileKind::Front, "French(Russian)", kEntries, 1)};
    WriteWholeFile(s.files.TemplateCopyPath, MakeStringTable(FileKind::Front, "English", kEntries, 1),
                   Durability::Work);
    return s;
  }();
  return scene;
}

const Scene& EmailScene() {
  static const Scene scene = [] {
    Scene s{"emaildataFrench.dta",
            {Folder() + "emaildataFrench.dta", Folder() + "emaildata.dta.eng",
             Folder() + "emaildataFrench.dta.txt"},
            MakeEmailData("French(Russian)", kRecords, 1)};
    WriteWholeFile(s.files.TemplateCopyPath, MakeEmailData("English", kRecords, 1), Durability::Work);
    return s;
  }();
  return scene;
}

uint64_t SizeOf(const std::string& path) {
  return fs::file_size(path);
}

// Runs step, adding its time to seconds and keeping its heap peak.
template <typename Step>
void Measure(Step step, double& seconds, size_t& peak) {
  PeakMeter meter;
  const auto start = std::chrono::steady_clock::now();
  step();
  seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  peak = meter.Peak();
}

template <typename Export, typename Import>
void RunCycle(benchmark::State& state, const Scene& scene, Export exportFn, Import importFn) {
  KtLibrary& kt = KtLibrary::Shared();
  FormatState formats;
  size_t exportPeak = 0, importPeak = 0;
  double exportSeconds = 0, importSeconds = 0;
  for (auto _ : state) {
    // As in a cycle: the archive tool has extracted the work table (durably)
    // and no text file is left from an earlier cycle.
    state.PauseTiming();
    WriteWholeFile(scene.files.WorkTablePath, scene.work);
    std::filesystem::remove(scene.files.TextFilePath);
    state.ResumeTiming();
    Measure([&] { exportFn(formats, scene.files, scene.name, kt); }, exportSeconds, exportPeak);
    state.PauseTiming();
    FileBytes text;
    ReadWholeFile(scene.files.TextFilePath, text, 3);
    std::copy_n("\xEF\xBB\xBF", 3, text.begin());  // what the word processor's save puts first
    WriteWholeFile(scene.files.TextFilePath, text, Durability::Work);  // saved without fsync
    state.ResumeTiming();
    Measure([&] { importFn(formats, scene.files, scene.name, kt); }, importSeconds, importPeak);
  }
  const double work = static_cast<double>(scene.work.size());
  const double english = static_cast<double>(SizeOf(scene.files.TemplateCopyPath));
  const double text = static_cast<double>(SizeOf(scene.files.TextFilePath));
  const double rebuilt = static_cast<double>(SizeOf(scene.files.WorkTablePath));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * scene.work.size()));
  state.counters["table_MB"] = work / 1e6;
  state.counters["export_ms"] = 1e3 * exportSeconds / static_cast<double>(state.iterations());
  state.counters["import_ms"] = 1e3 * importSeconds / static_cast<double>(state.iterations());
  state.counters["text_MB"] = text / 1e6;
  state.counters["export_peak_MB"] = static_cast<double>(exportPeak) / 1e6;
  state.counters["import_peak_MB"] = static_cast<double>(importPeak) / 1e6;
  // Peaks as multiples of the files each conversion reads and writes.
  state.counters["export_peak/files"] = static_cast<double>(exportPeak) / (work + english + text);
  state.counters["import_peak/files"] = static_cast<double>(importPeak) / (text + rebuilt);
}

void BM_StringTableExportImport(benchmark::State& state) {
  RunCycle(state, StringTableScene(), StringTableExport, StringTableImport);
}

void BM_EmailExportImport(benchmark::State& state) {
  RunCycle(state, EmailScene(), EmailExport, EmailImport);
}

// The same conversions in memory, without the files: the codec and the
// layouts alone.
void BM_StringTableInMemory(benchmark::State& state) {
  const Scene& scene = StringTableScene();
  const Bytes english = ReadWholeFile(scene.files.TemplateCopyPath);
  const FieldCodec codec(scene.name, KtLibrary::Shared());
  for (auto _ : state) {
    const StringTable work(scene.work, scene.name);
    const StringTable englishTable(english, scene.name);
    TextSink text;
    ReserveLarge(text.Buffer(), 2 * (scene.work.size() + english.size()));
    text.Buffer().assign({0xEF, 0xBB, 0xBF});
    StringTableText(work, englishTable, codec, text);
    benchmark::DoNotOptimize(StringTableFromText(englishTable.HeaderBlock(), text.Buffer(), "text", codec));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * scene.work.size()));
}

void BM_EmailInMemory(benchmark::State& state) {
  const Scene& scene = EmailScene();
  const Bytes english = ReadWholeFile(scene.files.TemplateCopyPath);
  const FieldCodec codec(scene.name, KtLibrary::Shared());
  EmailData work, englishData;  // read over, as the export reads over the last export's records
  for (auto _ : state) {
    ReadEmailData(scene.work, scene.name, codec, work);
    ReadEmailData(english, scene.name, codec, englishData);
    CheckEmailTwins(work, englishData, scene.name);
    TextSink text;
    ReserveLarge(text.Buffer(), 2 * (scene.work.size() + english.size()));
    text.Buffer().assign({0xEF, 0xBB, 0xBF});
    EmailText(work, englishData, codec, text);
    benchmark::DoNotOptimize(EmailDataFromText(work.Records, text.Buffer(), "text", codec));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * scene.work.size()));
}

// The two tables of a scene copied with cp, and copied durably.
void RunCopies(benchmark::State& state, const Scene& scene, bool durable) {
  WriteWholeFile(scene.files.WorkTablePath, scene.work);
  const std::string command = "cp '" + scene.files.WorkTablePath + "' '" + Folder() + "copy1' && cp '" +
                              scene.files.TemplateCopyPath + "' '" + Folder() + "copy2'";
  for (auto _ : state) {
    if (durable) {
      CopyFile(scene.files.WorkTablePath, Folder() + "copy1");
      CopyFile(scene.files.TemplateCopyPath, Folder() + "copy2");
    } else if (std::system(command.c_str()) != 0) {
      state.SkipWithError("cp failed");
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * scene.work.size()));
}

void BM_CpStringTables(benchmark::State& state) {
  RunCopies(state, StringTableScene(), false);
}
void BM_DurableCopyStringTables(benchmark::State& state) {
  RunCopies(state, StringTableScene(), true);
}
void BM_CpEmailData(benchmark::State& state) {
  RunCopies(state, EmailScene(), false);
}
void BM_DurableCopyEmailData(benchmark::State& state) {
  RunCopies(state, EmailScene(), true);
}

BENCHMARK(BM_CpStringTables)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DurableCopyStringTables)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StringTableExportImport)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StringTableInMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CpEmailData)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DurableCopyEmailData)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EmailExportImport)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EmailInMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace gs

int main(int argc, char** argv) {
  const int status = gs::bench::RunWithRatios(argc, argv,
                                              {{"BM_StringTableExportImport", "BM_CpStringTables"},
                                               {"BM_StringTableExportImport", "BM_DurableCopyStringTables"},
                                               {"BM_EmailExportImport", "BM_CpEmailData"},
                                               {"BM_EmailExportImport", "BM_DurableCopyEmailData"}});
  std::filesystem::remove_all(gs::Folder());
  return status;
}
