#include "text_file.h"

#include "platform/error_box.h"
#include "platform/output_file.h"
#include "platform/system_error.h"

bool AppendToTextFile(const NativeString& fileName, const NativeString& text) {
  try {
    platform::OutputFile file(fileName);
    file.Write(platform::ToListingBytes(text) + "\r\n");
    return true;
  } catch (const platform::SystemError& error) {
    const NativeString number = platform::DecimalText(error.Number());
    platform::ShowErrorBox(NTEXT("AppendToTextFile"),
                           NTEXT("Error: ") + number + NTEXT(". ") + error.Description());
    return false;
  }
}

void EmptyTextFile(const NativeString& fileName) { platform::EmptyFile(fileName); }
