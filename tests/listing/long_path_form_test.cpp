// The form in which paths reach the system's file calls: past MAX_PATH the extended-length
// form, which works whatever the system's long-path setting; anything shorter as given.
#include <gtest/gtest.h>

#include <string>

#include "platform/long_path_win.h"

using platform::LongPathForm;

TEST(LongPathForm, OnlyPathsPastMaxPathTakeTheExtendedFormOfTheirFullPath) {
  for (const std::wstring path : {L"C:\\Lists\\a.txt", L"NUL", L"\\\\.\\pipe\\lists",
                                  L"\\\\server\\share\\a.txt", L"relative\\a.txt"}) {
    EXPECT_EQ(path, LongPathForm(path));
  }
  const std::wstring folder(250, L'f');
  EXPECT_EQ(L"\\\\?\\C:\\" + folder + L"\\a.txt",
            LongPathForm(L"C:\\" + folder + L"\\x\\..\\a.txt"));
  EXPECT_EQ(L"\\\\?\\C:\\" + folder + L"\\a.txt", LongPathForm(L"C:/" + folder + L"/a.txt"));
  EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\" + folder, LongPathForm(L"\\\\server\\share\\" + folder));
  const std::wstring extended = L"\\\\?\\C:\\" + folder + L"\\.\\a.txt";
  EXPECT_EQ(extended, LongPathForm(extended));
}
