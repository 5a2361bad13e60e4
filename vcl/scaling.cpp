#include "vcl/scaling.h"

#include <cstdint>

namespace vcl {

int MulDivRound(int v, int num, int den) {
  if (den == 0) return -1;
  const int64_t product = static_cast<int64_t>(v) * num;
  const int64_t half = (den < 0 ? -den : den) / 2;
  const bool negative = (product < 0) != (den < 0);
  const int64_t magnitude = ((product < 0 ? -product : product) + half) / (den < 0 ? -den : den);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

int ScaleFontHeight(int height96, int dpi) {
  return MulDivRound(height96, dpi, 96);
}

LayoutScale FormLayoutScale(int scaledTextHeight) {
  constexpr int kDesignTextHeight = 13;
  if (scaledTextHeight == kDesignTextHeight || scaledTextHeight <= 0) return {1, 1};
  return {scaledTextHeight, kDesignTextHeight};
}

}  // namespace vcl
