// quillet-list: the listing engine from the command line, for scripts and large runs. It
// writes byte for byte what the window writes for the same folder and options, and neither
// reads nor writes the settings store.
#include <clocale>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "cli/command_line.h"
#include "cli/console_output.h"
#include "listing/app_options.h"
#include "listing/folder_listing.h"
#include "listing/text_file.h"
#include "platform/folder_reader.h"
#include "platform/system_error.h"

namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

int Fail(NativeStringView message) {
  ClearProgress();
  WriteError(NativeString(NTEXT("quillet-list: ")) + NativeString(message) + NTEXT("\n"));
  return kFailure;
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

  AppOptions = DefaultOptions();
  AppOptions.PrintListType = static_cast<std::int16_t>(command.listType);
  AppOptions.PrintStyle = command.printStyle;
  AppOptions.PrintFileSize = command.printSize;
  AppOptions.PrintDateTime = command.printDate;
  AppOptions.NoSpacesSeperate = command.spaces;
  AppOptions.MaxWidth = command.width;

  // Checked before the output is touched, so that a mistyped source never empties a file.
  if (!platform::FolderExists(command.source))
    return Fail(NTEXT("source folder not found: ") + command.source);

  if (StandardErrorIsTerminal()) SetProgressHandler(ShowProgress);
  try {
    CancelRequested = false;
    EmptyTextFile(command.output);
    if (!WriteFolderListing(command.source, command.output, command.listType))
      return Fail(NTEXT("source folder not found: ") + command.source);
  } catch (const platform::SystemError& error) {
    return Fail(error.Description());
  } catch (const std::exception& error) {
    return Fail(platform::FromUtf8(error.what()));
  }
  ClearProgress();
  return kSuccess;
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
