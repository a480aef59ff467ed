// Numbers typed or stored as text: blanks around, an optional sign, digits, an optional
// decimal point with digits, an optional exponent.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/native_text.h"

bool IsNumericText(NativeStringView text);

// The value of a numeric text, or nothing.
std::optional<double> NumericValue(NativeStringView text);

// A numeric text rounded to the nearest integer (halves to the even neighbour), when the
// result fits a 16-bit signed integer.
std::optional<std::int16_t> NumericTextToInt16(NativeStringView text);

// "True"/"False" (any letter case) or a number: 0 is False, any other value True.
std::optional<bool> BooleanFromText(NativeStringView text);
