// SPDX-License-Identifier: MIT
#include "programs/linux/panel_appearance.h"

#include <algorithm>
#include <string>

namespace tavrine::program {

bool resolveDark(settings::Appearance appearance, std::optional<dbus::ColorScheme> portal,
                 std::optional<bool> desktop) {
  switch (appearance) {
    case settings::Appearance::light:
      return false;
    case settings::Appearance::dark:
      return true;
    case settings::Appearance::followDesktop:
      break;
  }
  // A portal that answers speaks for the desktop, "no preference" included.
  if (portal) return *portal != dbus::ColorScheme::light;
  return desktop.value_or(true);
}

PanelAppearance::PanelAppearance(dbus::SessionBus& bus, Desktop desktop, std::string kdeglobals,
                                 qt::QtPanelPort& panels, qt::QtScreens& screens)
    : panels_(panels), screens_(screens), portal_(bus), desktop_(desktop, std::move(kdeglobals)) {
  portal_.start([this](std::optional<dbus::ColorScheme>) { update(); });
  desktop_.onChanged([this] { update(); });
}

void PanelAppearance::apply(const settings::Settings& settings) {
  appearance_ = settings.appearance;
  const int percent = std::clamp(settings.sizePercent, settings::Settings::kMinSizePercent,
                                 settings::Settings::kMaxSizePercent);
  scale_ = percent / 100.0;
  screens_.setPlacement(settings.placement);
  update();
}

PanelAppearance::Subscription PanelAppearance::subscribeDark(std::function<void(bool)> changed) {
  auto held = std::make_shared<std::function<void(bool)>>(std::move(changed));
  subscribers_.push_back(held);
  return held;
}

void PanelAppearance::update() {
  // The desktop's own setting is read only while it could matter.
  const bool dark =
      resolveDark(appearance_, portal_.scheme(),
                  appearance_ == settings::Appearance::followDesktop && !portal_.scheme()
                      ? desktop_.prefersDark()
                      : std::nullopt);
  const qt::PanelLook look{dark, scale_};
  if (!(look == panels_.look())) panels_.setLook(look);
  if (dark == dark_) return;
  dark_ = dark;
  std::erase_if(subscribers_, [](const auto& weak) { return weak.expired(); });
  // A subscriber may subscribe or drop others while told.
  const auto told = subscribers_;
  for (const auto& weak : told) {
    if (const auto subscriber = weak.lock()) (*subscriber)(dark);
  }
}

}  // namespace tavrine::program
