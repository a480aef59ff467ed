#include <gtest/gtest.h>

#include "listing/app_options.h"
#include "platform/settings_store.h"
#include "support/settings_sandbox.h"
#include "support/temp_tree.h"

using testing_support::N;

namespace {

class OptionsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    SetOptionsApplicationName(N("QuilletOptionsTest"));
    AppOptions = OptionsRecord{};
  }
  void Store(const char* key, const char* value) {
    platform::WriteSetting(N("QuilletOptionsTest"), N("Options"), N(key), N(value));
  }
  std::optional<NativeString> Stored(const char* key) {
    return platform::ReadSetting(N("QuilletOptionsTest"), N("Options"), N(key));
  }
  testing_support::SettingsSandbox sandbox_;
};

bool SameRecord(const OptionsRecord& a, const OptionsRecord& b) {
  return a.UseDefaultDir == b.UseDefaultDir && a.DefaultDir == b.DefaultDir &&
         a.PrintFileSize == b.PrintFileSize && a.PrintDateTime == b.PrintDateTime &&
         a.NoSpacesSeperate == b.NoSpacesSeperate && a.MaxWidth == b.MaxWidth &&
         a.PrintListType == b.PrintListType && a.PrintStyle == b.PrintStyle &&
         a.Registered == b.Registered && a.DontBother == b.DontBother;
}

}  // namespace

TEST_F(OptionsStore, EmptyStoreGivesDefaultsAndWritesNothing) {
  LoadOptions();
  EXPECT_FALSE(AppOptions.UseDefaultDir);
  EXPECT_EQ(AppOptions.DefaultDir, N(""));
  EXPECT_FALSE(AppOptions.PrintFileSize);
  EXPECT_FALSE(AppOptions.PrintDateTime);
  EXPECT_EQ(AppOptions.NoSpacesSeperate, 10);
  EXPECT_EQ(AppOptions.MaxWidth, 80);
  EXPECT_EQ(AppOptions.PrintListType, 2);
  EXPECT_EQ(AppOptions.PrintStyle, 2);
  EXPECT_FALSE(AppOptions.Registered);
  EXPECT_FALSE(AppOptions.DontBother);
  EXPECT_FALSE(Stored("MaxWidth").has_value());
}

TEST_F(OptionsStore, SaveWritesTheTextFormsUnderTheExactKeyNames) {
  AppOptions = DefaultOptions();
  AppOptions.PrintFileSize = true;
  AppOptions.MaxWidth = -5;
  AppOptions.DefaultDir = N("C:\\Lists\\");
  SaveOptions();
  EXPECT_EQ(Stored("PrintFileSize"), N("True"));
  EXPECT_EQ(Stored("PrintDateTime"), N("False"));
  EXPECT_EQ(Stored("MaxWidth"), N("-5"));
  EXPECT_EQ(Stored("NoSpacesSeperate"), N("10"));
  EXPECT_EQ(Stored("DefaultDir"), N("C:\\Lists\\"));
  for (const char* key :
       {"UseDefaultDir", "PrintListType", "PrintStyle", "Registered", "DontBother"})
    EXPECT_TRUE(Stored(key).has_value()) << key;
}

TEST_F(OptionsStore, SaveThenLoadReproducesEveryField) {
  OptionsRecord chosen;
  chosen.UseDefaultDir = true;
  chosen.DefaultDir = N("/data/with space/Quillet List.txt");
  chosen.PrintFileSize = true;
  chosen.PrintDateTime = true;
  chosen.NoSpacesSeperate = 0;
  chosen.MaxWidth = 120;
  chosen.PrintListType = 3;
  chosen.PrintStyle = 1;
  chosen.Registered = true;
  chosen.DontBother = true;
  AppOptions = chosen;
  SaveOptions();
  AppOptions = OptionsRecord{};
  LoadOptions();
  EXPECT_TRUE(SameRecord(AppOptions, chosen));
  // A second save replaces earlier values instead of adding to them.
  AppOptions.MaxWidth = 81;
  SaveOptions();
  LoadOptions();
  EXPECT_EQ(AppOptions.MaxWidth, 81);
}

TEST_F(OptionsStore, StoredTextsLoadAsTheirValues) {
  Store("PrintFileSize", "True");
  Store("PrintDateTime", "False");
  Store("MaxWidth", "120");
  Store("Registered", "-1");
  Store("DefaultDir", "D:\\Out\\");
  LoadOptions();
  EXPECT_TRUE(AppOptions.PrintFileSize);
  EXPECT_FALSE(AppOptions.PrintDateTime);
  EXPECT_EQ(AppOptions.MaxWidth, 120);
  EXPECT_TRUE(AppOptions.Registered);
  EXPECT_EQ(AppOptions.DefaultDir, N("D:\\Out\\"));
}

TEST_F(OptionsStore, TextsThatDoNotConvertCountAsAbsent) {
  Store("PrintFileSize", "maybe");
  Store("MaxWidth", "wide");
  Store("NoSpacesSeperate", "40000");
  Store("PrintStyle", "-32769");
  Store("PrintListType", "7");  // converts: out-of-range list types are the window's matter
  LoadOptions();
  EXPECT_FALSE(AppOptions.PrintFileSize);
  EXPECT_EQ(AppOptions.MaxWidth, 80);
  EXPECT_EQ(AppOptions.NoSpacesSeperate, 10);
  EXPECT_EQ(AppOptions.PrintStyle, 2);
  EXPECT_EQ(AppOptions.PrintListType, 7);
}

TEST_F(OptionsStore, AnotherExecutableNameHasItsOwnSettings) {
  AppOptions = DefaultOptions();
  AppOptions.MaxWidth = 99;
  SaveOptions();
  SetOptionsApplicationName(N("QuilletRenamed"));
  LoadOptions();
  EXPECT_EQ(AppOptions.MaxWidth, 80);
}
