#include "temp_tree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>

#include "listing/app_options.h"
#include "listing/folder_listing.h"

namespace testing_support {

NativeString N(std::string_view utf8) { return platform::FromUtf8(utf8); }

NativeString Drive() {
#ifdef _WIN32
  return L"C:";
#else
  return {};
#endif
}

namespace {
std::atomic<int> counter{0};
}  // namespace

TempTree::TempTree() {
  root_ = TempFolder();
  if (root_.back() != kPathSeparator) root_ += kPathSeparator;
  root_ += N("quillet-test-" + std::to_string(ProcessId()) + "-" + std::to_string(counter++));
  RemoveTree(root_);
  MakeFolder(root_);
}

TempTree::~TempTree() { RemoveTree(root_); }

NativeString TempTree::Path(std::string_view relative) const {
  NativeString path = root_;
  if (relative.empty()) return path;
  path += kPathSeparator;
  for (NativeChar c : N(relative)) path += c == NativeChar('/') ? kPathSeparator : c;
  return path;
}

void TempTree::Folder(std::string_view relative) const { MakeFolder(Path(relative)); }

void TempTree::File(std::string_view relative, std::string_view contents) const {
  // Missing parent folders are made first.
  for (auto slash = relative.find('/'); slash != std::string_view::npos;
       slash = relative.find('/', slash + 1))
    MakeFolder(Path(relative.substr(0, slash)));
  WriteFileBytes(Path(relative), contents);
}

std::vector<std::string> ReadLines(const NativeString& path) {
  const std::string bytes = ReadBytes(path);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line has no CR LF: " << bytes.substr(start);
      lines.push_back(bytes.substr(start));
      break;
    }
    const std::string line = bytes.substr(start, end - start);
    if (line.find_first_of("\r\n") != std::string::npos)
      ADD_FAILURE() << "stray line break in: " << line;
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

void ResetListingState() { AppOptions = DefaultOptions(); }

bool RunListing(const NativeString& source, const NativeString& output, int listType,
                const ListingHooks& hooks, CancelToken cancel) {
  ListingSettings settings;
  settings.source = source;
  settings.output = output;
  settings.listType = listType;
  settings.layout = LayoutOf(AppOptions);
  settings.cancel = cancel;
  settings.hooks = hooks;
  ListingRun run(std::move(settings));
  return run.WriteFolderListing();
}

}  // namespace testing_support
