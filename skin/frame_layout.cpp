#include "skin/frame_layout.h"

#include <algorithm>

namespace skin {

Insets FrameInsets(const FormSection& form, int dpi) {
  const int border = Scale(form.borderWidth, dpi);
  return {border, Scale(form.titleHeight, dpi), border, border};
}

FrameLayout LayoutFrame(int width, int height, int dpi, const FormSection& form,
                        CaptionButtons buttons, bool hasIcon) {
  FrameLayout l;
  const Insets insets = FrameInsets(form, dpi);
  l.window = {0, 0, width, height};
  l.client = {std::min(insets.left, width), std::min(insets.top, height),
              std::max(width - insets.right, std::min(insets.left, width)),
              std::max(height - insets.bottom, std::min(insets.top, height))};
  l.titleBar = {0, 0, width, l.client.top};

  // Caption buttons sit in the band above the client area, a little above its middle so they
  // clear the client's edge line, with the frame's margin to the right.
  const int buttonWidth = Scale(form.captionButtonWidth, dpi);
  const int buttonHeight = Scale(form.captionButtonHeight, dpi);
  const int margin = std::max(2, Scale(form.borderWidth, dpi) - Scale(2, dpi));
  const int gap = Scale(2, dpi);
  const int buttonTop = std::max(1, (l.titleBar.bottom - Scale(2, dpi) - buttonHeight) / 2);
  int right = width - margin;
  if (buttons.close) {
    l.close = {right - buttonWidth, buttonTop, right, buttonTop + buttonHeight};
    right = l.close.left - gap;
  }
  if (buttons.minimize) {
    l.minimize = {right - buttonWidth, buttonTop, right, buttonTop + buttonHeight};
    right = l.minimize.left - gap;
  }

  const int iconSize = Scale(form.iconSize, dpi);
  const int iconLeft = margin + Scale(2, dpi);
  int textLeft = iconLeft;
  if (hasIcon) {
    const int iconTop = std::max(0, (l.titleBar.bottom - Scale(2, dpi) - iconSize) / 2);
    l.icon = {iconLeft, iconTop, iconLeft + iconSize, iconTop + iconSize};
    textLeft = l.icon.right + Scale(6, dpi);
  }
  l.text = {textLeft, 0, std::max(textLeft, right - Scale(4, dpi)), l.titleBar.bottom};
  return l;
}

FrameHit HitTestFrame(const FrameLayout& l, Point p) {
  if (!l.window.Contains(p)) return FrameHit::kNowhere;
  if (l.client.Contains(p)) return FrameHit::kClient;
  if (l.close.Contains(p)) return FrameHit::kClose;
  if (l.minimize.Contains(p)) return FrameHit::kMinimize;
  if (l.icon.Contains(p)) return FrameHit::kSystemMenu;
  if (l.titleBar.Contains(p)) return FrameHit::kCaption;
  return FrameHit::kBorder;
}

}  // namespace skin
