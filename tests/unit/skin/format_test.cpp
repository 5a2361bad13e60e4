// The text format of external skins: what it accepts, and that anything it does not fully
// understand makes the whole file broken.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "skin/skin_format.h"

namespace skin::testing {
namespace {

TEST(SkinFormat, WritesEveryKeyAndReadsItBack) {
  Skin changed = WoodSkin();
  changed.form.client = {1, 2, 3};
  changed.form.titleHeight = 40;
  changed.menu.fontHeight = -14;
  changed.icoline.column = {250, 0, 128};
  for (const Skin& skin : {WoodSkin(), changed}) {
    const std::string text = FormatSkin(skin);
    const std::optional<Skin> back = ParseSkin(text);
    ASSERT_TRUE(back.has_value()) << text;
    EXPECT_EQ(FormatSkin(*back), text);
  }
  const std::optional<Skin> back = ParseSkin(FormatSkin(changed));
  EXPECT_EQ(back->form.client, (Rgb{1, 2, 3}));
  EXPECT_EQ(back->form.titleHeight, 40);
  EXPECT_EQ(back->menu.fontHeight, -14);
  EXPECT_EQ(back->icoline.column, (Rgb{250, 0, 128}));
}

TEST(SkinFormat, KeysLeftOutKeepTheWoodValues) {
  const std::optional<Skin> skin = ParseSkin("CountdownSkin 1\n[EDIT]\nBorder = #FF0000\n");
  ASSERT_TRUE(skin.has_value());
  EXPECT_EQ(skin->edit.border, (Rgb{255, 0, 0}));
  Skin expected = WoodSkin();
  expected.name.clear();
  expected.edit.border = {255, 0, 0};
  EXPECT_EQ(FormatSkin(*skin), FormatSkin(expected));
}

TEST(SkinFormat, AcceptsTheUsualVariationsOfAnIniFile) {
  const char* texts[] = {
      "\xEF\xBB\xBF"
      "CountdownSkin 1\n[FORM]\nClient=#0a0B0c\n",
      "CountdownSkin 1\r\n[FORM]\r\nClient = #0A0B0C\r\n",
      "; a comment first\n\n  CountdownSkin 1  \n; another\n[ form ]\n  client   =   #0A0B0C  \n",
      "CountdownSkin 1\n[FORM]\nClient = #0A0B0C",  // no newline at the end
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    const std::optional<Skin> skin = ParseSkin(text);
    ASSERT_TRUE(skin.has_value());
    EXPECT_EQ(skin->form.client, (Rgb{10, 11, 12}));
  }
}

TEST(SkinFormat, MetricsTakeTheirRangesInclusive) {
  EXPECT_EQ(ParseSkin("CountdownSkin 1\n[FORM]\nBorderWidth = 2\n")->form.borderWidth, 2);
  EXPECT_EQ(ParseSkin("CountdownSkin 1\n[FORM]\nBorderWidth = 32\n")->form.borderWidth, 32);
  EXPECT_EQ(ParseSkin("CountdownSkin 1\n[MENU]\nFontHeight = -8\n")->menu.fontHeight, -8);
}

TEST(SkinFormat, BrokenFilesAreRefusedWhole) {
  const struct {
    const char* what;
    const char* text;
  } cases[] = {
      {"empty", ""},
      {"comments only", "; nothing\n"},
      {"no header", "[FORM]\nClient = #000000\n"},
      {"another version", "CountdownSkin 2\n[FORM]\nClient = #000000\n"},
      {"a key before any section", "CountdownSkin 1\nClient = #000000\n"},
      {"an unknown section", "CountdownSkin 1\n[WINDOW]\nClient = #000000\n"},
      {"an unknown key", "CountdownSkin 1\n[FORM]\nColour = #000000\n"},
      {"a key of another section", "CountdownSkin 1\n[EDIT]\nClient = #000000\n"},
      {"a line without =", "CountdownSkin 1\n[FORM]\nClient #000000\n"},
      {"an unclosed section", "CountdownSkin 1\n[FORM\nClient = #000000\n"},
      {"a short colour", "CountdownSkin 1\n[FORM]\nClient = #00000\n"},
      {"a colour without #", "CountdownSkin 1\n[FORM]\nClient = 000000\n"},
      {"a colour with non-hex digits", "CountdownSkin 1\n[FORM]\nClient = #00G000\n"},
      {"a named colour", "CountdownSkin 1\n[FORM]\nClient = brown\n"},
      {"a colour for a metric", "CountdownSkin 1\n[FORM]\nTitleHeight = #000020\n"},
      {"a metric with a letter", "CountdownSkin 1\n[FORM]\nTitleHeight = 3O\n"},
      {"an empty metric", "CountdownSkin 1\n[FORM]\nTitleHeight =\n"},
      {"a metric too large", "CountdownSkin 1\n[FORM]\nTitleHeight = 65\n"},
      {"a metric too small", "CountdownSkin 1\n[FORM]\nBorderWidth = 1\n"},
      {"a huge metric", "CountdownSkin 1\n[FORM]\nTitleHeight = 99999999999\n"},
      {"a positive font height", "CountdownSkin 1\n[MENU]\nFontHeight = 12\n"},
      {"a key given twice", "CountdownSkin 1\n[FORM]\nClient = #000000\nCLIENT = #000000\n"},
      {"a key given twice in two sections",
       "CountdownSkin 1\n[FORM]\nClient = #000000\n[FORM]\nClient = #111111\n"},
      {"caption buttons taller than the title bar",
       "CountdownSkin 1\n[FORM]\nTitleHeight = 20\nCaptionButtonHeight = 18\n"},
      {"an icon taller than the title bar",
       "CountdownSkin 1\n[FORM]\nTitleHeight = 18\nIconSize = 16\n"},
      {"binary data", "CountdownSkin 1\n\x01\x02\x03\n"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(ParseSkin(c.text).has_value()) << c.what;
  }
}

TEST(SkinFormat, TheReadmeListsEveryKeyWithTheWoodValues) {
  // skin/README.md documents the format for people writing skins; its listing must be the one
  // the program reads and writes.
  const auto readme = std::filesystem::path(__FILE__).parent_path() / "../../../skin/README.md";
  std::ifstream in(readme);
  ASSERT_TRUE(in) << readme;
  std::stringstream text;
  text << in.rdbuf();
  const std::string all = text.str();
  const size_t start = all.find("```ini\n");
  ASSERT_NE(start, std::string::npos);
  const size_t end = all.find("```", start + 7);
  ASSERT_NE(end, std::string::npos);
  const std::string listing = all.substr(start + 7, end - start - 7);
  EXPECT_EQ(listing, FormatSkin(WoodSkin()));
  EXPECT_TRUE(ParseSkin(listing).has_value());
}

}  // namespace
}  // namespace skin::testing
