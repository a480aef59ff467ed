// Test helpers: a folder tree made on disk for one test, and reading back a listing file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "listing/folder_listing.h"
#include "platform/native_text.h"

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with everything in it at the
// end of the test. Relative paths use '/' and are turned into the platform's form.
class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const NativeString& Root() const { return root_; }
  NativeString Path(std::string_view relative) const;

  void Folder(std::string_view relative) const;
  void File(std::string_view relative, std::string_view contents = {}) const;
  // A file of `size` bytes without writing them (sparse where the file system allows).
  void SizedFile(std::string_view relative, long long size) const;
  // Sets the last-write time, in seconds since 1970 UTC.
  void SetModified(std::string_view relative, long long secondsSince1970) const;

 private:
  NativeString root_;
};

// Platform primitives the tree is made with; they accept paths of any length.
void MakeFolder(const NativeString& path);
void WriteFileBytes(const NativeString& path, std::string_view bytes);
void RemoveTree(const NativeString& path);
NativeString TempFolder();
unsigned long ProcessId();

std::string ReadBytes(const NativeString& path);

// The file's lines, split at CR LF. A line break other than CR LF, or a last line without
// one, is reported as a test failure.
std::vector<std::string> ReadLines(const NativeString& path);

// The options record back to a first start's defaults.
void ResetListingState();

// Lists `source` into `output` with a ListingRun built as the window builds it (the layout of
// AppOptions as they are now); returns what WriteFolderListing returned.
bool RunListing(const NativeString& source, const NativeString& output, int listType,
                const ListingHooks& hooks = {}, CancelToken cancel = {});

// Native text from ASCII/UTF-8 test text.
NativeString N(std::string_view utf8);

// The start of an absolute path in tests of path texts: "C:" on Windows, nothing on POSIX,
// so that Drive() + separator + "Data" is an absolute folder path on both.
NativeString Drive();

#ifdef _WIN32
// The system's short (8.3) form of an existing path. Throws when there is none, so a test on
// short names cannot pass against the long form.
NativeString ShortPathOf(const NativeString& path);
#endif

}  // namespace testing_support
