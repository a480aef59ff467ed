// Bad inputs and hostile trees: the output is never lost or torn, the walk never loops, names
// never break lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "listing/app_options.h"
#include "listing/folder_listing.h"
#include "platform/date_time_text.h"
#include "platform/output_file.h"
#include "platform/system_error.h"
#include "support/temp_tree.h"

#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using testing_support::N;
using testing_support::ReadBytes;
using testing_support::ReadLines;
using testing_support::TempTree;
using Lines = std::vector<std::string>;

namespace {

class HostileTree : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ResetListingState();
    AppOptions.PrintStyle = 0;
    tree_.Folder("src");
    tree_.File("out.txt", "precious\r\n");
    output_ = tree_.Path("out.txt");
  }
  void TearDown() override { testing_support::ResetListingState(); }

  // The failure's description, or "" when the run succeeded.
  NativeString ListingFailure(const NativeString& source) {
    try {
      testing_support::RunListing(source, output_, kListFilesAndFolders);
    } catch (const platform::SystemError& error) {
      return error.Description();
    }
    return {};
  }

  TempTree tree_;
  NativeString output_;
};

TEST_F(HostileTree, SourcesThatFailBeforeTheWalkLeaveTheOutputAlone) {
  // "src/a/.." counts one level deeper than the folder it names: a negative indentation.
  tree_.Folder("src/a");
  const NativeString source = tree_.Path("src/a") + kPathSeparator + N("..");
  EXPECT_NE(ListingFailure(source).find(NTEXT("negative indentation")), NativeString::npos);
  EXPECT_EQ(ReadBytes(output_), "precious\r\n");
}

TEST_F(HostileTree, ASecondRunOnAnOutputInUseFailsAndLeavesItIntact) {
  platform::OutputFile first(output_);
  first.Write("first run\r\n");
  const NativeString failure = ListingFailure(tree_.Path("src"));
  EXPECT_NE(failure.find(output_), NativeString::npos) << platform::ToUtf8(failure);
  EXPECT_EQ(ReadBytes(output_), "first run\r\n");
}

TEST(UnknownDate, ATimeOutOfRangeGivesThePlaceholder) {
  // Before 1601 as FILETIME ticks; far outside the calendar as seconds since 1970.
#ifdef _WIN32
  for (const std::int64_t time : {std::int64_t{-1}, INT64_MIN})
#else
  for (const std::int64_t time : {INT64_MAX, INT64_MIN})
#endif
    EXPECT_EQ(platform::DateTimeText(time), platform::kUnknownDateText) << time;
}

#ifndef _WIN32
// Runs `body` in a child process as the unprivileged user "nobody" (when this one is root,
// which reads everything), and returns its exit code.
int AsUnprivilegedUser(const std::function<int()>& body) {
  if (geteuid() != 0) return body();
  const pid_t child = fork();
  if (child == 0) {
    if (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
        setresuid(65534, 65534, 65534) != 0)
      _exit(99);
    _exit(body());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

TEST_F(HostileTree, AnUnreadableSourceLeavesTheOutputAlone) {
  tree_.File("src/a.txt");
  chmod(tree_.Root().c_str(), 0755);
  chmod(output_.c_str(), 0666);
  chmod(tree_.Path("src").c_str(), 0);
  const int code = AsUnprivilegedUser([this] {
    const NativeString failure = ListingFailure(tree_.Path("src"));
    return failure.find(tree_.Path("src")) != NativeString::npos ? 0 : 1;
  });
  chmod(tree_.Path("src").c_str(), 0755);
  EXPECT_EQ(code, 0) << "the run did not fail naming the source";
  EXPECT_EQ(ReadBytes(output_), "precious\r\n");
}

TEST_F(HostileTree, LinksAndLoopsAreListedNotEntered) {
  tree_.File("src/a/file.txt");
  ASSERT_EQ(symlink("..", tree_.Path("src/a/up").c_str()), 0);
  ASSERT_EQ(symlink("/", tree_.Path("src/root").c_str()), 0);
  // A loop no link marks: the folder mounted inside itself (root only).
  tree_.Folder("src/b");
  tree_.Folder("src/b/again");
  const bool mounted =
      geteuid() == 0 && mount(tree_.Path("src").c_str(), tree_.Path("src/b/again").c_str(), nullptr,
                              MS_BIND, nullptr) == 0;
  const NativeString failure = ListingFailure(tree_.Path("src"));
  const Lines lines = ReadLines(output_);
  if (mounted) umount(tree_.Path("src/b/again").c_str());
  EXPECT_EQ(failure, "");
  EXPECT_EQ(lines, (Lines{"   a", "      up", "      file.txt", "   b", "      again", "   root"}));
  if (!mounted) GTEST_SKIP() << "the mounted loop needs root and mount rights";
}

TEST_F(HostileTree, ControlCharactersInNamesBecomeQuestionMarks) {
  tree_.File("src/line\nfeed\x1b]0;title\x07");
  EXPECT_EQ(ListingFailure(tree_.Path("src")), NTEXT(""));
  EXPECT_EQ(ReadBytes(output_), "   line?feed?]0;title?\r\n");
}

TEST_F(HostileTree, PathsLongerThanPathMaxAreListed) {
  // Made relative to each parent's descriptor: the full path is too long for the system.
  int fd = open(tree_.Path("src").c_str(), O_RDONLY | O_DIRECTORY);
  const std::string name(200, 'd');
  constexpr int kLevels = 25;
  for (int i = 0; i < kLevels; ++i) {
    ASSERT_EQ(mkdirat(fd, name.c_str(), 0755), 0);
    const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = child;
  }
  close(openat(fd, "deepest.txt", O_CREAT | O_WRONLY, 0644));
  close(fd);
  const NativeString failure = ListingFailure(tree_.Path("src"));
  const Lines lines = ReadLines(output_);
  // remove_all cannot reach that deep; rm walks by descriptors.
  EXPECT_EQ(std::system(("rm -rf '" + tree_.Path("src") + "'").c_str()), 0);
  EXPECT_EQ(failure, "");
  ASSERT_EQ(lines.size(), kLevels + 1u);
  EXPECT_EQ(lines.back(), std::string(3 * (kLevels + 1), ' ') + "deepest.txt");
}

TEST_F(HostileTree, AFullDiskEndsTheOutputOnAWholeLine) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
  tree_.Folder("disk");
  // Room for one of the sink's 64 KiB writes, not for the listing: the next is cut part-way.
  if (mount("tmpfs", tree_.Path("disk").c_str(), "tmpfs", 0, "size=96k") != 0)
    GTEST_SKIP() << "no mount rights here";
  for (int folder = 0; folder < 20; ++folder)
    for (int file = 0; file < 150; ++file)
      tree_.File("src/folder" + std::to_string(folder) + "/a file with a long name " +
                 std::to_string(file));
  output_ = tree_.Path("disk/out.txt");
  const NativeString failure = ListingFailure(tree_.Path("src"));
  const std::string bytes = ReadBytes(output_);
  umount(tree_.Path("disk").c_str());
  EXPECT_NE(failure.find(output_), NativeString::npos) << failure;
  ASSERT_GT(bytes.size(), 0u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
}
#endif

}  // namespace
