#include "vcl/skin_manager.h"

#include <algorithm>

#include "vcl/application.h"
#include "vcl/backend.h"

namespace vcl {
namespace {

// The one skin of the application and the forms whose frame it draws; the skin manager and the
// providers keep them, the backend reads them when it paints.
std::shared_ptr<const skin::Skin> gActiveSkin;
std::vector<const TForm*> gProvidedForms;

void Publish(std::shared_ptr<const skin::Skin> skin) {
  gActiveSkin = std::move(skin);
  if (HasApplication()) Application().GetBackend().SkinChanged();
}

}  // namespace

std::shared_ptr<const skin::Skin> ActiveSkin() {
  return gActiveSkin;
}

bool HasSkinProvider(const TForm& form) {
  return std::find(gProvidedForms.begin(), gProvidedForms.end(), &form) != gProvidedForms.end();
}

TsSkinManager::TsSkinManager(TComponent* owner, std::wstring name)
    : TComponent(owner, std::move(name)) {}

TsSkinManager::~TsSkinManager() {
  // The windows go with their form; they are not repainted in the standard look on the way.
  gActiveSkin.reset();
}

void TsSkinManager::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  if (active_) {
    LookUpAndApply();
  } else {
    source_ = skin::SkinSource::kNone;
    Publish(nullptr);
  }
}

void TsSkinManager::SetSkinName(const std::wstring& name) {
  skinName_ = name;
  if (active_) LookUpAndApply();
}

void TsSkinManager::LookUpAndApply() {
  const skin::FileSystem& files = files_ != nullptr ? *files_ : skin::DiskFileSystem();
  skin::LookupResult found = skin::LookupSkin(skinDirectory_, skinName_, internalSkins_, files);
  skinName_ = found.skinName;
  source_ = found.source;
  // With no skin at all skinning switches itself off.
  if (!found.skin) active_ = false;
  Publish(std::move(found.skin));
}

TsSkinProvider::TsSkinProvider(TComponent* owner, std::wstring name)
    : TComponent(owner, std::move(name)), form_(dynamic_cast<const TForm*>(owner)) {
  if (form_ == nullptr) return;
  gProvidedForms.push_back(form_);
  // The frame of a form already on screen takes the skin in force.
  if (gActiveSkin && HasApplication()) Application().GetBackend().SkinChanged();
}

TsSkinProvider::~TsSkinProvider() {
  std::erase(gProvidedForms, form_);
}

}  // namespace vcl
