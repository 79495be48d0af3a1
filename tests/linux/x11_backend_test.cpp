// SPDX-License-Identifier: MIT
// The X11 backend against a real X server (synthetic keys, real windows), and this program's own
// key events through Qt's offscreen platform.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "backends/linux/wayland/accessible_workspace.h"
#include "backends/linux/x11/key_sender.h"
#include "backends/linux/x11/key_watcher.h"
#include "backends/linux/x11/modifiers.h"
#include "backends/linux/x11/window_effects.h"
#include "backends/linux/x11/workspace.h"
#include "bus_peer.h"
#include "programs/linux/panel_appearance.h"
#include "programs/linux/qt_x11_backdrop.h"
#include "programs/linux/qt_x11_event_monitor.h"
#include "shell/qt/qt_image.h"
#include "shell/qt/qt_screens.h"
#include "shell/qt_event_loop.h"
#include "support/fake_platform.h"
#include "support/golden_cases.h"
#include "test_servers.h"
#include "x_fixture.h"

namespace tavrine {
namespace {

using namespace std::chrono_literals;
using doubles::runEventLoopUntil;
using Seen = std::pair<EventMask, modifier::Flags>;

constexpr modifier::Flags kCmd = modifier::kPrimary;
constexpr EventMask kFlags = kEventMaskFlagsChanged;
constexpr EventMask kKey = kEventMaskKeyDown;

class XServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!x.isOpen()) GTEST_SKIP() << "no X server (Xvfb is not installed)";
  }
  doubles::XFixture x;
};

// Untrusted, no key is watched; trusted, every key with the state after it.
TEST_F(XServerTest, GlobalMonitorsNeedTrustThenSeeEveryKeyWithTheStateAfterIt) {
  doubles::FakeTrust trust;
  x11::X11Workspace workspace;
  x11::X11KeyWatcher watcher;
  program::QtX11EventMonitor events(watcher, trust, {});
  EXPECT_EQ(events.addGlobalMonitor(kFlags, [](const Event&) {}), nullptr);
  EXPECT_FALSE(watcher.isStarted());
  trust.trusted = true;
  std::vector<Seen> seen;
  for (EventMask mask : {kFlags, kKey}) {
    ASSERT_TRUE(events.addGlobalMonitor(
        mask, [&seen, mask](const Event& e) { seen.emplace_back(mask, e.modifierFlags()); }));
  }

  const auto steps = doubles::caseRows(TAVRINE_ATSPI_FIXTURES "/x_keys.tsv");
  ASSERT_EQ(steps.size(), 24u);
  for (const auto& step : steps) {
    ASSERT_EQ(step.size(), 4u);
    const std::string what = step[0] + " " + step[1];
    std::vector<Seen> expected;
    for (std::size_t at = 0; at < step[2].size();) {
      const std::size_t end = std::min(step[2].find(',', at), step[2].size());
      const std::string one = step[2].substr(at, end - at);
      expected.emplace_back(one.starts_with("key") ? kKey : kFlags,
                            doubles::flagsNamed(one.substr(one.find(':') + 1)));
      at = end + 1;
    }
    seen.clear();
    const bool press = step[1] == "press";
    step[0].starts_with("Button") ? x.button(std::stoul(step[0].substr(6)), press)
                                  : x.key(step[0].c_str(), press);
    ASSERT_TRUE(expected.empty() ||
                runEventLoopUntil([&] { return seen.size() >= expected.size(); }))
        << what;
    // Then the loop runs on, so that anything more (there should be nothing) arrives.
    runEventLoopUntil([] { return false; }, expected.empty() ? 50ms : 20ms);
    EXPECT_EQ(seen, expected) << what;
    EXPECT_EQ(workspace.modifierFlags(), doubles::flagsNamed(step[3])) << what;
  }
}

TEST_F(XServerTest, TheWorkspaceFindsTheFrontmostApplicationInRealWindowsOrAccessibleFrames) {
  int made = 0;
  x11::X11Workspace workspace([&made](const x11::ArgbIcon& icon) {
    ++made;
    return qt::QtImage::fromArgb32(icon.width, icon.height, icon.pixels.data(), icon.pixels.size());
  });

  // Without a window manager: a toolkit-like window whose small child has the focus.
  const std::uint64_t editor = x.createWindow(100, 200, 300, 100);
  const std::uint64_t child = x.createWindow(0, 0, 1, 1, editor);
  x.setLongs(editor, "_NET_WM_PID", "CARDINAL", {4242});
  x.setBytes(editor, "WM_CLASS", "STRING", std::string("editor\0Editor\0", 14));
  std::vector<unsigned long> icon = {64, 64};  // the choice among sizes is the parts test's
  icon.insert(icon.end(), 64 * 64, 0xFF000040UL);
  x.setLongs(editor, "_NET_WM_ICON", "CARDINAL", icon);
  x.deleteProperty(x.root(), "_NET_ACTIVE_WINDOW");
  x.focus(child);

  // The window claims process 4242; the X server knows it was made by this one.
  std::optional<RunningApplication> app = workspace.frontmostApplication();
  ASSERT_TRUE(app.has_value());
  EXPECT_EQ(app->processIdentifier, getpid());
  EXPECT_EQ(app->localizedName, "Editor");
  const QImage drawn = qt::iconOf(app->icon).pixmap(QSize(64, 64)).toImage();
  ASSERT_EQ(drawn.size(), QSize(64, 64));
  EXPECT_EQ(drawn.pixel(0, 0), 0xFF000040U) << "the colours as they were";
  EXPECT_EQ(workspace.frontmostWindowCentre(), (Point{250, 250}));
  // Asked again (the panel asks at every paint), the icon is not made again.
  workspace.frontmostApplication();
  EXPECT_EQ(made, 1);

  // A window manager names the active window: it wins over the focus. No WM_CLASS: the
  // window's title names it.
  const std::uint64_t viewer = x.createWindow(0, 0, 50, 50);
  x.setLongs(viewer, "_NET_WM_PID", "CARDINAL", {77});
  x.setBytes(viewer, "_NET_WM_NAME", "UTF8_STRING", "Übersicht");
  x.setLongs(x.root(), "_NET_ACTIVE_WINDOW", "WINDOW", {viewer});
  app = workspace.frontmostApplication();
  ASSERT_TRUE(app.has_value());
  EXPECT_EQ(app->localizedName, "Übersicht");
  EXPECT_EQ(app->icon, nullptr);
  // Shown here from another machine (ssh -X): its pid is no process here. Naming none (Tk): the
  // X server's word for its process, not the window's claim.
  x.focus(viewer);
  x.setBytes(viewer, "WM_CLIENT_MACHINE", "STRING", "elsewhere.example.org");
  EXPECT_EQ(workspace.frontmostApplication(), std::nullopt);
  x.deleteProperty(viewer, "WM_CLIENT_MACHINE");
  EXPECT_EQ(workspace.frontmostApplication().value_or(RunningApplication{}).processIdentifier,
            getpid());
  x.focus(child);

  // The active window vanished but the property still names it: the focus decides.
  x.destroyWindow(viewer);
  EXPECT_EQ(workspace.frontmostApplication().value_or(RunningApplication{}).localizedName,
            "Editor");

  // Under Wayland the active accessible frame is in front.
  std::optional<atspi::AtspiListener::ActiveApplication> active;
  std::vector<std::pair<std::int32_t, std::string>> iconsAsked;
  const auto entryIcon = std::make_shared<qt::QtImage>(QIcon());
  wayland::AccessibleWorkspace accessible(
      [&] { return active; }, [] { return kCmd; }, workspace,
      [&](std::int32_t pid, const std::string& name) -> ImageRef {
        iconsAsked.emplace_back(pid, name);
        return entryIcon;
      });

  // No accessible frame active (or its process not known yet): nothing in front, whatever X
  // says.
  EXPECT_EQ(accessible.frontmostApplication(), std::nullopt);
  active = atspi::AtspiListener::ActiveApplication{":1.3", std::nullopt, "mousepad"};
  EXPECT_EQ(accessible.frontmostApplication(), std::nullopt);

  // A native Wayland application: its accessible name, as toolkits spell WM_CLASS; no position.
  active->pid = 99;
  app = accessible.frontmostApplication();
  ASSERT_TRUE(app.has_value());
  EXPECT_EQ(app->processIdentifier, 99);
  EXPECT_EQ(app->localizedName, "Mousepad");
  EXPECT_EQ(app->icon, entryIcon);
  accessible.frontmostApplication();
  active->pid = 98;  // another process of the same name may have another desktop entry
  accessible.frontmostApplication();
  EXPECT_EQ(iconsAsked, (decltype(iconsAsked){{99, "mousepad"}, {98, "mousepad"}}))
      << "looked up once each";
  active->pid = 99;
  EXPECT_EQ(accessible.frontmostWindowCentre(), std::nullopt);

  // An application under XWayland whose window has the X keyboard: described as on X11.
  active = atspi::AtspiListener::ActiveApplication{":1.5", getpid(), "editor"};
  app = accessible.frontmostApplication();
  ASSERT_TRUE(app.has_value());
  EXPECT_EQ(app->localizedName, "Editor");
  EXPECT_EQ(accessible.frontmostWindowCentre(), (Point{250, 250}));

  // Ctrl held in a Wayland application holds the word, though X sees no key.
  EXPECT_EQ(accessible.modifierFlags(), kCmd);
  x.deleteProperty(x.root(), "_NET_ACTIVE_WINDOW");
  x.destroyWindow(editor);
}

// A chord is typed with the keys of the layout in use, and a key the layout lacks is refused.
TEST_F(XServerTest, TypesChordsWithTheLayoutsKeysOnlyIntoTheWindowWithTheKeyboard) {
  x11::X11KeySender keys;
  const auto cases = doubles::caseRows(TAVRINE_ATSPI_FIXTURES "/x_chords.tsv");
  ASSERT_EQ(cases.size(), 9u);
  for (const auto& c : cases) {
    ASSERT_EQ(c.size(), 4u);
    unsigned mods = 0;
    for (const auto& [name, bit] : {std::pair{"primary", KeyChord::kPrimary},
                                    {"shift", KeyChord::kShift},
                                    {"alt", KeyChord::kAlt}})
      mods |= c[1].find(name) != std::string::npos ? bit : 0U;
    const KeyChord chord =
        c[2] == "F4" ? KeyChord::make(mods, *functionKey(4)) : KeyChord::make(mods, c[2]);
    std::optional<std::vector<x11::KeyEvent>> events;
    if (c[3] != "refused") {
      // Pressed in order, released in reverse: each press goes before the releases so far.
      std::istringstream codes(c[3]);
      events.emplace();
      for (unsigned code; codes >> code;) {
        const auto at = events->begin() + static_cast<std::ptrdiff_t>(events->size() / 2);
        events->insert(events->insert(at, {code, true}) + 1, {code, false});
      }
    }
    ASSERT_EQ(std::system(("setxkbmap -rules evdev -layout " + c[0]).c_str()), 0);
    EXPECT_EQ(keys.eventsFor(chord), events) << c[0] << ' ' << c[1] << ' ' << c[2];
  }
  ASSERT_EQ(std::system("setxkbmap -rules evdev -layout us"), 0);

  // Keys go out only when they would arrive as sent: the window, or one inside it, has the
  // keyboard, and no modifier is held.
  const std::uint64_t editor = x.createWindow(0, 0, 100, 100);
  const std::uint64_t other = x.createWindow(200, 0, 100, 100);
  x.focus(x.createWindow(10, 10, 20, 20, editor));
  EXPECT_TRUE(keys.readyFor(editor) && !keys.readyFor(other));
  x.key("Shift_L", true);
  EXPECT_FALSE(keys.readyFor(editor));
  x.key("Shift_L", false);
  EXPECT_TRUE(keys.readyFor(editor));
  // The send checks again, with the server held: refused for a window without the keyboard, and
  // the server is free again either way (a grab left behind would hang the next call here).
  const KeyChord undo = KeyChord::make(KeyChord::kPrimary, "Z");
  EXPECT_FALSE(keys.send(other, undo));
  EXPECT_TRUE(keys.send(editor, undo));
  x.focus(other);
  EXPECT_TRUE(keys.readyFor(other));
  x.destroyWindow(other);
  x.destroyWindow(editor);
}

TEST_F(XServerTest, BlurIsAskedForOnlyWhereACompositorOffersIt) {
  x11::X11WindowEffects effects;
  program::QtX11Backdrop backdrop(effects);
  const std::uint64_t panel = x.createWindow(0, 0, 100, 60);
  const QRegion region = QRegion(0, 4, 100, 52) + QRegion(4, 0, 92, 60);
  constexpr const char* kBlur = "_KDE_NET_WM_BLUR_BEHIND_REGION";
  x.setLongs(x.root(), kBlur, "CARDINAL", {});  // KWin's announcement of its blur

  // Announced, but no compositor owns the selection: nothing blends or blurs.
  EXPECT_FALSE(backdrop.isCompositing());
  EXPECT_FALSE(backdrop.blurBehind(panel, region));
  const std::uint64_t compositor = x.createWindow(0, 0, 1, 1);
  x.ownSelection("_NET_WM_CM_S0", compositor);
  EXPECT_TRUE(backdrop.isCompositing());
  // Each rectangle as x, y, width, height; never an empty list, which means the whole window.
  EXPECT_FALSE(backdrop.blurBehind(panel, QRegion()));
  ASSERT_TRUE(backdrop.blurBehind(panel, region));
  EXPECT_EQ(x.longs(panel, kBlur),
            (std::vector<unsigned long>{4, 0, 92, 4, 0, 4, 100, 52, 4, 56, 92, 4}));
  EXPECT_TRUE(effects.setBlurBehind(panel, {}));  // withdrawn
  EXPECT_TRUE(x.longs(panel, kBlur).empty());
  // A compositor without the announcement offers no blur.
  x.deleteProperty(x.root(), kBlur);
  EXPECT_FALSE(backdrop.blurBehind(panel, region));
  x.destroyWindow(compositor);
  x.destroyWindow(panel);
}

// Qt's offscreen platform with two screens side by side (see the tests' main): left 1000x800,
// primary; right 1280x1024.
TEST(QtScreensTest, ThePanelGoesToTheScreenWithTheFocusElseUnderThePointer) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  std::optional<Point> focus;
  qt::QtScreens screens([&focus] { return focus; });
  using settings::Placement;
  const struct {
    std::optional<Point> focus;
    QPoint pointer;
    int width;
    const char* why;
    Placement placement = Placement::frontApplication;
  } cases[] = {{Point{1500, 300}, {10, 10}, 1280, "the focused window's screen, not the pointer's"},
               {Point{999, 799}, {10, 10}, 1000, "the focused window's screen"},
               {std::nullopt, {1100, 100}, 1280, "without a focused window: the pointer's screen"},
               {Point{-4000, 0}, {-4000, 0}, 1000, "on no screen at all: the primary"},
               {Point{1500, 300}, {10, 10}, 1000, "the pointer's, chosen", Placement::pointer},
               {Point{1500, 300}, {1100, 10}, 1000, "the primary, chosen", Placement::primary}};
  for (const auto& c : cases) {
    focus = c.focus;
    screens.setPlacement(c.placement);
    QCursor::setPos(c.pointer);
    EXPECT_EQ(screens.mainScreenVisibleFrame().value_or(Rect{}).width(), c.width) << c.why;
  }
}

// The look follows a stand-in settings portal (and no one else on the bus) until the user fixes
// it; the size and the screen are the user's.
TEST(PanelAppearanceTest, TheDesktopsPreferenceIsFollowedUntilTheSettingsFixTheLook) {
  if (doubles::sessionBusAddress().empty()) GTEST_SKIP() << "dbus-daemon is not installed";
  doubles::BusPeer portal([](const doubles::Call& call) {
    return call.member == "ReadOne" ? doubles::reply(call, "v", "u", 2U) : doubles::error(call);
  });
  doubles::BusPeer impostor;
  ASSERT_EQ(portal.join(doubles::sessionBusAddress()), 0);
  ASSERT_TRUE(portal.own(0, dbus::AppearancePortal::kService));
  ASSERT_EQ(impostor.join(doubles::sessionBusAddress()), 0);
  dbus::SessionBus bus(doubles::sessionBusAddress());
  qt::QtScreens screens([] { return Point{1500, 300}; });
  qt::QtPanelPort panels;
  program::PanelAppearance appearance(bus, Desktop::otherLinux, "", panels, screens);
  std::vector<bool> heard;
  const auto subscription = appearance.subscribeDark([&](bool dark) { heard.push_back(dark); });
  const auto until = [&](const std::function<bool()>& done) {
    return runEventLoopUntil(
        [&] { return portal.process(), impostor.process(), bus.processPending(), done(); });
  };
  ASSERT_TRUE(until([&] { return !appearance.isDark() && !panels.look().dark; }));

  appearance.apply({.neverShowOver = {},
                    .placement = settings::Placement::primary,
                    .appearance = settings::Appearance::dark,
                    .sizePercent = 120});
  EXPECT_EQ(panels.panelScale(), 1.2);
  EXPECT_EQ(screens.mainScreenVisibleFrame().value_or(Rect{}).width(), 1000);
  appearance.apply(settings::Settings{});

  const auto change = [](doubles::BusPeer& from, std::uint32_t scheme) {
    from.sendSignal(0, "", dbus::AppearancePortal::kPath, dbus::AppearancePortal::kInterface,
                    "SettingChanged", "ssv", "org.freedesktop.appearance", "color-scheme", "u",
                    scheme);
  };
  change(impostor, 1);
  // Round trips through the bus: the impostor's signal has reached us before our answer.
  impostor.call(0, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetId",
                "");
  sd_bus_call_method(bus.connection(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                     "org.freedesktop.DBus", "GetId", nullptr, nullptr, "");
  bus.processPending();
  EXPECT_FALSE(appearance.isDark());
  change(portal, 1);
  ASSERT_TRUE(until([&] { return appearance.isDark(); }));
  EXPECT_EQ(heard, (std::vector<bool>{false, true, false, true}));
}

TEST(QtX11EventMonitorTest, OwnKeyEventsReachTheLocalHandlersOnceEach) {
  doubles::FakeTrust trust;
  x11::X11KeyWatcher watcher;
  modifier::Flags live = kCmd;
  program::QtX11EventMonitor events(watcher, trust, [&live] { return live; });
  std::vector<Seen> seen;
  bool swallow = false;
  events.addLocalMonitor(kFlags, [&](EventRef e) -> EventRef {
    seen.emplace_back(kFlags, e->modifierFlags());
    return swallow ? nullptr : e;
  });
  events.addLocalMonitor(kKey, [&](EventRef e) -> EventRef {
    seen.emplace_back(kKey, e->modifierFlags());
    return e;
  });

  // A widget's window hands each key on to the widget: the filter sees both deliveries.
  struct Counting : QWidget {
    void keyPressEvent(QKeyEvent*) override { ++delivered; }
    void keyReleaseEvent(QKeyEvent*) override { ++delivered; }
    int delivered = 0;
  } widget;
  widget.winId();
  QWindow& window = *widget.windowHandle();

  const auto send = [&window](QEvent::Type type, int key, Qt::KeyboardModifiers mods,
                              bool autoRepeat = false) {
    QKeyEvent event(type, key, mods, QString(), autoRepeat);
    QCoreApplication::sendEvent(&window, &event);
  };
  send(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
  send(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, true);  // auto-repeat
  send(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
  send(QEvent::KeyRelease, Qt::Key_C, Qt::ControlModifier);
  live = 0;
  send(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
  EXPECT_EQ(seen, (std::vector<Seen>{{kFlags, kCmd}, {kKey, kCmd}, {kFlags, 0}}));
  EXPECT_EQ(widget.delivered, 5) << "events the handlers return go on";

  // A handler that returns no event swallows it.
  swallow = true;
  send(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
  EXPECT_EQ(widget.delivered, 5);
}

}  // namespace
}  // namespace tavrine
