// SPDX-License-Identifier: MIT
// The event-monitor port for X11 under Qt. Local monitors see this program's own key events (an
// event filter on the application); global monitors see every key on the display through the
// X11 key watcher, and in a Wayland session also the keys applications forward to the
// accessibility bus and, on GNOME, those its shell reports; Qt's event loop watches every feed.
// Handlers run on the main thread.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "backends/linux/key_source.h"
#include "ports/event_monitor.h"
#include "ports/trust.h"

class QEvent;
class QSocketNotifier;

namespace tavrine::program {

// Which monitors a Qt key event is for: flags-changed for a modifier key going down or up
// (Ctrl, Shift, Alt, Meta, Super, Caps Lock; not its auto-repeat), key-down for any other key
// going down; none otherwise.
std::optional<EventMask> monitorMaskOf(const QEvent& event);

class QtX11EventMonitor final : public QObject, public EventMonitorPort {
 public:
  // The modifier word for this program's own key events: the live state, which the server has
  // updated by the time Qt delivers the event.
  using LiveFlags = std::function<modifier::Flags()>;

  // Make it on the main thread, after the QApplication; the references (and `others`, feeds
  // watched beside the X11 one; null ones are left out) must outlive it.
  QtX11EventMonitor(keys::KeySource& watcher, const TrustPort& trust, LiveFlags liveFlags,
                    const std::vector<keys::KeySource*>& others = {});
  ~QtX11EventMonitor() override;

  MonitorToken addLocalMonitor(EventMask mask, LocalHandler handler) override;
  // Null while the process is not trusted, or when no feed can be watched.
  MonitorToken addGlobalMonitor(EventMask mask, GlobalHandler handler) override;
  // From the window manager's active window, the accessibility bus's window activations and
  // GNOME Shell's focus reports.
  MonitorToken addFrontmostMonitor(FrontHandler handler) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  template <typename Handler>
  struct Monitor {
    EventMask mask;
    Handler handler;
  };

  bool startWatching();
  bool startFeed(int index);
  void dispatchGlobal(int feed, EventMask mask, modifier::Flags flags);

  std::vector<keys::KeySource*> feeds_;
  const TrustPort& trust_;
  LiveFlags liveFlags_;
  std::vector<Monitor<LocalHandler>> local_;
  std::vector<Monitor<GlobalHandler>> global_;
  std::vector<FrontHandler> front_;
  bool filtering_ = false;
  std::vector<std::unique_ptr<QSocketNotifier>> notifiers_;
  keys::FeedJoin join_;
};

}  // namespace tavrine::program
