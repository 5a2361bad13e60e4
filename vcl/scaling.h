#pragma once
// The form's scaling rule, as pure functions: the layout is given for 96 DPI and a form text
// height of 13 pixels.
namespace vcl {

// Rounds v * num / den to the nearest integer, halves away from zero (as MulDiv does).
int MulDivRound(int v, int num, int den);

struct LayoutScale {
  int num = 1;
  int den = 1;
  int Apply(int v) const { return MulDivRound(v, num, den); }
  // From scaled pixels back to layout pixels.
  int Unapply(int v) const { return MulDivRound(v, den, num); }
  bool operator==(const LayoutScale&) const = default;
};

// The form font's height at a resolution: scaled by dpi / 96.
int ScaleFontHeight(int height96, int dpi);

// Given the text height of the form font scaled to the screen's DPI, the factor for positions,
// sizes, control font heights and the client size: new text height / 13, or 1 when it is 13.
LayoutScale FormLayoutScale(int scaledTextHeight);

}  // namespace vcl
