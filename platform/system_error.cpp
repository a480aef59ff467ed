#include "system_error.h"

namespace platform {

namespace {

class ProgramCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "quillet"; }
  std::string message(int value) const override {
    switch (static_cast<ProgramError>(value)) {
      case ProgramError::kNegativeIndentation:
        return "The folder path gives a negative indentation";
      case ProgramError::kTooDeepToIndent:
        return "The folder is nested too deeply to indent";
      case ProgramError::kNegativeSpacing:
        return "The number of spaces between a file name and its information is negative";
    }
    return "Unknown failure";
  }
};

// Characters kept from the start and the end of a long path in a message.
constexpr std::size_t kPathHead = 60;
constexpr std::size_t kPathTail = 100;

// Moves `at` back to the start of the character it falls in (a UTF-16 pair, a UTF-8
// sequence), so that a cut never splits one.
std::size_t CharacterStart(NativeStringView text, std::size_t at) {
#ifdef _WIN32
  if (at > 0 && at < text.size() && text[at] >= 0xDC00 && text[at] <= 0xDFFF) --at;
#else
  while (at > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
#endif
  return at;
}

}  // namespace

const std::error_category& ProgramErrorCategory() noexcept {
  static const ProgramCategory category;
  return category;
}

SystemError::SystemError(long number, NativeString description)
    : std::runtime_error(ToUtf8(description)),
      number_(number),
      description_(std::move(description)) {}

SystemError::SystemError(ProgramError error, NativeString description)
    : std::runtime_error(ToUtf8(description)),
      number_(static_cast<long>(error)),
      program_(true),
      description_(std::move(description)) {}

std::error_code SystemError::Code() const noexcept {
  return {static_cast<int>(number_), program_ ? ProgramErrorCategory() : std::system_category()};
}

NativeString ReadablePath(NativeStringView path) {
  if (path.size() <= kPathHead + kPathTail + 3) return NativeString(path);
  const std::size_t head = CharacterStart(path, kPathHead);
  const std::size_t tail = CharacterStart(path, path.size() - kPathTail);
  NativeString text(path.substr(0, head));
  text += NTEXT("...");
  text += path.substr(tail);
  return text;
}

void ThrowLastError() {
  const long code = LastErrorCode();
  throw SystemError(code, ErrorDescription(code));
}

void ThrowProgramError(ProgramError error, NativeStringView detail) {
  NativeString text = FromUtf8(ProgramErrorCategory().message(static_cast<int>(error)));
  text += NTEXT(": ");
  text += detail;
  throw SystemError(error, std::move(text));
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
    text += ReadablePath(path);
    text += NTEXT(")");
  }
  throw SystemError(code, std::move(text));
}

}  // namespace platform
