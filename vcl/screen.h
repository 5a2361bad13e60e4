#pragma once
// Monitors and their work areas, and keeping a window rectangle on them.
#include <vector>

#include "vcl/types.h"

namespace vcl {

// One monitor in screen pixels: its whole rectangle and the part not covered by taskbars.
struct TMonitorInfo {
  TRect bounds;
  TRect workArea;
  bool operator==(const TMonitorInfo&) const = default;
};

// The monitor nearest to a point: the one whose rectangle holds it, else the one at the
// smallest distance (the first of equals). -1 without monitors.
int NearestMonitor(const std::vector<TMonitorInfo>& monitors, TPoint point);

// A window rectangle that lies wholly inside the work area of some monitor is returned as it
// is. Otherwise it moves, keeping its size, to the nearest position inside the work area of the
// monitor nearest to its top-left corner; a rectangle larger than that work area keeps its
// top-left corner (with the caption) inside it.
TRect KeepInWorkArea(const TRect& wanted, const std::vector<TMonitorInfo>& monitors);

}  // namespace vcl
