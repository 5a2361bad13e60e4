#pragma once
// Finding the skin for a skin name: an external skin in the skin directory, then the built-in
// skins. A pure function over a small file-system interface, so tests hand it a fake disk.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skin/skin.h"

namespace skin {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The whole file, or nullopt when it does not exist, is a folder, cannot be read or is
  // larger than any skin file could be.
  virtual std::optional<std::string> ReadFile(const std::wstring& path) const = 0;
};

// The disk of the machine.
const FileSystem& DiskFileSystem();

// The largest external skin file read; anything larger is broken.
inline constexpr size_t kMaxSkinFileSize = 64 * 1024;

enum class SkinSource { kExternalFile, kExternalFolder, kBuiltIn, kFirstBuiltIn, kNone };

struct LookupResult {
  // The skin to apply; nullptr: skinning off, the standard look.
  std::shared_ptr<const Skin> skin;
  // The skin name from now on: unchanged, except when the first built-in skin took over.
  std::wstring skinName;
  SkinSource source = SkinSource::kNone;
};

// The packed skin file and the settings file of an unpacked skin folder for a name.
std::wstring ExternalFilePath(const std::wstring& directory, const std::wstring& name);
std::wstring ExternalFolderOptionsPath(const std::wstring& directory, const std::wstring& name);

// In order: the file <directory>\<name>.asz; the folder <directory>\<name> holding
// "Options.dat"; the built-in skin of that name; the first built-in skin, whose name becomes
// the skin name; none (skinning off). A broken external skin counts as not found. Nothing here
// shows a message.
LookupResult LookupSkin(const std::wstring& directory, const std::wstring& name,
                        const std::vector<Skin>& internalSkins, const FileSystem& files);

}  // namespace skin
