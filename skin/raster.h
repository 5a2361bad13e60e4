#pragma once
// A small anti-aliased rasteriser for the skin's shapes (rounded rectangles, circles, lines,
// triangles) and the procedural wood grain. Platform-free: the win32 painters blit the pixels
// and draw the text on top.
#include <cstdint>
#include <vector>

#include "skin/frame_layout.h"
#include "skin/skin.h"

namespace skin {

// Top-down 32-bit pixels, 0x00RRGGBB: the layout of a 32-bit DIB section.
class PixelBuffer {
 public:
  PixelBuffer(int width, int height, Rgb fill = {});
  int Width() const { return width_; }
  int Height() const { return height_; }
  const uint32_t* Data() const { return pixels_.data(); }
  Rgb At(int x, int y) const;
  void Set(int x, int y, Rgb c);
  // Mixes a colour into a pixel with a coverage of 0 to 1; outside the buffer does nothing.
  void Blend(int x, int y, Rgb c, double coverage);

  void Fill(const Rect& r, Rgb c);
  // Top colour on the first row of r, bottom colour on its last row.
  void FillVerticalGradient(const Rect& r, Rgb top, Rgb bottom);

  // Shapes with anti-aliased edges; coordinates in pixels, shapes given by their bounding box
  // (a circle is a rounded rectangle whose radius is half its size).
  void FillRoundRect(const Rect& r, double radius, Rgb top, Rgb bottom, double opacity = 1);
  void StrokeRoundRect(const Rect& r, double radius, double width, Rgb c, double opacity = 1);
  void FillCircle(const Rect& r, Rgb top, Rgb bottom);
  void StrokeCircle(const Rect& r, double width, Rgb c);
  // A line of the given width with round ends, between pixel-centre coordinates.
  void DrawLine(double x0, double y0, double x1, double y1, double width, Rgb c);
  void FillTriangle(double x0, double y0, double x1, double y1, double x2, double y2, Rgb c);

 private:
  template <class Coverage>
  void Shade(const Rect& bounds, Coverage coverage, Rgb top, Rgb bottom, int gradTop,
             int gradBottom);
  int width_;
  int height_;
  std::vector<uint32_t> pixels_;
};

Rgb Mix(Rgb a, Rgb b, double t);

// Wood grain running along x over the rectangle r of the buffer. originX/originY place r in a
// larger wood surface (window coordinates), so neighbouring pieces continue one another; the
// grain's own scale follows the DPI.
void FillWood(PixelBuffer& buffer, const Rect& r, int originX, int originY, int dpi,
              const FormSection& form);

}  // namespace skin
