#include "vcl/skin_manager.h"

namespace vcl {

TsSkinManager::TsSkinManager(TComponent* owner, std::wstring name)
    : TComponent(owner, std::move(name)) {}

void TsSkinManager::SetActive(bool active) {
  active_ = active;
}

void TsSkinManager::SetSkinName(const std::wstring& name) {
  skinName_ = name;
}

TsSkinProvider::TsSkinProvider(TComponent* owner, std::wstring name)
    : TComponent(owner, std::move(name)) {}

}  // namespace vcl
