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

void ThrowLastError(NativeStringView path) { ThrowSystemError(LastErrorCode(), path); }

#ifdef _WIN32
void ThrowHResult(long result) { throw SystemError(result, ErrorDescription(result)); }
#endif

NativeString ErrorReportText(long number, NativeStringView description) {
  NativeString text = NTEXT("Error: ") + DecimalText(number) + NTEXT(". ");
  text += description;
  return text;
}

NativeString ErrorReportText(const std::exception_ptr& error, long otherNumber) {
  try {
    std::rethrow_exception(error);
  } catch (const SystemError& e) {
    return ErrorReportText(e.Number(), e.Description());
  } catch (const std::exception& e) {
    return ErrorReportText(otherNumber, FromUtf8(e.what()));
  } catch (...) {
    return ErrorReportText(otherNumber, NTEXT("unknown failure"));
  }
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
