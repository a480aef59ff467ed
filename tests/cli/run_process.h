// Runs the console tool as its own process and collects what it printed.
#pragma once

#include <string>
#include <vector>

#include "platform/native_text.h"

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

ProcessResult RunQuilletList(const std::vector<NativeString>& arguments);

// The same with standard error on a terminal (POSIX only); `err` holds what the terminal got.
ProcessResult RunQuilletListOnTerminal(const std::vector<NativeString>& arguments);
