// SPDX-License-Identifier: MIT
// Renders the overlay for a menu bar described in a text file into a PNG, without a display:
//   tavrine-preview [--zh] [--size WxH] [--app NAME] [--icon IMAGE] [--scroll Y] [--page COLOR]
//                   [--desktop macos|gnome|kde|xfce|linux] [--light] [--percent N]
//                   [--bound ACCEL=TITLE]... MENUFILE OUT.png
// The panel has the size the overlay takes on a screen of WxH (default 1440x900), the whole
// screen taken as its visible frame; --app defaults to the menu file's name without extension;
// --scroll shows the content scrolled down by Y points (as far as it goes); --page draws the whole
// screen, a flat page of COLOR (white, black, #rrggbb) with the panel where it would sit;
// --desktop shows that desktop's catalogue, with caps in words on the Linux ones (default macos:
// glyphs); --light draws the light look; --percent the size (80–150, default 100); --bound adds a
// binding the desktop holds live, a GTK accelerator and its title ("<Primary><Alt>t=Launch
// Terminal"), which takes an application row of the same chord.
#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QResizeEvent>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "backends/memory/memory_accessibility.h"
#include "i18n/translation_helper.h"
#include "keys/key_binding.h"
#include "overlay/grouped_shortcuts.h"
#include "overlay/overlay_view.h"
#include "overlay/overlay_window_controller.h"
#include "settings/settings.h"
#include "shell/overlay/overlay_widget.h"
#include "shell/qt/qt_image.h"
#include "sources/menu_bar/menu_bar_source.h"
#include "sources/system/system_shortcuts.h"

namespace {

constexpr int kUsageError = 2;

struct Options {
  bool zh = false;
  double width = 1440;
  double height = 900;
  std::optional<std::string> app;
  std::optional<std::string> icon;
  int scroll = 0;
  std::optional<QColor> page;
  tavrine::OverlayStyle style;
  tavrine::Desktop desktop = tavrine::Desktop::macOS;
  std::vector<tavrine::ShortcutItem> bound;
  bool light = false;
  int percent = 100;
  std::string menuFile;
  std::string output;
};

int usage(const char* why) {
  std::fprintf(
      stderr,
      "tavrine-preview: %s\n"
      "usage: tavrine-preview [--zh] [--size WxH] [--app NAME] [--icon IMAGE] [--scroll Y] "
      "[--page COLOR] [--desktop macos|gnome|kde|xfce|linux] [--light] [--percent N] "
      "[--bound ACCEL=TITLE]... MENUFILE OUT.png\n",
      why);
  return kUsageError;
}

// "1440x900" with both sides positive and sensible for a screen.
bool parseSize(const std::string& text, double& width, double& height) {
  int w = 0;
  int h = 0;
  char x = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &extra) != 3 || x != 'x') return false;
  if (w <= 0 || h <= 0 || w > 16384 || h > 16384) return false;
  width = w;
  height = h;
  return true;
}

std::optional<Options> parseArguments(const std::vector<std::string>& args, int& status) {
  Options options;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--zh") {
      options.zh = true;
    } else if (arg == "--light") {
      options.light = true;
    } else if (arg == "--percent") {
      char extra = 0;
      if (!hasValue || std::sscanf(args[++i].c_str(), "%d%c", &options.percent, &extra) != 1 ||
          options.percent < tavrine::settings::Settings::kMinSizePercent ||
          options.percent > tavrine::settings::Settings::kMaxSizePercent) {
        status = usage("--percent needs a size from 80 to 150");
        return std::nullopt;
      }
    } else if (arg == "--size") {
      if (!hasValue || !parseSize(args[++i], options.width, options.height)) {
        status = usage("--size needs WxH, such as 1440x900");
        return std::nullopt;
      }
    } else if (arg == "--app") {
      if (!hasValue) {
        status = usage("--app needs a name");
        return std::nullopt;
      }
      options.app = args[++i];
    } else if (arg == "--icon") {
      if (!hasValue) {
        status = usage("--icon needs an image file");
        return std::nullopt;
      }
      options.icon = args[++i];
    } else if (arg == "--scroll") {
      char extra = 0;
      if (!hasValue || std::sscanf(args[++i].c_str(), "%d%c", &options.scroll, &extra) != 1 ||
          options.scroll < 0) {
        status = usage("--scroll needs a number of points, 0 or more");
        return std::nullopt;
      }
    } else if (arg == "--page") {
      const QColor color =
          hasValue ? QColor::fromString(QString::fromStdString(args[++i])) : QColor();
      if (!color.isValid()) {
        status = usage("--page needs a colour, such as white or #f0f0f0");
        return std::nullopt;
      }
      options.page = color;
    } else if (arg == "--desktop") {
      static const std::pair<const char*, tavrine::Desktop> kDesktops[] = {
          {"macos", tavrine::Desktop::macOS},
          {"gnome", tavrine::Desktop::gnome},
          {"kde", tavrine::Desktop::kde},
          {"xfce", tavrine::Desktop::xfce},
          {"linux", tavrine::Desktop::otherLinux}};
      const auto* found = hasValue
                              ? std::find_if(std::begin(kDesktops), std::end(kDesktops),
                                             [&](const auto& d) { return args[i + 1] == d.first; })
                              : std::end(kDesktops);
      if (found == std::end(kDesktops)) {
        status = usage("--desktop needs macos, gnome, kde, xfce or linux");
        return std::nullopt;
      }
      ++i;
      options.style = {found->second == tavrine::Desktop::macOS ? tavrine::KeyCapStyle::glyphs
                                                                : tavrine::KeyCapStyle::words};
      options.desktop = found->second;
    } else if (arg == "--bound") {
      const std::string binding = hasValue ? args[++i] : std::string();
      const std::size_t equals = binding.find('=');
      const std::optional<tavrine::KeyChord> chord =
          equals == std::string::npos
              ? std::nullopt
              : tavrine::keys::parseGtkAccelerator(binding.substr(0, equals));
      if (!chord || equals + 1 == binding.size()) {
        status = usage("--bound needs ACCEL=TITLE, such as \"<Primary><Alt>t=Launch Terminal\"");
        return std::nullopt;
      }
      options.bound.emplace_back("Desktop", binding.substr(equals + 1), *chord,
                                 tavrine::ShortcutOrigin{"desktop", "", ""});
    } else if (arg.size() > 1 && arg[0] == '-') {
      status = usage(("unknown option " + arg).c_str());
      return std::nullopt;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) {
    status = usage("expected a menu file and an output file");
    return std::nullopt;
  }
  options.menuFile = positional[0];
  options.output = positional[1];
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  // No display needed unless the caller asks for one.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);

  std::vector<std::string> args;
  for (const QString& arg : QCoreApplication::arguments().mid(1))
    args.push_back(arg.toStdString());
  int status = 0;
  const std::optional<Options> options = parseArguments(args, status);
  if (!options) return status;

  const tavrine::ax::MenuTreeParse parsed = tavrine::ax::loadMenuTree(options->menuFile);
  if (!parsed.tree) {
    std::fprintf(stderr, "%s\n", parsed.error.c_str());
    return 1;
  }
  // The program's sources, with the menu bar read from the file.
  tavrine::ax::MemoryAccessibility accessibility;
  constexpr std::int32_t kPid = 1;
  accessibility.add(kPid, parsed.tree);
  tavrine::FrontApplication front;
  front.pid = kPid;
  front.isZH = options->zh;
  const tavrine::MergedShortcuts shortcuts =
      tavrine::mergeShortcuts({std::make_shared<tavrine::MenuBarSource>(accessibility),
                               std::make_shared<tavrine::SystemShortcuts>(options->desktop)},
                              front);

  tavrine::ImageRef icon;
  if (options->icon) {
    const QImage image(QString::fromStdString(*options->icon));
    if (image.isNull()) {
      std::fprintf(stderr, "%s: not a readable image\n", options->icon->c_str());
      return 1;
    }
    icon = std::make_shared<tavrine::qt::QtImage>(QIcon(QPixmap::fromImage(image)));
  }

  tavrine::TranslationHelper translation;
  translation.setIsZH(options->zh);
  const std::string appName =
      options->app.value_or(std::filesystem::path(options->menuFile).stem().string());
  std::vector<tavrine::ShortcutItem> system = options->bound;
  system.insert(system.end(), shortcuts.system.begin(), shortcuts.system.end());
  auto view = std::make_shared<tavrine::OverlayView>(
      appName, tavrine::groupByMenu(shortcuts.application), translation, options->style, system,
      std::string(), icon);

  const tavrine::Rect screen{{0, 0}, {options->width, options->height}};
  const double scale = options->percent / 100.0;
  const tavrine::Rect frame = tavrine::OverlayWindowController::panelFrame(screen, scale);
  tavrine::qt::OverlayWidget widget(view);
  widget.setLook(!options->light, scale);
  widget.resize(static_cast<int>(frame.width()), static_cast<int>(frame.height()));
  // A hidden widget gets its resize only when rendered: deliver it now, so that the scroll range
  // is the panel's and not that of the widget's first size.
  QResizeEvent resized(widget.size(), QSize());
  QCoreApplication::sendEvent(&widget, &resized);
  widget.scrollTo(options->scroll);
  QImage image = widget.renderImage();
  if (options->page) {
    // The screen as a user sees it: the page, and the panel over it where the controller puts it
    // (its frame counts from the lower left).
    QImage screenImage(static_cast<int>(options->width), static_cast<int>(options->height),
                       QImage::Format_ARGB32_Premultiplied);
    screenImage.fill(*options->page);
    QPainter(&screenImage).drawImage(QPointF(frame.minX(), options->height - frame.maxY()), image);
    image = screenImage;
  }
  if (!image.save(QString::fromStdString(options->output), "PNG")) {
    std::fprintf(stderr, "%s: cannot write the image\n", options->output.c_str());
    return 1;
  }
  std::printf("%s: %zu shortcuts in %zu menus, %dx%d\n", options->output.c_str(),
              shortcuts.application.size(), view->groupedShortcuts().size(), image.width(),
              image.height());
  return 0;
}
