// The listing's output: one handle for a whole run. A file is emptied when opened; readers may
// read it while it grows, no other writer may write it (a second run on it fails to open it).
// A stream (a FIFO, a character device, a pipe, a socket) is written as it comes, as the
// standard output is.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "native_text.h"

namespace platform {

class OutputFile {
 public:
  // Opens the output, creating a file when it is missing. A file is taken for this writer alone
  // and emptied; a file another run is writing is left as it is. A stream is neither locked nor
  // emptied; opening a FIFO waits for a reader, as a shell's redirection does. Throws
  // SystemError.
  explicit OutputFile(const NativeString& path);
  // The process's standard output, not emptied and not closed at the end. Where it is a file,
  // this run's bytes start at its current end or position (a shell's ">>" keeps what is there).
  static OutputFile StandardOutput();

  // Writes all the bytes, in as many calls as the system needs. Throws SystemError.
  void Write(std::string_view bytes);

  // Cuts a file back to the first `size` bytes this run wrote, where the next write then goes;
  // nothing for a stream, which cannot take bytes back. Throws SystemError.
  void CutTo(std::uint64_t size);

  bool IsStream() const { return stream_; }

#ifdef _WIN32
  // Whether RewriteAsUtf8 can be used: a file this run opened itself, with read access.
  bool Rewritable() const { return readable_; }
  // Rewrites the file's `size` bytes, whole lines in the ANSI code page, as UTF-8 after a
  // byte-order mark, in place; the next write goes after them. Returns the new size. Throws
  // SystemError; the file is as it was when it cannot take the new size.
  std::uint64_t RewriteAsUtf8(std::uint64_t size);
#endif

  // What messages call the output: its path, or "standard output".
  const NativeString& Name() const { return name_; }

 private:
  struct Closer {
    bool owned = true;
    void operator()(void* handle) const;
  };
#ifdef _WIN32
  OutputFile(void* handle, NativeString name);
#else
  OutputFile(int fd, NativeString name);
#endif

  NativeString name_;
  // The system's handle (a HANDLE, or a descriptor stored as a pointer-sized value), closed
  // when the file goes unless it is the standard output.
  std::unique_ptr<void, Closer> handle_;
  bool stream_ = false;
  std::uint64_t start_ = 0;  // where this run's bytes begin: 0 but for a standard output file
#ifdef _WIN32
  bool readable_ = false;
#endif
};

}  // namespace platform
