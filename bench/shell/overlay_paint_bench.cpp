// SPDX-License-Identifier: MIT
// The first paint of an overlay with 2,000 shortcuts, offscreen: the painted layout against a
// baseline built the obvious way (a label per title and per cap in a grid inside a scroll area),
// measured in the same run. The overlay should be an order of magnitude faster and fit easily in
// one 16.7 ms frame.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "i18n/translation_helper.h"
#include "overlay/grouped_shortcuts.h"
#include "overlay/overlay_view.h"
#include "overlay/overlay_window_controller.h"
#include "shell/overlay/overlay_widget.h"
#include "sources/system/system_shortcuts.h"

namespace {

using tavrine::OverlayView;
using tavrine::ShortcutItem;
using tavrine::ShortcutRow;

constexpr int kColumns = 4;
constexpr int kCellSpan = 5;  // a title and at most four caps

// 2,000 records in 25 menus of 80, with one to four caps each.
std::shared_ptr<OverlayView> makeView(std::size_t records, tavrine::TranslationHelper& t) {
  using tavrine::KeyChord;
  static constexpr std::array<unsigned, 4> modifiers = {
      KeyChord::kPrimary, KeyChord::kShift | KeyChord::kPrimary,
      KeyChord::kAlt | KeyChord::kPrimary,
      KeyChord::kControl | KeyChord::kAlt | KeyChord::kShift | KeyChord::kPrimary};
  std::vector<tavrine::ShortcutEntry> items;
  items.reserve(records);
  for (std::size_t i = 0; i < records; ++i) {
    items.emplace_back(
        ShortcutItem("Menu " + std::to_string(i / 80), "Command number " + std::to_string(i),
                     KeyChord::make(modifiers[i % 4], std::string(1, char('A' + i % 26)))));
  }
  return std::make_shared<OverlayView>(
      "Large Application", tavrine::groupByMenu(items), t, tavrine::OverlayStyle{},
      tavrine::SystemShortcuts::catalogue(tavrine::Desktop::macOS));
}

QSize panelSize() {
  const tavrine::Rect frame = tavrine::OverlayWindowController::panelFrame({{0, 0}, {1440, 900}});
  return {static_cast<int>(frame.width()), static_cast<int>(frame.height())};
}

void BM_OverlayFirstPaint(benchmark::State& state) {
  tavrine::TranslationHelper t;
  const auto view = makeView(static_cast<std::size_t>(state.range(0)), t);
  for (auto _ : state) {
    tavrine::qt::OverlayWidget widget(view);
    widget.resize(panelSize());
    const QImage image = widget.renderImage();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_OverlayFirstPaint)->Arg(60)->Arg(2000)->Unit(benchmark::kMillisecond);

// The paint alone, of a panel laid out before (as a prepared panel is), against copying the
// painted image: what painting ahead of the show saves the first frame.
void BM_OverlayPaintLaidOut(benchmark::State& state) {
  tavrine::TranslationHelper t;
  tavrine::qt::OverlayWidget widget(makeView(static_cast<std::size_t>(state.range(0)), t));
  widget.resize(panelSize());
  widget.renderImage();
  for (auto _ : state) {
    const QImage image = widget.renderImage();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_OverlayPaintLaidOut)->Arg(60)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_PaintedImageCopy(benchmark::State& state) {
  tavrine::TranslationHelper t;
  tavrine::qt::OverlayWidget widget(makeView(60, t));
  widget.resize(panelSize());
  const QImage painted = widget.renderImage();
  QImage target(painted.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    target.fill(Qt::transparent);
    QPainter painter(&target);
    painter.drawImage(0, 0, painted);
    benchmark::DoNotOptimize(target.constBits());
  }
}
BENCHMARK(BM_PaintedImageCopy)->Unit(benchmark::kMillisecond);

void addRow(QGridLayout& grid, int line, int column, const ShortcutRow& row) {
  auto* title = new QLabel(QString::fromStdString(row.title));
  title->setTextFormat(Qt::PlainText);
  grid.addWidget(title, line, column * kCellSpan);
  int cell = 1;
  for (const std::string& key : row.keyGroups().front()) {
    auto* cap = new QLabel(QString::fromStdString(key));
    cap->setTextFormat(Qt::PlainText);
    cap->setProperty("cap", true);
    grid.addWidget(cap, line, column * kCellSpan + cell++);
  }
}

// The same content as labels: headings across the grid, rows four to a line.
std::unique_ptr<QScrollArea> makeLabelGrid(const OverlayView& view) {
  auto area = std::make_unique<QScrollArea>();
  auto* content = new QWidget;
  content->setStyleSheet(QStringLiteral(
      "QWidget { background: rgb(28, 28, 32); color: rgba(255, 255, 255, 217); }"
      "QLabel[cap=\"true\"] { background: rgba(255, 255, 255, 31); border-radius: 5px;"
      "  padding: 3px 6px; font-family: monospace; }"));
  auto* grid = new QGridLayout(content);
  int line = 0;
  const auto section = [&](const QString& heading, std::size_t count, const auto& rowAt) {
    grid->addWidget(new QLabel(heading), line++, 0, 1, kColumns * kCellSpan);
    for (std::size_t i = 0; i < count; ++i) {
      addRow(*grid, line, static_cast<int>(i % kColumns), rowAt(i));
      if (i % kColumns == kColumns - 1 || i + 1 == count) ++line;
    }
  };
  for (const OverlayView::Group* group : view.sortedGroups()) {
    section(QString::fromStdString(view.appHeading(group->first)), group->second.size(),
            [&](std::size_t i) { return view.appRow(group->second[i]); });
  }
  for (const tavrine::ShortcutGroup& group : view.systemGroups()) {
    section(QString::fromStdString(view.systemHeading(group)), group.items.size(),
            [&](std::size_t i) { return view.systemRow(group.items[i]); });
  }
  area->setWidget(content);
  area->setWidgetResizable(true);
  return area;
}

void BM_LabelGridFirstGrab(benchmark::State& state) {
  tavrine::TranslationHelper t;
  const auto view = makeView(static_cast<std::size_t>(state.range(0)), t);
  for (auto _ : state) {
    const std::unique_ptr<QScrollArea> area = makeLabelGrid(*view);
    area->resize(panelSize());
    const QPixmap pixmap = area->grab();
    benchmark::DoNotOptimize(pixmap.cacheKey());
  }
}
BENCHMARK(BM_LabelGridFirstGrab)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
