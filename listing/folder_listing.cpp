#include "folder_listing.h"

#include <utility>
#include <vector>

#include "platform/folder_reader.h"
#include "platform/system_error.h"

namespace {

// How often, in lines, the progress hook hears of a folder with many files.
constexpr std::uint64_t kProgressLineInterval = 4096;

platform::ReadRequest RequestFor(const ListingSettings& settings) {
  const std::int32_t listType = settings.listType;
  const bool records = settings.format != ListingFormat::kText;
  platform::ReadRequest request;
  request.folders = listType != kListFilesOnly;
  request.files = listType == kListFilesOnly || listType == kListFilesAndFolders;
  // Totals sum the files' sizes.
  request.fileFacts =
      request.files && (records || settings.totals || settings.layout.PrintFileSize ||
                        settings.layout.PrintDateTime);
  request.folderFacts = request.folders && records;
  return request;
}

bool WalksTree(std::int32_t listType) {
  return listType == kListFoldersOnly || listType == kListFilesAndFolders;
}

}  // namespace

std::int16_t PathDepth(NativeStringView path) {
  std::size_t separators = 0;
  for (NativeChar c : path) separators += c == kPathSeparator;
  return static_cast<std::int16_t>(separators == 0 ? 0 : separators - 1);
}

int FirstLevelIndent(const NativeString& root) {
  const NativeString counted =
      platform::IsAbsolutePath(root) ? root : platform::FullPathKeepingTrailingSeparator(root);
  // Entries lie one level below the root's full path, or at its depth for a root that ends in
  // a separator ("C:\", "/").
  const NativeString full = platform::FullFolderPath(root);
  const int firstLevelDepth = PathDepth(full) + (full.back() == kPathSeparator ? 0 : 1);
  const int indent = 3 * (firstLevelDepth - PathDepth(counted));
  if (indent < 0)
    platform::ThrowProgramError(platform::ProgramError::kNegativeIndentation,
                                platform::ReadablePath(root));
  return indent;
}

// Walks the tree depth first with an explicit stack, so that a tree thousands of levels deep
// cannot overflow the call stack. Each level holds only its own folder's entries, each entry
// goes through the layout to the sink as it is reached.
class ListingRun::Walk {
 public:
  Walk(const ListingSettings& settings, int firstLevelIndent, ListingSink& sink,
       RecordWriter* records, platform::OpenFolder root)
      : settings_(settings),
        hooks_(settings.hooks),
        sink_(sink),
        records_(records),
        request_(RequestFor(settings)),
        pollsEveryEntry_(!settings.hooks.inputPending),
        indents_(settings.format == ListingFormat::kText),
        folders_(settings.readAhead, request_, Prepare(settings.filter),
                 [walksTree = WalksTree(settings.listType)](const platform::FolderItem& item) {
                   return walksTree && Enters(item);
                 }) {
    layout_.options = settings.layout;
    layout_.firstLevelIndent = firstLevelIndent;
    path_ = root.Path();
    CheckIndent(root.Path());
    folders_.ReadRoot(std::move(root), NewLevel().contents);
    Entered();
  }

  bool Run() {
    Level& top = levels_[0];
    switch (settings_.listType) {
      case kListFilesOnly:
        for (const auto& file : top.contents.files) {
          if (YieldCancelled()) return false;
          Write(top, file, EntryKind::kFile, false);
        }
        return true;
      case kListFirstLevelFolders:
        for (const auto& folder : top.contents.folders) {
          if (YieldCancelled()) return false;
          Write(top, folder, EntryKind::kFolder, false);
        }
        return true;
      default:
        return WalkTree();
    }
  }

  // What the folder listed holds, counting what was listed; complete once Run returned true.
  const FolderTotals& RootTotals() const { return levels_[0].totals; }

 private:
  // Whether the walk enters the subfolder `item`. The reader asks too, on its worker threads,
  // to read ahead only what the walk will enter.
  static bool Enters(const platform::FolderItem& item) { return item.descend; }

  // What the reader does with a folder's contents right after reading them, on the thread that
  // read them: the filter takes out what is not listed and marks what is not entered.
  static FolderReadAhead::PrepareContents Prepare(const EntryFilter& filter) {
    if (!filter.Active()) return nullptr;
    return [&filter](std::size_t depth, platform::FolderContents& contents) {
      filter.Apply(static_cast<int>(depth) + 1, contents);
    };
  }

  struct Level {
    platform::FolderContents contents;
    std::size_t next = 0;
    std::size_t pathLength = 0;
    FolderTotals totals;  // of what is listed of this folder so far
  };

  bool WalkTree() {
    for (;;) {
      Level& level = levels_[depth_];
      if (level.next < level.contents.folders.size()) {
        const platform::FolderItem item = level.contents.folders[level.next++];
        if (YieldCancelled()) return false;
        const bool enters = Enters(item);
        if (enters && settings_.keepGoing) {
          EnterOrSkip(item);
          continue;
        }
        Write(level, item, EntryKind::kFolder, enters);
        if (enters) {
          platform::AppendPathComponent(path_, level.contents.Name(item));
          // The reader gives the folders in the order they are entered here.
          folders_.OpenNext();
          ++depth_;
          CheckIndent(path_);
          folders_.ReadNext(NewLevel().contents);  // `level` may move: levels_ can grow here
          Entered();
        }
        continue;
      }
      if (settings_.listType == kListFilesAndFolders) {
        // No yield point among a folder's files: the window sees a Cancel after them.
        for (const auto& file : level.contents.files) {
          if (PolledCancel()) return false;
          Write(level, file, EntryKind::kFile, false);
        }
      }
      if (records_ && depth_ > 0) records_->EndFolder(level.totals);
      // Lines go out in large writes; a slow walk still shows them within moments.
      sink_.FlushIfDue();
      if (depth_ == 0) return true;
      const FolderTotals finished = level.totals;
      --depth_;
      levels_[depth_].totals += finished;
      path_.resize(levels_[depth_].pathLength);
      if (settings_.cancel.Requested()) {
        folders_.Stop();
        return false;
      }
    }
  }

  // The folder at depth_, which path_ names, is about to be read. Only the text format has
  // indentation to run out of; CSV and JSON list every depth.
  void CheckIndent(const NativeString& path) const {
    if (indents_ && IndentWidth(layout_, static_cast<int>(depth_) + 1) > kMaxIndentWidth)
      platform::ThrowProgramError(platform::ProgramError::kTooDeepToIndent,
                                  platform::ReadablePath(path));
  }

  // With keepGoing the subfolder `item` of the folder at depth_ is read before its entry is
  // written, so that a folder that cannot be opened or read is written as such, not entered,
  // and the walk goes on with the next one.
  void EnterOrSkip(const platform::FolderItem& item) {
    if (levels_.size() <= depth_ + 1) levels_.resize(depth_ + 2);
    try {
      folders_.OpenNext();
      folders_.ReadNext(levels_[depth_ + 1].contents);
    } catch (const platform::SystemError& error) {
      const NativeString reason = error.Code().category() == platform::ProgramErrorCategory()
                                      ? error.Description()
                                      : platform::ErrorDescription(error.Number());
      Write(levels_[depth_], item, EntryKind::kFolder, false, reason);
      if (settings_.skipped) settings_.skipped(error);
      return;
    }
    Level& parent = levels_[depth_];
    Write(parent, item, EntryKind::kFolder, true);
    platform::AppendPathComponent(path_, parent.contents.Name(item));
    ++depth_;
    CheckIndent(path_);
    NewLevel();
    Entered();
  }

  // The level at depth_, made ready for a folder just entered (its contents aside).
  Level& NewLevel() {
    if (levels_.size() <= depth_) levels_.resize(depth_ + 1);
    Level& level = levels_[depth_];
    level.next = 0;
    level.pathLength = path_.size();
    level.totals = {};
    return level;
  }

  void Entered() {
    if (hooks_.progress) hooks_.progress(sink_.Lines(), path_);
  }

  // `entered`: the walk goes into this folder next. `unreadable`: why a folder not entered
  // could not be read.
  void Write(Level& level, const platform::FolderItem& item, EntryKind kind, bool entered,
             NativeStringView unreadable = {}) {
    ListingEntry entry;
    entry.name = level.contents.Name(item);
    entry.level = static_cast<int>(depth_) + 1;
    entry.kind = kind;
    entry.facts = item.facts;
    entry.unreadable = unreadable;
    if (kind == EntryKind::kFile) {
      ++level.totals.files;
      level.totals.bytes += item.facts.size;
    } else {
      ++level.totals.folders;
    }
    const std::uint64_t before = sink_.Lines();
    if (records_) {
      records_->Entry(entry, path_, entered);
    } else {
      lines_.clear();
      WriteEntryLines(entry, layout_, lines_);
      sink_.Add(lines_);
    }
    if (hooks_.progress && before / kProgressLineInterval != sink_.Lines() / kProgressLineInterval)
      hooks_.progress(sink_.Lines(), path_);
  }

  // A yield point: when input is waiting, the lines so far are written, the front end handles
  // the input, and a Cancel seen there stops the walk. Without a yield point the token is
  // polled instead.
  bool YieldCancelled() {
    if (pollsEveryEntry_) return PolledCancel();
    if (!hooks_.inputPending()) return false;
    sink_.Flush();
    if (hooks_.processInput) hooks_.processInput();
    return Cancelled();
  }

  // A run without a yield point looks at its token before every entry: a signal may set it
  // at any moment. A run with one looks only where it handles input, as the window does.
  bool PolledCancel() { return pollsEveryEntry_ && Cancelled(); }

  bool Cancelled() {
    if (!settings_.cancel.Requested()) return false;
    folders_.Stop();
    return true;
  }

  const ListingSettings& settings_;
  const ListingHooks& hooks_;
  ListingSink& sink_;
  RecordWriter* records_;  // the structured format's writer, or nothing for text
  platform::ReadRequest request_;
  EntryLayout layout_;
  NativeString path_;
  NativeString lines_;
  const bool pollsEveryEntry_;
  const bool indents_;
  std::vector<Level> levels_;
  std::size_t depth_ = 0;
  FolderReadAhead folders_;  // last: its workers stop before the rest of the walk goes
};

ListingRun::ListingRun(ListingSettings settings) : settings_(std::move(settings)) {}

bool ListingRun::WriteFolderListing() {
  const ListingSettings& s = settings_;
  if (!platform::FolderExists(s.source)) return false;
  // Everything that can fail before the first line is checked before the output is emptied.
  const int firstLevelIndent = s.format == ListingFormat::kText ? FirstLevelIndent(s.source) : 3;
  const bool listed = s.listType >= kListFoldersOnly && s.listType <= kListFirstLevelFolders;
  std::optional<platform::OpenFolder> root;
  if (listed) root.emplace(platform::FullFolderPath(s.source));
  sink_.emplace(
      s.toStandardOutput ? platform::OutputFile::StandardOutput() : platform::OutputFile(s.output),
      s.textEncoding);
  try {
    records_ = MakeRecordWriter(s.format, *sink_, RecordExtras{s.totals, s.keepGoing});
    if (s.format == ListingFormat::kText && s.textEncoding == TextEncoding::kUtf8)
      sink_->AddBytes(kUtf8ByteOrderMark, 0);
    if (records_) records_->Begin(platform::FullFolderPath(s.source));
    bool finished = true;
    FolderTotals totals;
    if (listed) {
      Walk walk(s, firstLevelIndent, *sink_, records_.get(), std::move(*root));
      finished = walk.Run();
      totals = walk.RootTotals();
    }
    if (records_) records_->End(finished ? &totals : nullptr);
    if (!records_ && s.totals && finished) {
      NativeString line;
      WriteTotalsLine(totals, line);
      sink_->Add(line);
    }
    sink_->Flush();
    return finished;
  } catch (...) {
    // The lines queued before the failure are whole, and a structured document is closed
    // after them, so that the output can still be read; then the failure is reported. Should
    // that write fail too, the first failure is the one reported.
    try {
      if (records_) records_->End(nullptr);
      sink_->Flush();
    } catch (const platform::SystemError&) {
    }
    throw;
  }
}
