#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "listing/app_options.h"
#include "platform/name_order.h"
#include "support/temp_tree.h"

using testing_support::N;

namespace {

// NTFS's order, as Wine returns it: upper-cased, so "_" (0x5F) sorts after the letters and "["
// before them; digits by code unit, not by value. Enough names that the reader sorts them as
// a large folder.
const std::vector<std::string> kNtfsOrder = {"10", "9",  "A",  "a2", "Ab3", "a_",
                                             "b",  "B1", "bA", "b_", "c-d", "c.txt",
                                             "cd", "Y~", "Z",  "[y", "_x",  "~z"};

}  // namespace

TEST(NameOrder, UpperCasedCodeUnitsDecide) {
  for (std::size_t i = 0; i + 1 < kNtfsOrder.size(); ++i) {
    EXPECT_TRUE(platform::NameOrderLess(N(kNtfsOrder[i]), N(kNtfsOrder[i + 1]))) << i;
    EXPECT_FALSE(platform::NameOrderLess(N(kNtfsOrder[i + 1]), N(kNtfsOrder[i]))) << i;
  }
  EXPECT_TRUE(platform::NameOrderLess(N("~z"), N("\xC3\xA9")));         // é after ASCII
  EXPECT_TRUE(platform::NameOrderLess(N("\xC3\xA9"), N("\xC3\xA9x")));  // a prefix first
  EXPECT_TRUE(platform::NameOrderLess(N("\xC3\xA8"), N("\xC3\x89")));   // è < É
  EXPECT_TRUE(platform::NameOrderLess(N("\xEF\xBC\xA1"), N("\xF0\x9F\x98\x80")) == false);
  EXPECT_FALSE(platform::NameOrderLess(N("same"), N("same")));
}

// Natively this is the reader's sort; under Wine it checks that the rule is Wine's own.
TEST(NameOrder, EveryBuildListsAFolderInThatOrder) {
  testing_support::ResetListingState();
  testing_support::TempTree tree;
  std::vector<std::string> created = kNtfsOrder;
  std::reverse(created.begin(), created.end());
  for (const auto& name : created) tree.File("src/" + name);
  AppOptions.PrintStyle = 0;
  const NativeString out = tree.Path("out.txt");
  ASSERT_TRUE(testing_support::RunListing(tree.Path("src"), out, 1));
  std::vector<std::string> expected;
  for (const auto& name : kNtfsOrder) expected.push_back("   " + name);
  EXPECT_EQ(testing_support::ReadLines(out), expected);
#ifndef _WIN32
  // Names that differ only in case, which only POSIX file systems hold, in a folder large
  // enough to be sorted by its upper-cased copy: the order is NameOrderLess's.
  std::vector<std::string> twins = {"ab", "AB", "aB", "Ab", "a", "A", "b_", "B_", "b", "B"};
  for (int i = 0; i < 8; ++i) twins.push_back("n" + std::to_string(i) + (i % 2 ? "x" : "X"));
  for (const auto& name : twins) tree.File("twins/" + name);
  std::sort(twins.begin(), twins.end(), [](const std::string& a, const std::string& b) {
    return platform::NameOrderLess(N(a), N(b));
  });
  ASSERT_TRUE(testing_support::RunListing(tree.Path("twins"), out, 1));
  expected.clear();
  for (const auto& name : twins) expected.push_back("   " + name);
  EXPECT_EQ(testing_support::ReadLines(out), expected);
#endif
}
