#include "skin/skin_format.h"

#include <cstdio>
#include <set>
#include <utility>

namespace skin {
namespace {

struct ColorKey {
  const char* section;
  const char* key;
  Rgb& (*ref)(Skin&);
};

struct MetricKey {
  const char* section;
  const char* key;
  int& (*ref)(Skin&);
  int min;
  int max;
};

#define CD_COLOR(section, key, member)                     \
  {                                                        \
    section, key, [](Skin& s) -> Rgb& { return s.member; } \
  }
#define CD_METRIC(section, key, member, lo, hi)                    \
  {                                                                \
    section, key, [](Skin& s) -> int& { return s.member; }, lo, hi \
  }

const ColorKey kColorKeys[] = {
    CD_COLOR("FORM", "WoodLight", form.woodLight),
    CD_COLOR("FORM", "WoodDark", form.woodDark),
    CD_COLOR("FORM", "GrainLine", form.grainLine),
    CD_COLOR("FORM", "Outline", form.outline),
    CD_COLOR("FORM", "BevelLight", form.bevelLight),
    CD_COLOR("FORM", "ClientEdge", form.clientEdge),
    CD_COLOR("FORM", "CaptionText", form.captionText),
    CD_COLOR("FORM", "CaptionShadow", form.captionShadow),
    CD_COLOR("FORM", "InactiveCaptionText", form.inactiveCaptionText),
    CD_COLOR("FORM", "ButtonHot", form.buttonHot),
    CD_COLOR("FORM", "ButtonPressed", form.buttonPressed),
    CD_COLOR("FORM", "ButtonEdge", form.buttonEdge),
    CD_COLOR("FORM", "CloseHot", form.closeHot),
    CD_COLOR("FORM", "ClosePressed", form.closePressed),
    CD_COLOR("FORM", "Glyph", form.glyph),
    CD_COLOR("FORM", "Client", form.client),
    CD_COLOR("FORM", "LabelText", form.labelText),
    CD_COLOR("DIALOG", "FaceTop", button.faceTop),
    CD_COLOR("DIALOG", "FaceBottom", button.faceBottom),
    CD_COLOR("DIALOG", "HotTop", button.hotTop),
    CD_COLOR("DIALOG", "HotBottom", button.hotBottom),
    CD_COLOR("DIALOG", "PressedTop", button.pressedTop),
    CD_COLOR("DIALOG", "PressedBottom", button.pressedBottom),
    CD_COLOR("DIALOG", "Border", button.border),
    CD_COLOR("DIALOG", "Focus", button.focus),
    CD_COLOR("DIALOG", "Text", button.text),
    CD_COLOR("DIALOG", "DisabledFace", button.disabledFace),
    CD_COLOR("DIALOG", "DisabledText", button.disabledText),
    CD_COLOR("RADIOBUTTON", "Ring", radio.ring),
    CD_COLOR("RADIOBUTTON", "RingHot", radio.ringHot),
    CD_COLOR("RADIOBUTTON", "FillTop", radio.fillTop),
    CD_COLOR("RADIOBUTTON", "FillBottom", radio.fillBottom),
    CD_COLOR("RADIOBUTTON", "Dot", radio.dot),
    CD_COLOR("RADIOBUTTON", "Text", radio.text),
    CD_COLOR("RADIOBUTTON", "DisabledText", radio.disabledText),
    CD_COLOR("EDIT", "Border", edit.border),
    CD_COLOR("EDIT", "BorderFocused", edit.borderFocused),
    CD_COLOR("SPEEDBUTTON_SMALL", "FaceTop", speedButton.faceTop),
    CD_COLOR("SPEEDBUTTON_SMALL", "FaceBottom", speedButton.faceBottom),
    CD_COLOR("SPEEDBUTTON_SMALL", "HotTop", speedButton.hotTop),
    CD_COLOR("SPEEDBUTTON_SMALL", "HotBottom", speedButton.hotBottom),
    CD_COLOR("SPEEDBUTTON_SMALL", "PressedTop", speedButton.pressedTop),
    CD_COLOR("SPEEDBUTTON_SMALL", "PressedBottom", speedButton.pressedBottom),
    CD_COLOR("SPEEDBUTTON_SMALL", "Border", speedButton.border),
    CD_COLOR("SPEEDBUTTON_SMALL", "Arrow", speedButton.arrow),
    CD_COLOR("SPEEDBUTTON_SMALL", "DisabledArrow", speedButton.disabledArrow),
    CD_COLOR("MENU", "Background", menu.background),
    CD_COLOR("MENU", "Border", menu.border),
    CD_COLOR("MENU", "Text", menu.text),
    CD_COLOR("MENU", "DisabledText", menu.disabledText),
    CD_COLOR("MENU", "SelectedTop", menu.selectedTop),
    CD_COLOR("MENU", "SelectedBottom", menu.selectedBottom),
    CD_COLOR("MENU", "SelectedBorder", menu.selectedBorder),
    CD_COLOR("MENU", "SelectedText", menu.selectedText),
    CD_COLOR("MENU", "Separator", menu.separator),
    CD_COLOR("ICOLINE", "Column", icoline.column),
    CD_COLOR("ICOLINE", "Edge", icoline.edge),
};

const MetricKey kMetricKeys[] = {
    CD_METRIC("FORM", "BorderWidth", form.borderWidth, 2, 32),
    CD_METRIC("FORM", "TitleHeight", form.titleHeight, 18, 64),
    CD_METRIC("FORM", "CaptionButtonWidth", form.captionButtonWidth, 12, 48),
    CD_METRIC("FORM", "CaptionButtonHeight", form.captionButtonHeight, 10, 40),
    CD_METRIC("FORM", "IconSize", form.iconSize, 8, 32),
    CD_METRIC("FORM", "CaptionFontHeight", form.captionFontHeight, -32, -8),
    CD_METRIC("DIALOG", "CornerRadius", button.cornerRadius, 0, 8),
    CD_METRIC("RADIOBUTTON", "Size", radio.size, 9, 24),
    CD_METRIC("MENU", "ItemHeight", menu.itemHeight, 16, 40),
    CD_METRIC("MENU", "FontHeight", menu.fontHeight, -24, -8),
    CD_METRIC("ICOLINE", "Width", icoline.width, 0, 48),
};

#undef CD_COLOR
#undef CD_METRIC

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<Rgb> ParseColor(std::string_view value) {
  if (value.size() != 7 || value[0] != '#') return std::nullopt;
  int digits[6];
  for (int i = 0; i < 6; ++i) {
    digits[i] = HexDigit(value[static_cast<size_t>(i) + 1]);
    if (digits[i] < 0) return std::nullopt;
  }
  return Rgb{static_cast<uint8_t>(digits[0] * 16 + digits[1]),
             static_cast<uint8_t>(digits[2] * 16 + digits[3]),
             static_cast<uint8_t>(digits[4] * 16 + digits[5])};
}

// A decimal integer with an optional minus sign; at most four digits, so nothing overflows.
std::optional<int> ParseMetric(std::string_view value) {
  bool negative = false;
  if (!value.empty() && value[0] == '-') {
    negative = true;
    value.remove_prefix(1);
  }
  if (value.empty() || value.size() > 4) return std::nullopt;
  int result = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    result = result * 10 + (c - '0');
  }
  return negative ? -result : result;
}

bool KnownSection(std::string_view name) {
  for (const ColorKey& k : kColorKeys) {
    if (EqualNoCase(k.section, name)) return true;
  }
  for (const MetricKey& k : kMetricKeys) {
    if (EqualNoCase(k.section, name)) return true;
  }
  return false;
}

// Values that fit their ranges one by one but not together.
bool Consistent(const Skin& s) {
  return s.form.captionButtonHeight <= s.form.titleHeight - 4 &&
         s.form.iconSize <= s.form.titleHeight - 4;
}

}  // namespace

std::optional<Skin> ParseSkin(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  Skin skin = WoodSkin();
  skin.name.clear();
  bool headerSeen = false;
  std::string section;
  std::set<std::string> seen;  // "SECTION.KEY" in upper case
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line[0] == ';') continue;
    if (!headerSeen) {
      if (line != kSkinHeader) return std::nullopt;
      headerSeen = true;
      continue;
    }
    if (line.front() == '[') {
      if (line.back() != ']') return std::nullopt;
      std::string_view name = Trim(line.substr(1, line.size() - 2));
      if (!KnownSection(name)) return std::nullopt;
      section.clear();
      for (char c : name) section.push_back(AsciiUpper(c));
      continue;
    }
    const size_t equals = line.find('=');
    if (section.empty() || equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = Trim(line.substr(0, equals));
    const std::string_view value = Trim(line.substr(equals + 1));
    std::string id = section + ".";
    for (char c : key) id.push_back(AsciiUpper(c));
    if (!seen.insert(id).second) return std::nullopt;

    bool matched = false;
    for (const ColorKey& k : kColorKeys) {
      if (section != k.section || !EqualNoCase(k.key, key)) continue;
      const std::optional<Rgb> color = ParseColor(value);
      if (!color) return std::nullopt;
      k.ref(skin) = *color;
      matched = true;
    }
    for (const MetricKey& k : kMetricKeys) {
      if (section != k.section || !EqualNoCase(k.key, key)) continue;
      const std::optional<int> metric = ParseMetric(value);
      if (!metric || *metric < k.min || *metric > k.max) return std::nullopt;
      k.ref(skin) = *metric;
      matched = true;
    }
    if (!matched) return std::nullopt;
  }
  if (!headerSeen || !Consistent(skin)) return std::nullopt;
  return skin;
}

std::string FormatSkin(const Skin& skin) {
  Skin copy = skin;  // the key table reads through mutable references
  std::string out = std::string(kSkinHeader) + "\n";
  std::string section;
  auto openSection = [&](const char* name) {
    if (section == name) return;
    section = name;
    out += "\n[" + section + "]\n";
  };
  // Sections in the order of the key tables, colours first within a section.
  for (const char* name :
       {"FORM", "DIALOG", "RADIOBUTTON", "EDIT", "SPEEDBUTTON_SMALL", "MENU", "ICOLINE"}) {
    for (const ColorKey& k : kColorKeys) {
      if (std::string_view(k.section) != name) continue;
      openSection(name);
      const Rgb c = k.ref(copy);
      char value[8];
      std::snprintf(value, sizeof value, "#%02X%02X%02X", c.r, c.g, c.b);
      out += std::string(k.key) + " = " + value + "\n";
    }
    for (const MetricKey& k : kMetricKeys) {
      if (std::string_view(k.section) != name) continue;
      openSection(name);
      out += std::string(k.key) + " = " + std::to_string(k.ref(copy)) + "\n";
    }
  }
  return out;
}

}  // namespace skin
