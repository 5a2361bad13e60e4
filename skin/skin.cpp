#include "skin/skin.h"

namespace skin {

Skin WoodSkin() {
  Skin wood;
  wood.name = kWoodSkinName;
  return wood;
}

std::vector<Skin> BuiltInSkins() {
  return {WoodSkin()};
}

int Scale(int v, int dpi) {
  // Halves round away from zero, as MulDiv does.
  const long long product = static_cast<long long>(v) * dpi;
  const long long magnitude = ((product < 0 ? -product : product) + 48) / 96;
  return static_cast<int>(product < 0 ? -magnitude : magnitude);
}

}  // namespace skin
