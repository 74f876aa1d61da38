// The holder scan as the installer runs it before deploying: 1,024 processes of about 60 modules
// each, an index of 180 entries. Measured against the same scan done entry by entry, each entry asking
// every process (the straightforward reading of the scan), over the same table in the same run.
#include <benchmark/benchmark.h>

#include <string>

#include "fake_process_table.h"
#include "process_scan.h"

namespace {

constexpr int kProcesses = 1024;
constexpr int kModulesPerProcess = 60;
constexpr int kEntries = 180;

FakeProcessTable& Table() {
  static FakeProcessTable table = [] {
    FakeProcessTable t;
    for (int p = 0; p < kProcesses; ++p) {
      std::vector<std::string> modules;
      for (int m = 0; m < kModulesPerProcess; ++m) {
        // Mostly system libraries; every 16th process holds three of the package's libraries.
        modules.push_back("C:\\Windows\\System32\\lib" + std::to_string(m) + ".dll");
      }
      if (p % 16 == 0) {
        for (int k = 0; k < 3; ++k) modules.push_back("C:\\Program Files\\Vantor\\module" + std::to_string((p + k) % kEntries) + ".dll");
      }
      t.Add(static_cast<std::uint32_t>(4 * (p + 1)), "C:\\Programs\\app" + std::to_string(p) + ".exe", modules);
    }
    return t;
  }();
  return table;
}

EzpIndex& Index() {
  static EzpIndex index = [] {
    EzpIndex i;
    for (int e = 0; e < kEntries; ++e) {
      std::string name = "\\module" + std::to_string(e) + (e % 3 == 2 ? ".txt" : ".dll");
      i[name].name = name;
    }
    return i;
  }();
  return index;
}

const std::string kFolder = "C:\\Program Files\\Vantor\\";

// A fresh scanner: its first scan reads every module list.
void BM_HoldingScan_FirstScan(benchmark::State& state) {
  for (auto _ : state) {
    ProcessScanner scanner(Table());
    benchmark::DoNotOptimize(scanner.FindProcessesHoldingFiles(kFolder, Index()));
  }
}
BENCHMARK(BM_HoldingScan_FirstScan)->Unit(benchmark::kMillisecond);

// The scans that follow (after the user closed programs, during the retry loop): lists are cached.
void BM_HoldingScan_Repeated(benchmark::State& state) {
  ProcessScanner scanner(Table());
  scanner.FindProcessesHoldingFiles(kFolder, Index());
  for (auto _ : state) benchmark::DoNotOptimize(scanner.FindProcessesHoldingFiles(kFolder, Index()));
}
BENCHMARK(BM_HoldingScan_Repeated)->Unit(benchmark::kMillisecond);

// The comparison: FindProcessesUsingModule for each qualifying entry, every process asked each time.
void BM_EntryByEntryScan_Repeated(benchmark::State& state) {
  ProcessScanner scanner(Table());
  scanner.FindProcessesHoldingFiles(kFolder, Index());
  for (auto _ : state) {
    ProcessList found;
    for (const auto& kv : Index()) {
      std::string candidate = kFolder + kv.first.substr(1);
      if (candidate.find(".dll") == std::string::npos && candidate.find(".exe") == std::string::npos) continue;
      for (const ProcessEntry& e : scanner.FindProcessesUsingModule(candidate)) {
        bool listed = false;
        for (const ProcessEntry& f : found) listed = listed || f.processId == e.processId;
        if (!listed) found.push_back(e);
      }
    }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_EntryByEntryScan_Repeated)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
