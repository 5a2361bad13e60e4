#pragma once
// The skin manager of the application and the skin provider of a form.
#include <string>

#include "vcl/controls.h"

namespace vcl {

class TsSkinManager : public TComponent {
 public:
  TsSkinManager(TComponent* owner, std::wstring name);
  bool Active() const { return active_; }
  void SetActive(bool active);
  const std::wstring& SkinDirectory() const { return skinDirectory_; }
  void SetSkinDirectory(const std::wstring& directory) { skinDirectory_ = directory; }
  const std::wstring& SkinName() const { return skinName_; }
  // Looks the skin up and applies it at once while active.
  void SetSkinName(const std::wstring& name);
  bool AllowGlowing() const { return false; }

 private:
  bool active_ = true;
  std::wstring skinDirectory_ = L"c:\\Skins";
  std::wstring skinName_;
};

class TsSkinProvider : public TComponent {
 public:
  TsSkinProvider(TComponent* owner, std::wstring name);
  const std::wstring& SkinSection() const { return section_; }

 private:
  std::wstring section_ = L"FORM";
};

}  // namespace vcl
