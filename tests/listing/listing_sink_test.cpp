#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listing/app_options.h"
#include "listing/folder_listing.h"
#include "listing/listing_sink.h"
#include "platform/system_error.h"
#include "support/temp_tree.h"

using testing_support::N;
using testing_support::ReadBytes;
using testing_support::TempTree;

TEST(ListingSink, LinesWaitForAFlushAndGoOutWhole) {
  TempTree tree;
  const NativeString file = tree.Path("log.txt");
  tree.File("log.txt", "old contents");
  ListingSink sink{platform::OutputFile(file)};
  EXPECT_EQ(ReadBytes(file), "");  // emptied when opened
  sink.Add(N("first\r\n"));
  sink.Add(N("\r\n"));
  sink.Add(N("  third\r\n   continued\r\n"));
  EXPECT_EQ(ReadBytes(file), "");
  EXPECT_EQ(sink.Lines(), 4u);
  sink.Flush();
  EXPECT_EQ(ReadBytes(file), "first\r\n\r\n  third\r\n   continued\r\n");
  EXPECT_EQ(sink.WholeLinesEnd(), 32u);

  // A large folder is written in pieces of whole lines, without waiting for its end.
  const NativeString line = NativeString(99, NativeChar('x')) + N("\r\n");
  for (std::size_t i = 0; i * line.size() < ListingSink::kFlushBytes; ++i) sink.Add(line);
  const std::string bytes = ReadBytes(file);
  EXPECT_GT(bytes.size(), ListingSink::kFlushBytes);
  EXPECT_EQ(bytes.size(), sink.WholeLinesEnd());
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
}

TEST(ListingSink, OutputThatCannotBeOpenedThrows) {
  TempTree tree;
  EXPECT_THROW(platform::OutputFile(tree.Path("missing/folder/x.txt")), platform::SystemError);
  platform::OutputFile(tree.Path("new.txt"));
  EXPECT_EQ(ReadBytes(tree.Path("new.txt")), "");
}

namespace {}  // namespace

// What another program sees at a yield point (where the window may show a message box) is
// every finished folder's lines and nothing cut; a failure writes what was queued.
TEST(ListingSink, TheFileHoldsWholeLinesAtEveryYieldAndAfterAFailure) {
  testing_support::ResetListingState();
  TempTree tree;
  tree.File("src/A/a1.txt");
  tree.File("src/A/a2.txt");
  tree.File("src/B/b1.txt");
  tree.File("src/C/c1.txt");
  const NativeString out = tree.Path("out.txt");
  std::vector<std::string> seenAtYield;
  ListingHooks hooks;
  hooks.inputPending = [] { return true; };
  hooks.processInput = [&] { seenAtYield.push_back(ReadBytes(out)); };
  AppOptions.PrintStyle = 0;
  ASSERT_TRUE(testing_support::RunListing(tree.Path("src"), out, 2, hooks));
  EXPECT_EQ(seenAtYield, (std::vector<std::string>{
                             "", "   A\r\n      a1.txt\r\n      a2.txt\r\n",
                             "   A\r\n      a1.txt\r\n      a2.txt\r\n   B\r\n      b1.txt\r\n"}));

  // The layout fails at the first file; the folder line queued before it is in the file.
  AppOptions.PrintStyle = 1;
  AppOptions.NoSpacesSeperate = -1;
  EXPECT_THROW(testing_support::RunListing(tree.Path("src"), out, 2), platform::SystemError);
  EXPECT_EQ(ReadBytes(out), "   A\r\n");
  testing_support::ResetListingState();
}
