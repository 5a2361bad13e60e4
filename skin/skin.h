#pragma once
// The skin as data: colours and metrics (in 96-DPI pixels), one struct per skin section. The
// default member values are the built-in wood skin; the painters (skin/win32) turn this data
// into pixels, so another skin is only another set of values.
#include <cstdint>
#include <string>
#include <vector>

namespace skin {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

// A colour number of the platform, laid out 0x00BBGGRR (as COLORREF and the form's colours).
constexpr Rgb FromColorNumber(uint32_t c) {
  return {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>((c >> 8) & 0xFF),
          static_cast<uint8_t>((c >> 16) & 0xFF)};
}
constexpr uint32_t ToColorNumber(Rgb c) {
  return static_cast<uint32_t>(c.r) | (static_cast<uint32_t>(c.g) << 8) |
         (static_cast<uint32_t>(c.b) << 16);
}

// "FORM": the frame, the wood-grain title bar, its caption buttons and the client area.
struct FormSection {
  Rgb woodLight{158, 106, 54};  // the grain's light and dark wood
  Rgb woodDark{96, 58, 22};
  Rgb grainLine{70, 40, 12};       // the fine dark lines of the grain
  Rgb outline{38, 21, 4};          // the window's outer edge
  Rgb bevelLight{208, 160, 100};   // the highlight just inside the outer edge
  Rgb clientEdge{92, 58, 22};      // the line around the client area
  Rgb captionText{255, 243, 214};  // the window text in the title bar
  Rgb captionShadow{40, 21, 3};
  Rgb inactiveCaptionText{214, 186, 142};
  Rgb buttonHot{196, 146, 84};  // caption buttons under the mouse and pressed
  Rgb buttonPressed{110, 70, 30};
  Rgb buttonEdge{226, 190, 136};
  Rgb closeHot{186, 62, 36};
  Rgb closePressed{134, 38, 20};
  Rgb glyph{252, 238, 208};
  Rgb client{232, 216, 182};  // the calm tan client area
  Rgb labelText{70, 41, 10};  // text of the labels that take the skin's colour
  int borderWidth = 8;        // left, right and bottom frame
  int titleHeight = 30;       // everything above the client area
  int captionButtonWidth = 26;
  int captionButtonHeight = 18;
  int iconSize = 16;
  int captionFontHeight = -12;  // pixels at 96 DPI, as a font height
};

// "DIALOG": push buttons (the form's button and the boxes' OK button).
struct ButtonSection {
  Rgb faceTop{248, 236, 208};
  Rgb faceBottom{216, 188, 136};
  Rgb hotTop{253, 245, 226};
  Rgb hotBottom{230, 204, 154};
  Rgb pressedTop{186, 152, 98};
  Rgb pressedBottom{220, 194, 146};
  Rgb border{112, 74, 32};
  Rgb focus{168, 112, 46};
  Rgb text{55, 33, 7};
  Rgb disabledFace{226, 216, 196};
  Rgb disabledText{158, 138, 108};
  int cornerRadius = 3;
};

// "RADIOBUTTON".
struct RadioSection {
  Rgb ring{112, 74, 32};
  Rgb ringHot{176, 116, 44};
  Rgb fillTop{253, 248, 236};
  Rgb fillBottom{226, 206, 166};
  Rgb dot{78, 46, 12};
  Rgb text{55, 33, 7};
  Rgb disabledText{158, 138, 108};
  int size = 13;
};

// "EDIT": the edits and the time picker; their background is the control's own colour.
struct EditSection {
  Rgb border{150, 108, 58};
  Rgb borderFocused{92, 56, 16};
};

// "SPEEDBUTTON_SMALL": the time picker's spin buttons.
struct SpeedButtonSection {
  Rgb faceTop{242, 226, 190};
  Rgb faceBottom{206, 174, 120};
  Rgb hotTop{250, 238, 212};
  Rgb hotBottom{222, 194, 144};
  Rgb pressedTop{178, 144, 92};
  Rgb pressedBottom{210, 182, 132};
  Rgb border{150, 108, 58};
  Rgb arrow{70, 41, 10};
  Rgb disabledArrow{170, 150, 120};
};

// "MENU": popup menu items and the menu's frame.
struct MenuSection {
  Rgb background{248, 240, 222};
  Rgb border{92, 56, 20};
  Rgb text{55, 33, 7};
  Rgb disabledText{166, 146, 116};
  Rgb selectedTop{184, 128, 66};
  Rgb selectedBottom{136, 88, 38};
  Rgb selectedBorder{96, 58, 22};
  Rgb selectedText{255, 247, 230};
  Rgb separator{204, 180, 140};
  int itemHeight = 22;
  int fontHeight = -12;
};

// "ICOLINE": the icon column at the left of a popup menu.
struct IcolineSection {
  Rgb column{224, 200, 154};
  Rgb edge{190, 158, 108};
  int width = 24;
};

struct Skin {
  std::wstring name;
  FormSection form;
  ButtonSection button;
  RadioSection radio;
  EditSection edit;
  SpeedButtonSection speedButton;
  MenuSection menu;
  IcolineSection icoline;
};

// The name of the one built-in skin.
inline constexpr wchar_t kWoodSkinName[] = L"Wood (内建皮肤)";

// The wood skin with its name.
Skin WoodSkin();
// The skins built into the program, in order: the wood skin only.
std::vector<Skin> BuiltInSkins();

// v * dpi / 96, rounded to the nearest pixel: every metric of a skin goes through this.
int Scale(int v, int dpi);

}  // namespace skin
