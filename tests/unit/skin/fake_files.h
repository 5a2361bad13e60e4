#pragma once
// A disk made of a map from path to contents, recording every path the lookup reads.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "skin/lookup.h"

namespace skin::testing {

class FakeFiles : public FileSystem {
 public:
  std::optional<std::string> ReadFile(const std::wstring& path) const override {
    reads.push_back(path);
    auto found = files.find(path);
    if (found == files.end()) return std::nullopt;
    return found->second;
  }
  std::map<std::wstring, std::string> files;
  mutable std::vector<std::wstring> reads;
};

// A valid skin file that changes the client colour only.
inline std::string SkinWithClient(const char* hex) {
  return std::string("CountdownSkin 1\n[FORM]\nClient = ") + hex + "\n";
}

}  // namespace skin::testing
