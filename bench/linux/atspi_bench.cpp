// SPDX-License-Identifier: MIT
// Reading a live application's menu bar: this reader against a pyatspi walk of the same menu in
// the same run, with the records of both compared. Run on a private desktop by
// scripts/bench-atspi.sh.
//
//   tavrine-atspi-bench compare PID RUNS [WALK_SCRIPT]    the walks, then as many reads
//   tavrine-atspi-bench alternate PID RUNS [WALK_SCRIPT]  a walk and a read in turn, the
//                                                         walker's process alive throughout
//   tavrine-atspi-bench stopped PID RUNS                  reads of a stopped application
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "backends/linux/atspi/menu_snapshot.h"
#include "backends/linux/atspi/reader.h"
#include "harvest/accessibility_helper.h"

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
  const auto app = tavrine::atspi::buildMenuSnapshot(replies, tavrine::keys::parseKeyBinding);
  for (const auto& item : tavrine::AccessibilityHelper::getShortcuts(*app)) {
    out.push_back(item.menuPath() + "\t" + item.title() + "\t" + item.shortcut());
  }
  return out;
}

int usage() {
  std::fputs(
      "usage: tavrine-atspi-bench compare|alternate PID RUNS [WALK_SCRIPT]\n"
      "       tavrine-atspi-bench stopped PID RUNS\n",
      stderr);
  return 2;
}

// The pyatspi walk in its own process, one walk per request, so that its runs and ours
// alternate and share whatever else the machine is doing.
class Baseline {
 public:
  Baseline(const std::string& script, std::int32_t pid, const std::string& out) {
    int toChild[2];
    int fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) return;
    child_ = fork();
    if (child_ == 0) {
      dup2(toChild[0], 0);
      dup2(fromChild[1], 1);
      close(toChild[0]);
      close(toChild[1]);
      close(fromChild[0]);
      close(fromChild[1]);
      const std::string pidText = std::to_string(pid);
      execl("/usr/bin/python3", "python3", script.c_str(), pidText.c_str(), out.c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    in_ = fdopen(toChild[1], "w");
    out_ = fdopen(fromChild[0], "r");
  }
  ~Baseline() { finish(); }

  // Milliseconds of one walk, or a negative number when the walk gave no answer.
  double run() {
    char line[256];
    double ms = -1;
    if (in_ == nullptr || out_ == nullptr) return ms;
    std::fputs("run\n", in_);
    std::fflush(in_);
    if (std::fgets(line, sizeof line, out_) == nullptr || std::sscanf(line, "run %lf", &ms) != 1) {
      return -1;
    }
    return ms;
  }

  // Ends the walker, which then writes its last answers.
  void finish() {
    if (in_ != nullptr) std::fclose(in_);
    if (out_ != nullptr) std::fclose(out_);
    in_ = out_ = nullptr;
    if (child_ > 0) waitpid(child_, nullptr, 0);
    child_ = -1;
  }

 private:
  pid_t child_ = -1;
  FILE* in_ = nullptr;
  FILE* out_ = nullptr;
};

int compare(std::int32_t pid, int runs, const std::string& script, bool alternate) {
  const std::string out = "/tmp/tavrine-pyatspi-" + std::to_string(getpid()) + ".replies";
  Baseline baseline(script, pid, out);
  AtspiReader reader;
  std::vector<double> theirs;
  std::vector<double> ours;
  MenuReplies last;
  bool deadlineHit = false;
  const auto readOnce = [&] {
    const auto start = std::chrono::steady_clock::now();
    tavrine::atspi::ReadResult read = reader.read(pid);
    ours.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    deadlineHit = deadlineHit || read.stats.deadlineHit;
    last = std::move(read.replies);
  };
  for (int i = 0; i < runs; ++i) {
    const double ms = baseline.run();
    if (ms < 0) break;
    theirs.push_back(ms);
    if (alternate) readOnce();
  }
  // The walker's process stays registered for events while it lives, which some toolkits (Qt)
  // answer by sending signals as they are read: by default it has gone before this reader runs.
  baseline.finish();
  while (ours.size() < theirs.size())
    readOnce();
  std::ifstream file(out);
  std::stringstream text;
  text << file.rdbuf();
  std::remove(out.c_str());
  const auto parsed = tavrine::atspi::parseReplies(text.str());
  if (ours.empty() || !parsed.replies) {
    std::fprintf(stderr, "the pyatspi walk gave nothing (%s)\n", parsed.error.c_str());
    return 1;
  }

  const std::vector<std::string> expected = records(*parsed.replies);
  const std::vector<std::string> got = records(last);
  std::printf("pyatspi walk: median %.2f ms over %zu runs\n", median(theirs), theirs.size());
  std::printf("this reader:  median %.2f ms over %zu runs (first %.2f ms)%s\n", median(ours),
              ours.size(), ours.front(), deadlineHit ? ", deadline hit" : "");
  std::printf("ratio: %.1fx\n", median(theirs) / median(ours));
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
  const bool alternate = mode == "alternate";
  if ((mode == "compare" || alternate) && argc == 5) return compare(pid, runs, argv[4], alternate);
#ifdef TAVRINE_PYATSPI_WALK
  if ((mode == "compare" || alternate) && argc == 4) {
    return compare(pid, runs, TAVRINE_PYATSPI_WALK, alternate);
  }
#endif
  if (mode == "stopped" && argc == 4) return stopped(pid, runs);
  return usage();
}
