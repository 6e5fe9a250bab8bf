// The word processor's two big moments, each beside LibreOffice's own bare
// load and store of the same ".doc" measured in the same run:
//   build:    Open (text), Orientation, WholeStory, ConvertToTable, the
//             columns' languages, SaveAs (.doc)
//   takeback: Quit(true) of an edited document, then a second application:
//             Open (.doc), ConvertToText, EndKey, TypeBackspace, SaveAs (text), Quit
// With a display (e.g. under xvfb-run) the edited document is also shown,
// maximized, before it is taken back, as in real use.
//
// Counters: seconds of each part, "bare" the baseline, "ratio" the measured
// time over the baseline. Timings on a shared machine are noisy.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/error.h"
#include "tests/word/probe/writer_probe.h"
#include "word/word_app.h"

namespace gs {
namespace {

namespace fs = std::filesystem;
const std::string kNul(1, '\0');

class Stopwatch {
 public:
  double Lap() {
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - last_).count();
    last_ = now;
    return seconds;
  }

 private:
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

WordAppOptions Options(bool display) {
  WordAppOptions options;
  options.profileRoot = GLOSSMITH_BENCH_PROFILES;
  options.useDisplay = display;
  options.longCallSeconds = 3600;
  return options;
}

// A text file like the converters write for a table of rows entries.
std::string TextFile(int rows) {
  std::string text;
  for (int r = 1; r <= rows; ++r) {
    text += "Строка номер " + std::to_string(r) + " меню @ настроек" + kNul + "Menu entry number " +
            std::to_string(r) + " of the settings\r\n";
  }
  return text;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class Workspace {
 public:
  Workspace() : dir_(fs::temp_directory_path() / ("gs-word-bench-" + std::to_string(::getpid()))) {
    fs::create_directories(dir_);
  }
  ~Workspace() { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  fs::path dir_;
};

// The table made of the text, its columns marked Russian and English, as
// the editing step makes it.
void MakeTable(WordApp& app, const std::string& text) {
  app.Documents().Open(text, wd::OpenFormatEncodedText, wd::EncodingUTF8);
  app.ActiveDocument().PageSetup().SetOrientation(wd::OrientLandscape);
  app.Selection().WholeStory();
  app.Selection().ConvertToTable(kNul);
  WordTable& table = app.ActiveDocument().Tables().Item(1);
  table.Columns(1).Select();
  app.Selection().SetLanguageID(wd::Russian);
  table.Columns(2).Select();
  app.Selection().SetLanguageID(wd::EnglishUS);
}

void Build(WordApp& app, const std::string& text, const std::string& doc) {
  MakeTable(app, text);
  app.ActiveDocument().SaveAs(doc, wd::FormatDocument);
}

// LibreOffice's own load and store of the document, nothing else.
double BareLoadAndStore(const Workspace& w, const std::string& doc) {
  auto app = testing::ProbedWriter().Apps(Options(false))();
  Stopwatch clock;
  testing::ProbeOf(*app)->LoadAndStore(doc, w.Path("bare.doc"));
  const double seconds = clock.Lap();
  app->Quit(false);
  return seconds;
}

void BuildTheDocument(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  Workspace w;
  std::ofstream(w.Path("t.txt"), std::ios::binary) << TextFile(rows);
  for (auto _ : state) {
    Stopwatch clock;
    auto app = WordApps(Options(false))();
    state.counters["start"] = clock.Lap();
    MakeTable(*app, w.Path("t.txt"));
    const double table = clock.Lap();
    app->ActiveDocument().SaveAs(w.Path("t.doc"), wd::FormatDocument);
    const double save = clock.Lap();
    app->Quit(false);
    state.SetIterationTime(table + save);
    state.counters["table"] = table;
    state.counters["saveas"] = save;
    const double bare = BareLoadAndStore(w, w.Path("t.doc"));
    state.counters["bare"] = bare;
    state.counters["ratio"] = (table + save) / bare;
  }
}

void TakeItBack(benchmark::State& state, bool shown) {
  const int rows = static_cast<int>(state.range(0));
  Workspace w;
  const std::string text = TextFile(rows);
  std::ofstream(w.Path("t.txt"), std::ios::binary) << text;
  for (auto _ : state) {
    // The two applications of one word processor, as in the save-back step.
    testing::ProbedWriter writer;
    auto first = writer.Apps(Options(shown))();
    Build(*first, w.Path("t.txt"), w.Path("t.doc"));
    Stopwatch clock;
    if (shown) {
      first->ActiveDocument().Tables().Item(1).Cell(rows * 3 / 4, 1).Select();
      first->Selection().Collapse(wd::CollapseStart);
      first->SetVisible(true);
      first->SetWindowState(wd::WindowStateMaximize);
      state.counters["show"] = clock.Lap();
    }
    // The user's edit.
    testing::ProbeOf(*first)->SetCellText(1, "A2", "Правка");
    clock.Lap();

    first->Selection().Information(wd::EndOfRangeRowNumber);
    first->Quit(true);
    const double quit = clock.Lap();
    auto second = writer.Apps(Options(false))();
    const double start = clock.Lap();
    second->Documents().Open(w.Path("t.doc"));
    const double open = clock.Lap();
    second->ActiveDocument().Tables().Item(1).ConvertToText(kNul);
    second->Selection().EndKey(wd::Story);
    second->Selection().TypeBackspace();
    const double convert = clock.Lap();
    second->ActiveDocument().SaveAs(w.Path("back.txt"), wd::FormatEncodedText, wd::EncodingUTF8, false);
    second->Quit(false);
    const double save = clock.Lap();
    const double total = quit + start + open + convert + save;
    state.SetIterationTime(total);

    std::string expected = text;
    expected.replace(expected.find("Строка номер 2 "), std::string("Строка номер 2 меню @ настроек").size(),
                     "Правка");
    if (Read(w.Path("back.txt")) != "\xEF\xBB\xBF" + expected)
      state.SkipWithError("the text came back wrong");
    state.counters["quit_save"] = quit;
    state.counters["start"] = start;
    state.counters["open"] = open;
    state.counters["convert"] = convert;
    state.counters["saveas_quit"] = save;
    const double bare = BareLoadAndStore(w, w.Path("t.doc"));
    state.counters["bare"] = bare;
    state.counters["ratio"] = total / bare;
  }
}

}  // namespace
}  // namespace gs

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const auto configure = [](benchmark::internal::Benchmark* b) {
    b->Arg(5000)->Arg(20000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
  };
  configure(benchmark::RegisterBenchmark("build", gs::BuildTheDocument));
  configure(benchmark::RegisterBenchmark("takeback", [](benchmark::State& s) { gs::TakeItBack(s, false); }));
  const char* display = std::getenv("DISPLAY");
  if (display != nullptr && display[0] != '\0') {
    configure(
        benchmark::RegisterBenchmark("takeback_shown", [](benchmark::State& s) { gs::TakeItBack(s, true); }));
  }
  try {
    benchmark::RunSpecifiedBenchmarks();
  } catch (const gs::Error& e) {
    std::fprintf(stderr, "error %d: %s\n", e.Number(), e.Description().c_str());
    return 1;
  }
  benchmark::Shutdown();
  return 0;
}
