// Prints, after the usual table, each benchmark's time as a multiple of the
// baselines measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace gs::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Pairs of (benchmark, baseline) function names to compare.
  explicit RatioReporter(std::vector<std::pair<std::string, std::string>> ratios)
      : ratios_(std::move(ratios)) {}

  void ReportRuns(const std::vector<Run>& reports) override {
    ConsoleReporter::ReportRuns(reports);
    // With repetitions, the median of the repetitions stands for the run.
    for (const Run& run : reports) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if ((run.run_type == Run::RT_Iteration || median) && !run.error_occurred)
        times_[run.run_name.str()] = run.GetAdjustedRealTime();
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nratios (time / baseline time, same run):\n");
    for (const auto& [name, baseline] : ratios_) {
      const double t = Find(name);
      const double b = Find(baseline);
      if (t > 0 && b > 0) std::printf("  %-44s / %-28s = %6.2f\n", name.c_str(), baseline.c_str(), t / b);
    }
  }

 private:
  // The run of the benchmark function named, whatever its arguments.
  double Find(const std::string& function) const {
    for (const auto& [name, time] : times_) {
      if (name.rfind(function, 0) == 0 && (name.size() == function.size() || name[function.size()] == '/'))
        return time;
    }
    return 0;
  }

  std::vector<std::pair<std::string, std::string>> ratios_;
  std::map<std::string, double> times_;
};

// Runs the registered benchmarks and prints the ratios.
inline int RunWithRatios(int argc, char** argv, std::vector<std::pair<std::string, std::string>> ratios) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter(std::move(ratios));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace gs::bench
