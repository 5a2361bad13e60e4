// The exes' resources as Windows reads them: the icon, the manifest, the version information.
#include <string>

#include "tests/e2e/driver/driver.h"

namespace e2e {
namespace {

#pragma pack(push, 2)
struct GroupIconEntry {  // GRPICONDIRENTRY
  BYTE width;
  BYTE height;
  BYTE colorCount;
  BYTE reserved;
  WORD planes;
  WORD bitCount;
  DWORD bytesInRes;
  WORD id;
};
#pragma pack(pop)

class ResourcesTest : public ::testing::TestWithParam<const wchar_t*> {
 protected:
  void SetUp() override {
    path_ = GetParam() == std::wstring(L"test") ? TestExePath() : RealExePath();
    module_ = LoadLibraryExW(path_.c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << Utf8(path_);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  std::string Resource(const wchar_t* name, const wchar_t* type) {
    HRSRC info = FindResourceW(module_, name, type);
    if (!info) return {};
    HGLOBAL data = LoadResource(module_, info);
    return std::string(static_cast<const char*>(LockResource(data)), SizeofResource(module_, info));
  }

  std::wstring path_;
  HMODULE module_ = nullptr;
};

TEST_P(ResourcesTest, MainIconHasA16ColourImageAndSharpSmallSizes) {
  std::string group = Resource(L"MAINICON", RT_GROUP_ICON);
  ASSERT_GE(group.size(), 6u) << "no icon group MAINICON";
  WORD count = *reinterpret_cast<const WORD*>(group.data() + 4);
  ASSERT_EQ(group.size(), 6 + count * sizeof(GroupIconEntry));
  bool has16Colour32 = false;
  std::vector<int> trueColourSizes;
  for (WORD i = 0; i < count; ++i) {
    GroupIconEntry e;
    memcpy(&e, group.data() + 6 + i * sizeof e, sizeof e);
    if (e.width == 32 && e.height == 32 && e.bitCount == 4 && e.colorCount == 16) {
      has16Colour32 = true;
    }
    if (e.bitCount == 32) trueColourSizes.push_back(e.width);
    EXPECT_FALSE(Resource(MAKEINTRESOURCEW(e.id), RT_ICON).empty()) << "image " << e.id;
  }
  EXPECT_TRUE(has16Colour32) << "no 32x32 image in 16 colours";
  EXPECT_EQ(trueColourSizes, (std::vector<int>{16, 20, 24, 32, 48}));
  for (int size : {16, 32}) {
    HANDLE icon = LoadImageW(module_, L"MAINICON", IMAGE_ICON, size, size, 0);
    EXPECT_NE(icon, nullptr) << size;
    if (icon) DestroyIcon(static_cast<HICON>(icon));
  }
}

TEST_P(ResourcesTest, ManifestAsksForCommonControls6AndNoElevation) {
  std::string manifest = Resource(CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
  ASSERT_FALSE(manifest.empty()) << "no manifest with id 1";
  for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                           "level=\"asInvoker\" uiAccess=\"false\"",
                           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",     // 7
                           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",     // 8
                           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",     // 8.1
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {  // 10, 11
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
  // The program must see the system's own ANSI code page (936), not UTF-8.
  EXPECT_EQ(manifest.find("activeCodePage"), std::string::npos);
}

TEST_P(ResourcesTest, VersionInformationIsChinese) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path_.c_str(), &ignored);
  ASSERT_GT(size, 0u) << "no version information";
  std::string data(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), 0, size, data.data()));
  struct Translation {
    WORD language;
    WORD codePage;
  }* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, sizeof(Translation));
  EXPECT_EQ(translation->language, 0x0804);
  EXPECT_EQ(translation->codePage, 1200);

  struct Expected {
    const wchar_t* key;
    const char* value;
  };
  for (const Expected& e :
       {Expected{L"ProductName", "倒计时"}, Expected{L"FileDescription", "倒计时"},
        Expected{L"ProductVersion", "1.0.0"}, Expected{L"FileVersion", "1.0.0"}}) {
    wchar_t* value = nullptr;
    std::wstring query = std::wstring(L"\\StringFileInfo\\080404b0\\") + e.key;
    ASSERT_TRUE(
        VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
        << Utf8(e.key);
    EXPECT_EQ(Utf8(value), e.value) << Utf8(e.key);
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

INSTANTIATE_TEST_SUITE_P(BothExes, ResourcesTest, ::testing::Values(L"test", L"real"),
                         [](const auto& info) { return Utf8(info.param); });

}  // namespace
}  // namespace e2e
