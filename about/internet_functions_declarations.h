// modInternetFunctionsDeclarations: the shell entry point behind the web page and e-mail
// launches. It is looked up in shell32.dll when first needed, so that a shell that cannot be
// reached is an error the launches can report rather than a program that does not start.
// Tests put a recorder in its place to see exactly what is handed to the shell.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// ShellExecuteW's signature.
using ShellExecuteEntry = HINSTANCE(WINAPI*)(HWND owner, LPCWSTR operation, LPCWSTR file,
                                             LPCWSTR parameters, LPCWSTR directory,
                                             INT showCommand);

// Hands `file` to the shell's "open" with no parameters and no working folder, and returns
// the shell's status (above 32: handed over; 32 or less: failed) unchanged. Throws
// platform::SystemError (ERROR_PROC_NOT_FOUND) when the shell's entry point cannot be reached.
std::int32_t ShellExecuteOpen(HWND owner, const std::wstring& file, std::int32_t showCommand);

// Test seam: launches call `entry` instead of the shell's own entry point until
// RestoreShellExecuteEntry; nullptr stands for a shell that cannot be reached.
void ReplaceShellExecuteEntry(ShellExecuteEntry entry);
void RestoreShellExecuteEntry();
