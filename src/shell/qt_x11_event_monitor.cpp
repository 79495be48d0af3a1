// SPDX-License-Identifier: MIT
#include "shell/qt_x11_event_monitor.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QSocketNotifier>
#include <utility>

namespace tavrine::qt {
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

QtX11EventMonitor::QtX11EventMonitor(x11::X11KeyWatcher& watcher, const TrustPort& trust,
                                     LiveFlags liveFlags)
    : watcher_(watcher), trust_(trust), liveFlags_(std::move(liveFlags)) {}

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

bool QtX11EventMonitor::startWatching() {
  if (notifier_) return true;
  x11::X11KeyWatcher::Handlers handlers;
  handlers.flagsChanged = [this](modifier::Flags flags) {
    dispatchGlobal(kEventMaskFlagsChanged, flags);
  };
  handlers.keyDown = [this](modifier::Flags flags) { dispatchGlobal(kEventMaskKeyDown, flags); };
  if (!watcher_.start(std::move(handlers))) return false;
  notifier_ = std::make_unique<QSocketNotifier>(watcher_.fileDescriptor(), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, this,
                   [this] { watcher_.dispatchPending(); });
  // Whatever arrived while the watcher started is already read from the socket.
  QMetaObject::invokeMethod(
      this, [this] { watcher_.dispatchPending(); }, Qt::QueuedConnection);
  return true;
}

void QtX11EventMonitor::dispatchGlobal(EventMask mask, modifier::Flags flags) {
  const ModifierEvent event(flags);
  const std::vector<Monitor<GlobalHandler>> monitors = global_;
  for (const auto& monitor : monitors) {
    if (monitor.mask & mask) monitor.handler(event);
  }
}

}  // namespace tavrine::qt
