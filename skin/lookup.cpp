#include "skin/lookup.h"

#include "skin/skin_format.h"

namespace skin {
namespace {

std::wstring Join(const std::wstring& directory, const std::wstring& name) {
  if (directory.empty()) return name;
  // "C:\" keeps its one backslash.
  if (directory.back() == L'\\' || directory.back() == L'/') return directory + name;
  return directory + L"\\" + name;
}

std::optional<Skin> ReadExternal(const FileSystem& files, const std::wstring& path,
                                 const std::wstring& name) {
  const std::optional<std::string> text = files.ReadFile(path);
  if (!text || text->size() > kMaxSkinFileSize) return std::nullopt;
  std::optional<Skin> skin = ParseSkin(*text);
  if (skin) skin->name = name;
  return skin;
}

}  // namespace

std::wstring ExternalFilePath(const std::wstring& directory, const std::wstring& name) {
  return Join(directory, name + L".asz");
}

std::wstring ExternalFolderOptionsPath(const std::wstring& directory, const std::wstring& name) {
  return Join(Join(directory, name), L"Options.dat");
}

LookupResult LookupSkin(const std::wstring& directory, const std::wstring& name,
                        const std::vector<Skin>& internalSkins, const FileSystem& files) {
  // An empty name names no file: "<dir>\.asz" would be a different thing altogether.
  if (!name.empty()) {
    if (auto skin = ReadExternal(files, ExternalFilePath(directory, name), name)) {
      return {std::make_shared<const Skin>(std::move(*skin)), name, SkinSource::kExternalFile};
    }
    if (auto skin = ReadExternal(files, ExternalFolderOptionsPath(directory, name), name)) {
      return {std::make_shared<const Skin>(std::move(*skin)), name, SkinSource::kExternalFolder};
    }
  }
  for (const Skin& skin : internalSkins) {
    if (skin.name == name) {
      return {std::make_shared<const Skin>(skin), name, SkinSource::kBuiltIn};
    }
  }
  if (!internalSkins.empty()) {
    const Skin& first = internalSkins.front();
    return {std::make_shared<const Skin>(first), first.name, SkinSource::kFirstBuiltIn};
  }
  return {nullptr, name, SkinSource::kNone};
}

}  // namespace skin
