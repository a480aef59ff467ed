#include <windows.h>

#include <algorithm>
#include <vector>

#include "long_path_win.h"
#include "output_file.h"
#include "system_error.h"

namespace platform {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
// The rewrite reads and writes the file in pieces of whole lines of about this size.
constexpr std::size_t kRewritePiece = 1 << 20;

// Disk files are files; consoles, NUL, serial ports and pipes are streams.
bool IsStreamHandle(HANDLE handle) { return GetFileType(handle) != FILE_TYPE_DISK; }

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

}  // namespace

void OutputFile::Closer::operator()(void* handle) const {
  if (owned) CloseHandle(handle);
}

OutputFile::OutputFile(void* handle, NativeString name)
    : name_(std::move(name)), handle_(handle, Closer{false}), stream_(IsStreamHandle(handle)) {
  if (stream_) return;
  LARGE_INTEGER position{};
  if (!SetFilePointerEx(handle, {}, &position, FILE_CURRENT))
    ThrowSystemError(static_cast<long>(GetLastError()), name_);
  start_ = static_cast<std::uint64_t>(position.QuadPart);
}

OutputFile::OutputFile(const NativeString& path) : name_(path), handle_(nullptr, Closer{true}) {
  // OPEN_ALWAYS and then cutting to zero keeps a hidden or system file's attributes, where
  // CREATE_ALWAYS would refuse such a file. Without write sharing a second run on the file
  // fails here, before anything is cut. Read access lets the run rewrite what it wrote (the
  // listing turning UTF-8); a file that grants writing only, or that another program holds
  // without sharing reads, is still written.
  const NativeString name = LongPathForm(path);
  const auto open = [&name](DWORD access) {
    return CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE file = open(GENERIC_READ | GENERIC_WRITE);
  readable_ = file != INVALID_HANDLE_VALUE;
  if (!readable_ &&
      (GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_SHARING_VIOLATION))
    file = open(GENERIC_WRITE);
  if (file == INVALID_HANDLE_VALUE) ThrowSystemError(static_cast<long>(GetLastError()), path);
  handle_.reset(file);
  stream_ = IsStreamHandle(file);
  if (stream_) {
    readable_ = false;
    return;
  }
  if (!SetEndOfFile(file)) ThrowSystemError(static_cast<long>(GetLastError()), path);
}

OutputFile OutputFile::StandardOutput() {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == INVALID_HANDLE_VALUE || output == nullptr)
    ThrowSystemError(static_cast<long>(ERROR_INVALID_HANDLE), L"standard output");
  return OutputFile(output, L"standard output");
}

void OutputFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
    if (!WriteFile(handle_.get(), bytes.data(), chunk, &written, nullptr))
      ThrowSystemError(static_cast<long>(GetLastError()), name_);
    bytes.remove_prefix(written);
  }
}

void OutputFile::CutTo(std::uint64_t size) {
  if (stream_) return;
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(start_ + size);
  if (!SetFilePointerEx(handle_.get(), position, nullptr, FILE_BEGIN) ||
      !SetEndOfFile(handle_.get()))
    ThrowSystemError(static_cast<long>(GetLastError()), name_);
}

std::uint64_t OutputFile::RewriteAsUtf8(std::uint64_t size) {
  const HANDLE file = handle_.get();
  const auto fail = [this] { ThrowSystemError(static_cast<long>(GetLastError()), name_); };
  std::string piece;
  const auto read = [&](std::uint64_t from, std::size_t length) {
    piece.resize(length);
    OVERLAPPED at = At(from);
    DWORD got = 0;
    if (!ReadFile(file, piece.data(), static_cast<DWORD>(length), &got, &at)) fail();
    piece.resize(got);
  };
  const auto writeAt = [&](std::uint64_t to, std::string_view bytes) {
    OVERLAPPED at = At(to);
    DWORD put = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, &at) ||
        put != bytes.size())
      fail();
  };

  // Where each piece lies now and where it goes. A piece ends after a line end, so that no
  // double-byte character is cut in two: CR and LF are single bytes in every ANSI code page.
  struct Piece {
    std::uint64_t from;
    std::size_t length;
    std::uint64_t to;
  };
  std::vector<Piece> pieces;
  std::uint64_t newSize = sizeof kByteOrderMark - 1;
  for (std::uint64_t from = 0; from < size;) {
    read(from, static_cast<std::size_t>(std::min<std::uint64_t>(kRewritePiece, size - from)));
    if (piece.empty()) fail();
    std::size_t length = piece.size();
    const std::size_t lineEnd = piece.rfind('\n');
    if (from + length < size && lineEnd != std::string::npos) length = lineEnd + 1;
    pieces.push_back({from, length, newSize});
    newSize += ListingBytesToUtf8(std::string_view(piece).substr(0, length)).size();
    from += length;
  }

  // The file takes its new size before any byte moves, so that a full disk leaves it as it was.
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(newSize);
  if (!SetFilePointerEx(file, end, nullptr, FILE_BEGIN) || !SetEndOfFile(file)) {
    const DWORD error = GetLastError();
    CutTo(size);
    ThrowSystemError(static_cast<long>(error), name_);
  }
  // Last piece first: each moves towards the end, over bytes already moved or its own.
  for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) {
    read(it->from, it->length);
    writeAt(it->to, ListingBytesToUtf8(piece));
  }
  writeAt(0, {kByteOrderMark, sizeof kByteOrderMark - 1});
  if (!SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) fail();
  return newSize;
}

}  // namespace platform
