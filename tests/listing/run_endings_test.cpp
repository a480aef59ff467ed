// However a run ends (Cancel deep in the tree, a folder that fails), what it wrote can be
// read: a JSON document is closed at every level. The program's own errors are its own.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "listing/folder_listing.h"
#include "platform/system_error.h"
#include "support/temp_tree.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#endif

using testing_support::N;
using testing_support::ReadBytes;
using testing_support::TempTree;

namespace {

// True when `json` is one whole value: every bracket outside strings closed, in order, and
// nothing after it but the final line break.
bool IsClosedJson(const std::string& json) {
  std::string open;
  bool inString = false;
  std::size_t i = 0;
  for (; i < json.size(); ++i) {
    const char c = json[i];
    if (inString) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        inString = false;
      continue;
    }
    if (c == '"')
      inString = true;
    else if (c == '[' || c == '{')
      open += c;
    else if (c == ']' || c == '}') {
      if (open.empty() || open.back() != (c == ']' ? '[' : '{')) return false;
      open.pop_back();
      if (open.empty()) break;
    }
  }
  return !inString && open.empty() && json.substr(i + 1) == "\n";
}

class RunEndings : public ::testing::Test {
 protected:
  RunEndings() {
    tree_.File("src/A/B/C/D/deep.txt");
    tree_.File("src/A/B/b.txt");
    tree_.File("src/A/a.txt");
    tree_.File("src/top.txt");
  }

  ListingSettings Json() {
    ListingSettings settings;
    settings.source = tree_.Path("src");
    settings.output = tree_.Path("out.json");
    settings.format = ListingFormat::kJson;
    settings.cancel = CancelToken(cancel_);
    settings.readAhead.mode = ReadAheadSettings::Mode::kOff;
    return settings;
  }

  TempTree tree_;
  std::atomic<bool> cancel_{false};
};

}  // namespace

TEST_F(RunEndings, JsonIsClosedAtEveryLevelAfterCancelOrFailureDeepInTheTree) {
  // Cancelled at the yield point before D's line: A, B and C are open.
  ListingSettings cancelled = Json();
  int yields = 0;
  cancelled.hooks.inputPending = [] { return true; };
  cancelled.hooks.processInput = [&] { cancel_ = ++yields >= 4; };
  EXPECT_FALSE(ListingRun(std::move(cancelled)).WriteFolderListing());
  std::string json = ReadBytes(tree_.Path("out.json"));
  EXPECT_TRUE(IsClosedJson(json)) << json;
  EXPECT_NE(json.find("\"C\""), std::string::npos);
  EXPECT_EQ(json.find("\"D\""), std::string::npos);

  // Reading C fails: the root, A and B are open in the output when the error ends the run.
  cancel_ = false;
  ListingSettings failing = Json();
  const NativeString failingFolder = tree_.Path("src/A/B/C");
  failing.readAhead.beforeRead = [&](const NativeString& path) {
    if (path == failingFolder) throw platform::SystemError(13, NTEXT("denied: ") + path);
  };
  EXPECT_THROW(ListingRun(std::move(failing)).WriteFolderListing(), platform::SystemError);
  json = ReadBytes(tree_.Path("out.json"));
  EXPECT_TRUE(IsClosedJson(json)) << json;
  EXPECT_NE(json.find("\"B\""), std::string::npos) << "B's entries were written before";
}

TEST_F(RunEndings, TheProgramsOwnErrorsCarryItsOwnCategoryAndAReadablePath) {
  const NativeString s(1, kPathSeparator);
  const NativeString longRoot = tree_.Path("src") + s + NativeString(400, 'x') + s + N("..");
  try {
    FirstLevelIndent(tree_.Path("src") + s + N("a") + s + N("..") + s + N("..") + s + N(".."));
    ADD_FAILURE() << "no negative indentation";
  } catch (const platform::SystemError& error) {
    EXPECT_EQ(error.Code(),
              std::error_code(static_cast<int>(platform::ProgramError::kNegativeIndentation),
                              platform::ProgramErrorCategory()));
    EXPECT_NE(error.Code().category(), std::system_category());
  }
  const NativeString readable = platform::ReadablePath(longRoot);
  EXPECT_LT(readable.size(), 200u);
  EXPECT_EQ(readable.substr(0, 20), longRoot.substr(0, 20));
  EXPECT_EQ(readable.substr(readable.size() - 20), longRoot.substr(longRoot.size() - 20));
}

#ifndef _WIN32
// Deeper than a text line can be indented (32,767 spaces, about 10,900 levels): the text
// format stops there with its own error; JSON (and CSV), which indent nothing, list it all.
TEST_F(RunEndings, OnlyTheTextFormatHasAnIndentationLimit) {
  constexpr int kLevels = 11000;
  int fd = open(tree_.Path("src").c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < kLevels; ++i) {
    ASSERT_EQ(mkdirat(fd, "d", 0755), 0);
    const int child = openat(fd, "d", O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = child;
  }
  close(fd);
  ListingSettings text = Json();
  text.format = ListingFormat::kText;
  text.output = tree_.Path("out.txt");
  NativeString message;
  try {
    ListingRun(std::move(text)).WriteFolderListing();
  } catch (const platform::SystemError& error) {
    EXPECT_EQ(error.Code().category(), platform::ProgramErrorCategory());
    message = error.Description();
  }
  EXPECT_NE(message.find("nested too deeply"), NativeString::npos);
  EXPECT_LT(message.size(), 300u) << "the path in the message is cut";

  ListingSettings json = Json();
  EXPECT_TRUE(ListingRun(std::move(json)).WriteFolderListing());
  const std::string bytes = ReadBytes(tree_.Path("out.json"));
  EXPECT_TRUE(IsClosedJson(bytes));
  std::string deepest;
  for (int i = 0; i < kLevels; ++i) deepest += "]}";
  EXPECT_NE(bytes.find(deepest), std::string::npos) << "every level is listed";
  // remove_all cannot reach that deep; rm walks by descriptors.
  EXPECT_EQ(std::system(("rm -rf '" + tree_.Path("src") + "'").c_str()), 0);
}

// A subfolder swapped for a link after its parent was read, where the parent's own record
// still says "folder": the walk does not follow it into the link's target.
TEST_F(RunEndings, AFolderSwappedForALinkMidRunIsNotEntered) {
  tree_.File("elsewhere/secret.txt");
  tree_.File("src/A/A1/x.txt");
  ListingSettings settings = Json();
  settings.format = ListingFormat::kText;
  settings.output = tree_.Path("out.txt");
  // A1 is read after A and before B is opened: B is swapped then.
  const NativeString swapBefore = tree_.Path("src/A/A1");
  settings.readAhead.beforeRead = [&](const NativeString& path) {
    if (path != swapBefore) return;
    ASSERT_EQ(
        std::system(("mv '" + tree_.Path("src/A/B") + "' '" + tree_.Path("B-gone") + "'").c_str()),
        0);
    ASSERT_EQ(symlink(tree_.Path("elsewhere").c_str(), tree_.Path("src/A/B").c_str()), 0);
  };
  EXPECT_THROW(ListingRun(std::move(settings)).WriteFolderListing(), platform::SystemError);
  EXPECT_EQ(ReadBytes(tree_.Path("out.txt")).find("secret"), std::string::npos);
}
#endif
