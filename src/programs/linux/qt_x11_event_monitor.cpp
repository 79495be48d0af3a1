// SPDX-License-Identifier: MIT
#include "programs/linux/qt_x11_event_monitor.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QSocketNotifier>
#include <utility>

namespace tavrine::program {
namespace {

class ModifierEvent final : public Event {
 public:
  explicit ModifierEvent(modifier::Flags flags) : flags_(flags) {}
  modifier::Flags modifierFlags() const override { return flags_; }

 private:
  modifier::Flags flags_;
};

bool isModifierKey(int key) {
  switch (key) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_CapsLock:
      return true;
    default:
      return false;
  }
}

MonitorToken makeToken() {
  return std::make_shared<const int>(0);
}

}  // namespace

std::optional<EventMask> monitorMaskOf(const QEvent& event) {
  if (event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease) return std::nullopt;
  const auto& key = static_cast<const QKeyEvent&>(event);
  if (isModifierKey(key.key())) {
    if (key.isAutoRepeat()) return std::nullopt;
    return kEventMaskFlagsChanged;
  }
  if (event.type() == QEvent::KeyPress) return kEventMaskKeyDown;
  return std::nullopt;
}

QtX11EventMonitor::QtX11EventMonitor(keys::KeySource& watcher, const TrustPort& trust,
                                     LiveFlags liveFlags,
                                     const std::vector<keys::KeySource*>& others)
    : feeds_{&watcher}, trust_(trust), liveFlags_(std::move(liveFlags)) {
  for (keys::KeySource* feed : others) {
    if (feed != nullptr) feeds_.push_back(feed);
  }
  notifiers_.resize(feeds_.size());
}

QtX11EventMonitor::~QtX11EventMonitor() {
  if (filtering_ && QCoreApplication::instance() != nullptr)
    QCoreApplication::instance()->removeEventFilter(this);
}

MonitorToken QtX11EventMonitor::addLocalMonitor(EventMask mask, LocalHandler handler) {
  if (!handler) return nullptr;
  if (!filtering_) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return nullptr;
    app->installEventFilter(this);
    filtering_ = true;
  }
  local_.push_back({mask, std::move(handler)});
  return makeToken();
}

bool QtX11EventMonitor::eventFilter(QObject* watched, QEvent* event) {
  // A key event is delivered to its window first, then to widgets inside it, passing this
  // filter each time; the window's delivery is the one that counts.
  if (watched == nullptr || event == nullptr || !watched->isWindowType()) return false;
  const std::optional<EventMask> mask = monitorMaskOf(*event);
  if (!mask || local_.empty()) return false;

  EventRef current = std::make_shared<const ModifierEvent>(liveFlags_ ? liveFlags_() : 0);
  // A handler may add monitors: go over the ones there were when the event came.
  const std::vector<Monitor<LocalHandler>> monitors = local_;
  for (const auto& monitor : monitors) {
    if ((monitor.mask & *mask) == 0) continue;
    current = monitor.handler(std::move(current));
    if (!current) return true;  // swallowed
  }
  return false;
}

MonitorToken QtX11EventMonitor::addGlobalMonitor(EventMask mask, GlobalHandler handler) {
  if (!handler || !trust_.isProcessTrusted() || !startWatching()) return nullptr;
  global_.push_back({mask, std::move(handler)});
  return makeToken();
}

MonitorToken QtX11EventMonitor::addFrontmostMonitor(FrontHandler handler) {
  if (!handler || !trust_.isProcessTrusted() || !startWatching()) return nullptr;
  front_.push_back(std::move(handler));
  return makeToken();
}

bool QtX11EventMonitor::startWatching() {
  bool any = false;
  for (std::size_t i = 0; i < feeds_.size(); ++i) {
    if (startFeed(static_cast<int>(i))) any = true;
  }
  return any;
}

bool QtX11EventMonitor::startFeed(int index) {
  std::unique_ptr<QSocketNotifier>& notifier = notifiers_[static_cast<std::size_t>(index)];
  if (notifier) return true;
  keys::KeySource& feed = *feeds_[static_cast<std::size_t>(index)];
  keys::KeyHandlers handlers;
  handlers.flagsChanged = [this, index](modifier::Flags flags) {
    dispatchGlobal(index, kEventMaskFlagsChanged, flags);
  };
  handlers.keyDown = [this, index](modifier::Flags flags) {
    dispatchGlobal(index, kEventMaskKeyDown, flags);
  };
  handlers.frontChanged = [this] {
    const std::vector<FrontHandler> monitors = front_;  // a handler may add one
    for (const FrontHandler& handler : monitors)
      handler();
  };
  if (!feed.start(std::move(handlers))) return false;
  notifier = std::make_unique<QSocketNotifier>(feed.fileDescriptor(), QSocketNotifier::Read);
  QObject::connect(notifier.get(), &QSocketNotifier::activated, this,
                   [&feed, watch = notifier.get()] {
                     feed.dispatchPending();
                     // A source that has gone for good may stay readable: watching it would spin.
                     if (feed.fileDescriptor() < 0) watch->setEnabled(false);
                   });
  // Whatever arrived while the feed started is already read from its descriptor.
  const auto dispatchPending = [&feed] { feed.dispatchPending(); };
  QMetaObject::invokeMethod(this, dispatchPending, Qt::QueuedConnection);
  return true;
}

void QtX11EventMonitor::dispatchGlobal(int feed, EventMask mask, modifier::Flags flags) {
  if (!join_.admit(feed, mask == kEventMaskFlagsChanged, flags, keys::FeedJoin::Clock::now())) {
    return;
  }
  const ModifierEvent event(flags);
  const std::vector<Monitor<GlobalHandler>> monitors = global_;
  for (const auto& monitor : monitors) {
    if (monitor.mask & mask) monitor.handler(event);
  }
}

}  // namespace tavrine::program
