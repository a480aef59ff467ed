// Messages and the progress line on standard error.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/native_text.h"

bool StandardErrorIsTerminal();

// Writes text to standard error: through the console's wide interface on a Windows console,
// as UTF-8 otherwise.
void WriteError(NativeStringView text);
void WriteErrorUtf8(std::string_view utf8);

// `text` with each control character shown in caret notation ("^[" for ESC, "^J" for LF,
// "^?" for DEL) and each C1 control as '?', so that a name cannot move the cursor, retitle
// the terminal or split a message.
NativeString EscapeControls(NativeStringView text);

// The progress line: "<lines> lines written  <folder>", redrawn at most ten times a second;
// the folder is escaped and cut on a character boundary.
void ShowProgress(std::uint64_t lines, const NativeString& folder);
void ClearProgress();
