// HTML: one self-contained page to look through the listing, made from listing/page/. The
// entries go into the page as data that its script reads and shows, never as markup, in
// blocks of JSON:
//   <script type="application/json" class="listing-data">{"n":NAMES,"r":[RECORDS]}</script>
// NAMES is one string: the names of the block's entries joined by '/', which no file name
// holds (one string parses far faster than a million). RECORDS are numbers, one record per
// entry in walk order: 0,size,time (a file); 1,time (a folder entered: its entries follow, up
// to a 3); 2,time (a folder listed and not entered); 3 (the folder entered last has ended,
// no name); 4,time (a folder that could not be read, its reason in the block's "e" array).
// Times are seconds since 1970 UTC. The folder listed comes first, in
//   <script type="application/json" id="listing-info">{"root": path}</script>
// The page sums each folder's totals itself.
#pragma once

#include <string>

#include "record_writer.h"

class HtmlWriter final : public RecordWriter {
 public:
  // A block goes out once it holds this many bytes: the writer holds one block at a time and
  // the page parses one at a time.
  static constexpr std::size_t kBlockBytes = 256 * 1024;

  explicit HtmlWriter(ListingSink& sink) : sink_(sink) {}

  void Begin(NativeStringView rootPath) override;
  void Entry(const ListingEntry& entry, NativeStringView folderPath, bool entered) override;
  void EndFolder(const FolderTotals& totals) override;
  void End(const FolderTotals* rootTotals) override;

 private:
  // Queues the block held, if it holds anything.
  void WriteBlock();
  void BlockFullCheck();

  ListingSink& sink_;
  std::string utf8_;
  // The block being gathered.
  std::string names_;
  std::string records_;
  std::string errors_;
  std::uint64_t entries_ = 0;
  // Blocks queued, and the page's head: the sink's State(), which follows what reached the
  // output, is this count while nothing was lost and 0 once the page is closed.
  std::uint64_t queued_ = 0;
  std::string text_;
};
