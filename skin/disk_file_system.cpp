#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "skin/lookup.h"

namespace skin {
namespace {

class Disk : public FileSystem {
 public:
  std::optional<std::string> ReadFile(const std::wstring& path) const override {
    try {
      const std::filesystem::path file(path);
      std::error_code error;
      if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
      const auto size = std::filesystem::file_size(file, error);
      if (error || size > kMaxSkinFileSize) return std::nullopt;
      std::ifstream in(file, std::ios::binary);
      if (!in) return std::nullopt;
      std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (in.bad()) return std::nullopt;
      return data;
    } catch (const std::exception&) {
      // A path the platform cannot even represent names no skin.
      return std::nullopt;
    }
  }
};

}  // namespace

const FileSystem& DiskFileSystem() {
  static const Disk disk;
  return disk;
}

}  // namespace skin
