// The lookup order of a skin name: external file, external folder, built-in of that name, the
// first built-in taking over the name, none at all.
#include <gtest/gtest.h>

#include "skin/lookup.h"
#include "tests/unit/skin/fake_files.h"

namespace skin::testing {
namespace {

Skin Named(const wchar_t* name, Rgb client) {
  Skin s;
  s.name = name;
  s.form.client = client;
  return s;
}

const Rgb kFromFile{0x10, 0x20, 0x30};
const Rgb kFromFolder{0x40, 0x50, 0x60};
const Rgb kFirst{1, 1, 1};
const Rgb kSecond{2, 2, 2};
const std::string kBroken = "CountdownSkin 1\n[FORM]\nClient = brown\n";

struct Case {
  const char* what;
  std::map<std::wstring, std::string> files;
  std::wstring directory;
  std::wstring name;
  std::vector<Skin> internal;
  SkinSource source;
  std::wstring skinName;      // afterwards
  std::optional<Rgb> client;  // nullopt: no skin
};

std::vector<Case> Cases() {
  const std::vector<Skin> two = {Named(L"First", kFirst), Named(L"Second", kSecond)};
  return {
      {"external file found",
       {{L"C:\\App\\wood.asz.asz", SkinWithClient("#102030")}},
       L"C:\\App",
       L"wood.asz",
       two,
       SkinSource::kExternalFile,
       L"wood.asz",
       kFromFile},
      {"external folder found",
       {{L"C:\\App\\wood.asz\\Options.dat", SkinWithClient("#405060")}},
       L"C:\\App",
       L"wood.asz",
       two,
       SkinSource::kExternalFolder,
       L"wood.asz",
       kFromFolder},
      {"the packed file comes before the folder",
       {{L"C:\\App\\wood.asz.asz", SkinWithClient("#102030")},
        {L"C:\\App\\wood.asz\\Options.dat", SkinWithClient("#405060")}},
       L"C:\\App",
       L"wood.asz",
       two,
       SkinSource::kExternalFile,
       L"wood.asz",
       kFromFile},
      {"a broken file is passed over for the folder",
       {{L"C:\\App\\wood.asz.asz", kBroken},
        {L"C:\\App\\wood.asz\\Options.dat", SkinWithClient("#405060")}},
       L"C:\\App",
       L"wood.asz",
       two,
       SkinSource::kExternalFolder,
       L"wood.asz",
       kFromFolder},
      {"a broken file is ignored",
       {{L"C:\\App\\wood.asz.asz", kBroken}},
       L"C:\\App",
       L"wood.asz",
       two,
       SkinSource::kFirstBuiltIn,
       L"First",
       kFirst},
      {"a broken folder is ignored",
       {{L"C:\\App\\wood.asz\\Options.dat", "not a skin"}},
       L"C:\\App",
       L"wood.asz",
       two,
       SkinSource::kFirstBuiltIn,
       L"First",
       kFirst},
      {"an oversized file is broken",
       {{L"C:\\App\\wood.asz.asz", SkinWithClient("#102030") + std::string(70000, ';')}},
       L"C:\\App",
       L"wood.asz",
       two,
       SkinSource::kFirstBuiltIn,
       L"First",
       kFirst},
      {"a file named like the skin alone is not taken",
       {{L"C:\\App\\wood.asz", SkinWithClient("#102030")}},
       L"C:\\App",
       L"wood.asz",
       two,
       SkinSource::kFirstBuiltIn,
       L"First",
       kFirst},
      {"built-in by name",
       {},
       L"c:\\Skins",
       L"Second",
       two,
       SkinSource::kBuiltIn,
       L"Second",
       kSecond},
      {"built-in names match exactly",
       {},
       L"c:\\Skins",
       L"second",
       two,
       SkinSource::kFirstBuiltIn,
       L"First",
       kFirst},
      {"an external skin comes before the built-in of that name",
       {{L"c:\\Skins\\Second.asz", SkinWithClient("#102030")}},
       L"c:\\Skins",
       L"Second",
       two,
       SkinSource::kExternalFile,
       L"Second",
       kFromFile},
      {"the first built-in takes over the name",
       {},
       L"C:\\App",
       L"wood.asz",
       two,
       SkinSource::kFirstBuiltIn,
       L"First",
       kFirst},
      {"none at all switches skinning off",
       {},
       L"C:\\App",
       L"wood.asz",
       {},
       SkinSource::kNone,
       L"wood.asz",
       std::nullopt},
      {"an external skin needs no built-in",
       {{L"C:\\App\\wood.asz.asz", SkinWithClient("#102030")}},
       L"C:\\App",
       L"wood.asz",
       {},
       SkinSource::kExternalFile,
       L"wood.asz",
       kFromFile},
      {"a folder at the root of a drive keeps its one backslash",
       {{L"C:\\wood.asz.asz", SkinWithClient("#102030")}},
       L"C:\\",
       L"wood.asz",
       two,
       SkinSource::kExternalFile,
       L"wood.asz",
       kFromFile},
      {"an empty name names no external skin",
       {{L"C:\\App\\.asz", SkinWithClient("#102030")}},
       L"C:\\App",
       L"",
       two,
       SkinSource::kFirstBuiltIn,
       L"First",
       kFirst},
  };
}

TEST(SkinLookup, FindsSkinsInOrder) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    FakeFiles files;
    files.files = c.files;
    const LookupResult result = LookupSkin(c.directory, c.name, c.internal, files);
    EXPECT_EQ(result.source, c.source);
    EXPECT_EQ(result.skinName, c.skinName);
    ASSERT_EQ(result.skin != nullptr, c.client.has_value());
    if (result.skin) {
      EXPECT_EQ(result.skin->form.client, *c.client);
      EXPECT_EQ(result.skin->name, c.skinName);
    }
  }
}

TEST(SkinLookup, ReadsOnlyThePackedFileAndTheFolderSettings) {
  FakeFiles files;
  LookupSkin(L"C:\\App", L"wood.asz", BuiltInSkins(), files);
  EXPECT_EQ(files.reads, (std::vector<std::wstring>{L"C:\\App\\wood.asz.asz",
                                                    L"C:\\App\\wood.asz\\Options.dat"}));
}

TEST(SkinLookup, TheProgramsOwnNamesFindTheWoodSkin) {
  FakeFiles files;
  // From the form resource, then from FormCreate.
  LookupResult first = LookupSkin(L"c:\\Skins", kWoodSkinName, BuiltInSkins(), files);
  EXPECT_EQ(first.source, SkinSource::kBuiltIn);
  EXPECT_EQ(first.skinName, kWoodSkinName);
  LookupResult second = LookupSkin(L"C:\\Programs\\Countdown", L"wood.asz", BuiltInSkins(), files);
  EXPECT_EQ(second.source, SkinSource::kFirstBuiltIn);
  EXPECT_EQ(second.skinName, kWoodSkinName);
  ASSERT_NE(second.skin, nullptr);
  EXPECT_EQ(second.skin->form.client, WoodSkin().form.client);
}

}  // namespace
}  // namespace skin::testing
