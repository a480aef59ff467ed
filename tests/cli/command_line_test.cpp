#include <gtest/gtest.h>

#include "cli/command_line.h"
#include "support/temp_tree.h"

using testing_support::N;

namespace {

ParsedCommand Parse(std::initializer_list<const char*> arguments) {
  std::vector<NativeString> native;
  for (const char* argument : arguments) native.push_back(N(argument));
  return ParseListingCommand(native);
}

}  // namespace

TEST(CommandLine, DefaultsAreTheOptionDefaults) {
  const auto parsed = Parse({"src", "out.txt"});
  ASSERT_TRUE(parsed.command);
  EXPECT_EQ(parsed.command->listType, 2);
  EXPECT_EQ(parsed.command->layout.PrintStyle, 2);
  EXPECT_EQ(parsed.command->layout.NoSpacesSeperate, 10);
  EXPECT_EQ(parsed.command->layout.MaxWidth, 80);
  EXPECT_FALSE(parsed.command->layout.PrintFileSize);
  EXPECT_FALSE(parsed.command->layout.PrintDateTime);
  EXPECT_EQ(parsed.command->source, N("src"));
  EXPECT_EQ(parsed.command->output, N("out.txt"));
}

TEST(CommandLine, EveryOptionInBothForms) {
  const auto parsed = Parse(
      {"--type", "0", "--style=1", "--size", "--date", "--spaces", "3", "--width=-4", "a", "b"});
  ASSERT_TRUE(parsed.command) << parsed.problem;
  EXPECT_EQ(parsed.command->listType, 0);
  EXPECT_EQ(parsed.command->layout.PrintStyle, 1);
  EXPECT_TRUE(parsed.command->layout.PrintFileSize);
  EXPECT_TRUE(parsed.command->layout.PrintDateTime);
  EXPECT_EQ(parsed.command->layout.NoSpacesSeperate, 3);
  EXPECT_EQ(parsed.command->layout.MaxWidth, -4);
}

TEST(CommandLine, FiltersRepeatAndFormatsAreNamed) {
  const auto parsed = Parse({"--exclude", "a*", "--exclude=b?", "--include", "*.txt", "--max-depth",
                             "2", "--format", "json", "src", "-"});
  ASSERT_TRUE(parsed.command) << parsed.problem;
  EXPECT_EQ(parsed.command->exclude, (std::vector<NativeString>{N("a*"), N("b?")}));
  EXPECT_EQ(parsed.command->include, std::vector<NativeString>{N("*.txt")});
  EXPECT_EQ(parsed.command->maxDepth, 2);
  EXPECT_EQ(parsed.command->format, ListingFormat::kJson);
  EXPECT_EQ(Parse({"--encoding", "utf-8", "a", "b"}).command->encoding, TextEncoding::kUtf8);
  EXPECT_EQ(Parse({"--encoding", "ansi", "a", "b"}).command->encoding, TextEncoding::kAnsi);
  EXPECT_EQ(Parse({"a", "b"}).command->encoding, TextEncoding::kAnsiOrUtf8);
}

TEST(CommandLine, DoubleDashEndsOptions) {
  const auto parsed = Parse({"--", "-odd folder", "--size"});
  ASSERT_TRUE(parsed.command);
  EXPECT_EQ(parsed.command->source, N("-odd folder"));
  EXPECT_EQ(parsed.command->output, N("--size"));
  EXPECT_FALSE(parsed.command->layout.PrintFileSize);
}

TEST(CommandLine, WrongArgumentsSayWhatIsWrong) {
  for (auto arguments : {std::initializer_list<const char*>{"only-one"},
                         {"a", "b", "c"},
                         {"--type", "4", "a", "b"},
                         {"--type", "x", "a", "b"},
                         {"--style", "3", "a", "b"},
                         {"--spaces", "-1", "a", "b"},
                         {"--width", "99999", "a", "b"},
                         {"--width"},
                         {"--colour", "a", "b"},
                         {"--size=1", "a", "b"},
                         {"--format", "xml", "a", "b"},
                         {"--max-depth", "0", "a", "b"},
                         {"--format", "csv", "--encoding", "utf-8", "a", "b"}}) {
    const auto parsed = Parse(arguments);
    EXPECT_FALSE(parsed.command);
    EXPECT_FALSE(parsed.problem.empty());
  }
  EXPECT_TRUE(Parse({"--help"}).command->help);
}
