// One editing cycle on a sample game, step by step: "Extract", "Edit in MS
// Word" until the window shows, "Save changes" until the archive is written.
// Each step runs twice in the same run: with the real word processor, and
// with a recording one that does no office work, which leaves the program's
// own part (conversions, archive tool, header refresh, settings).
//
// Counters: seconds of each step with the real word processor, the own part
// of each, and "own_share", the own part over the total. The goal is an own
// share below 5 %. Needs a display for the window (one is started when
// there is none).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "tests/support/recording_word_app.h"
#include "tests/support/test_process.h"
#include "tests/support/virtual_display.h"
#include "tools/sample/sample_game.h"
#include "workflow/ktmain.h"

namespace gs {
namespace {

class Window : public MainWindow {
 public:
  std::string TypeText() const override { return "Front"; }
  std::string LanguageText() const override { return "French(Russian)"; }
  bool Check1Enabled() const override { return false; }
  bool Check1Checked() const override { return false; }
  int32_t Check2Value() const override { return 1; }
  void ShowErrorMessage(const std::string&, const std::string&, int32_t) override {}
  void Unload() override {}
};

struct StepTimes {
  double extract = 0;
  double edit = 0;
  double save = 0;
  double Total() const { return extract + edit + save; }
};

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

StepTimes Cycle(int entries, WordAppFactory factory) {
  test::ScratchDir scratch("gs-cycle-bench");
  ::setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
  const std::string game = scratch / "game/";
  SampleGameOptions options;
  options.Sizes.Entries = entries;
  options.Sizes.Records = 50;
  WriteSampleGame(game, options);
  KTmain m;
  m.CreateWordApp = std::move(factory);
  SetProgramFolder(m, game);
  Window window;
  m.DocumentPath = DocumentPathOf(m, CurrentFileName(window));
  StepTimes t;
  t.extract = Seconds([&] { Extract(m, window); });
  t.edit = Seconds([&] { EditInWord(m, window); });
  t.save = Seconds([&] { SaveChanges(m, window); });
  return t;
}

void BM_Cycle(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  StepTimes real, own;
  for (auto _ : state) {
    WordAppOptions options;
    options.profileRoot = GLOSSMITH_BENCH_PROFILES;
    options.longCallSeconds = 3600;
    real = Cycle(entries, WordApps(options));
    testing::WordScript recording;
    own = Cycle(entries, recording.Factory());
    state.SetIterationTime(real.Total());
  }
  state.counters["extract_s"] = real.extract;
  state.counters["edit_s"] = real.edit;
  state.counters["save_s"] = real.save;
  state.counters["own_extract_s"] = own.extract;
  state.counters["own_edit_s"] = own.edit;
  state.counters["own_save_s"] = own.save;
  state.counters["own_share"] = own.Total() / real.Total();
}
BENCHMARK(BM_Cycle)->Arg(5000)->Arg(20000)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace gs

int main(int argc, char** argv) {
  std::unique_ptr<gs::testing::VirtualDisplay> display;
  if (std::getenv("DISPLAY") == nullptr) display = std::make_unique<gs::testing::VirtualDisplay>();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
