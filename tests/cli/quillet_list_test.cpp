#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "listing/app_options.h"
#include "listing/folder_listing.h"
#include "run_process.h"
#include "support/temp_tree.h"

using testing_support::N;
using testing_support::ReadBytes;
using testing_support::TempTree;

namespace {

class QuilletList : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ResetListingState();
    tree_.File("src/Docs/report.txt", std::string(2048, 'r'));
    tree_.File("src/Docs/Deeper/x.bin", "x");
    tree_.File("src/b.txt", "b");
    tree_.File("src/a rather long file name that will not fit in forty columns.txt", "long");
  }
  void TearDown() override { testing_support::ResetListingState(); }

  // The bytes the engine writes in-process, as the window does, for the same options.
  std::string EngineListing(const OptionsRecord& options, int listType) {
    AppOptions = options;
    const NativeString out = tree_.Path("engine.txt");
    EXPECT_TRUE(testing_support::RunListing(tree_.Path("src"), out, listType));
    return ReadBytes(out);
  }

  TempTree tree_;
};

}  // namespace

TEST_F(QuilletList, WritesWhatTheEngineWritesForTheSameOptions) {
  struct Case {
    std::vector<const char*> flags;
    int listType;
    std::int16_t style;
    bool size, date;
    std::int16_t spaces, width;
  };
  const Case cases[] = {
      {{}, 2, 2, false, false, 10, 80},
      {{"--size", "--date"}, 2, 2, true, true, 10, 80},
      {{"--style", "0", "--size", "--date"}, 2, 0, true, true, 10, 80},
      {{"--style", "1", "--spaces", "3", "--size"}, 2, 1, true, false, 3, 80},
      {{"--width", "40", "--size"}, 2, 2, true, false, 10, 40},
      {{"--type", "0"}, 0, 2, false, false, 10, 80},
      {{"--type", "1", "--size"}, 1, 2, true, false, 10, 80},
      {{"--type", "3"}, 3, 2, false, false, 10, 80},
  };
  for (const auto& c : cases) {
    OptionsRecord options = DefaultOptions();
    options.PrintStyle = c.style;
    options.PrintFileSize = c.size;
    options.PrintDateTime = c.date;
    options.NoSpacesSeperate = c.spaces;
    options.MaxWidth = c.width;
    const std::string expected = EngineListing(options, c.listType);

    std::vector<NativeString> arguments;
    for (const char* flag : c.flags) arguments.push_back(N(flag));
    arguments.push_back(tree_.Path("src"));
    arguments.push_back(tree_.Path("cli.txt"));
    tree_.File("cli.txt", "old contents that must go");
    const ProcessResult result = RunQuilletList(arguments);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(ReadBytes(tree_.Path("cli.txt")), expected) << "list type " << c.listType;
  }
}

TEST_F(QuilletList, MissingSourceFailsBeforeTouchingTheOutput) {
  tree_.File("keep.txt", "precious");
  const ProcessResult result =
      RunQuilletList({tree_.Path("no such folder"), tree_.Path("keep.txt")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("source folder not found"), std::string::npos) << result.err;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
  EXPECT_EQ(ReadBytes(tree_.Path("keep.txt")), "precious");
}

TEST_F(QuilletList, UnwritableOutputAndWalkErrorsFail) {
  tree_.Folder("a folder, not a file");
  ProcessResult result = RunQuilletList({tree_.Path("src"), tree_.Path("a folder, not a file")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("quillet-list: "), std::string::npos);

  // Doubled separators typed before the last folder give a negative indentation mid-walk.
  NativeString root = tree_.Path("src");
  root.insert(root.rfind(kPathSeparator), NativeString(3, kPathSeparator));
  result = RunQuilletList({root, tree_.Path("out.txt")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("negative indentation"), std::string::npos) << result.err;
}

TEST_F(QuilletList, MessagesShowControlCharactersEscaped) {
  const ProcessResult result =
      RunQuilletList({tree_.Path("no\x1b]0;retitled\x07"), tree_.Path("keep.txt")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("no^[]0;retitled^G"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find_first_of("\x1b\x07"), std::string::npos);
}

TEST_F(QuilletList, BadArgumentsShowUsageAndHelpPrintsIt) {
  ProcessResult result = RunQuilletList({N("--type"), N("9"), N("a"), N("b")});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("Usage: quillet-list"), std::string::npos);
  result = RunQuilletList({N("--help")});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("Usage: quillet-list"), std::string::npos);
}

TEST_F(QuilletList, DashWritesToStandardOutputAndVersionPrintsTheVersion) {
  ProcessResult result = RunQuilletList({N("--size"), tree_.Path("src"), N("-")});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  ASSERT_EQ(RunQuilletList({N("--size"), tree_.Path("src"), tree_.Path("o.txt")}).exitCode, 0);
  EXPECT_EQ(result.out, ReadBytes(tree_.Path("o.txt")));
  EXPECT_NE(result.out.find("2048 bytes\r\n"), std::string::npos);
  result = RunQuilletList({N("--version")});
  EXPECT_EQ(result.exitCode, 0);
  // Text written the console's way: a Windows line end there.
#ifdef _WIN32
  EXPECT_EQ(result.out, "quillet-list " QUILLET_VERSION "\r\n");
#else
  EXPECT_EQ(result.out, "quillet-list " QUILLET_VERSION "\n");
#endif
}

// Devices and pipes take the listing as it comes: nothing to empty, cut back or lock.
TEST_F(QuilletList, StreamOutputsAreWrittenAsTheyCome) {
#ifdef _WIN32
  const ProcessResult result = RunQuilletList({tree_.Path("src"), N("NUL")});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
#else
  ProcessResult result = RunQuilletList({tree_.Path("src"), N("/dev/null")});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  // The system's own reason, not a failure to empty the device.
  result = RunQuilletList({tree_.Path("src"), N("/dev/full")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "quillet-list: No space left on device (/dev/full)\n");

  const NativeString fifo = tree_.Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  result = RunQuilletList({tree_.Path("src"), fifo});  // less than the FIFO holds
  EXPECT_EQ(result.exitCode, 0) << result.err;
  std::string got(65536, '\0');
  got.resize(static_cast<std::size_t>(std::max<ssize_t>(read(reader, got.data(), got.size()), 0)));
  close(reader);
  ASSERT_EQ(RunQuilletList({tree_.Path("src"), tree_.Path("file.txt")}).exitCode, 0);
  EXPECT_EQ(got, ReadBytes(tree_.Path("file.txt")));
#endif
}

#ifdef _WIN32
// Strict ANSI changes names, so it says how many; the default keeps them all, in UTF-8 where
// the output can be rewritten, and otherwise as strict ANSI does.
TEST_F(QuilletList, NamesTheCodePageLacksAreCountedWhereTheyBecomeQuestionMarks) {
  if (GetACP() != 1252) GTEST_SKIP() << "the names below are chosen for code page 1252";
  tree_.File("names/\xCE\xA9mega.txt");              // Greek capital omega
  tree_.File("names/\xE6\x96\x87\xE4\xBB\xB6.txt");  // two CJK characters
  const std::string counted =
      "quillet-list: 2 names hold characters the ANSI code page lacks; each is written as '?'\r\n";
  const std::string strict = "   ?mega.txt\r\n   ??.txt\r\n";
  ProcessResult result = RunQuilletList({N("--encoding"), N("ansi"), N("--style"), N("0"),
                                         tree_.Path("names"), tree_.Path("ansi.txt")});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, counted);
  EXPECT_EQ(ReadBytes(tree_.Path("ansi.txt")), strict);
  result = RunQuilletList({N("--style"), N("0"), tree_.Path("names"), tree_.Path("auto.txt")});
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(ReadBytes(tree_.Path("auto.txt")),
            "\xEF\xBB\xBF   \xCE\xA9mega.txt\r\n   \xE6\x96\x87\xE4\xBB\xB6.txt\r\n");
  result = RunQuilletList({N("--style"), N("0"), tree_.Path("names"), N("-")});
  EXPECT_EQ(result.err, counted);
  EXPECT_EQ(result.out, strict);
}
#endif

#ifndef _WIN32
// Standard output on a file that a shell opened with ">>": what was there stays, and a failed
// write is cut back to this run's last whole lines, as any listing file is.
TEST_F(QuilletList, StandardOutputOnAFileIsCutBackAfterAFailedWrite) {
  const NativeString out = tree_.Path("appended.txt");
  tree_.File("appended.txt", "kept\r\n");
  // Lines leave in writes of 64 KiB: the listing takes more than one.
  for (int i = 0; i < 2000; ++i) tree_.File("src/many/" + std::string(40, 'n') + std::to_string(i));
  const int fd = open(out.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  FILE* err = std::tmpfile();
  // A file size limit makes a write fail part-way, as a full disk does.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit limit = old;
  limit.rlim_cur = 6 + 65536 + 200;
  setrlimit(RLIMIT_FSIZE, &limit);
  const auto oldAction = std::signal(SIGXFSZ, SIG_IGN);
  const int pid = StartQuilletList({tree_.Path("src"), N("-")}, fd, fileno(err));
  std::signal(SIGXFSZ, oldAction);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(WaitForExit(pid), 1);
  close(fd);
  std::rewind(err);
  char message[200] = {};
  EXPECT_NE(std::fgets(message, sizeof message, err), nullptr);
  std::fclose(err);
  EXPECT_STREQ(message, "quillet-list: File too large (standard output)\n");

  ASSERT_EQ(RunQuilletList({tree_.Path("src"), tree_.Path("whole.txt")}).exitCode, 0);
  const std::string whole = "kept\r\n" + ReadBytes(tree_.Path("whole.txt"));
  ASSERT_GT(whole.size(), limit.rlim_cur);
  const std::string got = ReadBytes(out);
  EXPECT_GT(got.size(), 6u) << "lines written before the failure are kept";
  EXPECT_EQ(got, whole.substr(0, got.size()));
  EXPECT_EQ(got.substr(got.size() - 2), "\r\n");
}

TEST_F(QuilletList, TerminalShowsProgressAndClearsItAtTheEnd) {
  for (int i = 0; i < 3; ++i) tree_.File("src/more/f" + std::to_string(i), "");
  const ProcessResult result = RunQuilletListOnTerminal({tree_.Path("src"), tree_.Path("o.txt")});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.err.find("lines written"), std::string::npos) << result.err;
  // The last thing drawn is a blank line that leaves the cursor at its start.
  ASSERT_GE(result.err.size(), 2u);
  EXPECT_EQ(result.err.back(), '\r');
  ASSERT_GE(result.err.size(), 81u);
  EXPECT_EQ(result.err.substr(result.err.size() - 81), "\r" + std::string(79, ' ') + "\r");
}

TEST_F(QuilletList, ProgressEscapesControlsAndCutsOnACharacterBoundary) {
  std::string name = "\x1b]0;retitled\x07";
  for (int i = 0; i < 50; ++i) name += "\xc3\xa9";  // U+00E9, two bytes each
  tree_.File(name + "/f", "");
  for (const std::string tail : {"", "x"}) {  // shifts the cut by one byte
    tree_.Folder(name + tail);
    const ProcessResult result = RunQuilletListOnTerminal({tree_.Path(name + tail), N("-")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err.find_first_of("\x1b\x07"), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\xc3'),
              std::count(result.err.begin(), result.err.end(), '\xa9'))
        << "a character cut in two";
  }
}

TEST_F(QuilletList, NoProgressWhenStandardErrorIsAFile) {
  const ProcessResult result = RunQuilletList({tree_.Path("src"), tree_.Path("o.txt")});
  EXPECT_EQ(result.err, "");
}
#endif
