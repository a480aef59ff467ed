// The floor for quillet-list.exe under Wine: walks a tree with FindFirstFileExW (basic
// information, large fetch), as the listing's reader does, and only prints how many entries it
// saw. No layout, no output file.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: bare-walk FOLDER\n", stderr);
    return 2;
  }
  unsigned long long entries = 0;
  std::vector<std::wstring> pending{argv[1]};
  while (!pending.empty()) {
    const std::wstring folder = pending.back();
    pending.pop_back();
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      const wchar_t* name = data.cFileName;
      if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
      ++entries;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        pending.push_back(folder + L"\\" + name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  std::printf("%llu\n", entries);
  return 0;
}
