#include "system_error.h"

namespace platform {

SystemError::SystemError(long number, NativeString description)
    : std::runtime_error(ToUtf8(description)),
      number_(number),
      description_(std::move(description)) {}

void ThrowLastError() {
  const long code = LastErrorCode();
  throw SystemError(code, ErrorDescription(code));
}

void ThrowSystemError(long code, NativeStringView path) {
  NativeString text = ErrorDescription(code);
  if (!path.empty()) {
    text += NTEXT(" (");
    text += path;
    text += NTEXT(")");
  }
  throw SystemError(code, std::move(text));
}

}  // namespace platform
