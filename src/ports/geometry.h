// SPDX-License-Identifier: MIT
// Plain geometry in points. Screen rectangles have their origin at the lower left, as the
// window server reports them; layout rectangles inside a view have it at the top left.
#pragma once

namespace tavrine {

struct Point {
  double x = 0;
  double y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  double width = 0;
  double height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  Point origin;
  Size size;

  double width() const { return size.width; }
  double height() const { return size.height; }
  double minX() const { return origin.x; }
  double minY() const { return origin.y; }
  double maxX() const { return origin.x + size.width; }
  double maxY() const { return origin.y + size.height; }
  double midX() const { return origin.x + size.width / 2; }
  double midY() const { return origin.y + size.height / 2; }
  bool intersects(const Rect& o) const {
    return minX() < o.maxX() && o.minX() < maxX() && minY() < o.maxY() && o.minY() < maxY();
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace tavrine
