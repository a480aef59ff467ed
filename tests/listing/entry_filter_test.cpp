#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listing/folder_listing.h"
#include "support/temp_tree.h"

using testing_support::N;
using testing_support::ReadLines;
using testing_support::TempTree;
using Lines = std::vector<std::string>;

namespace {

class EntryFilterRun : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ResetListingState();
    entered.clear();
    tree_.File("src/node_modules/pkg/index.js");
    tree_.File("src/Docs/Old/notes.txt");
    tree_.File("src/Docs/a.txt");
    tree_.File("src/Docs/b.log");
    tree_.File("src/c.TXT");
  }
  void TearDown() override { testing_support::ResetListingState(); }

  Lines List(const EntryFilter& filter) {
    ListingSettings settings;
    settings.source = tree_.Path("src");
    settings.output = tree_.Path("out.txt");
    settings.layout.PrintStyle = 0;
    settings.filter = filter;
    settings.hooks.progress = [this](std::uint64_t, const NativeString& folder) {
      if (entered.empty() || entered.back() != folder) entered.push_back(folder);
    };
    EXPECT_TRUE(ListingRun(settings).WriteFolderListing());
    return ReadLines(settings.output);
  }

  TempTree tree_;
  std::vector<NativeString> entered;
};

}  // namespace

TEST_F(EntryFilterRun, ExcludedFolderIsNeitherListedNorEnteredAndIncludeKeepsOnlyMatchingFiles) {
  EntryFilter filter;
  filter.exclude = {N("node_*"), N("?.log")};
  filter.include = {N("*.txt")};
  // Windows matches names regardless of case; POSIX does not.
#ifdef _WIN32
  const Lines topFiles{"   c.TXT"};
#else
  const Lines topFiles{};
#endif
  Lines expected{"   Docs", "      Old", "         notes.txt", "      a.txt"};
  expected.insert(expected.end(), topFiles.begin(), topFiles.end());
  EXPECT_EQ(List(filter), expected);
  for (const NativeString& folder : entered)
    EXPECT_EQ(folder.find(N("node_modules")), NativeString::npos) << "entered an excluded folder";
  EXPECT_EQ(entered.size(), 3u);  // src, Docs, Old
}

TEST_F(EntryFilterRun, MaxDepthListsItsLevelAndEntersNoDeeper) {
  EntryFilter filter;
  filter.maxDepth = 2;
  EXPECT_EQ(List(filter), (Lines{"   Docs", "      Old", "      a.txt", "      b.log",
                                 "   node_modules", "      pkg", "   c.TXT"}));
  EXPECT_EQ(entered.size(), 3u);  // src, Docs, node_modules
}

TEST(MatchesWildcard, StarsBacktrackAndQuestionMarkTakesOneCharacter) {
  EXPECT_TRUE(MatchesWildcard(N("*a*b*"), N("xxaxxbxx")));
  EXPECT_FALSE(MatchesWildcard(N("*a*b"), N("xxaxxbxx")));
  EXPECT_TRUE(MatchesWildcard(N("?.txt"), N("\xC3\xA9.txt")));  // one character, two UTF-8 bytes
  EXPECT_FALSE(MatchesWildcard(N("?"), N("")));
  EXPECT_TRUE(MatchesWildcard(N("*"), N("")));
}
