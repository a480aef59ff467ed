// HTML: one self-contained page to look through the listing, made from listing/page/. The
// entries go into the page as data that its script reads and shows, never as markup: blocks
//   <script type="application/json" class="listing-data">[records]</script>
// of records, one a line: 0,"name",size,time (a file); 1,"name",time (a folder entered: its
// records follow, up to a 3); 2,"name",time (a folder listed and not entered); 3 (the folder
// entered last has ended); 4,"name",time,"reason" (a folder that could not be read). Times
// are seconds since 1970 UTC. The page sums each folder's totals itself. The folder listed comes
// first, in <script type="application/json" id="listing-info">{"root": path}</script>.
#pragma once

#include <string>

#include "record_writer.h"

class HtmlWriter final : public RecordWriter {
 public:
  // A block is closed once it holds this many bytes: the page parses one block at a time.
  static constexpr std::size_t kBlockBytes = 256 * 1024;

  explicit HtmlWriter(ListingSink& sink) : sink_(sink) {}

  void Begin(NativeStringView rootPath) override;
  void Entry(const ListingEntry& entry, NativeStringView folderPath, bool entered) override;
  void EndFolder(const FolderTotals& totals) override;
  void End(const FolderTotals* rootTotals) override;

 private:
  // Where the output stands, kept as the sink's State() so that it follows what reached the
  // output even after a failed write dropped the bytes pending.
  enum State : std::uint64_t { kClosed = 0, kPageOpen = 1, kBlockOpen = 2 };

  // Starts a record in text_, opening a block when none is open.
  void StartRecord();
  // Queues text_, which ends a record, and closes the block when it is full.
  void FinishRecord(std::uint64_t lines);

  ListingSink& sink_;
  std::string text_;
  std::string utf8_;
  std::size_t blockBytes_ = 0;
};
