// Folders read ahead on worker threads give the walk's output byte for byte, stop with the
// run, and fail at their own turn.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "listing/app_options.h"
#include "listing/folder_listing.h"
#include "platform/system_error.h"
#include "support/temp_tree.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h
#include <tlhelp32.h>
#else
#include <filesystem>
#endif

using testing_support::N;
using testing_support::TempTree;

namespace {

int ThreadCount() {
#ifdef _WIN32
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  EXPECT_NE(snapshot, INVALID_HANDLE_VALUE);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    count += entry.th32OwnerProcessID == GetCurrentProcessId();
  CloseHandle(snapshot);
  return count;
#else
  int count = 0;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    (void)task;
    ++count;
  }
  return count;
#endif
}

// A joined thread may still show in the system's list for a moment: wait (generously) for the
// count to come back rather than read it once. A worker left running never lets it.
bool ThreadsReturnTo(int count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (ThreadCount() != count) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// Every listing waits 0 to 3 ms, chosen by its path, so the workers finish out of order.
void DelayAtRandom(const NativeString& path) {
  std::this_thread::sleep_for(std::chrono::microseconds(std::hash<NativeString>{}(path) % 3000));
}

class ReadAhead : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ResetListingState();
    AppOptions.PrintStyle = 0;
    // 4 folders of 4 folders of 2, each with a file: 56 folders.
    for (int a = 0; a < 4; ++a)
      for (int b = 0; b < 4; ++b)
        for (int c = 0; c < 2; ++c) {
          const std::string folder = "src/a" + std::to_string(a) + "/b" + std::to_string(b);
          tree_.File(folder + "/c" + std::to_string(c) + "/f.txt");
          tree_.File(folder + "/g.txt");
        }
  }
  void TearDown() override { testing_support::ResetListingState(); }

  // Lists the tree read ahead (`on`) or one folder at a time; returns the output's bytes.
  std::string List(bool on, int listType = kListFilesAndFolders, bool finishes = true) {
    ListingSettings settings;
    settings.source = tree_.Path("src");
    settings.output = tree_.Path(on ? "ahead.txt" : "sequential.txt");
    settings.listType = listType;
    settings.layout = LayoutOf(AppOptions);
    settings.cancel = CancelToken(cancel_);
    settings.hooks = hooks_;
    settings.readAhead.mode = on ? ReadAheadSettings::Mode::kOn : ReadAheadSettings::Mode::kOff;
    settings.readAhead.workers = 4;
    settings.readAhead.bytesAhead = 256;  // small, so that folders read far ahead give way
    settings.readAhead.beforeRead = beforeRead_;
    settings.keepGoing = keepGoing_;
    settings.skipped = onSkipped_;
    yields_ = 0;
    cancel_ = false;
    EXPECT_EQ(ListingRun(std::move(settings)).WriteFolderListing(), finishes);
    return testing_support::ReadBytes(tree_.Path(on ? "ahead.txt" : "sequential.txt"));
  }

  TempTree tree_;
  ListingHooks hooks_;
  std::function<void(const NativeString&)> beforeRead_ = DelayAtRandom;
  std::atomic<bool> cancel_{false};
  int yields_ = 0;
  bool keepGoing_ = false;
  std::function<void(const platform::SystemError&)> onSkipped_;
};

// A reader under the automatic rule with at most 2 workers, whose listings each take `delay`
// more, with the root `src` of `tree` read into `contents`.
std::unique_ptr<FolderReadAhead> AutoReaderOverDelayedListings(const TempTree& tree,
                                                               std::chrono::milliseconds delay,
                                                               platform::FolderContents& contents) {
  ReadAheadSettings settings;
  settings.mode = ReadAheadSettings::Mode::kAuto;
  settings.workers = 2;
  settings.beforeRead = [delay](const NativeString&) { std::this_thread::sleep_for(delay); };
  auto reader = std::make_unique<FolderReadAhead>(
      settings, platform::ReadRequest{}, nullptr,
      [](const platform::FolderItem& item) { return item.descend; });
  reader->ReadRoot(platform::OpenFolder(platform::FullFolderPath(tree.Path("src"))), contents);
  return reader;
}

}  // namespace

TEST_F(ReadAhead, ListingsDelayedAtRandomGiveTheSequentialBytes) {
  for (int listType : {kListFilesAndFolders, kListFoldersOnly}) {
    const std::string sequential = List(false, listType);
    EXPECT_EQ(List(true, listType), sequential) << "list type " << listType;
    EXPECT_FALSE(sequential.empty());
  }
}

// Forced on, one worker starts with the run and stops after the stretch of fast listings; the
// slow ones after it start the workers again from where the walk is, with folders still to
// enter at every level.
TEST_F(ReadAhead, WorkersThatStopAndStartAgainGiveTheSequentialBytes) {
  for (int i = 0; i < 60; ++i) tree_.File("src/z/" + std::to_string(i) + "/f.txt");
  for (int i = 0; i < 10; ++i) tree_.File("src/zz" + std::to_string(i) + "/f.txt");
  const NativeString slowPart = tree_.Path("src/z") + kPathSeparator;
  beforeRead_ = [&slowPart](const NativeString& path) {
    if (path.rfind(slowPart, 0) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  };
  const std::string sequential = List(false);
  EXPECT_EQ(List(true), sequential);
}

TEST_F(ReadAhead, CancelEndsTheRunAsBeforeWithNoWorkerLeft) {
  int cancelAtYield = 0;
  hooks_.inputPending = [] { return true; };
  hooks_.processInput = [&] { cancel_ = ++yields_ >= cancelAtYield; };
  const int threadsBefore = ThreadCount();
  for (int cancelAt : {1, 9, 30}) {
    cancelAtYield = cancelAt;
    const std::string sequential = List(false, kListFilesAndFolders, false);
    EXPECT_EQ(List(true, kListFilesAndFolders, false), sequential) << "cancel at " << cancelAt;
    EXPECT_TRUE(ThreadsReturnTo(threadsBefore))
        << ThreadCount() << " threads, " << threadsBefore << " before";
  }
}

TEST_F(ReadAhead, AFailedFolderFailsAtItsTurnAfterTheSameLines) {
  NativeString failingFolder;
  beforeRead_ = [&failingFolder](const NativeString& path) {
    DelayAtRandom(path);
    if (path == failingFolder) throw platform::SystemError(5, NTEXT("Access is denied: ") + path);
  };
  const int threadsBefore = ThreadCount();
  for (const char* failing : {"src/a1/b2", "src/a3/b0/c1"}) {
    failingFolder = tree_.Path(failing);
    std::string outputs[2];
    for (bool on : {false, true}) {
      try {
        List(on);
        ADD_FAILURE() << failing << " did not fail";
      } catch (const platform::SystemError& error) {
        EXPECT_EQ(error.Description(), NTEXT("Access is denied: ") + failingFolder);
      }
      outputs[on] = testing_support::ReadBytes(tree_.Path(on ? "ahead.txt" : "sequential.txt"));
    }
    EXPECT_EQ(outputs[1], outputs[0]) << failing;
    EXPECT_NE(outputs[0].find("a1"), std::string::npos) << failing;
  }
  EXPECT_TRUE(ThreadsReturnTo(threadsBefore))
      << ThreadCount() << " threads, " << threadsBefore << " before";
}

// Automatically the workers start only once four listings (and at least half of all) were
// slow; a busy machine that delays the odd listing does not start them.
TEST(ReadAheadStart, WorkersStartAfterTheFourthSlowListing) {
  TempTree tree;
  tree.Folder("src");
  for (int i = 0; i < 8; ++i) tree.Folder("src/f" + std::to_string(i));
  platform::FolderContents contents;
  const auto reader = AutoReaderOverDelayedListings(tree, std::chrono::milliseconds(2), contents);
  ASSERT_EQ(contents.folders.size(), 8u);
  for (int slow = 0; slow < 4; ++slow) {
    EXPECT_EQ(reader->Workers(), 0u) << "started after " << slow << " slow listings";
    reader->OpenNext();
    reader->ReadNext(contents);
  }
  EXPECT_GT(reader->Workers(), 0u);
}

// A large folder takes long without waiting for anything: under 10 us an entry is not slow,
// so no pool starts; natively one worker does where a second core can read beside the walk.
TEST(ReadAheadStart, LargeFoldersListedAtLocalSpeedStartOneWorkerAtMost) {
  TempTree tree;
  for (int i = 0; i < 6; ++i)
    for (int f = 0; f < 200; ++f) tree.File("src/f" + std::to_string(i) + "/" + std::to_string(f));
  // Where the file system itself takes more than half the limit an entry (Wine's emulated
  // listing), the rule rightly sees these listings as slow.
  {
    platform::FolderContents plain;
    const platform::OpenFolder folder(platform::FullFolderPath(tree.Path("src/f0")));
    folder.Read(platform::ReadRequest{}, plain);  // the first read sets up its buffers
    const auto start = std::chrono::steady_clock::now();
    platform::OpenFolder(platform::FullFolderPath(tree.Path("src/f1")))
        .Read(platform::ReadRequest{}, plain);
    const auto took = std::chrono::steady_clock::now() - start;
    if (took * 2 > FolderReadAhead::kSlowListingPerEntry * 200)
      GTEST_SKIP() << "a plain listing takes "
                   << std::chrono::duration_cast<std::chrono::microseconds>(took).count() / 200.0
                   << " us an entry here";
  }
  platform::FolderContents contents;
  const auto reader = AutoReaderOverDelayedListings(tree, std::chrono::milliseconds(1), contents);
  ASSERT_EQ(contents.folders.size(), 6u);
  for (int listing = 0; listing < 6; ++listing) {
    reader->OpenNext();
    reader->ReadNext(contents);
    ASSERT_EQ(contents.files.size(), 200u);
  }
#ifdef _WIN32
  EXPECT_EQ(reader->Workers(), 0u);
#else
  EXPECT_EQ(reader->Workers(), std::thread::hardware_concurrency() >= 2 ? 1u : 0u);
#endif
}

TEST_F(ReadAhead, KeepGoingListsAFolderThatVanishedOrFailedAndGoesOn) {
  const NativeString vanishing = tree_.Path("src/a1/b2");
  const NativeString before = tree_.Path("src/a1/b1");
  keepGoing_ = true;
  std::vector<NativeString> skipped;
  onSkipped_ = [&skipped](const platform::SystemError& error) {
    skipped.push_back(error.Description());
  };
  // One folder at a time, the folder before it takes it away: it vanishes between the
  // listing that named it and its own. Read ahead, its own listing fails instead.
  std::string outputs[2];
  for (bool on : {false, true}) {
    beforeRead_ = [&](const NativeString& path) {
      DelayAtRandom(path);
      if (!on && path == before) testing_support::RemoveTree(vanishing);
      if (on && path == vanishing) throw platform::SystemError(2, NTEXT("Gone: ") + path);
    };
    skipped.clear();
    outputs[on] = List(on);
    ASSERT_EQ(skipped.size(), 1u) << on;
    EXPECT_NE(skipped[0].find(vanishing), NativeString::npos) << on;
    tree_.File("src/a1/b2/c0/f.txt");  // back for the next run
  }
  EXPECT_EQ(outputs[1], outputs[0]);
  // What a run lists when the folder was empty from the start: it is listed, and the folders
  // after it too.
  beforeRead_ = DelayAtRandom;
  testing_support::RemoveTree(vanishing);
  tree_.Folder("src/a1/b2");
  EXPECT_EQ(outputs[0], List(false));
  EXPECT_NE(outputs[0].find("a3"), std::string::npos);
}
