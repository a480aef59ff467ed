#include "command_line.h"

#include <charconv>
#include <limits>
#include <type_traits>

const char kUsageText[] =
    "Usage: quillet-list [--type N] [--style N] [--size] [--date] [--spaces N] [--width N]\n"
    "                    [--exclude GLOB]... [--include GLOB]... [--max-depth N]\n"
    "                    [--format text|csv|json|html] [--encoding ansi|utf-8]\n"
    "                    [--keep-going] [--totals] SOURCE OUTPUT\n"
    "\n"
    "Writes an indented listing of the folder SOURCE into the text file OUTPUT, which is\n"
    "emptied first. An OUTPUT of - writes the listing to standard output.\n"
    "\n"
    "  --type N    what to list: 0 all folders, 1 the files of SOURCE only,\n"
    "              2 all files and folders (default), 3 the folders of SOURCE only\n"
    "  --style N   where a file's size and date go: 0 on an extra line, 1 on the same\n"
    "              line after --spaces spaces, 2 right-justified to --width (default)\n"
    "  --size      print each file's size in bytes\n"
    "  --date      print each file's date and time\n"
    "  --spaces N  spaces between a file name and its size or date in style 1 (default 10)\n"
    "  --width N   line width for style 2 (default 80)\n"
    "\n"
    "  --exclude GLOB  leave out files and folders whose name matches GLOB; a folder left\n"
    "                  out is not entered either (may be given more than once)\n"
    "  --include GLOB  list only the files whose name matches GLOB; folders are listed as\n"
    "                  --type says (may be given more than once)\n"
    "  --max-depth N   list N levels below SOURCE at most (1: SOURCE's own entries)\n"
    "\n"
    "                  GLOB is a name with * for any run of characters and ? for one\n"
    "                  character, matched case-insensitively on Windows and\n"
    "                  case-sensitively elsewhere. Quote it so the shell leaves it alone.\n"
    "\n"
    "  --format F      text: the indented listing (default); csv: one row per entry with\n"
    "                  a header (path, name, level, kind, size, modified), UTF-8 with a\n"
    "                  byte-order mark; json: one nested tree of name, kind, size,\n"
    "                  modified and children, UTF-8. Times are local with their UTC offset.\n"
    "                  html: one page to look through in a browser (a tree to fold and\n"
    "                  unfold, search, sorting, each folder's totals), needing no other\n"
    "                  file and no network.\n"
    "  --encoding E    for the text format: ansi, the system's code page on Windows\n"
    "                  (default), or utf-8, written with a byte-order mark. Elsewhere names\n"
    "                  are written as the bytes they are stored as.\n"
    "\n"
    "  --keep-going    a folder that cannot be opened or read is listed, not entered, and\n"
    "                  reported on standard error; the run goes on and ends with exit\n"
    "                  status 1 (csv: an error column; json: an \"error\" member)\n"
    "  --totals        each folder's files, folders and bytes below it (csv: three more\n"
    "                  columns, a folder's row after its contents; json: members after its\n"
    "                  children); text: a closing line \"N folders, M files, S bytes\"\n"
    "\n"
    "  --help      show this text\n"
    "  --version   show the program's version\n";

namespace {

template <typename Int>
std::optional<Int> ParseInteger(const NativeString& text) {
  std::string ascii;
  for (NativeChar c : text) {
    if (static_cast<std::make_unsigned_t<NativeChar>>(c) > 127) return std::nullopt;
    ascii += static_cast<char>(c);
  }
  long long value = 0;
  const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (ascii.empty() || result.ec != std::errc() || result.ptr != ascii.data() + ascii.size())
    return std::nullopt;
  if (value < std::numeric_limits<Int>::min() || value > std::numeric_limits<Int>::max())
    return std::nullopt;
  return static_cast<Int>(value);
}

}  // namespace

ParsedCommand ParseListingCommand(const std::vector<NativeString>& arguments) {
  ParsedCommand parsed;
  ListingCommand command;
  std::vector<NativeString> paths;
  bool optionsEnded = false;
  bool encodingGiven = false;

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    NativeString argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      paths.push_back(argument);
      continue;
    }
    if (argument == NTEXT("--")) {
      optionsEnded = true;
      continue;
    }
    // "--name=value" or "--name value".
    std::optional<NativeString> value;
    if (const auto equals = argument.find('='); equals != NativeString::npos) {
      value = argument.substr(equals + 1);
      argument.resize(equals);
    }
    const std::string name = platform::ToUtf8(argument);
    auto takeValue = [&]() -> std::optional<NativeString> {
      if (value) return value;
      if (i + 1 < arguments.size()) return arguments[++i];
      return std::nullopt;
    };
    auto integer = [&](auto& field, auto lowest, auto highest) {
      using Int = std::remove_reference_t<decltype(field)>;
      const auto text = takeValue();
      const auto number = text ? ParseInteger<Int>(*text) : std::nullopt;
      if (!number || *number < lowest || *number > highest) {
        parsed.problem = name + " needs a whole number from " + std::to_string(lowest) + " to " +
                         std::to_string(highest);
        return false;
      }
      field = *number;
      return true;
    };
    bool ok = true;
    if (name == "--help" || name == "-h") {
      command.help = true;
    } else if (name == "--version" && !value) {
      command.version = true;
    } else if (name == "--keep-going" && !value) {
      command.keepGoing = true;
    } else if (name == "--totals" && !value) {
      command.totals = true;
    } else if (name == "--size" && !value) {
      command.layout.PrintFileSize = true;
    } else if (name == "--date" && !value) {
      command.layout.PrintDateTime = true;
    } else if (name == "--type") {
      ok = integer(command.listType, 0, 3);
    } else if (name == "--style") {
      ok = integer(command.layout.PrintStyle, 0, 2);
    } else if (name == "--spaces") {
      ok = integer(command.layout.NoSpacesSeperate, 0, 32767);
    } else if (name == "--width") {
      ok = integer(command.layout.MaxWidth, -32768, 32767);
    } else if (name == "--exclude" || name == "--include") {
      const auto glob = takeValue();
      if (!glob || glob->empty()) {
        parsed.problem = name + " needs a name pattern";
        return parsed;
      }
      (name == "--exclude" ? command.exclude : command.include).push_back(*glob);
    } else if (name == "--max-depth") {
      ok = integer(command.maxDepth, 1, 32767);
    } else if (name == "--format") {
      const auto text = takeValue();
      const std::string format = text ? platform::ToUtf8(*text) : std::string();
      if (format == "text") {
        command.format = ListingFormat::kText;
      } else if (format == "csv") {
        command.format = ListingFormat::kCsv;
      } else if (format == "json") {
        command.format = ListingFormat::kJson;
      } else if (format == "html") {
        command.format = ListingFormat::kHtml;
      } else {
        parsed.problem = "--format needs text, csv, json or html";
        return parsed;
      }
    } else if (name == "--encoding") {
      const auto text = takeValue();
      const std::string encoding = text ? platform::ToUtf8(*text) : std::string();
      if (encoding != "ansi" && encoding != "utf-8") {
        parsed.problem = "--encoding needs ansi or utf-8";
        return parsed;
      }
      command.encoding = encoding == "utf-8" ? TextEncoding::kUtf8 : TextEncoding::kAnsi;
      encodingGiven = true;
    } else {
      parsed.problem = "unknown option " + name;
      ok = false;
    }
    if (!ok) return parsed;
  }
  if (command.help || command.version) {
    parsed.command = command;
    return parsed;
  }
  if (encodingGiven && command.format != ListingFormat::kText) {
    parsed.problem = "--encoding is for the text format only (csv, json and html are UTF-8)";
    return parsed;
  }
  if (paths.size() != 2) {
    parsed.problem = paths.size() < 2 ? "SOURCE and OUTPUT are needed" : "too many arguments";
    return parsed;
  }
  command.source = paths[0];
  command.output = paths[1];
  parsed.command = command;
  return parsed;
}
