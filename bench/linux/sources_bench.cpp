// SPDX-License-Identifier: MIT
// What the sources besides the menu bar cost. The first read of a large application's bundles
// (nautilus's executable, when installed) is paid once per executable; what every hold pays once
// warm is reading the process's map and looking at each mapped file's identity, and the sheets
// folder's listing. The baseline is reading the map alone, in the same run.
// TAVRINE_BENCH_PID names a running application to read instead of this process.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "sources/gtk_shortcuts/shortcuts_windows.h"
#include "sources/sheets/sheet_library.h"

namespace {

namespace gtk = tavrine::sources::gtk;

int benchPid() {
  const char* pid = std::getenv("TAVRINE_BENCH_PID");
  return pid ? std::atoi(pid) : static_cast<int>(::getpid());
}

std::chrono::steady_clock::time_point later() {
  return std::chrono::steady_clock::now() + std::chrono::seconds(5);
}

void BM_FirstReadOfNautilus(benchmark::State& state) {
  const std::filesystem::path nautilus = "/usr/bin/nautilus";
  if (!std::filesystem::exists(nautilus)) return state.SkipWithError("nautilus is not installed");
  std::size_t shortcuts = 0;
  for (auto _ : state) {
    const auto found = gtk::readBundleFile(nautilus);
    shortcuts = found.empty() ? 0 : found.front().shortcuts.size();
    benchmark::DoNotOptimize(shortcuts);
  }
  state.counters["shortcuts"] = static_cast<double>(shortcuts);
}
BENCHMARK(BM_FirstReadOfNautilus)->Unit(benchmark::kMillisecond);

void BM_BaselineReadProcessMap(benchmark::State& state) {
  const auto maps = "/proc/" + std::to_string(benchPid()) + "/maps";
  for (auto _ : state) {
    std::ifstream in(maps);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    benchmark::DoNotOptimize(text.size());
  }
}
BENCHMARK(BM_BaselineReadProcessMap)->Unit(benchmark::kMicrosecond);

void BM_WarmHoldShortcutsWindows(benchmark::State& state) {
  gtk::ShortcutsWindows windows;
  const int pid = benchPid();
  (void)windows.read(pid, "", "zh_CN", later());
  std::size_t found = 0;
  for (auto _ : state) {
    found = windows.read(pid, "", "zh_CN", later()).size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["shortcuts"] = static_cast<double>(found);
}
BENCHMARK(BM_WarmHoldShortcutsWindows)->Unit(benchmark::kMicrosecond);

void BM_WarmHoldSheets(benchmark::State& state) {
  tavrine::sources::sheets::SheetLibrary sheets({TAVRINE_SHEETS}, "/nonexistent");
  (void)sheets.find({"firefox-esr"});
  for (auto _ : state)
    benchmark::DoNotOptimize(sheets.find({"firefox-esr", "firefox-esr", "firefox-esr"}));
}
BENCHMARK(BM_WarmHoldSheets)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
