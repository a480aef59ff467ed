// A failure carrying a number and a description text, as the program reports failures.
#pragma once

#include <exception>
#include <stdexcept>

#include "native_text.h"

namespace platform {

class SystemError : public std::runtime_error {
 public:
  SystemError(long number, NativeString description);

  long Number() const noexcept { return number_; }
  const NativeString& Description() const noexcept { return description_; }

 private:
  long number_;
  NativeString description_;
};

// The system's description of an error code (GetLastError codes on Windows, errno on POSIX),
// without trailing line breaks.
NativeString ErrorDescription(long code);

// The calling thread's last error code (GetLastError on Windows, errno on POSIX).
long LastErrorCode();

// Throws SystemError for the calling thread's last error code, with its description.
[[noreturn]] void ThrowLastError();

// Throws SystemError for `code`, its description followed by the path it concerns.
[[noreturn]] void ThrowSystemError(long code, NativeStringView path);

// Throws SystemError for the calling thread's last error code, about `path`.
[[noreturn]] void ThrowLastError(NativeStringView path);

#ifdef _WIN32
// Throws SystemError for a failed COM or shell result (an HRESULT), with its description.
[[noreturn]] void ThrowHResult(long result);
#endif

// The text of the program's error reports: "Error: <number>. <description>".
NativeString ErrorReportText(long number, NativeStringView description);
// The same for a caught failure: a SystemError gives its own number and description, any
// other failure `otherNumber` and what it says of itself.
NativeString ErrorReportText(const std::exception_ptr& error, long otherNumber);

}  // namespace platform
