// quillet-list: the listing engine from the command line, for scripts and large runs. It
// writes byte for byte what the window writes for the same folder and options, and neither
// reads nor writes the settings store.
#include <clocale>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "cli/command_line.h"
#include "cli/console_output.h"
#include "cli/signals.h"
#include "listing/app_options.h"
#include "listing/folder_listing.h"
#include "platform/system_error.h"

namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

int Fail(NativeStringView message) {
  ClearProgress();
  WriteError(NativeString(NTEXT("quillet-list: ")) + EscapeControls(message) + NTEXT("\n"));
  return kFailure;
}

// Names the ANSI code page could not hold, written with '?' (--encoding ansi, or an output that
// cannot be rewritten in UTF-8).
void ReportChangedNames(std::uint64_t names) {
  if (names == 0) return;
  WriteErrorUtf8("quillet-list: " + std::to_string(names) +
                 (names == 1 ? " name holds" : " names hold") +
                 " characters the ANSI code page lacks; each is written as '?'\n");
}

// Runs the listing and reports how it ended; the output is closed on return.
int RunListing(ListingSettings settings) {
  const NativeString source = settings.source;
  try {
    InstallStopHandlers();
    ListingRun run(std::move(settings));
    // The run touches the output only once the source is known to be a folder.
    if (!run.WriteFolderListing() && !StopRequested())
      return Fail(NTEXT("source folder not found: ") + source);
    ClearProgress();
    ReportChangedNames(run.ChangedNames());
  } catch (const platform::SystemError& error) {
    return Fail(error.Description());
  } catch (const std::exception& error) {
    return Fail(platform::FromUtf8(error.what()));
  }
  return kSuccess;
}

int Run(const std::vector<NativeString>& arguments) {
  const ParsedCommand parsed = ParseListingCommand(arguments);
  if (!parsed.command) {
    WriteErrorUtf8("quillet-list: " + parsed.problem + "\n\n" + kUsageText);
    return kUsage;
  }
  const ListingCommand& command = *parsed.command;
  if (command.help) {
    std::fputs(kUsageText, stdout);
    return kSuccess;
  }

  if (command.version) {
    std::fputs("quillet-list " QUILLET_VERSION "\n", stdout);
    return kSuccess;
  }

  ListingSettings settings;
  settings.source = command.source;
  settings.output = command.output;
  settings.toStandardOutput = command.output == NTEXT("-");
  settings.listType = command.listType;
  settings.layout = command.layout;
  settings.filter.exclude = command.exclude;
  settings.filter.include = command.include;
  settings.filter.maxDepth = command.maxDepth;
  settings.format = command.format;
  settings.textEncoding = command.encoding;
  settings.cancel = CancelToken(StopRequested());
  settings.keepGoing = command.keepGoing;
  settings.totals = command.totals;
  if (StandardErrorIsTerminal()) settings.hooks.progress = ShowProgress;
  std::uint64_t skipped = 0;
  settings.skipped = [&skipped](const platform::SystemError& error) {
    ++skipped;
    ClearProgress();
    WriteError(NativeString(NTEXT("quillet-list: ")) + EscapeControls(error.Description()) +
               NTEXT("\n"));
  };

  const int status = RunListing(std::move(settings));
  RunOutputClosed();
  if (StopRequested()) return EndAfterStop();
  // With --keep-going the listing is whole but for the folders skipped, each reported.
  return status == kSuccess && skipped > 0 ? kFailure : status;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  // DLLs loaded from now on come from the system folder only, never from the program's own
  // folder, where anything downloaded beside it may lie. (It fails only for an unknown flag.)
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  std::vector<NativeString> arguments(argv + 1, argv + argc);
  return Run(arguments);
}
#else
int main(int argc, char** argv) {
  // Dates follow the user's LC_TIME, as the window follows the user's regional settings.
  std::setlocale(LC_TIME, "");
  std::vector<NativeString> arguments(argv + 1, argv + argc);
  return Run(arguments);
}
#endif
