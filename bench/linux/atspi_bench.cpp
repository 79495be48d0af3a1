// SPDX-License-Identifier: MIT
// Reading a live application's menu bar: this reader against a pyatspi walk of the same menu in
// the same run, with the records of both compared. Run on a private desktop by
// scripts/bench-atspi.sh.
//
//   tavrine-atspi-bench compare PID RUNS WALK_SCRIPT   medians, ratio, record comparison
//   tavrine-atspi-bench stopped PID RUNS               reads of a stopped application
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "harvest/accessibility_helper.h"
#include "platform/linux/atspi_reader.h"
#include "platform/linux/menu_snapshot.h"

namespace {

using tavrine::atspi::AtspiReader;
using tavrine::atspi::MenuReplies;

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<std::string> records(const MenuReplies& replies) {
  std::vector<std::string> out;
  const auto app = tavrine::atspi::buildMenuSnapshot(replies, tavrine::atspi::parseKeyBinding);
  for (const auto& item : tavrine::AccessibilityHelper::getShortcuts(*app)) {
    out.push_back(item.menuPath() + "\t" + item.title() + "\t" + item.shortcut());
  }
  return out;
}

int usage() {
  std::fputs(
      "usage: tavrine-atspi-bench compare PID RUNS WALK_SCRIPT\n"
      "       tavrine-atspi-bench stopped PID RUNS\n",
      stderr);
  return 2;
}

int compare(std::int32_t pid, int runs, const std::string& script) {
  // The baseline first, in its own process: pyatspi's walk, timed per run inside the script.
  const std::string out = "/tmp/tavrine-pyatspi-" + std::to_string(pid) + ".replies";
  const std::string command = "/usr/bin/python3 '" + script + "' " + std::to_string(pid) + " " +
                              std::to_string(runs) + " " + out;
  std::vector<double> baseline;
  if (FILE* p = popen(command.c_str(), "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, p) != nullptr) {
      double ms = 0;
      if (std::sscanf(line, "run %lf", &ms) == 1) baseline.push_back(ms);
    }
    pclose(p);
  }
  std::ifstream file(out);
  std::stringstream text;
  text << file.rdbuf();
  std::remove(out.c_str());
  const auto parsed = tavrine::atspi::parseReplies(text.str());
  if (baseline.empty() || !parsed.replies) {
    std::fprintf(stderr, "the pyatspi walk gave nothing (%s)\n", parsed.error.c_str());
    return 1;
  }

  AtspiReader reader;
  std::vector<double> ours;
  MenuReplies last;
  bool deadlineHit = false;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    tavrine::atspi::ReadResult read = reader.read(pid);
    ours.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    deadlineHit = deadlineHit || read.stats.deadlineHit;
    last = std::move(read.replies);
  }
  const std::vector<std::string> expected = records(*parsed.replies);
  const std::vector<std::string> got = records(last);
  std::printf("pyatspi walk: median %.2f ms over %zu runs\n", median(baseline), baseline.size());
  std::printf("this reader:  median %.2f ms over %d runs (first %.2f ms)%s\n", median(ours), runs,
              ours.front(), deadlineHit ? ", deadline hit" : "");
  std::printf("ratio: %.1fx\n", median(baseline) / median(ours));
  std::printf("records: %zu from pyatspi, %zu from this reader: %s\n", expected.size(), got.size(),
              expected == got ? "identical" : "DIFFERENT");
  if (expected != got) {
    for (std::size_t i = 0; i < std::max(expected.size(), got.size()); ++i) {
      const std::string a = i < expected.size() ? expected[i] : "-";
      const std::string b = i < got.size() ? got[i] : "-";
      if (a != b) std::printf("  #%zu pyatspi [%s] reader [%s]\n", i, a.c_str(), b.c_str());
    }
    return 1;
  }
  return 0;
}

int stopped(std::int32_t pid, int runs) {
  AtspiReader reader;
  double worst = 0;
  std::vector<double> times;
  std::size_t found = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const tavrine::atspi::ReadResult read = reader.read(pid);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    times.push_back(ms);
    worst = std::max(worst, ms);
    found += records(read.replies).size();
  }
  std::printf("stopped application: median %.1f ms, worst %.1f ms over %d reads, %zu records\n",
              median(times), worst, runs, found);
  return worst < 300 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return usage();
  const std::string_view mode = argv[1];
  const auto pid = static_cast<std::int32_t>(std::atoi(argv[2]));
  const int runs = std::max(1, std::atoi(argv[3]));
  if (mode == "compare" && argc == 5) return compare(pid, runs, argv[4]);
  if (mode == "stopped" && argc == 4) return stopped(pid, runs);
  return usage();
}
