// SPDX-License-Identifier: MIT
// Times a Ctrl hold from outside Tavrine: presses Control_L through XTEST, waits for Tavrine's
// panel to be mapped, and reports the time from the hold timer firing (press + hold) to the map.
// The panel is told apart by _NET_WM_PID. Under a reparenting window manager the client is
// mapped inside a frame the manager maps on the root; the frame's map is the moment the panel is
// on screen, so frames are followed from the client's ReparentNotify. Then it waits for the
// panel's pixels: the middle of the screen (where the panel is centred) changing on the X server
// keys go to, which under a compositor is the compositor's own output. Before each hold it times
// a bare override-redirect window the same way, mapped -> drawn by the same server: the baseline
// no program can beat there, so the difference between the two is Tavrine's.
//
//   tavrine-hold-latency [--keys-display NAME | --keys-injector FIFO LOG] [--window-pixels]
//                        PID [RUNS] [HOLD_MS] [PAUSE_MS]
//
// The panel is watched on DISPLAY; keys go to NAME (default: the same display), for Tavrine on
// XWayland in a compositor that takes its keys from another X server, or to a key injector that
// reads "keydown KEY" and "keyup KEY" lines from FIFO and writes "ok" to LOG once each is done (a
// compositor's remote-desktop interface, where no X server takes keys). Rootless XWayland keeps
// no image of its screen: with --window-pixels the panel counts as drawn once its own window
// shows what it draws (three colours or more in its header), and the bare window once it shows its
// background.
// Prints one line per sample and a summary (median, 90th percentile, min, max); exits 1 if any
// sample failed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr auto kSampleTimeout = std::chrono::seconds(3);

// Windows may be gone by the time their events are read; those errors are expected.
int ignoreErrors(Display* /*display*/, XErrorEvent* /*error*/) {
  return 0;
}

std::optional<long> parseNumber(const char* text) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0) return std::nullopt;
  return value;
}

class PanelWatcher {
 public:
  PanelWatcher(Display* display, unsigned long pid)
      : display_(display),
        root_(DefaultRootWindow(display)),
        pid_(pid),
        netWmPid_(XInternAtom(display, "_NET_WM_PID", False)) {
    XSelectInput(display_, root_, SubstructureNotifyMask);
    XSync(display_, False);
  }

  // Waits for one of Tavrine's windows to appear on the root (itself, or the frame holding it);
  // returns the time its MapNotify was read.
  std::optional<Clock::time_point> waitMapped(Clock::time_point deadline) {
    return waitFor(deadline, [this](const XEvent& event) {
      if (event.type != MapNotify || event.xmap.event != root_) return false;
      const Window window = event.xmap.window;
      if (!frames_.contains(window) && !belongsToTavrine(window)) return false;
      shown_ = window;
      return true;
    });
  }

  // Waits for the window waitMapped saw to leave the screen.
  std::optional<Clock::time_point> waitUnmapped(Clock::time_point deadline) {
    if (shown_ == None) return Clock::now();
    return waitFor(deadline, [this](const XEvent& event) {
      const bool gone = (event.type == UnmapNotify && event.xunmap.window == shown_) ||
                        (event.type == DestroyNotify && event.xdestroywindow.window == shown_);
      if (gone) shown_ = None;
      return gone;
    });
  }

  // The window waitMapped saw, or Tavrine's inside it when that is a frame.
  Window shownClient() const {
    const auto frame = frames_.find(shown_);
    return frame != frames_.end() ? frame->second : shown_;
  }

  // Reads whatever is queued, keeping the frame table current.
  void drain() {
    while (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      track(event);
    }
  }

 private:
  template <typename Match>
  std::optional<Clock::time_point> waitFor(Clock::time_point deadline, Match match) {
    pollfd fd{ConnectionNumber(display_), POLLIN, 0};
    for (;;) {
      while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        const Clock::time_point seen = Clock::now();
        track(event);
        if (match(event)) return seen;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return std::nullopt;
      if (poll(&fd, 1, static_cast<int>(left)) < 0) return std::nullopt;
    }
  }

  void track(const XEvent& event) {
    if (event.type == ReparentNotify) {
      const XReparentEvent& r = event.xreparent;
      if (r.parent == root_) {
        std::erase_if(frames_, [&](const auto& entry) { return entry.second == r.window; });
      } else if (belongsToTavrine(r.window)) {
        frames_[r.parent] = r.window;
      }
    } else if (event.type == DestroyNotify) {
      frames_.erase(event.xdestroywindow.window);
    }
  }

  bool belongsToTavrine(Window window) const {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display_, window, netWmPid_, 0, 1, False, XA_CARDINAL,
                                          &type, &format, &count, &after, &data);
    bool ours = false;
    if (status == Success && type == XA_CARDINAL && format == 32 && count == 1 && data != nullptr) {
      // Format 32 properties arrive as longs.
      unsigned long value = 0;
      std::memcpy(&value, data, sizeof value);
      ours = value == pid_;
    }
    if (data != nullptr) XFree(data);
    return ours;
  }

  Display* display_;
  Window root_;
  unsigned long pid_;
  Atom netWmPid_;
  std::unordered_map<Window, Window> frames_;  // frame -> Tavrine's window inside it
  Window shown_ = None;
};

// The middle of the screen, compared with how it looked before the press.
class CentreWatcher {
 public:
  explicit CentreWatcher(Display* display) : display_(display), root_(DefaultRootWindow(display)) {
    const Screen* screen = DefaultScreenOfDisplay(display);
    x_ = (WidthOfScreen(screen) - kSide) / 2;
    y_ = (HeightOfScreen(screen) - kSide) / 2;
  }
  ~CentreWatcher() {
    if (before_ != nullptr) XDestroyImage(before_);
  }
  CentreWatcher(const CentreWatcher&) = delete;
  CentreWatcher& operator=(const CentreWatcher&) = delete;

  void remember() {
    if (before_ != nullptr) XDestroyImage(before_);
    before_ = grab();
  }

  // Waits until most of the middle differs from what remember() saw: a caret or a repaint of
  // the application below changes far less.
  std::optional<Clock::time_point> waitChanged(Clock::time_point deadline) {
    if (before_ == nullptr) return std::nullopt;
    while (Clock::now() < deadline) {
      XImage* now = grab();
      if (now == nullptr) return std::nullopt;
      const Clock::time_point seen = Clock::now();
      int changed = 0;
      for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x)
          changed += XGetPixel(now, x, y) != XGetPixel(before_, x, y);
      }
      XDestroyImage(now);
      if (changed * 2 > kSide * kSide) return seen;
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return std::nullopt;
  }

 private:
  static constexpr int kSide = 64;

  XImage* grab() { return XGetImage(display_, root_, x_, y_, kSide, kSide, AllPlanes, ZPixmap); }

  Display* display_;
  Window root_;
  int x_ = 0;
  int y_ = 0;
  XImage* before_ = nullptr;
};

// Polls what `window` itself shows in its top 64 rows (the panel's header: its icon and name)
// until `drawn` holds of the colours there; the time the request that saw them was sent, since
// the server reads the pixels when it takes the request and the reply of a band this size takes a
// few ms more to come.
template <typename Drawn>
std::optional<Clock::time_point> waitWindowShows(Display* display, Window window,
                                                 Clock::time_point deadline, Drawn drawn) {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, window, &attributes) == 0) return std::nullopt;
  const auto width = static_cast<unsigned>(attributes.width);
  const auto height = std::min(static_cast<unsigned>(attributes.height), 64u);
  while (Clock::now() < deadline) {
    const Clock::time_point asked = Clock::now();
    XImage* image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    std::set<unsigned long> colours;
    if (image != nullptr) {
      for (unsigned y = 0; y < height; y += 2) {
        for (unsigned x = 0; x < width; x += 2)
          colours.insert(XGetPixel(image, static_cast<int>(x), static_cast<int>(y)));
      }
      XDestroyImage(image);
    }
    if (drawn(colours)) return asked;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return std::nullopt;
}

// Control_L pressed and released through XTEST on an X server, or through a key injector.
class Keys {
 public:
  Keys(Display* display, const char* fifo, const char* log) : display_(display), log_(log) {
    if (fifo != nullptr) fifo_ = open(fifo, O_WRONLY | O_CLOEXEC);
    control_ = XKeysymToKeycode(display, XK_Control_L);
  }
  ~Keys() {
    if (fifo_ >= 0) close(fifo_);
  }
  Keys(const Keys&) = delete;
  Keys& operator=(const Keys&) = delete;

  bool usable() const { return log_ == nullptr ? control_ != 0 : fifo_ >= 0; }

  // Returns once the key event has been handed on: the X server's sync, or the injector's "ok".
  bool control(bool down) {
    if (log_ == nullptr) {
      XTestFakeKeyEvent(display_, control_, down ? True : False, CurrentTime);
      XSync(display_, False);
      return true;
    }
    const long before = answers();
    const std::string line = down ? "keydown Control_L\n" : "keyup Control_L\n";
    if (write(fifo_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return false;
    const Clock::time_point deadline = Clock::now() + kSampleTimeout;
    while (answers() <= before) {
      if (Clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
  }

 private:
  long answers() const {
    std::ifstream in(log_);
    long count = 0;
    for (std::string line; std::getline(in, line);)
      count += line == "ok";
    return count;
  }

  Display* display_;
  const char* log_;
  int fifo_ = -1;
  KeyCode control_ = 0;
};

constexpr unsigned long kBareColour = 0x2a5599;  // not black, which a window may show unpainted

// Maps a bare override-redirect window over the middle of the screen and times it until it is
// drawn: what the X server (and a compositor) alone add between a map and the screen.
std::optional<double> bareWindowLatency(Display* display, CentreWatcher& centre,
                                        bool windowPixels) {
  const Screen* screen = DefaultScreenOfDisplay(display);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.background_pixel = windowPixels ? kBareColour : BlackPixelOfScreen(screen);
  centre.remember();
  const Window window =
      XCreateWindow(display, DefaultRootWindow(display), WidthOfScreen(screen) / 4,
                    HeightOfScreen(screen) / 4, static_cast<unsigned>(WidthOfScreen(screen) / 2),
                    static_cast<unsigned>(HeightOfScreen(screen) / 2), 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
  XMapWindow(display, window);
  XSync(display, False);
  const Clock::time_point mapped = Clock::now();
  const std::optional<Clock::time_point> shown =
      windowPixels ? waitWindowShows(display, window, mapped + kSampleTimeout,
                                     [](const std::set<unsigned long>& colours) {
                                       return colours.size() == 1 && colours.contains(kBareColour);
                                     })
                   : centre.waitChanged(mapped + kSampleTimeout);
  XDestroyWindow(display, window);
  XSync(display, False);
  if (!shown) return std::nullopt;
  return Ms(*shown - mapped).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// The value below which `share` of the sorted values lie (nearest rank).
double percentile(std::vector<double> values, double share) {
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(values.size())));
  return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

void summarise(const char* what, const std::vector<double>& values) {
  if (values.empty()) {
    std::printf("%s: no samples\n", what);
    return;
  }
  std::printf("%s: median %.1f ms, p90 %.1f ms, min %.1f ms, max %.1f ms (%zu samples)\n", what,
              median(values), percentile(values, 0.9),
              *std::min_element(values.begin(), values.end()),
              *std::max_element(values.begin(), values.end()), values.size());
}

}  // namespace

int main(int argc, char** argv) {
  const char* keysDisplayName = nullptr;
  const char* injectorFifo = nullptr;
  const char* injectorLog = nullptr;
  bool windowPixels = false;
  for (;;) {
    if (argc > 2 && std::strcmp(argv[1], "--keys-display") == 0) {
      keysDisplayName = argv[2];
      argv += 2;
      argc -= 2;
    } else if (argc > 3 && std::strcmp(argv[1], "--keys-injector") == 0) {
      injectorFifo = argv[2];
      injectorLog = argv[3];
      argv += 3;
      argc -= 3;
    } else if (argc > 1 && std::strcmp(argv[1], "--window-pixels") == 0) {
      windowPixels = true;
      ++argv;
      --argc;
    } else {
      break;
    }
  }
  if (argc < 2 || argc > 5) {
    std::fprintf(stderr,
                 "usage: %s [--keys-display NAME | --keys-injector FIFO LOG] [--window-pixels] "
                 "PID [RUNS=20] [HOLD_MS=500] [PAUSE_MS=300]\n",
                 argv[0]);
    return 2;
  }
  const std::optional<long> pid = parseNumber(argv[1]);
  const std::optional<long> runs = argc > 2 ? parseNumber(argv[2]) : 20L;
  const std::optional<long> holdMs = argc > 3 ? parseNumber(argv[3]) : 500L;
  const std::optional<long> pauseMs = argc > 4 ? parseNumber(argv[4]) : 300L;
  if (!pid || *pid == 0 || !runs || *runs == 0 || !holdMs || !pauseMs) {
    std::fprintf(stderr,
                 "%s: PID and RUNS must be positive numbers, HOLD_MS and PAUSE_MS not negative\n",
                 argv[0]);
    return 2;
  }

  if (kill(static_cast<pid_t>(*pid), 0) != 0) {
    std::fprintf(stderr, "%s: no process %ld\n", argv[0], *pid);
    return 2;
  }

  Display* display = XOpenDisplay(nullptr);
  Display* keysDisplay = keysDisplayName != nullptr ? XOpenDisplay(keysDisplayName) : display;
  if (display == nullptr || keysDisplay == nullptr) {
    std::fprintf(stderr, "%s: cannot open the display\n", argv[0]);
    return 2;
  }
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (injectorLog == nullptr &&
      !XTestQueryExtension(keysDisplay, &eventBase, &errorBase, &major, &minor)) {
    std::fprintf(stderr, "%s: the X server has no XTEST\n", argv[0]);
    return 2;
  }
  Keys keys(keysDisplay, injectorFifo, injectorLog);
  if (!keys.usable()) {
    std::fprintf(stderr, "%s: no way to press Control_L\n", argv[0]);
    return 2;
  }
  XSetErrorHandler(ignoreErrors);
  PanelWatcher watcher(display, static_cast<unsigned long>(*pid));
  CentreWatcher centre(keysDisplay);

  std::vector<double> bare;       // a bare window: map -> drawn, the baseline
  std::vector<double> shown;      // hold timer firing -> panel mapped
  std::vector<double> drawn;      // hold timer firing -> panel's pixels on screen
  std::vector<double> hidden;     // release -> panel unmapped
  std::vector<double> roundTrip;  // the press's own round trip: the uncertainty of its time
  long failed = 0;
  for (long i = 1; i <= *runs; ++i) {
    if (const std::optional<double> baseline = bareWindowLatency(display, centre, windowPixels))
      bare.push_back(*baseline);
    std::this_thread::sleep_for(std::chrono::milliseconds(*pauseMs));
    watcher.drain();
    centre.remember();
    const Clock::time_point before = Clock::now();
    const bool pressedOk = keys.control(true);
    const Clock::time_point pressed = Clock::now();
    const std::optional<Clock::time_point> mapped =
        pressedOk ? watcher.waitMapped(pressed + kSampleTimeout) : std::nullopt;
    std::optional<Clock::time_point> painted;
    if (mapped && windowPixels) {
      painted = waitWindowShows(
          display, watcher.shownClient(), pressed + kSampleTimeout,
          [](const std::set<unsigned long>& colours) { return colours.size() >= 3; });
    } else if (mapped) {
      painted = centre.waitChanged(pressed + kSampleTimeout);
    }

    keys.control(false);
    const Clock::time_point released = Clock::now();
    roundTrip.push_back(Ms(pressed - before).count());

    if (!mapped) {
      ++failed;
      std::printf("sample %2ld: FAILED, no panel within %lld s\n", i,
                  static_cast<long long>(kSampleTimeout.count()));
    } else {
      const double latency = Ms(*mapped - pressed).count() - static_cast<double>(*holdMs);
      shown.push_back(latency);
      if (painted) {
        drawn.push_back(Ms(*painted - pressed).count() - static_cast<double>(*holdMs));
      } else {
        ++failed;
        std::printf("sample %2ld: FAILED, the middle of the screen did not change\n", i);
      }
      const std::optional<Clock::time_point> unmapped =
          watcher.waitUnmapped(released + kSampleTimeout);
      if (unmapped) {
        hidden.push_back(Ms(*unmapped - released).count());
        std::printf(
            "sample %2ld: shown %6.1f ms after the hold timer, hidden %6.1f ms after the "
            "release\n",
            i, latency, hidden.back());
      } else {
        ++failed;
        std::printf(
            "sample %2ld: shown %6.1f ms after the hold timer, FAILED to hide within %lld s\n", i,
            latency, static_cast<long long>(kSampleTimeout.count()));
      }
    }
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(*pauseMs));
  }

  summarise("a bare override-redirect window: mapped -> drawn on screen", bare);
  std::printf("bare windows not drawn within %lld s: %ld of %ld\n",
              static_cast<long long>(kSampleTimeout.count()),
              *runs - static_cast<long>(bare.size()), *runs);
  summarise("hold timer -> panel mapped", shown);
  summarise("hold timer -> panel drawn on screen", drawn);
  summarise("release -> panel unmapped", hidden);
  summarise(injectorLog != nullptr ? "press round trip (the injector's answer)"
                                   : "press round trip (XSync)",
            roundTrip);
  std::printf("failed samples: %ld of %ld\n", failed, *runs);
  if (keysDisplay != display) XCloseDisplay(keysDisplay);
  XCloseDisplay(display);
  return failed == 0 ? 0 : 1;
}
