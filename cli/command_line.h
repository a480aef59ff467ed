// The console tool's arguments.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "listing/app_options.h"
#include "listing/record_writer.h"
#include "platform/native_text.h"

// Defaults are the options record's, as a first start of the window has them.
struct ListingCommand {
  std::int32_t listType = DefaultOptions().PrintListType;
  LayoutOptions layout = LayoutOf(DefaultOptions());
  std::vector<NativeString> exclude;
  std::vector<NativeString> include;
  std::int32_t maxDepth = 0;  // 0: no limit
  ListingFormat format = ListingFormat::kText;
  TextEncoding encoding = TextEncoding::kAnsiOrUtf8;  // as the window writes, unless --encoding
  bool keepGoing = false;
  bool totals = false;
  NativeString source;
  NativeString output;
  bool help = false;
  bool version = false;
};

struct ParsedCommand {
  std::optional<ListingCommand> command;  // nothing when the arguments are wrong
  std::string problem;                    // what is wrong, for the usage message
};

// Parses the arguments after the program name.
ParsedCommand ParseListingCommand(const std::vector<NativeString>& arguments);

extern const char kUsageText[];
