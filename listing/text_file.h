// Whole-call text file operations.
#pragma once

#include "platform/native_text.h"

// Opens the file for appending (creating it), writes the text and CR LF, closes it. On a
// failure shows the error box titled "AppendToTextFile" and returns false.
bool AppendToTextFile(const NativeString& fileName, const NativeString& text);

// Creates the file or truncates it to zero length. Throws platform::SystemError.
void EmptyTextFile(const NativeString& fileName);
