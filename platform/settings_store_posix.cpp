#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "settings_store.h"
#include "system_error.h"

namespace platform {

namespace {

std::filesystem::path StoreFile(const NativeString& application) {
  std::filesystem::path folder;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/') {
    folder = config;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    folder = std::filesystem::path(home) / ".config";
  } else {
    folder = std::filesystem::temp_directory_path();
  }
  return folder / "quillet" / (application + ".ini");
}

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool IsSection(const std::string& line, std::string* name) {
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
  if (name) *name = line.substr(1, line.size() - 2);
  return true;
}

// Index of the line holding `key` in `section`, and the index where a new key belongs.
struct Place {
  std::optional<std::size_t> key;
  std::optional<std::size_t> sectionEnd;
};

Place Find(const std::vector<std::string>& lines, const std::string& section,
           const std::string& key) {
  Place place;
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string name;
    if (IsSection(lines[i], &name)) {
      if (inSection) break;
      inSection = name == section;
      if (inSection) place.sectionEnd = i + 1;
      continue;
    }
    if (!inSection) continue;
    if (!lines[i].empty()) place.sectionEnd = i + 1;
    if (lines[i].compare(0, key.size(), key) == 0 && lines[i].size() > key.size() &&
        lines[i][key.size()] == '=')
      place.key = i;
  }
  return place;
}

}  // namespace

std::optional<NativeString> ReadSetting(const NativeString& application,
                                        const NativeString& section, const NativeString& key) {
  const auto lines = ReadLines(StoreFile(application));
  const Place place = Find(lines, section, key);
  if (!place.key) return std::nullopt;
  return lines[*place.key].substr(key.size() + 1);
}

void WriteSetting(const NativeString& application, const NativeString& section,
                  const NativeString& key, const NativeString& value) {
  const auto file = StoreFile(application);
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  if (error) ThrowSystemError(error.value(), file.parent_path().string());

  auto lines = ReadLines(file);
  const Place place = Find(lines, section, key);
  const std::string entry = key + '=' + value;
  if (place.key) {
    lines[*place.key] = entry;
  } else if (place.sectionEnd) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*place.sectionEnd), entry);
  } else {
    lines.push_back('[' + section + ']');
    lines.push_back(entry);
  }
  std::string text;
  for (const auto& line : lines) text += line + '\n';

  // Write a new file and move it over the old one, so that a failure never leaves a
  // half-written store behind.
  const std::string temporary = file.string() + ".tmp";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) ThrowSystemError(errno, temporary);
  std::string_view rest = text;
  while (!rest.empty()) {
    const ssize_t written = write(fd, rest.data(), rest.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      const int code = errno;
      close(fd);
      unlink(temporary.c_str());
      ThrowSystemError(code, temporary);
    }
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
  if (close(fd) != 0 || rename(temporary.c_str(), file.c_str()) != 0) {
    const int code = errno;
    unlink(temporary.c_str());
    ThrowSystemError(code, file.string());
  }
}

NativeString ExecutableName() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "quillet";
  return self.stem().string();
}

}  // namespace platform
