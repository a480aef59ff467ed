#include <gtest/gtest.h>

#include "listing/number_text.h"
#include "support/temp_tree.h"

using testing_support::N;

TEST(NumericText, AcceptsSignDigitsFractionAndExponentWithBlanksAround) {
  for (const char* text : {"7", " 7 ", "\t-12", "+3", "2.5", "-0.25", "1e3", "1.5E-2", "6e+1"})
    EXPECT_TRUE(IsNumericText(N(text))) << text;
}

TEST(NumericText, RefusesEverythingElse) {
  for (const char* text : {"", "   ", "abc", "7a", "1 2", "--1", ".5", "5.", "1e", "e5", "0x10",
                           "1,000", "+", "1.2.3"})
    EXPECT_FALSE(IsNumericText(N(text))) << text;
}

TEST(NumericText, RoundsHalvesToEvenIntoSixteenBits) {
  EXPECT_EQ(NumericTextToInt16(N(" 7 ")), 7);
  EXPECT_EQ(NumericTextToInt16(N("2.5")), 2);
  EXPECT_EQ(NumericTextToInt16(N("3.5")), 4);
  EXPECT_EQ(NumericTextToInt16(N("-2.5")), -2);
  EXPECT_EQ(NumericTextToInt16(N("2.6")), 3);
  EXPECT_EQ(NumericTextToInt16(N("1.2e2")), 120);
  EXPECT_EQ(NumericTextToInt16(N("-32768")), -32768);
  EXPECT_EQ(NumericTextToInt16(N("32767.4")), 32767);
  EXPECT_EQ(NumericTextToInt16(N("32767.5")), std::nullopt);  // rounds to 32768
  EXPECT_EQ(NumericTextToInt16(N("40000")), std::nullopt);
  EXPECT_EQ(NumericTextToInt16(N("1e999")), std::nullopt);
  // Too small for a double: rounds to 0 like any other tiny number, with either sign.
  EXPECT_EQ(NumericTextToInt16(N("1e-400")), 0);
  EXPECT_EQ(NumericTextToInt16(N("-2.5e-999")), 0);
  EXPECT_EQ(NumericTextToInt16(N("ten")), std::nullopt);
}

TEST(NumericText, BooleansAreWordsOrNumbers) {
  EXPECT_EQ(BooleanFromText(N("True")), true);
  EXPECT_EQ(BooleanFromText(N("false")), false);
  EXPECT_EQ(BooleanFromText(N("-1")), true);
  EXPECT_EQ(BooleanFromText(N("0")), false);
  EXPECT_EQ(BooleanFromText(N("0.0")), false);
  EXPECT_EQ(BooleanFromText(N("yes")), std::nullopt);
  EXPECT_EQ(BooleanFromText(N("")), std::nullopt);
}
