// The skin manager: each assignment of the skin name while active looks the skin up and
// applies it to every window at once, silently; the program's start-up settles on the wood
// skin.
#include <gtest/gtest.h>

#include "app/unit1.h"
#include "platform/fake/fake_platform.h"
#include "tests/unit/skin/fake_files.h"
#include "vcl/application.h"
#include "vcl/headless/headless_backend.h"
#include "vcl/skin_manager.h"

namespace skin::testing {
namespace {

// Counts how often the windows were told to take on the skin in force.
class SkinCountingBackend : public vcl::HeadlessBackend {
 public:
  void SkinChanged() override {
    ++applied;
    appliedNames.push_back(vcl::ActiveSkin() ? vcl::ActiveSkin()->name : L"(none)");
  }
  int applied = 0;
  std::vector<std::wstring> appliedNames;
};

class SkinManagerTest : public ::testing::Test {
 protected:
  SkinManagerTest() {
    auto backend = std::make_unique<SkinCountingBackend>();
    backend_ = backend.get();
    application_ = std::make_unique<vcl::TApplication>(std::move(backend));
    application_->SetTitle(L"倒计时");
    owner_ = std::make_unique<vcl::TForm>(nullptr, L"Form");
    manager_ = owner_->Create<vcl::TsSkinManager>(L"sSkinManager1");
    manager_->SetFileSystem(&files_);
  }
  ~SkinManagerTest() override {
    owner_.reset();
    application_.reset();
  }

  FakeFiles files_;
  SkinCountingBackend* backend_ = nullptr;
  std::unique_ptr<vcl::TApplication> application_;
  std::unique_ptr<vcl::TForm> owner_;
  vcl::TsSkinManager* manager_ = nullptr;
};

TEST_F(SkinManagerTest, StartsActiveWithTheWoodSkinBuiltIn) {
  EXPECT_TRUE(manager_->Active());
  EXPECT_FALSE(manager_->AllowGlowing());
  ASSERT_EQ(manager_->InternalSkins().size(), 1u);
  EXPECT_EQ(manager_->InternalSkins()[0].name, L"Wood (内建皮肤)");
  EXPECT_EQ(manager_->SkinDirectory(), L"c:\\Skins");
}

TEST_F(SkinManagerTest, EveryAssignmentWhileActiveLooksUpAndAppliesAtOnce) {
  manager_->SetSkinName(L"Wood (内建皮肤)");
  EXPECT_EQ(backend_->applied, 1);
  EXPECT_EQ(manager_->Source(), SkinSource::kBuiltIn);
  manager_->SetSkinDirectory(L"C:\\App");
  EXPECT_EQ(backend_->applied, 1) << "the directory alone looks nothing up";
  files_.files[L"C:\\App\\wood.asz\\Options.dat"] = SkinWithClient("#405060");
  manager_->SetSkinName(L"wood.asz");
  EXPECT_EQ(backend_->applied, 2);
  EXPECT_EQ(manager_->Source(), SkinSource::kExternalFolder);
  EXPECT_EQ(manager_->SkinName(), L"wood.asz");
  ASSERT_NE(vcl::ActiveSkin(), nullptr);
  EXPECT_EQ(vcl::ActiveSkin()->form.client, (Rgb{0x40, 0x50, 0x60}));
  EXPECT_EQ(backend_->appliedNames.back(), L"wood.asz");
  // Switching on while on changes nothing.
  manager_->SetActive(true);
  EXPECT_EQ(backend_->applied, 2);
  EXPECT_TRUE(backend_->boxes.empty());
}

TEST_F(SkinManagerTest, ABrokenExternalSkinGivesWayToTheBuiltInSilently) {
  manager_->SetSkinDirectory(L"C:\\App");
  files_.files[L"C:\\App\\wood.asz.asz"] = "CountdownSkin 1\n[FORM]\nClient = tan\n";
  manager_->SetSkinName(L"wood.asz");
  EXPECT_EQ(manager_->Source(), SkinSource::kFirstBuiltIn);
  EXPECT_EQ(manager_->SkinName(), L"Wood (内建皮肤)");
  ASSERT_NE(vcl::ActiveSkin(), nullptr);
  EXPECT_EQ(vcl::ActiveSkin()->form.client, WoodSkin().form.client);
  EXPECT_TRUE(backend_->boxes.empty());
}

TEST_F(SkinManagerTest, WithoutAnySkinSkinningSwitchesItselfOff) {
  manager_->SetInternalSkins({});
  manager_->SetSkinName(L"wood.asz");
  EXPECT_FALSE(manager_->Active());
  EXPECT_EQ(manager_->Source(), SkinSource::kNone);
  EXPECT_EQ(vcl::ActiveSkin(), nullptr);
  EXPECT_EQ(backend_->appliedNames, (std::vector<std::wstring>{L"(none)"}));
  // Inactive, a new name is only remembered.
  manager_->SetSkinName(L"other");
  EXPECT_EQ(backend_->applied, 1);
  // Switching on again looks up again: an external skin has appeared meanwhile.
  files_.files[L"c:\\Skins\\other.asz"] = SkinWithClient("#102030");
  manager_->SetActive(true);
  EXPECT_TRUE(manager_->Active());
  ASSERT_NE(vcl::ActiveSkin(), nullptr);
  EXPECT_EQ(vcl::ActiveSkin()->form.client, (Rgb{0x10, 0x20, 0x30}));
  EXPECT_TRUE(backend_->boxes.empty());
}

TEST_F(SkinManagerTest, SwitchingOffGivesTheStandardLook) {
  manager_->SetSkinName(L"Wood (内建皮肤)");
  ASSERT_NE(vcl::ActiveSkin(), nullptr);
  manager_->SetActive(false);
  EXPECT_EQ(vcl::ActiveSkin(), nullptr);
  EXPECT_EQ(backend_->appliedNames.back(), L"(none)");
}

TEST_F(SkinManagerTest, AProviderMarksItsFormForTheSkinnedFrame) {
  EXPECT_FALSE(vcl::HasSkinProvider(*owner_));
  manager_->SetSkinName(L"Wood (内建皮肤)");
  const int before = backend_->applied;
  auto* provider = owner_->Create<vcl::TsSkinProvider>(L"sSkinProvider1");
  EXPECT_TRUE(vcl::HasSkinProvider(*owner_));
  EXPECT_EQ(provider->SkinSection(), L"FORM");
  EXPECT_EQ(backend_->applied, before + 1) << "the form on screen takes the skin's frame";
}

TEST(SkinStartUp, TheFormSettlesOnTheWoodSkinWithoutAMessage) {
  auto backend = std::make_unique<SkinCountingBackend>();
  SkinCountingBackend* recorded = backend.get();
  vcl::TApplication application(std::move(backend));
  platform::FakePlatform platform;
  auto* form = application.CreateForm<app::TForm1>(platform.services);
  // The resource's name, then FormCreate's "wood.asz", which finds no external skin in the
  // program's folder and so takes the first built-in skin and its name.
  EXPECT_EQ(
      recorded->appliedNames,
      (std::vector<std::wstring>{L"Wood (内建皮肤)", L"Wood (内建皮肤)", L"Wood (内建皮肤)"}));
  EXPECT_EQ(form->sSkinManager1->SkinDirectory(), L"C:\\Programs\\Countdown");
  EXPECT_EQ(form->sSkinManager1->SkinName(), L"Wood (内建皮肤)");
  EXPECT_TRUE(form->sSkinManager1->Active());
  EXPECT_TRUE(vcl::HasSkinProvider(*form));
  EXPECT_TRUE(recorded->boxes.empty());
  application.DestroyForms();
  EXPECT_EQ(vcl::ActiveSkin(), nullptr);
}

}  // namespace
}  // namespace skin::testing
