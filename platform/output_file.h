// The listing file: one handle for a whole run, emptied when opened. Readers may read it
// while it grows; no other writer may write it (a second run on it fails to open it).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "native_text.h"

namespace platform {

class OutputFile {
 public:
  // Opens the file for writing (creating it when missing), takes it for this writer alone and
  // empties it; a file another run is writing is left as it is. Throws SystemError.
  explicit OutputFile(const NativeString& path);
  // The process's standard output, written as it is (not emptied, not closed at the end).
  static OutputFile StandardOutput();

  // Writes all the bytes, in as many calls as the system needs. Throws SystemError.
  void Write(std::string_view bytes);

  // Cuts the file back to its first `size` bytes, where the next write then goes; nothing for
  // the standard output. Throws SystemError.
  void CutTo(std::uint64_t size);

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
};

}  // namespace platform
