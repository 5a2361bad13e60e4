// The skinned frame's layout and hit-testing, and the DPI scaling of its metrics.
#include <gtest/gtest.h>

#include "skin/frame_layout.h"

namespace skin::testing {
namespace {

TEST(SkinScale, RoundsHalvesAwayFromZeroAsMulDiv) {
  const struct {
    int v, dpi, expected;
  } cases[] = {{8, 96, 8},      {8, 144, 12}, {30, 144, 45}, {30, 192, 60},
               {1, 120, 1},     {3, 120, 4},  {5, 144, 8},   {-12, 144, -18},
               {-11, 144, -17}, {0, 144, 0},  {26, 120, 33}, {7, 72, 5}};
  for (const auto& c : cases) {
    EXPECT_EQ(Scale(c.v, c.dpi), c.expected) << c.v << " at " << c.dpi;
  }
}

TEST(FrameLayout, TheDesignOuterSizeLeavesTheDesignClientArea) {
  const FormSection form;
  // The tray's "显示" puts the window at 248 x 111; the client area is 232 x 73.
  const FrameLayout l = LayoutFrame(248, 111, 96, form, {}, true);
  EXPECT_EQ(l.client, (Rect{8, 30, 240, 103}));
  EXPECT_EQ(l.client.Width(), 232);
  EXPECT_EQ(l.client.Height(), 73);
  EXPECT_EQ(FrameInsets(form, 96), (Insets{8, 30, 8, 8}));
  EXPECT_EQ(FrameInsets(form, 144), (Insets{12, 45, 12, 12}));
  EXPECT_EQ(FrameInsets(form, 192), (Insets{16, 60, 16, 16}));
}

TEST(FrameLayout, EveryPartFitsTheTitleBarAtEveryDpi) {
  const FormSection form;
  for (int dpi : {96, 120, 144, 192}) {
    SCOPED_TRACE(dpi);
    const Insets in = FrameInsets(form, dpi);
    const int width = Scale(232, dpi) + in.left + in.right;
    const int height = Scale(73, dpi) + in.top + in.bottom;
    const FrameLayout l = LayoutFrame(width, height, dpi, form, {}, true);
    for (const Rect& r : {l.icon, l.minimize, l.close}) {
      EXPECT_FALSE(r.Empty());
      EXPECT_GE(r.top, 1);
      EXPECT_LE(r.bottom, l.client.top - 1);  // clear of the client's edge line
      EXPECT_GE(r.left, 1);
      EXPECT_LE(r.right, width - 1);
    }
    EXPECT_EQ(l.icon.Width(), Scale(16, dpi));
    EXPECT_EQ(l.close.Width(), Scale(26, dpi));
    EXPECT_LT(l.icon.right, l.text.left);
    EXPECT_LT(l.text.right, l.minimize.left);
    EXPECT_LT(l.minimize.right, l.close.left);
    EXPECT_EQ(l.close.top, l.minimize.top);
  }
}

TEST(FrameLayout, HitTestingMatchesWhatIsDrawn) {
  const FormSection form;
  const FrameLayout l = LayoutFrame(248, 111, 96, form, {}, true);
  auto centre = [](const Rect& r) { return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
  const struct {
    const char* what;
    Point p;
    FrameHit hit;
  } cases[] = {
      {"client centre", centre(l.client), FrameHit::kClient},
      {"client top-left pixel", {8, 30}, FrameHit::kClient},
      {"client bottom-right pixel", {239, 102}, FrameHit::kClient},
      {"close button", centre(l.close), FrameHit::kClose},
      {"close button's last pixel", {l.close.right - 1, l.close.bottom - 1}, FrameHit::kClose},
      {"minimize button", centre(l.minimize), FrameHit::kMinimize},
      {"between the buttons", {l.minimize.right, centre(l.close).y}, FrameHit::kCaption},
      {"icon", centre(l.icon), FrameHit::kSystemMenu},
      {"caption text", centre(l.text), FrameHit::kCaption},
      {"top-left corner", {0, 0}, FrameHit::kCaption},
      {"top edge above the close button", {centre(l.close).x, 0}, FrameHit::kCaption},
      {"left edge", {0, 60}, FrameHit::kBorder},
      {"right edge", {247, 60}, FrameHit::kBorder},
      {"bottom edge", {120, 110}, FrameHit::kBorder},
      {"bottom-right corner", {247, 110}, FrameHit::kBorder},
      {"just right of the client", {240, 60}, FrameHit::kBorder},
      {"outside", {248, 60}, FrameHit::kNowhere},
      {"above", {10, -1}, FrameHit::kNowhere},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HitTestFrame(l, c.p), c.hit) << c.what;
  }
}

TEST(FrameLayout, WindowsWithoutMinimizeOrIconLeaveThoseOut) {
  const FormSection form;
  const FrameLayout l = LayoutFrame(300, 150, 96, form, {false, true}, false);
  EXPECT_TRUE(l.minimize.Empty());
  EXPECT_TRUE(l.icon.Empty());
  EXPECT_FALSE(l.close.Empty());
  EXPECT_EQ(HitTestFrame(l, {10, 15}), FrameHit::kCaption);
  EXPECT_LT(l.text.left, 16);
  // The text reaches up to the close button.
  EXPECT_GT(l.text.right, l.close.left - 10);
}

TEST(FrameLayout, ATinyWindowKeepsItsRectanglesOrdered) {
  const FormSection form;
  const FrameLayout l = LayoutFrame(10, 10, 96, form, {}, true);
  EXPECT_LE(l.client.left, l.client.right);
  EXPECT_LE(l.client.top, l.client.bottom);
  EXPECT_LE(l.text.left, l.text.right);
}

}  // namespace
}  // namespace skin::testing
