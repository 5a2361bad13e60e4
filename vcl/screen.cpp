#include "vcl/screen.h"

#include <algorithm>

namespace vcl {
namespace {

bool Contains(const TRect& outer, TPoint p) {
  return p.x >= outer.left && p.x < outer.Right() && p.y >= outer.top && p.y < outer.Bottom();
}

bool Contains(const TRect& outer, const TRect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.Right() <= outer.Right() &&
         inner.Bottom() <= outer.Bottom();
}

// Squared distance from a point to the nearest pixel of a rectangle.
long long DistanceSquared(const TRect& r, TPoint p) {
  const long long dx = p.x < r.left ? r.left - p.x : (p.x >= r.Right() ? p.x - (r.Right() - 1) : 0);
  const long long dy = p.y < r.top ? r.top - p.y : (p.y >= r.Bottom() ? p.y - (r.Bottom() - 1) : 0);
  return dx * dx + dy * dy;
}

// The work area, kept within its monitor: a system may report a stale one that reaches past
// the monitor after the display changed size (Wine does).
TRect UsableArea(const TMonitorInfo& monitor) {
  const TRect& w = monitor.workArea;
  const TRect& b = monitor.bounds;
  const int left = std::max(w.left, b.left), top = std::max(w.top, b.top);
  const int right = std::min(w.Right(), b.Right()), bottom = std::min(w.Bottom(), b.Bottom());
  if (right <= left || bottom <= top) return b;
  return {left, top, right - left, bottom - top};
}

// The start of a span of `size` inside [low, high), as near to `start` as possible; the low
// end wins when the span does not fit.
int Clamp(int start, int size, int low, int high) {
  return std::max(low, std::min(start, high - size));
}

}  // namespace

int NearestMonitor(const std::vector<TMonitorInfo>& monitors, TPoint point) {
  int best = -1;
  long long bestDistance = 0;
  for (size_t i = 0; i < monitors.size(); ++i) {
    if (Contains(monitors[i].bounds, point)) return static_cast<int>(i);
    const long long distance = DistanceSquared(monitors[i].bounds, point);
    if (best < 0 || distance < bestDistance) {
      best = static_cast<int>(i);
      bestDistance = distance;
    }
  }
  return best;
}

TRect KeepInWorkArea(const TRect& wanted, const std::vector<TMonitorInfo>& monitors) {
  for (const TMonitorInfo& monitor : monitors) {
    if (Contains(UsableArea(monitor), wanted)) return wanted;
  }
  const int nearest = NearestMonitor(monitors, {wanted.left, wanted.top});
  if (nearest < 0) return wanted;
  const TRect area = UsableArea(monitors[static_cast<size_t>(nearest)]);
  TRect placed = wanted;
  placed.left = Clamp(wanted.left, wanted.width, area.left, area.Right());
  placed.top = Clamp(wanted.top, wanted.height, area.top, area.Bottom());
  return placed;
}

}  // namespace vcl
