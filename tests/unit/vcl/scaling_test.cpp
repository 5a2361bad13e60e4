#include "vcl/scaling.h"

#include <gtest/gtest.h>

namespace vcl {
namespace {

TEST(Scaling, FontHeightFollowsTheDpi) {
  const struct {
    int height, dpi, expected;
  } cases[] = {{-11, 96, -11}, {-11, 120, -14}, {-11, 144, -17}, {-11, 192, -22}, {-16, 144, -24}};
  for (const auto& c : cases) {
    EXPECT_EQ(ScaleFontHeight(c.height, c.dpi), c.expected) << c.height << " at " << c.dpi;
  }
}

TEST(Scaling, LayoutScalesOnlyWhenTheTextHeightDiffersFrom13) {
  EXPECT_EQ(FormLayoutScale(13), (LayoutScale{1, 1}));
  const LayoutScale at144 = FormLayoutScale(20);
  EXPECT_EQ(at144, (LayoutScale{20, 13}));
  // 232 x 73 client area and a control at (178, 1) 55 x 32.
  EXPECT_EQ(at144.Apply(232), 357);
  EXPECT_EQ(at144.Apply(73), 112);
  EXPECT_EQ(at144.Apply(178), 274);
  EXPECT_EQ(at144.Unapply(at144.Apply(55)), 55);
}

TEST(Scaling, MulDivRoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDivRound(3, 1, 2), 2);
  EXPECT_EQ(MulDivRound(-3, 1, 2), -2);
  EXPECT_EQ(MulDivRound(5, 3, 4), 4);
  EXPECT_EQ(MulDivRound(1, 1, 0), -1);
}

}  // namespace
}  // namespace vcl
