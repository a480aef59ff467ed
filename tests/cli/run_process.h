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

#ifdef _WIN32
// Starts the tool on this process's console, so that the console's Ctrl+C events reach it,
// with its standard output and error on the inheritable handle `err`. Returns its process
// handle, which WaitForExit closes.
void* StartQuilletListOnConsole(const std::vector<NativeString>& arguments, void* err);
// Waits for a started tool to end and returns its exit code.
int WaitForExit(void* process);
#else
// Starts the tool with its standard output and error on the descriptors given; returns its
// process id.
int StartQuilletList(const std::vector<NativeString>& arguments, int out, int err);

// Waits for a started tool to end. Returns its exit status as a shell shows it: 128 + the
// signal's number when a signal ended it.
int WaitForExit(int pid);
#endif
