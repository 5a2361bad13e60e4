#include "skin/raster.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace skin {
namespace {

double Clamp01(double v) {
  return v < 0 ? 0 : (v > 1 ? 1 : v);
}

uint32_t Pack(Rgb c) {
  return (static_cast<uint32_t>(c.r) << 16) | (static_cast<uint32_t>(c.g) << 8) | c.b;
}

// Signed distance from a point to a rounded box (negative inside).
double RoundBoxDistance(double px, double py, double cx, double cy, double halfW, double halfH,
                        double radius) {
  const double qx = std::fabs(px - cx) - (halfW - radius);
  const double qy = std::fabs(py - cy) - (halfH - radius);
  const double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
  return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0) - radius;
}

// Integer hash noise in [0, 1).
double Hash(int x, int y) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / static_cast<double>(0x1000000);
}

double SmoothNoise(double x, int row) {
  const double fx = std::floor(x);
  const double t = x - fx;
  const double s = t * t * (3 - 2 * t);
  const int ix = static_cast<int>(fx);
  return Hash(ix, row) * (1 - s) + Hash(ix + 1, row) * s;
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
  t = Clamp01(t);
  auto channel = [t](uint8_t x, uint8_t y) {
    return static_cast<uint8_t>(std::lround(x + (y - x) * t));
  };
  return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

PixelBuffer::PixelBuffer(int width, int height, Rgb fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_), Pack(fill)) {}

Rgb PixelBuffer::At(int x, int y) const {
  const uint32_t p = pixels_[static_cast<size_t>(y) * width_ + x];
  return {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)};
}

void PixelBuffer::Set(int x, int y, Rgb c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<size_t>(y) * width_ + x] = Pack(c);
}

void PixelBuffer::Blend(int x, int y, Rgb c, double coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || coverage <= 0) return;
  Set(x, y, coverage >= 1 ? c : Mix(At(x, y), c, coverage));
}

void PixelBuffer::Fill(const Rect& r, Rgb c) {
  for (int y = std::max(r.top, 0); y < std::min(r.bottom, height_); ++y) {
    for (int x = std::max(r.left, 0); x < std::min(r.right, width_); ++x) Set(x, y, c);
  }
}

void PixelBuffer::FillVerticalGradient(const Rect& r, Rgb top, Rgb bottom) {
  const int span = std::max(r.Height() - 1, 1);
  for (int y = std::max(r.top, 0); y < std::min(r.bottom, height_); ++y) {
    const Rgb c = Mix(top, bottom, static_cast<double>(y - r.top) / span);
    for (int x = std::max(r.left, 0); x < std::min(r.right, width_); ++x) Set(x, y, c);
  }
}

template <class Coverage>
void PixelBuffer::Shade(const Rect& bounds, Coverage coverage, Rgb top, Rgb bottom, int gradTop,
                        int gradBottom) {
  const int span = std::max(gradBottom - gradTop - 1, 1);
  for (int y = std::max(bounds.top, 0); y < std::min(bounds.bottom, height_); ++y) {
    const Rgb c = Mix(top, bottom, static_cast<double>(y - gradTop) / span);
    for (int x = std::max(bounds.left, 0); x < std::min(bounds.right, width_); ++x) {
      Blend(x, y, c, coverage(x + 0.5, y + 0.5));
    }
  }
}

void PixelBuffer::FillRoundRect(const Rect& r, double radius, Rgb top, Rgb bottom, double opacity) {
  const double halfW = r.Width() / 2.0, halfH = r.Height() / 2.0;
  const double cx = r.left + halfW, cy = r.top + halfH;
  radius = std::min({radius, halfW, halfH});
  Shade(
      r,
      [&](double px, double py) {
        return opacity * Clamp01(0.5 - RoundBoxDistance(px, py, cx, cy, halfW, halfH, radius));
      },
      top, bottom, r.top, r.bottom);
}

void PixelBuffer::StrokeRoundRect(const Rect& r, double radius, double width, Rgb c,
                                  double opacity) {
  const double halfW = r.Width() / 2.0, halfH = r.Height() / 2.0;
  const double cx = r.left + halfW, cy = r.top + halfH;
  radius = std::min({radius, halfW, halfH});
  Shade(
      r,
      [&](double px, double py) {
        const double d = RoundBoxDistance(px, py, cx, cy, halfW, halfH, radius);
        return opacity * (Clamp01(0.5 - d) - Clamp01(0.5 - (d + width)));
      },
      c, c, r.top, r.bottom);
}

void PixelBuffer::FillCircle(const Rect& r, Rgb top, Rgb bottom) {
  FillRoundRect(r, std::min(r.Width(), r.Height()) / 2.0, top, bottom);
}

void PixelBuffer::StrokeCircle(const Rect& r, double width, Rgb c) {
  StrokeRoundRect(r, std::min(r.Width(), r.Height()) / 2.0, width, c);
}

void PixelBuffer::DrawLine(double x0, double y0, double x1, double y1, double width, Rgb c) {
  const double half = width / 2;
  const Rect bounds{static_cast<int>(std::floor(std::min(x0, x1) - half - 1)),
                    static_cast<int>(std::floor(std::min(y0, y1) - half - 1)),
                    static_cast<int>(std::ceil(std::max(x0, x1) + half + 2)),
                    static_cast<int>(std::ceil(std::max(y0, y1) + half + 2))};
  const double dx = x1 - x0, dy = y1 - y0;
  const double length2 = std::max(dx * dx + dy * dy, 1e-9);
  // Pixel centres sit at +0.5; the line's ends are given as pixel-centre coordinates.
  Shade(
      bounds,
      [&](double px, double py) {
        px -= 0.5;
        py -= 0.5;
        const double t = Clamp01(((px - x0) * dx + (py - y0) * dy) / length2);
        const double ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
        return Clamp01(half + 0.5 - std::sqrt(ex * ex + ey * ey));
      },
      c, c, bounds.top, bounds.bottom);
}

void PixelBuffer::FillTriangle(double x0, double y0, double x1, double y1, double x2, double y2,
                               Rgb c) {
  const Rect bounds{static_cast<int>(std::floor(std::min({x0, x1, x2}))),
                    static_cast<int>(std::floor(std::min({y0, y1, y2}))),
                    static_cast<int>(std::ceil(std::max({x0, x1, x2}))) + 1,
                    static_cast<int>(std::ceil(std::max({y0, y1, y2}))) + 1};
  auto edge = [](double ax, double ay, double bx, double by, double px, double py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
  };
  const double area = edge(x0, y0, x1, y1, x2, y2);
  if (area == 0) return;
  // 4 x 4 samples per pixel: enough for the few small arrows the skin draws.
  Shade(
      bounds,
      [&](double px, double py) {
        int inside = 0;
        for (int sy = 0; sy < 4; ++sy) {
          for (int sx = 0; sx < 4; ++sx) {
            const double x = px - 0.5 + (sx + 0.5) / 4, y = py - 0.5 + (sy + 0.5) / 4;
            const double a = edge(x1, y1, x2, y2, x, y) / area;
            const double b = edge(x2, y2, x0, y0, x, y) / area;
            const double g = edge(x0, y0, x1, y1, x, y) / area;
            if (a >= 0 && b >= 0 && g >= 0) ++inside;
          }
        }
        return inside / 16.0;
      },
      c, c, bounds.top, bounds.bottom);
}

void FillWood(PixelBuffer& buffer, const Rect& r, int originX, int originY, int dpi,
              const FormSection& form) {
  constexpr double kPi = 3.14159265358979323846;
  const double unit = 96.0 / std::max(dpi, 1);  // one pixel in 96-DPI units
  const int left = std::max(r.left, 0), right = std::min(r.right, buffer.Width());
  const int top = std::max(r.top, 0), bottom = std::min(r.bottom, buffer.Height());
  if (left >= right || top >= bottom) return;
  // Grain lines run along the plank and wander slowly; the rings of the tree show as broad
  // light and dark bands, the fibres as fine streaks of varying length. What depends on the
  // position along the plank alone is worked out once per column.
  struct Column {
    double u, warp, twist;
  };
  std::vector<Column> columns(static_cast<size_t>(right - left));
  for (int x = left; x < right; ++x) {
    const double u = (x + originX + 0.5) * unit;
    columns[static_cast<size_t>(x - left)] = {u,
                                              2.4 * std::sin(u * 0.029 + 0.7) +
                                                  1.2 * std::sin(u * 0.077 + 2.1) +
                                                  0.5 * std::sin(u * 0.21 + 0.4),
                                              1.5 * std::sin(u * 0.013)};
  }
  for (int y = top; y < bottom; ++y) {
    const double v = (y + originY + 0.5) * unit;
    for (int x = left; x < right; ++x) {
      const Column& col = columns[static_cast<size_t>(x - left)];
      const double g = v + col.warp;
      const double ring = 0.5 + 0.5 * std::sin(g * 2 * kPi / 7.3 + col.twist);
      const double band = std::pow(ring, 1.8);
      const int row = static_cast<int>(std::floor(g * 1.6));
      const double fibre = SmoothNoise(col.u / 23.0 + row * 7.13, row);
      const double streak = SmoothNoise(col.u / 61.0 + row * 3.7, row + 9001);
      const double streak2 = streak * streak;
      const double line = streak2 * streak2 * streak2;
      const double t = 0.62 * band + 0.38 * fibre;
      Rgb c = Mix(form.woodLight, form.woodDark, t);
      c = Mix(c, form.grainLine, line * 0.85);
      buffer.Set(x, y, c);
    }
  }
}

}  // namespace skin
