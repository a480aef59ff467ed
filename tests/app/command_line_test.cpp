#include "app/command_line.h"

#include <gtest/gtest.h>

TEST(SourcePathFromCommandLine, QuotedUnquotedAndTooShort) {
  EXPECT_EQ(L"C:\\My Data", SourcePathFromCommandLine(L"\"C:\\My Data\""));
  EXPECT_EQ(L"C:\\My Data", SourcePathFromCommandLine(L"  \"C:\\My Data\" "));
  EXPECT_EQ(L"C:\\Data", SourcePathFromCommandLine(L"C:\\Data"));
  // Only one quote: taken as it stands.
  EXPECT_EQ(L"\"C:\\Data", SourcePathFromCommandLine(L"\"C:\\Data"));
  EXPECT_EQ(L"", SourcePathFromCommandLine(L""));
  EXPECT_EQ(L"", SourcePathFromCommandLine(L"x"));
  EXPECT_EQ(L"", SourcePathFromCommandLine(L"\""));
  EXPECT_EQ(L"", SourcePathFromCommandLine(L"\"\""));
  EXPECT_EQ(L"ab", SourcePathFromCommandLine(L"ab"));
}
