// Shared main for the benchmark programs: runs the registered Google Benchmarks, then prints for
// each declared pair the ratio of the measured time to the time of its reference measured in the
// same run, against the pair's target.
//
// With --smoke the program runs every benchmark once on its tiny input and checks no target: the
// test suite uses that to keep the benchmarks building and running.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace bench {

// True when the program was started with --smoke; benchmarks then use tiny inputs.
inline bool& Smoke() {
  static bool smoke = false;
  return smoke;
}

struct TRatio {
  std::string Measured;   // benchmark name
  std::string Reference;  // benchmark name of the limit
  double Target;          // highest acceptable ratio, 0 = recorded only
};

inline std::vector<TRatio>& Ratios() {
  static std::vector<TRatio> ratios;
  return ratios;
}

// Declares that benchmark Measured is compared with benchmark Reference.
inline int DeclareRatio(const char* measured, const char* reference, double target) {
  Ratios().push_back({measured, reference, target});
  return 0;
}

class TCollectingReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> Times;  // name -> real time per iteration in nanoseconds (the
                                        // quickest repetition)

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
        const double time = run.GetAdjustedRealTime() *
                            benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
                            benchmark::GetTimeUnitMultiplier(run.time_unit);
        // With repetitions the quickest one counts: noise on a shared machine only slows runs.
        auto [entry, made] = Times.try_emplace(run.run_name.function_name, time);
        if (!made && time < entry->second) entry->second = time;
      }
    ConsoleReporter::ReportRuns(runs);
  }
};

// Prints every declared ratio; returns 1 when a target is missed (0 in smoke runs).
inline int ReportRatios(const TCollectingReporter& reporter) {
  int missed = 0;
  for (const TRatio& r : Ratios()) {
    auto m = reporter.Times.find(r.Measured);
    auto ref = reporter.Times.find(r.Reference);
    if (m == reporter.Times.end() || ref == reporter.Times.end() || ref->second <= 0) continue;
    const double ratio = m->second / ref->second;
    const bool ok = r.Target <= 0 || ratio <= r.Target;
    if (r.Target > 0)
      std::printf("RATIO %s / %s = %.2f (target <= %.2f) %s\n", r.Measured.c_str(),
                  r.Reference.c_str(), ratio, r.Target, ok ? "met" : "MISSED");
    else
      std::printf("RATIO %s / %s = %.2f (recorded)\n", r.Measured.c_str(), r.Reference.c_str(),
                  ratio);
    if (!ok) missed = 1;
  }
  return Smoke() ? 0 : missed;
}

inline int Main(int argc, char** argv) {
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--smoke") == 0)
      Smoke() = true;
    else
      args.push_back(argv[i]);
  }
  static char minTime[] = "--benchmark_min_time=0";
  if (Smoke()) args.push_back(minTime);
  int count = int(args.size());
  benchmark::Initialize(&count, args.data());
  TCollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return ReportRatios(reporter);
}

}  // namespace bench

#define NORVO_BENCH_RATIO(measured, reference, target) \
  static int norvo_ratio_##measured = ::bench::DeclareRatio(#measured, #reference, target)

#define NORVO_BENCH_MAIN() \
  int main(int argc, char** argv) { return ::bench::Main(argc, argv); }
