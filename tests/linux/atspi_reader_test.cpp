// SPDX-License-Identifier: MIT
// The reader against a scripted accessibility bus in this process (no D-Bus session needed), and
// against the hostile peer on a bus of its own.
#include "backends/linux/atspi/reader.h"

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "backends/linux/atspi/accessibility.h"
#include "backends/linux/atspi/names.h"
#include "bus_peer.h"
#include "harvest/accessibility_helper.h"
#include "test_servers.h"

namespace tavrine::atspi {
namespace {

using namespace std::chrono_literals;

constexpr const char* kApp = ":1.7";
constexpr std::int32_t kPid = 4242;
constexpr const char* kRoot = "/org/a11y/atspi/accessible/root";

using doubles::Call;
using doubles::error;
using doubles::refs;
using doubles::reply;

// A Qt-shaped application (see MenuTree), changed by a test under its lock.
struct QtApp : doubles::MenuTree {
  QtApp() : MenuTree(fileSave(kApp)) {}
  std::mutex mutex;
  sd_bus_message* answer(const Call& call) {
    std::lock_guard lock(mutex);
    return MenuTree::answer(call);
  }
};

// The peer plays the bus daemon and the registry at an address of its own, which is also the
// application's own socket; calls to anyone else go to the application setApp() gives, at first
// `app`.
class AtspiReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("AT_SPI_BUS_ADDRESS", address_.c_str(), 1);
    setApp([this](const Call& call) { return app.answer(call); });
    bus_.start();
  }
  void TearDown() override { unsetenv("AT_SPI_BUS_ADDRESS"); }
  void setApp(doubles::Handler application) {
    bus_.setHandler([this, application](const Call& call) -> sd_bus_message* {
      if (call.member == "Hello") return reply(call, "s", ":1.1");
      if (call.destination == "org.freedesktop.DBus" &&
          call.member == "GetConnectionUnixProcessID") {
        const char* name = nullptr;
        sd_bus_message_read(call.message, "s", &name);
        return reply(call, "u", std::string(name) == kApp ? appPid.load() : 1u);
      }
      if (call.destination == "org.a11y.atspi.Registry") return refs(call, kApp, {kRoot});
      return application(call);
    });
  }

  QtApp app;  // before the bus, whose thread calls it until the bus goes
  std::atomic<std::uint32_t> appPid{kPid};  // the process the bus says the application is
  doubles::BusPeer bus_;
  const std::string address_ = bus_.listen();
};

// The port the program uses: one read by levels, the snapshot, the walk. Answers of the wrong
// type count as none, and a socket address that would start a program is never used.
TEST_F(AtspiReaderTest, ThePortGivesTheWalkTheMenu) {
  app.children["/pop"].push_back("/odd");
  app.children["/odd"] = {};
  const std::string marker = doubles::makeTemporaryDirectory() + "/ran";
  setApp([&](const Call& call) -> sd_bus_message* {
    const std::string& member = call.member;
    if (member == "GetApplicationBusAddress") {
      return reply(call, "s", ("unixexec:path=/usr/bin/touch,argv0=touch,argv1=" + marker).c_str());
    }
    if (call.path == "/odd") {  // a number for each text
      if (member == "Get") return reply(call, "v", "i", 7);
      if (member == "GetKeyBinding") return reply(call, "u", 1u);
    }
    return app.answer(call);
  });
  const AtspiAccessibility port;
  const std::vector<ShortcutItem> items = AccessibilityHelper::getShortcuts(port, kPid);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].menuPath() + " > " + items[0].title() + " " + items[0].shortcut(),
            "File > Save ⌘S");
  // Another process, or nobody at all: no application.
  EXPECT_EQ(port.applicationElement(kPid + 1), nullptr);
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(std::filesystem::exists(marker));
  // Our own objects answer on the thread that would be waiting for them (an About box in front).
  appPid = static_cast<std::uint32_t>(getpid());
  const int asked = bus_.calls("GetChildren");
  EXPECT_FALSE(AtspiReader().read(getpid()).found);
  EXPECT_EQ(bus_.calls("GetChildren"), asked);
}

// Two windows with a menu bar each: the active one's is read, also once both are remembered;
// a remembered bar is read again without a search until the window replaces it.
TEST_F(AtspiReaderTest, TheActiveWindowsMenuBarIsReadAndRememberedUntilReplaced) {
  app.children[kRoot] = {"/w1", "/win"};
  app.children["/w1"] = {"/bar1"};
  app.children["/bar1"] = {};
  app.roles["/bar1"] = kRoleMenuBar;
  AtspiReader reader;
  for (const char* window : {"/win", "/w1", "/win"}) {
    {
      std::lock_guard lock(app.mutex);
      app.activeWindow = window;
    }
    EXPECT_EQ(reader.read(kPid).replies.menuBar, window == std::string("/w1") ? "/bar1" : "/bar");
  }
  // No search, and no second try of a cache the toolkit does not have.
  const int searches = bus_.calls("GetMatches");
  EXPECT_EQ(reader.read(kPid).replies.keyBindings.at("/save"), "Ctrl+S");
  EXPECT_EQ(bus_.calls("GetMatches"), searches);

  {
    std::lock_guard lock(app.mutex);
    app.children.erase("/bar");
    app.children["/win"] = {"/bar2"};
    app.children["/bar2"] = {"/file"};
    app.roles["/bar2"] = kRoleMenuBar;
  }
  const ReadResult read = reader.read(kPid);
  EXPECT_EQ(read.replies.menuBar, "/bar2");
  EXPECT_EQ(read.replies.keyBindings.at("/save"), "Ctrl+S");
  // The bus goes away: the reader connects again.
  bus_.closeListened();
  std::this_thread::sleep_for(30ms);
  reader.read(kPid);  // may find the connection broken
  EXPECT_EQ(reader.read(kPid).replies.keyBindings.at("/save"), "Ctrl+S");
}

TEST_F(AtspiReaderTest, ASilentApplicationCostsOneDeadline) {
  setApp([](const Call&) -> sd_bus_message* { return nullptr; });  // stopped: never answers
  AtspiReader reader(ReadOptions{.deadline = 100ms});
  for (int i = 0; i < 2; ++i) {
    const ReadResult read = reader.read(kPid);
    EXPECT_TRUE(read.found);
    EXPECT_TRUE(read.stats.deadlineHit);
    EXPECT_TRUE(read.replies.menuBar.empty());
    EXPECT_LT(read.stats.elapsed, 180ms);
  }
  // The program's own deadline, and the port telling the walk the application did not answer.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(AccessibilityHelper::readMenuBar(AtspiAccessibility(), kPid).unanswered);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);

  // Menus that answer but no key binding in time (LibreOffice building its menus) is no answer
  // either; a read ahead is none unless whole.
  {
    std::lock_guard lock(app.mutex);
    app.children["/pop"] = {"/open", "/save"};
    app.children["/open"] = {};
    app.names["/open"] = "Open";
    app.bindings["/open"] = "Ctrl+O";
  }
  const AtspiAccessibility port(ReadOptions{.deadline = 300ms, .aheadDeadline = 300ms});
  for (const bool someKeys : {false, true}) {
    setApp([this, someKeys](const Call& call) -> sd_bus_message* {
      if (call.member == "GetKeyBinding" && (!someKeys || call.path == "/save")) return nullptr;
      return app.answer(call);
    });
    EXPECT_EQ(AccessibilityHelper::readMenuBar(port, kPid).unanswered, !someKeys);
    EXPECT_TRUE(AccessibilityHelper::readMenuBar(port, kPid, ax::Patience::ahead).unanswered);
  }
}

TEST_F(AtspiReaderTest, AMenuThatNeverEndsIsBounded) {
  int next = 0;
  setApp([&](const Call& call) -> sd_bus_message* {
    const std::string &member = call.member, &path = call.path;
    if (member == "GetChildren" && path.starts_with("/n")) {  // every item has 500 new children
      std::vector<std::string> kids;
      for (int i = 0; i < 500; ++i)
        kids.push_back("/n" + std::to_string(next++));
      return refs(call, kApp, kids);
    }
    if (member == "GetChildren" && path == "/save") return refs(call, kApp, {"/n"});
    return app.answer(call);
  });
  AtspiReader reader(ReadOptions{.deadline = 5s, .maxNodes = 500, .maxLevels = 16});
  const ReadResult read = reader.read(kPid);
  ASSERT_TRUE(read.found);
  EXPECT_FALSE(read.stats.deadlineHit);  // the bound ended it
  EXPECT_LE(read.replies.children.size(), 500u);
  EXPECT_LT(read.stats.calls, 4 * 520);
}

// A GTK-shaped application: its own socket, the search and the cache.
TEST_F(AtspiReaderTest, ReadsACacheOverTheApplicationsSocket) {
  const std::string peer = address_;
  setApp([&](const Call& call) -> sd_bus_message* {
    const std::string &member = call.member, &path = call.path;
    if (member == "GetApplicationBusAddress") return reply(call, "s", peer.c_str());
    if (member == "GetChildren" && path == kRoot) return refs(call, kApp, {"/win"});
    if (member == "GetState") return reply(call, "au", 2, 2u, 0u);  // active
    if (member == "GetMatches" && path == "/win") return refs(call, kApp, {"/bar"});
    if (member == "GetMatches" && path == "/bar") return refs(call, kApp, {"/file", "/save"});
    if (member == "GetItems") {
      sd_bus_message* r = reply(call);
      sd_bus_message_open_container(r, 'a', "((so)(so)(so)iiassusau)");
      // Objects outside the menu are dropped, and a second entry for an object too.
      const char* rows[][3] = {{"/file", "/bar", "File"},
                               {"/save", "/file", "Save  "},
                               {"/other", "/x", "X"},
                               {"/save", "/other", "Again"}};
      for (const auto& row : rows) {
        sd_bus_message_append(r, "((so)(so)(so)iiassusau)", kApp, row[0], kApp, kRoot, kApp, row[1],
                              -1, -1, 0, row[2], kRoleMenuItem, "", 0);
      }
      sd_bus_message_close_container(r);
      return r;
    }
    if (member == "GetKeyBinding")
      return reply(call, "s", path == "/save" ? "s;<Alt>f:s;<Primary>s" : "");
    return error(call);
  });
  AtspiReader reader;
  for (int i = 0; i < 2; ++i) {  // the second read reuses the socket and asks no address
    const ReadResult read = reader.read(kPid);
    ASSERT_TRUE(read.found);
    EXPECT_TRUE(read.stats.usedCache);
    EXPECT_TRUE(read.stats.peerToPeer);
    EXPECT_EQ(read.replies.matches, (std::vector<std::string>{"/file", "/save"}));
    ASSERT_EQ(read.replies.cache.size(), 2u);  // only the menu's objects are kept
    EXPECT_EQ(read.replies.cache[1], (CacheItem{"/save", "/file", kRoleMenuItem, "Save  "}));
    EXPECT_EQ(read.replies.keyBindings,
              (std::map<std::string, std::string>{{"/save", "s;<Alt>f:s;<Primary>s"}}));
  }
  EXPECT_EQ(bus_.calls("GetApplicationBusAddress"), 1);
}

// Against the hostile peer on a bus of its own: every hostile answer narrows the result and
// costs at most the deadline, foreign text is cut before it is kept (between characters), a read
// cut short leaves its connection (replies of several MiB still owed to it) and items that press,
// and the reader reads the same application well again afterwards.
class HostilePeerReaderTest : public ::testing::Test {
 protected:
  void start(int maxRepliesPerConnection = 50'000) {
    if (!peer_.start(maxRepliesPerConnection)) GTEST_SKIP() << "dbus-daemon is not installed";
    setenv("AT_SPI_BUS_ADDRESS", peer_.address().c_str(), 1);
  }
  void TearDown() override { unsetenv("AT_SPI_BUS_ADDRESS"); }
  doubles::HostileBus peer_;
};

TEST_F(HostilePeerReaderTest, HostileAnswersAreCutAndCostAtMostTheDeadline) {
  start();
  const auto harvest = [&](const AtspiAccessibility& port) {
    return AccessibilityHelper::getShortcuts(port, peer_.pid());
  };
  AtspiReader reader(ReadOptions{.deadline = 150ms});
  ASSERT_TRUE(doubles::eventually([&] { return !reader.read(peer_.pid()).replies.names.empty(); }));
  ASSERT_TRUE(peer_.control("Mode", "s", "huge"));
  const ReadResult cut = reader.read(peer_.pid());
  ASSERT_TRUE(cut.stats.deadlineHit) << "read within " << cut.stats.elapsed.count() << " us";
  EXPECT_EQ(reader.press(cut.application, "/save"), ax::Error::success);
  const std::vector<ShortcutItem> huge = harvest(AtspiAccessibility(ReadOptions{.deadline = 5s}));
  ASSERT_FALSE(huge.empty());
  for (const ShortcutItem& item : huge) {
    // The cap itself, not its name: raising it is a fault too.
    EXPECT_LE(item.menuPath().size(), 512u);
    EXPECT_LE(item.title().size(), 512u);
    // "File" and "e" + U+0301 many times: never cut between an "e" and its accent.
    EXPECT_TRUE(item.menuPath().starts_with("File"));
    EXPECT_TRUE(item.menuPath().ends_with("e\u0301")) << "cut inside a character";
  }
  EXPECT_EQ(huge[0].title() + " " + huge[0].shortcut(), "Save ⌘S");

  const AtspiAccessibility port(ReadOptions{.deadline = 250ms});
  for (const char* mode : {"wrong", "endless", "stall"}) {
    SCOPED_TRACE(mode);
    ASSERT_TRUE(peer_.control("Mode", "s", mode));
    const auto begin = std::chrono::steady_clock::now();
    const std::vector<ShortcutItem> items = harvest(port);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 1s);
    for (const ShortcutItem& item : items)
      EXPECT_EQ(item.title(), "Item");  // what a cache cut short holds, no more
  }
  EXPECT_TRUE(AtspiReader(ReadOptions{.deadline = 250ms}).read(peer_.pid()).stats.deadlineHit)
      << "the socket did not stall";
  // Once the peer has caught up with what it was asked meanwhile.
  ASSERT_TRUE(peer_.control("Mode", "s", "plain"));
  std::vector<ShortcutItem> items;
  doubles::eventually([&] { return !(items = harvest(port)).empty(); }, 5s);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].menuPath() + " > " + items[0].title(), "File > Save");
  const ReadResult next = reader.read(peer_.pid());
  EXPECT_FALSE(next.stats.deadlineHit);
  EXPECT_TRUE(next.replies.keyBindings.contains("/save"));
}

// A bus refuses calls past its limit of replies awaited per connection: a wide Qt menu (three
// calls an item) must not lose items to it.
TEST_F(HostilePeerReaderTest, AWideMenuStaysUnderTheBussLimitOfAwaitedReplies) {
  start(5'000);
  ASSERT_TRUE(peer_.control("Mode", "s", "wide:2000"));
  const ReadResult read = AtspiReader(ReadOptions{.deadline = 20s}).read(peer_.pid());
  EXPECT_FALSE(read.stats.deadlineHit);
  EXPECT_EQ(read.stats.answered, read.stats.calls);
  int items = 0;
  for (const auto& [path, name] : read.replies.names)
    items += path.starts_with("/i") && name == "Item " + path.substr(2);
  EXPECT_EQ(items, 2000);
}

}  // namespace
}  // namespace tavrine::atspi
