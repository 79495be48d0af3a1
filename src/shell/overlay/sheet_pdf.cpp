// SPDX-License-Identifier: MIT
#include "shell/overlay/sheet_pdf.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "shell/qt/qt_text_measurer.h"

namespace tavrine::qt {
namespace {

constexpr double kMargin = 40;  // points
constexpr double kColumnGap = 18;
constexpr double kIconSize = 28;
constexpr double kRowGap = 2;
constexpr double kHeadingGap = 9;
const QColor kText(20, 20, 20);
const QColor kMuted(110, 110, 110);
const QColor kCapFill(232, 232, 232);

// Places rows down the columns of a page, and pages after it.
class Flow {
 public:
  Flow(QPdfWriter& writer, int columns) : writer_(writer), columns_(columns) {
    const QRectF page(QPointF(0, 0), writer.pageLayout().paintRect(QPageLayout::Point).size());
    area_ = page.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    columnWidth_ = (area_.width() - kColumnGap * (columns_ - 1)) / columns_;
  }

  QRectF area() const { return area_; }
  void startBelow(double y) {
    top_ = y;
    y_ = y;
  }

  // A line of `height` at the cursor, moving to the next column or page when it does not fit;
  // `keep` more points must fit below it too (a heading keeps its first row).
  QRectF take(double height, double keep = 0) {
    if (y_ + height + keep > area_.bottom() && y_ > top_) next();
    const QRectF line(area_.left() + column_ * (columnWidth_ + kColumnGap), y_, columnWidth_,
                      height);
    y_ += height;
    return line;
  }
  void skip(double height) {
    if (y_ > top_) y_ += height;
  }

 private:
  void next() {
    if (++column_ >= columns_) {
      column_ = 0;
      writer_.newPage();
      top_ = area_.top();
    }
    y_ = top_;
  }

  QPdfWriter& writer_;
  int columns_;
  QRectF area_;
  double columnWidth_ = 0;
  double top_ = 0;
  double y_ = 0;
  int column_ = 0;
};

QFont font(double points, QFont::Weight weight, bool monospace = false) {
  QFont f = monospace ? QFont(QStringLiteral("monospace")) : QFont();
  if (monospace) f.setStyleHint(QFont::Monospace);
  f.setPointSizeF(points);
  f.setWeight(weight);
  return f;
}

void drawRow(QPainter& painter, const QRectF& line, const exported::Row& row) {
  const QFont titleFont = font(8.5, QFont::Normal);
  const QFont capFont = font(7.5, QFont::Normal, true);
  const QFontMetricsF capMetrics(capFont);
  // The caps from the trailing edge, each in a light box; several shortcuts with a "/" between.
  double x = line.right();
  const double capHeight = capMetrics.height() + 2;
  const double capTop = line.center().y() - capHeight / 2;
  painter.setFont(capFont);
  for (auto shortcut = row.keys.rbegin(); shortcut != row.keys.rend(); ++shortcut) {
    if (shortcut != row.keys.rbegin()) {
      const QString slash = QStringLiteral("/");
      const double width = capMetrics.horizontalAdvance(slash) + 4;
      x -= width;
      painter.setPen(kText);
      painter.drawText(QRectF(x, capTop, width, capHeight), Qt::AlignCenter, slash);
      x -= 2;
    }
    for (auto cap = shortcut->rbegin(); cap != shortcut->rend(); ++cap) {
      const QString text = toQString(*cap);
      const double width = std::max(capHeight, capMetrics.horizontalAdvance(text) + 6);
      x -= width;
      const QRectF box(x, capTop, width, capHeight);
      painter.setPen(Qt::NoPen);
      painter.setBrush(kCapFill);
      painter.drawRoundedRect(box, 2.5, 2.5);
      painter.setPen(kText);
      painter.drawText(box, Qt::AlignCenter, text);
      x -= 2;
    }
  }
  painter.setFont(titleFont);
  const QFontMetricsF titleMetrics(titleFont);
  const double room = std::max(0.0, x - line.left() - 6);
  painter.setPen(kText);
  painter.drawText(QRectF(line.left(), line.top(), room, line.height()),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   titleMetrics.elidedText(toQString(row.title), Qt::ElideRight, room));
}

void drawSections(QPainter& painter, Flow& flow, const std::vector<exported::Section>& sections) {
  const QFont headingFont = font(7.5, QFont::Bold);
  const double headingHeight = QFontMetricsF(headingFont).height();
  const double rowHeight = QFontMetricsF(font(8.5, QFont::Normal)).height() + 3 + kRowGap;
  for (const exported::Section& section : sections) {
    flow.skip(kHeadingGap);
    const QRectF line = flow.take(headingHeight + 2, section.rows.empty() ? 0 : rowHeight);
    painter.setFont(headingFont);
    painter.setPen(kMuted);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignTop, toQString(section.heading));
    for (const exported::Row& row : section.rows)
      drawRow(painter, flow.take(rowHeight), row);
  }
}

}  // namespace

QPageSize::PageSizeId defaultSheetPageSize() {
  return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                            : QPageSize::A4;
}

bool writeSheetPdf(const exported::Document& sheet, const QIcon& icon, const QString& path,
                   QPageSize::PageSizeId pageSize, int columns) {
  QPdfWriter writer(path);
  writer.setPageSize(QPageSize(pageSize));
  writer.setResolution(72);  // painter units are points
  writer.setTitle(toQString(sheet.appName + " — " + sheet.headerLabel));
  writer.setCreator(QStringLiteral("Tavrine"));
  QPainter painter;
  if (!painter.begin(&writer)) return false;
  painter.setRenderHint(QPainter::Antialiasing);

  Flow flow(writer, std::max(1, columns));
  const QRectF area = flow.area();
  double x = area.left();
  if (!icon.isNull()) {
    icon.paint(&painter, QRectF(x, area.top(), kIconSize, kIconSize).toRect());
    x += kIconSize + 10;
  }
  const QFont nameFont = font(18, QFont::Bold);
  painter.setFont(nameFont);
  painter.setPen(kText);
  const QString name = toQString(sheet.appName);
  const QRectF nameBox(x, area.top(), area.right() - x, kIconSize);
  painter.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, name);
  x += QFontMetricsF(nameFont).horizontalAdvance(name) + 10;
  painter.setFont(font(11, QFont::Normal));
  painter.setPen(kMuted);
  painter.drawText(QRectF(x, area.top(), area.right() - x, kIconSize),
                   Qt::AlignLeft | Qt::AlignVCenter, toQString(sheet.headerLabel));
  const double ruleY = area.top() + kIconSize + 8;
  painter.fillRect(QRectF(area.left(), ruleY, area.width(), 0.75), kMuted);

  flow.startBelow(ruleY + 4);
  drawSections(painter, flow, sheet.application);
  if (!sheet.system.empty()) {
    flow.skip(14);
    const QFont labelFont = font(10, QFont::Bold);
    const QRectF line = flow.take(QFontMetricsF(labelFont).height() + 2, 30);
    painter.setFont(labelFont);
    painter.setPen(kText);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignTop, toQString(sheet.systemLabel));
    drawSections(painter, flow, sheet.system);
  }
  return painter.end();
}

}  // namespace tavrine::qt
