#pragma once
// The skin manager of the application and the skin provider of a form.
#include <memory>
#include <string>
#include <vector>

#include "skin/lookup.h"
#include "skin/skin.h"
#include "vcl/controls.h"

namespace vcl {

// One skin manager serves the whole application: the skin it settles on is in force for every
// window of the process.
class TsSkinManager : public TComponent {
 public:
  TsSkinManager(TComponent* owner, std::wstring name);
  ~TsSkinManager() override;

  bool Active() const { return active_; }
  // Switching on looks the skin name up and applies the result; switching off gives every
  // window the standard look. Assigning the current value does nothing.
  void SetActive(bool active);
  // The built-in skins, in order; the first one stands in for a name that finds nothing.
  const std::vector<skin::Skin>& InternalSkins() const { return internalSkins_; }
  void SetInternalSkins(std::vector<skin::Skin> skins) { internalSkins_ = std::move(skins); }
  const std::wstring& SkinDirectory() const { return skinDirectory_; }
  void SetSkinDirectory(const std::wstring& directory) { skinDirectory_ = directory; }
  const std::wstring& SkinName() const { return skinName_; }
  // While active, looks the skin up and applies it to every open window at once, silently.
  void SetSkinName(const std::wstring& name);
  bool AllowGlowing() const { return false; }

  // Where external skins are read from: the disk unless a test hands in another.
  void SetFileSystem(const skin::FileSystem* files) { files_ = files; }
  // What the last lookup found.
  skin::SkinSource Source() const { return source_; }

 private:
  void LookUpAndApply();

  bool active_ = true;
  std::vector<skin::Skin> internalSkins_ = skin::BuiltInSkins();
  std::wstring skinDirectory_ = L"c:\\Skins";
  std::wstring skinName_;
  const skin::FileSystem* files_ = nullptr;
  skin::SkinSource source_ = skin::SkinSource::kNone;
};

// The skinned frame and title bar of the form that owns it (skin section "FORM").
class TsSkinProvider : public TComponent {
 public:
  TsSkinProvider(TComponent* owner, std::wstring name);
  ~TsSkinProvider() override;
  const std::wstring& SkinSection() const { return section_; }

 private:
  const TForm* form_;
  std::wstring section_ = L"FORM";
};

// The skin in force for every window of the application; nullptr: the standard look.
std::shared_ptr<const skin::Skin> ActiveSkin();
// Whether a form has a skin provider, so its frame and title bar are drawn by the skin.
bool HasSkinProvider(const TForm& form);

}  // namespace vcl
