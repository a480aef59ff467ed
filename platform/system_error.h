// A failure carrying a number and a description text, as the program reports failures.
#pragma once

#include <exception>
#include <stdexcept>
#include <system_error>

#include "native_text.h"

namespace platform {

// Failures the program finds itself, numbered apart from the operating system's codes: an
// errno 5 and a Windows error 5 mean different things, and neither is a negative indentation.
enum class ProgramError {
  kNegativeIndentation = 1,  // a root typed so that its entries would be indented less than 0
  kTooDeepToIndent,          // an entry deeper than a line's indentation can reach
  kNegativeSpacing,          // a negative NoSpacesSeperate in print style 1
};
const std::error_category& ProgramErrorCategory() noexcept;

class SystemError : public std::runtime_error {
 public:
  // A failure of the system, with the system's own code.
  SystemError(long number, NativeString description);
  // A failure the program found itself.
  SystemError(ProgramError error, NativeString description);

  long Number() const noexcept { return number_; }
  // The number with its category: the system's, or ProgramErrorCategory().
  std::error_code Code() const noexcept;
  const NativeString& Description() const noexcept { return description_; }

 private:
  long number_;
  bool program_ = false;
  NativeString description_;
};

// A path as messages show it: whole when it is short, else its start and its end around
// "...", cut on character boundaries, so that a path thousands of characters long still gives
// a message one can read.
NativeString ReadablePath(NativeStringView path);

// The system's description of an error code (GetLastError codes on Windows, errno on POSIX),
// without trailing line breaks.
NativeString ErrorDescription(long code);

// The calling thread's last error code (GetLastError on Windows, errno on POSIX).
long LastErrorCode();

// Throws SystemError for the calling thread's last error code, with its description.
[[noreturn]] void ThrowLastError();

// Throws SystemError for `code`, its description followed by the path it concerns
// (ReadablePath).
[[noreturn]] void ThrowSystemError(long code, NativeStringView path);

// Throws SystemError for `error`: its category's text, ": " and `detail` (a number, or a
// path already made a ReadablePath).
[[noreturn]] void ThrowProgramError(ProgramError error, NativeStringView detail);

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
