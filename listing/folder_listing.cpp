#include "folder_listing.h"

#include <vector>

#include "app_options.h"
#include "entry_layout.h"
#include "platform/folder_reader.h"
#include "platform/output_file.h"
#include "platform/system_error.h"

bool CancelRequested = false;
NativeString ListingRoot;
std::int16_t RootDepth = -1;
std::int16_t IndentWidth = 0;

namespace {

YieldHandler yieldHandler = nullptr;
ProgressHandler progressHandler = nullptr;
bool rootDepthKnown = false;

// How often, in lines, the progress handler hears of a folder with many files.
constexpr std::uint64_t kProgressLineInterval = 4096;

// The run's output: one handle, one unbuffered write per line.
class ListingWriter final : public LineWriter {
 public:
  explicit ListingWriter(const NativeString& path) : file_(path) {}

  void WriteLine(NativeStringView text) override {
#ifdef _WIN32
    bytes_ = platform::ToListingBytes(text);
#else
    bytes_.assign(text);
#endif
    bytes_ += "\r\n";
    file_.Write(bytes_);
    ++lines_;
  }

  std::uint64_t Lines() const { return lines_; }

 private:
  platform::OutputFile file_;
  std::string bytes_;
  std::uint64_t lines_ = 0;
};

// A yield point: true when pending input was processed and a cancel was asked for.
bool YieldCancelled() { return yieldHandler != nullptr && yieldHandler() && CancelRequested; }

platform::ReadRequest RequestFor(std::int32_t listType) {
  platform::ReadRequest request;
  request.folders = listType != kListFilesOnly;
  request.files = listType == kListFilesOnly || listType == kListFilesAndFolders;
  request.fileFacts = request.files && (AppOptions.PrintFileSize || AppOptions.PrintDateTime);
  return request;
}

// Walks the tree depth first with an explicit stack, so that a tree thousands of levels deep
// cannot overflow the call stack. Each level holds only its own folder's entries.
class FolderWalk {
 public:
  FolderWalk(const NativeString& root, const NativeString& outputFile, std::int32_t listType)
      : writer_(outputFile), listType_(listType), request_(RequestFor(listType)) {
    path_ = platform::FullFolderPath(root);
  }

  bool Run() {
    Enter();
    switch (listType_) {
      case kListFilesOnly:
        for (const auto& file : levels_[0].contents.files) {
          if (YieldCancelled()) return false;
          WriteFile(levels_[0], file);
        }
        return true;
      case kListFirstLevelFolders:
        for (const auto& folder : levels_[0].contents.folders) {
          if (YieldCancelled()) return false;
          WriteFolderLine(levels_[0], folder);
          path_.resize(levels_[0].pathLength);
        }
        return true;
      default:
        return WalkTree();
    }
  }

 private:
  struct Level {
    platform::FolderContents contents;
    std::size_t next = 0;
    std::size_t pathLength = 0;
  };

  bool WalkTree() {
    for (;;) {
      Level& level = levels_[depth_];
      if (level.next < level.contents.folders.size()) {
        const platform::FolderItem folder = level.contents.folders[level.next++];
        if (YieldCancelled()) return false;
        WriteFolderLine(level, folder);
        if (folder.descend) {
          ++depth_;
          Enter();
        } else {
          path_.resize(level.pathLength);
        }
        continue;
      }
      if (listType_ == kListFilesAndFolders) {
        for (const auto& file : level.contents.files) WriteFile(level, file);
      }
      if (depth_ == 0) return true;
      --depth_;
      path_.resize(levels_[depth_].pathLength);
      if (CancelRequested) return false;
    }
  }

  // Reads the folder named by path_ into the level at depth_.
  void Enter() {
    if (levels_.size() <= depth_) levels_.resize(depth_ + 1);
    Level& level = levels_[depth_];
    level.next = 0;
    level.pathLength = path_.size();
    platform::ReadFolder(path_, request_, level.contents);
    if (progressHandler) progressHandler(writer_.Lines(), path_);
  }

  void AppendName(const Level& level, const platform::FolderItem& item) {
    if (path_.empty() || path_.back() != kPathSeparator) path_ += kPathSeparator;
    path_ += level.contents.Name(item);
  }

  // Leaves path_ naming the folder.
  void WriteFolderLine(const Level& level, const platform::FolderItem& folder) {
    AppendName(level, folder);
    WriteCounted(FormatEntryName(path_));
  }

  void WriteFile(const Level& level, const platform::FolderItem& file) {
    AppendName(level, file);
    const NativeString nameLine = FormatEntryName(path_);
    path_.resize(level.pathLength);
    WriteFileEntry(nameLine, file.facts, writer_);
    Report();
  }

  void WriteCounted(NativeStringView line) {
    writer_.WriteLine(line);
    Report();
  }

  void Report() {
    if (progressHandler && writer_.Lines() % kProgressLineInterval == 0)
      progressHandler(writer_.Lines(), path_);
  }

  ListingWriter writer_;
  std::int32_t listType_;
  platform::ReadRequest request_;
  NativeString path_;
  std::vector<Level> levels_;
  std::size_t depth_ = 0;
};

}  // namespace

void SetYieldHandler(YieldHandler handler) { yieldHandler = handler; }

void SetProgressHandler(ProgressHandler handler) { progressHandler = handler; }

void BeginListingRun(const NativeString& root) {
  ListingRoot = root;
  rootDepthKnown = false;
}

std::int16_t PathDepth(NativeStringView path) {
  std::size_t separators = 0;
  for (NativeChar c : path) separators += c == kPathSeparator;
  return static_cast<std::int16_t>(separators == 0 ? 0 : separators - 1);
}

NativeString FormatEntryName(NativeStringView path) {
  if (!rootDepthKnown) {
    // The root's depth is counted on its text as given, so a trailing separator or a drive
    // root starts the first level in column 1. A relative root is counted in its full form,
    // since entry paths are full paths.
    RootDepth = PathDepth(platform::IsAbsolutePath(ListingRoot)
                              ? ListingRoot
                              : platform::FullPathKeepingTrailingSeparator(ListingRoot));
    rootDepthKnown = true;
  }
  const int indent = 3 * (int{PathDepth(path)} - int{RootDepth});
  if (indent < 0)
    throw platform::SystemError(
        5, NTEXT("The folder path gives a negative indentation: ") + NativeString(path));
  if (indent > 32767)
    throw platform::SystemError(
        6, NTEXT("The folder is nested too deeply to indent: ") + NativeString(path));
  IndentWidth = static_cast<std::int16_t>(indent);
  const auto separator = path.find_last_of(kPathSeparator);
  const NativeStringView name =
      separator == NativeStringView::npos ? path : path.substr(separator + 1);
  NativeString line(static_cast<std::size_t>(indent), NativeChar(' '));
  line += name;
  return line;
}

bool WriteFolderListing(const NativeString& folder, const NativeString& outputFile,
                        std::int32_t listType) {
  BeginListingRun(folder);
  if (!platform::FolderExists(folder)) return false;
  if (listType < kListFoldersOnly || listType > kListFirstLevelFolders) return true;
  FolderWalk walk(folder, outputFile, listType);
  return walk.Run();
}
