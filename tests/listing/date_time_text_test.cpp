#include <gtest/gtest.h>

#include <algorithm>

#include "listing/app_options.h"
#include "listing/folder_listing.h"
#include "platform/date_time_text.h"
#include "platform/folder_reader.h"
#include "support/temp_tree.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <clocale>
#include <cstdlib>
#include <ctime>
#endif

using testing_support::N;

namespace {

constexpr long long kMorning = 963119001;   // 2000-07-09 05:03:21 UTC
constexpr long long kMidnight = 963100800;  // 2000-07-09 00:00:00 UTC

#ifdef _WIN32
// FILETIME ticks of a wall-clock time in the machine's own time zone.
std::int64_t LocalTicks(WORD hour, WORD minute, WORD second) {
  SYSTEMTIME local{};
  local.wYear = 2000;
  local.wMonth = 7;
  local.wDay = 9;
  local.wHour = hour;
  local.wMinute = minute;
  local.wSecond = second;
  SYSTEMTIME utc;
  EXPECT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
  FILETIME file;
  EXPECT_TRUE(SystemTimeToFileTime(&utc, &file));
  return static_cast<std::int64_t>((static_cast<ULONGLONG>(file.dwHighDateTime) << 32) |
                                   file.dwLowDateTime);
}
#endif

}  // namespace

#ifdef _WIN32
TEST(DateTimeText, UserShortDateAndLongTimeInLocalTime) {
  const NativeString text = platform::DateTimeText(LocalTicks(5, 3, 21));
  wchar_t locale[LOCALE_NAME_MAX_LENGTH];
  GetUserDefaultLocaleName(locale, LOCALE_NAME_MAX_LENGTH);
  if (NativeString(locale) == L"en-US") {
    EXPECT_EQ(text, L"7/9/2000 5:03:21 AM");
  } else {
    EXPECT_NE(text.find(L"2000"), NativeString::npos) << platform::ToUtf8(text);
    EXPECT_NE(text.find(L"03"), NativeString::npos) << platform::ToUtf8(text);
  }
}

TEST(DateTimeText, MidnightGivesTheDateAlone) {
  const NativeString midnight = platform::DateTimeText(LocalTicks(0, 0, 0));
  const NativeString morning = platform::DateTimeText(LocalTicks(5, 3, 21));
  EXPECT_EQ(morning.rfind(midnight + L" ", 0), 0u) << platform::ToUtf8(morning);
  EXPECT_EQ(platform::DateTimeText(LocalTicks(0, 0, 1)).size() > midnight.size(), true);
}
#else
class PosixDateTimeText : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tz = std::getenv("TZ");
    hadTz_ = tz != nullptr;
    if (hadTz_) oldTz_ = tz;
    setenv("TZ", "UTC0", 1);
    tzset();
    oldLocale_ = std::setlocale(LC_TIME, nullptr);
  }
  void TearDown() override {
    if (hadTz_)
      setenv("TZ", oldTz_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
    std::setlocale(LC_TIME, oldLocale_.c_str());
  }
  bool hadTz_ = false;
  std::string oldTz_;
  std::string oldLocale_;
};

TEST_F(PosixDateTimeText, PlainLocalesGiveIsoDateAndTime) {
  for (const char* locale : {"C", "POSIX", "C.UTF-8"}) {
    if (!std::setlocale(LC_TIME, locale)) continue;
    EXPECT_EQ(platform::DateTimeText(kMorning), "2000-07-09 05:03:21") << locale;
    EXPECT_EQ(platform::DateTimeText(kMidnight), "2000-07-09") << locale;
  }
}

TEST_F(PosixDateTimeText, TimeIsLocal) {
  std::setlocale(LC_TIME, "C");
  setenv("TZ", "XST-2", 1);  // two hours east of UTC
  tzset();
  EXPECT_EQ(platform::DateTimeText(kMorning), "2000-07-09 07:03:21");
  EXPECT_EQ(platform::DateTimeText(kMidnight - 2 * 3600), "2000-07-09");
}

TEST_F(PosixDateTimeText, RegionalLocaleUsesItsOwnForms) {
  if (!std::setlocale(LC_TIME, "en_US.UTF-8")) GTEST_SKIP() << "en_US.UTF-8 is not installed";
  EXPECT_EQ(platform::DateTimeText(kMorning), "07/09/2000 05:03:21 AM");
  EXPECT_EQ(platform::DateTimeText(kMidnight), "07/09/2000");
}
#endif

TEST(DateTimeText, ListingTakesSizeAndDateFromTheFolderRecord) {
  testing_support::ResetListingState();
  testing_support::TempTree tree;
  tree.Folder("src");
  tree.File("src/f.txt", "hello");
  tree.SetModified("src/f.txt", kMorning);
  AppOptions.PrintStyle = 1;
  AppOptions.NoSpacesSeperate = 0;
  AppOptions.PrintFileSize = true;
  AppOptions.PrintDateTime = true;
  const NativeString out = tree.Path("out.txt");
  ASSERT_TRUE(testing_support::RunListing(tree.Path("src"), out, 2));
#ifdef _WIN32
  // FILETIME ticks: 100 ns since 1601.
  const std::int64_t modified = (kMorning + 11644473600LL) * 10000000LL;
#else
  const std::int64_t modified = kMorning;
#endif
  const std::string expected =
      "   f.txt 5 bytes  " + platform::ToUtf8(platform::DateTimeText(modified));
  EXPECT_EQ(testing_support::ReadLines(out), std::vector<std::string>{expected});
  testing_support::ResetListingState();
}

TEST(DateTimeText, FilesOfTwoGibibytesAndMoreShowTheirRealSize) {
  testing_support::ResetListingState();
  testing_support::TempTree tree;
  tree.Folder("src");
  tree.SizedFile("src/big.bin", 3221225472LL);
  AppOptions.PrintStyle = 1;
  AppOptions.NoSpacesSeperate = 1;
  AppOptions.PrintFileSize = true;
  const NativeString out = tree.Path("out.txt");
  ASSERT_TRUE(testing_support::RunListing(tree.Path("src"), out, 1));
  EXPECT_EQ(testing_support::ReadLines(out),
            std::vector<std::string>{"   big.bin  3221225472 bytes"});
  testing_support::ResetListingState();
}
