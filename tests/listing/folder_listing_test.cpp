#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "listing/app_options.h"
#include "listing/folder_listing.h"
#include "platform/folder_reader.h"
#include "platform/system_error.h"
#include "support/temp_tree.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

using testing_support::N;
using testing_support::ReadLines;
using testing_support::TempTree;
using Lines = std::vector<std::string>;

namespace {

class FolderListing : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ResetListingState();
    AppOptions.PrintStyle = 0;  // plain name lines unless a test asks for more
    tree_.Folder("src");
    output_ = tree_.Path("out.txt");
  }
  void TearDown() override { testing_support::ResetListingState(); }

  NativeString Source() const { return tree_.Path("src"); }

  // Runs a listing (which empties the output first) and returns the output's lines.
  Lines List(const NativeString& root, int listType, bool expectedResult = true) {
    EXPECT_EQ(testing_support::RunListing(root, output_, listType, hooks_, CancelToken(cancel_)),
              expectedResult);
    return ReadLines(output_);
  }

  // Stands in for the window: input is "pending" at every yield point, and the Cancel click is
  // handled at the chosen one.
  void CancelAtYield(int chosen) {
    yieldCalls_ = 0;
    hooks_.inputPending = [] { return true; };
    hooks_.processInput = [this, chosen] { cancel_ = ++yieldCalls_ >= chosen; };
  }

  TempTree tree_;
  NativeString output_;
  ListingHooks hooks_;
  std::atomic<bool> cancel_{false};
  int yieldCalls_ = 0;
};

// Lines of the given indentation and names, for the expectations.
std::string Entry(int indent, const std::string& name) { return std::string(indent, ' ') + name; }

}  // namespace

TEST_F(FolderListing, EmptyFolderGivesAnEmptyFile) {
  for (int type = 0; type <= 3; ++type) {
    EXPECT_TRUE(List(Source(), type).empty()) << "list type " << type;
    EXPECT_EQ(testing_support::ReadBytes(output_), "");
  }
}

TEST_F(FolderListing, FilesAndFoldersComeSubfolderFirstIndentedByDepth) {
  tree_.File("src/Docs/a.txt", "a");
  tree_.File("src/b.txt", "b");
  EXPECT_EQ(List(Source(), 2), (Lines{Entry(3, "Docs"), Entry(6, "a.txt"), Entry(3, "b.txt")}));
}

TEST_F(FolderListing, TrailingSeparatorOnTheRootRemovesOneLevelOfIndentation) {
  tree_.File("src/Docs/a.txt", "a");
  tree_.File("src/b.txt", "b");
  const NativeString root = Source() + kPathSeparator;
  EXPECT_EQ(List(root, 2), (Lines{Entry(0, "Docs"), Entry(3, "a.txt"), Entry(0, "b.txt")}));
  ListingSettings settings;
  settings.source = root;
  EXPECT_EQ(ListingRun(settings).ListingRoot(), root);
}

TEST_F(FolderListing, EachListTypeListsItsOwnEntries) {
  tree_.File("src/A/A1/deep.txt");
  tree_.File("src/A/inA.txt");
  tree_.File("src/top.txt");
  EXPECT_EQ(List(Source(), 0), (Lines{Entry(3, "A"), Entry(6, "A1")}));
  EXPECT_EQ(List(Source(), 1), (Lines{Entry(3, "top.txt")}));
  EXPECT_EQ(List(Source(), 2), (Lines{Entry(3, "A"), Entry(6, "A1"), Entry(9, "deep.txt"),
                                      Entry(6, "inA.txt"), Entry(3, "top.txt")}));
  EXPECT_EQ(List(Source(), 3), (Lines{Entry(3, "A")}));
}

TEST_F(FolderListing, FoldersOnlyKeepsEachSubtreeWithItsFolder) {
  tree_.Folder("src/P");
  tree_.Folder("src/P/P1");
  tree_.Folder("src/Q");
  tree_.Folder("src/Q/Q1");
  const Lines lines = List(Source(), 0);
  ASSERT_EQ(lines.size(), 4u);
  // Sibling order is the file system's; each folder is followed at once by its own child.
  const bool pFirst = lines[0] == Entry(3, "P");
  EXPECT_EQ(lines, pFirst ? (Lines{Entry(3, "P"), Entry(6, "P1"), Entry(3, "Q"), Entry(6, "Q1")})
                          : (Lines{Entry(3, "Q"), Entry(6, "Q1"), Entry(3, "P"), Entry(6, "P1")}));
}

TEST_F(FolderListing, FilesOnlyWithOnlySubfoldersWritesNothing) {
  tree_.Folder("src/One");
  tree_.Folder("src/Two");
  EXPECT_TRUE(List(Source(), 1).empty());
}

TEST_F(FolderListing, UnknownListTypeWritesNothingAndSucceeds) {
  tree_.File("src/a.txt");
  EXPECT_TRUE(List(Source(), 7).empty());
  EXPECT_TRUE(List(Source(), -1).empty());
}

TEST_F(FolderListing, MissingFolderWritesNothingAndReportsFalse) {
  tree_.File("out.txt", "precious\r\n");
  EXPECT_EQ(List(tree_.Path("nowhere"), 2, false), Lines{"precious"});
  tree_.File("plainfile");
  EXPECT_EQ(List(tree_.Path("plainfile"), 2, false), Lines{"precious"});
}

TEST_F(FolderListing, HiddenEntriesAndTheOutputFileItselfAreListed) {
  tree_.File("src/.hidden");
  output_ = tree_.Path("src/listing.txt");
  const Lines lines = List(Source(), 2);
  EXPECT_NE(std::find(lines.begin(), lines.end(), Entry(3, ".hidden")), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), Entry(3, "listing.txt")), lines.end());
}

TEST_F(FolderListing, EachRunMeasuresIndentationFromItsOwnRoot) {
  tree_.File("src/A/B/C/x.txt");
  tree_.File("src/X/y.txt");
  EXPECT_EQ(List(tree_.Path("src/A/B/C"), 2), (Lines{Entry(3, "x.txt")}));
  EXPECT_EQ(List(tree_.Path("src/X"), 2), (Lines{Entry(3, "y.txt")}));
}

TEST_F(FolderListing, EntryPathsAreTheFileSystemsWhileTheRootIsCountedAsTyped) {
  tree_.File("src/Docs/a.txt");
  // "src/." names src; entries are reported below src itself, so the extra level typed in
  // the root shifts every entry one level left, as a trailing separator does.
  const NativeString dotted = Source() + kPathSeparator + N(".");
  EXPECT_EQ(List(dotted, 2), (Lines{Entry(0, "Docs"), Entry(3, "a.txt")}));
}

TEST_F(FolderListing, NegativeIndentationEndsTheRunWithAnError) {
  tree_.File("src/a.txt");
  NativeString root = Source();
  root.insert(root.rfind(kPathSeparator), NativeString(3, kPathSeparator));
  EXPECT_THROW(testing_support::RunListing(root, output_, 2), platform::SystemError);
}

// A folder is read a buffer at a time: one that takes several comes out whole and in order.
// On Linux each 44-character name takes a 64-byte record, so that after "." and ".." fill the
// first buffer short, the second is filled to its last byte by a name ending at its edge.
TEST_F(FolderListing, AFolderOfSeveralReadBuffersIsListedWhole) {
  const std::size_t count = 3 * platform::kFolderReadBufferBytes / 64 + 7;
  Lines expected;
  for (std::size_t i = 0; i < count; ++i) {
    std::string name = "entry-" + std::to_string(100000 + i);
    name.resize(44, 'x');
    tree_.File("src/" + name);
    expected.push_back("   " + name);
  }
  EXPECT_EQ(List(Source(), kListFilesOnly), expected);
}

// A subfolder's identity is put together from its parent's listing, with no question of its
// own; it must be the one the system gives, or a link back up the tree would go unseen.
TEST_F(FolderListing, ASubfoldersIdentityFromItsParentsListingIsTheSystemsOwn) {
  tree_.File("src/sub/a.txt");
  platform::FolderContents root, sub;
  const platform::OpenFolder parent(platform::FullFolderPath(Source()));
  parent.Read(platform::ReadRequest{}, root);
  ASSERT_EQ(root.folders.size(), 1u);
  const NativeString path = platform::FullFolderPath(tree_.Path("src/sub"));
  const platform::OpenFolder child(parent, root.folders[0], root.Name(root.folders[0]), path);
  child.Read(platform::ReadRequest{}, sub);
  EXPECT_TRUE(sub.identityFromListing);
  EXPECT_EQ(sub.files.size(), 1u);
  EXPECT_TRUE(sub.identity == child.AskIdentity());
  EXPECT_FALSE(sub.identity == root.identity);
}

TEST_F(FolderListing, DepthAndEntryNamesCountThePlatformSeparator) {
  const NativeString s(1, kPathSeparator);
  EXPECT_EQ(PathDepth(N("C:") + s), 0);
  EXPECT_EQ(PathDepth(N("C:") + s + N("Data")), 0);
  EXPECT_EQ(PathDepth(N("C:") + s + N("Data") + s + N("Docs")), 1);
  EXPECT_EQ(PathDepth(N("C:") + s + N("Data") + s), 1);
  EXPECT_EQ(PathDepth(N("plain")), 0);

  // A drive root's first-level entries start in column 1.
  const NativeString drive = testing_support::Drive();
  EntryLayout layout;
  layout.firstLevelIndent = FirstLevelIndent(drive + s);
  EXPECT_EQ(layout.firstLevelIndent, 0);
  const auto nameLine = [&layout](const NativeString& name, int level) {
    NativeString line;
    FormatEntryName({name, level, EntryKind::kFolder, {}, {}}, IndentWidth(layout, level), line);
    return line;
  };
  EXPECT_EQ(nameLine(N("Docs"), 1), N("Docs"));
  EXPECT_EQ(nameLine(N("a.txt"), 2), N("   a.txt"));
  EXPECT_EQ(IndentWidth(layout, 2), 3);
}

// One rule on every build: an absolute root is counted as typed, a relative one in the full
// form Windows gives it, which resolves "." and ".." and keeps only a typed trailing separator.
TEST_F(FolderListing, RelativeRootsAreCountedInTheirFullForm) {
  tree_.Folder("src/a");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::path(Source()));
  const NativeString s(1, kPathSeparator);
  EXPECT_EQ(FirstLevelIndent(N(".")), 3);
  EXPECT_EQ(FirstLevelIndent(N("..")), 3);
  EXPECT_EQ(FirstLevelIndent(N("a") + s + N(".")), 3);
  EXPECT_EQ(FirstLevelIndent(N("a") + s + N("..")), 3);
  EXPECT_EQ(FirstLevelIndent(N("a") + s + s), 0);
  EXPECT_EQ(FirstLevelIndent(N(".") + s), 0);
  EXPECT_THROW(FirstLevelIndent(Source() + s + N("a") + s + N("..")), platform::SystemError);
  std::filesystem::current_path(before);
}

TEST_F(FolderListing, CancelSeenDeepInTheTreeStopsEveryLevel) {
  tree_.File("src/A/B/C/D/deep.txt");
  tree_.File("src/A/B/b.txt");
  tree_.File("src/A/a.txt");
  tree_.File("src/top.txt");
  CancelAtYield(4);  // the yield before the line of D
  EXPECT_EQ(List(Source(), 2, false), (Lines{Entry(3, "A"), Entry(6, "B"), Entry(9, "C")}));
  EXPECT_TRUE(cancel_);
}

TEST_F(FolderListing, CancelInFilesOnlyAndFirstLevelLists) {
  tree_.File("src/one.txt");
  tree_.File("src/two.txt");
  tree_.Folder("src/F1");
  tree_.Folder("src/F2");
  CancelAtYield(2);
  EXPECT_EQ(List(Source(), 1, false).size(), 1u);
  cancel_ = false;
  CancelAtYield(2);
  EXPECT_EQ(List(Source(), 3, false).size(), 1u);
}

TEST_F(FolderListing, FlagIsNotLookedAtWithoutPendingInput) {
  tree_.File("src/A/a.txt");
  tree_.File("src/B/b.txt");
  hooks_.inputPending = [this] {
    ++yieldCalls_;
    // must not be looked at when no input is pending
    cancel_ = true;
    return false;
  };
  hooks_.processInput = [] { ADD_FAILURE() << "no input was pending"; };
  // The check after a finished subfolder still sees the flag, as a nested run would.
  const Lines lines = List(Source(), 2, false);
  EXPECT_EQ(lines.size(), 2u);
  EXPECT_GE(yieldCalls_, 1);
}

TEST_F(FolderListing, FilesOfAFolderHaveNoYieldPoint) {
  for (int i = 0; i < 5; ++i) tree_.File("src/f" + std::to_string(i));
  CancelAtYield(1);
  EXPECT_EQ(List(Source(), 2).size(), 5u);
  EXPECT_EQ(yieldCalls_, 0);
}

#ifdef _WIN32
// Wine resolves every path component on each call, so a thousand levels take minutes to make
// there. Three hundred levels on a thread with a small stack show the same thing: the walk's
// stack use does not grow with the depth.
constexpr int kDeepLevels = 300;
constexpr unsigned kSmallStack = 128 * 1024;

Lines ListOnSmallStack(const std::function<Lines()>& list) {
  Lines lines;
  std::exception_ptr failure;
  struct Job {
    const std::function<Lines()>* list;
    Lines* lines;
    std::exception_ptr* failure;
  } job{&list, &lines, &failure};
  HANDLE thread = CreateThread(
      nullptr, kSmallStack,
      [](void* raw) -> DWORD {
        auto* work = static_cast<Job*>(raw);
        try {
          *work->lines = (*work->list)();
        } catch (...) {
          *work->failure = std::current_exception();
        }
        return 0;
      },
      &job, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  EXPECT_NE(thread, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  if (failure) std::rethrow_exception(failure);
  return lines;
}
#else
constexpr int kDeepLevels = 1000;
Lines ListOnSmallStack(const std::function<Lines()>& list) { return list(); }
#endif

TEST_F(FolderListing, AVeryDeepTreeListsCompletely) {
  std::string relative = "src";
  for (int level = 0; level < kDeepLevels; ++level) {
    relative += "/d";
    tree_.Folder(relative);
  }
  tree_.File(relative + "/leaf.txt");
  const Lines lines = ListOnSmallStack([this] { return List(Source(), 2); });
  ASSERT_EQ(lines.size(), kDeepLevels + 1u);
  EXPECT_EQ(lines[kDeepLevels - 1], Entry(3 * kDeepLevels, "d"));
  EXPECT_EQ(lines[kDeepLevels], Entry(3 * (kDeepLevels + 1), "leaf.txt"));
}

TEST_F(FolderListing, AnUnreadableOutputEndsTheRunWithAnError) {
  tree_.File("src/a.txt");
  tree_.Folder("out-is-a-folder");
  EXPECT_THROW(testing_support::RunListing(Source(), tree_.Path("out-is-a-folder"), 2),
               platform::SystemError);
}

TEST_F(FolderListing, ProgressIsReportedPerFolder) {
  tree_.File("src/A/a.txt");
  int reports = 0;
  hooks_.progress = [&reports](std::uint64_t, const NativeString&) { ++reports; };
  List(Source(), 2);
  EXPECT_EQ(reports, 2);  // the root and A
}

#ifndef _WIN32
// As Windows shows them: a link to a folder is a folder, listed and not entered (one pointing
// up the tree cannot make the walk endless); a link to a file has the file's size.
TEST_F(FolderListing, LinksAreListedAsWhatTheyPointTo) {
  tree_.File("src/real/inside.txt", "12345");
  ASSERT_EQ(symlink("real", platform::ToUtf8(tree_.Path("src/up")).c_str()), 0);
  ASSERT_EQ(symlink("..", platform::ToUtf8(tree_.Path("src/real/loop")).c_str()), 0);
  ASSERT_EQ(symlink("real/inside.txt", platform::ToUtf8(tree_.Path("src/file-link")).c_str()), 0);
  ASSERT_EQ(symlink("gone", platform::ToUtf8(tree_.Path("src/dangling")).c_str()), 0);
  AppOptions.PrintStyle = 1;
  AppOptions.NoSpacesSeperate = 0;
  AppOptions.PrintFileSize = true;
  EXPECT_EQ(List(Source(), 2),
            (Lines{Entry(3, "real"), Entry(6, "loop"), Entry(6, "inside.txt 5 bytes"),
                   Entry(3, "up"), Entry(3, "dangling 4 bytes"), Entry(3, "file-link 5 bytes")}));
}
#endif
