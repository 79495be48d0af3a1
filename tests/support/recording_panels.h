// Screens a test sets up, and panels recorded from creation to close.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "platform/panel.h"
#include "platform/screen.h"

namespace tavrine::doubles {

class FakeScreens final : public ScreenPort {
 public:
  std::optional<Rect> mainScreenVisibleFrame() const override { return visibleFrame; }
  // None: no screen attached.
  std::optional<Rect> visibleFrame = Rect{{0, 0}, {1440, 875}};
};

// One step in the life of a panel, in the order they happened across all panels.
struct PanelEvent {
  enum class Kind { made, orderedFront, closed };
  std::size_t panel;  // index into RecordingPanels::created
  Kind kind;
  friend bool operator==(const PanelEvent&, const PanelEvent&) = default;
};

class RecordingPanel final : public Panel {
 public:
  RecordingPanel(std::size_t panelIndex, const Rect& rect, PanelSettings panelSettings,
                 std::shared_ptr<std::vector<PanelEvent>> history)
      : index(panelIndex),
        contentRect(rect),
        settings(std::move(panelSettings)),
        history_(history) {}

  void orderFrontRegardless() override {
    ++orderedFront;
    history_->push_back({index, PanelEvent::Kind::orderedFront});
  }
  void close() override {
    ++closes;
    history_->push_back({index, PanelEvent::Kind::closed});
  }

  bool onScreen() const { return orderedFront > 0 && closes == 0; }

  std::size_t index;
  Rect contentRect;
  PanelSettings settings;
  std::size_t orderedFront = 0;
  std::size_t closes = 0;

 private:
  std::shared_ptr<std::vector<PanelEvent>> history_;
};

class RecordingPanels final : public PanelPort {
 public:
  PanelRef makePanel(const Rect& contentRect, const PanelSettings& settings) override {
    auto panel = std::make_shared<RecordingPanel>(created.size(), contentRect, settings, history_);
    history_->push_back({panel->index, PanelEvent::Kind::made});
    created.push_back(panel);
    return panel;
  }

  // Every panel ever made, in order; kept alive here so that closed ones can be inspected.
  std::vector<std::shared_ptr<RecordingPanel>> created;
  const std::vector<PanelEvent>& history() const { return *history_; }

  std::size_t onScreenCount() const {
    std::size_t n = 0;
    for (const auto& p : created)
      n += p->onScreen() ? 1 : 0;
    return n;
  }

 private:
  std::shared_ptr<std::vector<PanelEvent>> history_ = std::make_shared<std::vector<PanelEvent>>();
};

}  // namespace tavrine::doubles
