// The listing file: opened once per run for appending, shared for read, write and delete, so
// that other programs can read it while it grows and every line is on disk once written.
#pragma once

#include <string_view>

#include "native_text.h"

namespace platform {

class OutputFile {
 public:
  // Opens (creating when missing) for appending. Throws SystemError.
  explicit OutputFile(const NativeString& path);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // One unbuffered write of the bytes. Throws SystemError.
  void Write(std::string_view bytes);

 private:
  NativeString path_;
#ifdef _WIN32
  void* handle_;
#else
  int fd_;
#endif
};

// Creates the file, or truncates it to zero length. Throws SystemError.
void EmptyFile(const NativeString& path);

}  // namespace platform
