// Write File, Cancel and Browse, driven through the real window and its real message boxes.
#include <shlobj.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "frm_main_fixture.h"
#include "platform/output_file.h"
#include "platform/system_error.h"

using gui_test::Answer;
using gui_test::BoxWatcher;
using gui_test::Press;
using gui_test::SeenBox;
using testing_support::ReadLines;
using testing_support::TempTree;

namespace {

// A tree big enough that a run takes a good part of a second under Wine.
void MakeWideTree(const TempTree& tree, int top, int below) {
  for (int i = 0; i < top; ++i) {
    std::string folder("f");
    folder.append(std::to_string(i));
    tree.Folder(folder);
    for (int j = 0; j < below; ++j) {
      std::string sub(folder);
      sub.append("/s").append(std::to_string(j));
      tree.Folder(sub);
    }
  }
}

constexpr wchar_t kInvalidPaths[] = L"Must have a valid Source Path and Output Path";

class WriteFileTest : public MainWindowTest {
 protected:
  void Fill(const std::wstring& source, const std::wstring& output) {
    SetWindowTextW(Ctl(frmMain::txtPath0), L"");
    SetWindowTextW(Ctl(frmMain::txtPath1), L"");
    gui_test::Type(Ctl(frmMain::txtPath0), source);
    gui_test::Type(Ctl(frmMain::txtPath1), output);
  }
  // Presses Write File and answers the boxes it shows; returns what they showed.
  std::vector<SeenBox> WriteFile(std::vector<gui_test::BoxAction> answers) {
    BoxWatcher watcher(std::move(answers));
    Press(Ctl(frmMain::cmdPrint));
    return watcher.Seen();
  }
  // Starts a run over a 30 x 30 tree with the list type of `listTypeOption`, has `close` act
  // once it runs, and checks that the window closed after the walk: the "Canceled" box (or no
  // box at all), a listing cut short, the options saved.
  void ExpectClosesDuringARun(const std::function<void()>& close, frmMain::Row listTypeOption,
                              const wchar_t* storedListType, bool canceledBox = true);
  // A 30 x 30 tree and an output file outside it, for runs long enough to act during.
  struct WideTree {
    WideTree() { MakeWideTree(tree, 30, 30); }
    TempTree tree;
    TempTree out;
    const std::wstring output = out.Path("list.txt");
  };
  void ExpectIdle() {
    EXPECT_TRUE(IsWindowEnabled(Ctl(frmMain::cmdPrint)));
    EXPECT_FALSE(IsWindowEnabled(Ctl(frmMain::cmdCancel)));
    EXPECT_FALSE(IsWindowVisible(Ctl(frmMain::lblStatus)));
    EXPECT_FALSE(form.RunInProgress());
  }
};

void ExpectInformation(const SeenBox& box, const std::wstring& title, const std::wstring& text) {
  EXPECT_EQ(title, box.title);
  EXPECT_EQ(text, box.text);
  EXPECT_EQ(gui_test::InformationIcon(), box.icon);
  EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
}

}  // namespace

TEST_F(WriteFileTest, SuccessfulRunListsTheTreeAndAsksToView) {
  TempTree tree;
  tree.File("Docs/a.txt", "x");
  tree.File("b.txt", "y");
  const std::wstring output = tree.Path("out.txt");
  testing_support::WriteFileBytes(output, "old content\r\n");
  Store(L"PrintStyle", L"0");
  Load();
  Fill(tree.Path("Docs/..").substr(0, tree.Root().size()), output);

  const auto seen = WriteFile({Answer(IDNO)});
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(L"View File?", seen[0].title);
  EXPECT_EQ(L"Print Successful. Do You Wish To View The File?", seen[0].text);
  EXPECT_EQ(gui_test::QuestionIcon(), seen[0].icon);
  EXPECT_EQ((std::vector<int>{IDYES, IDNO}), seen[0].buttons);
  // Emptied first; the output file itself lies in the tree and is listed.
  EXPECT_EQ((std::vector<std::string>{"   Docs", "      a.txt", "   b.txt", "   out.txt"}),
            ReadLines(output));
  ExpectIdle();
}

TEST_F(WriteFileTest, ListTypeChosenInTheWindowIsTheOneUsed) {
  TempTree tree;
  tree.File("Docs/a.txt");
  tree.File("b.txt");
  TempTree out;
  Load();
  gui_test::Press(Ctl(frmMain::optListType0));
  Fill(tree.Root(), out.Path("folders.txt"));
  WriteFile({Answer(IDNO)});
  EXPECT_EQ(std::vector<std::string>{"   Docs"}, ReadLines(out.Path("folders.txt")));
}

TEST_F(WriteFileTest, PathChecksComeBeforeTheOutputIsTouched) {
  TempTree tree;
  const std::wstring output = tree.Path("keep.txt");
  testing_support::WriteFileBytes(output, "keep\r\n");
  Load();
  struct Case {
    std::wstring source, output, title, text;
    frmMain::Row wrong;  // the box that gets the focus afterwards, its text selected
  };
  const std::wstring invalidOutput = L"Must have a valid output path to a '.txt' file";
  const Case cases[] = {
      {L"", output, L"Invalid Paths", kInvalidPaths, frmMain::txtPath0},
      {tree.Root(), L"", L"Invalid Paths", kInvalidPaths, frmMain::txtPath1},
      {tree.Root(), tree.Path("list.TXT"), L"Invalid Output", invalidOutput, frmMain::txtPath1},
      {tree.Root(), L"txt", L"Invalid Output", invalidOutput, frmMain::txtPath1},
      // Quotes around the output do not hide its ending from the check, nor make it empty.
      {tree.Root(), L"\"" + tree.Path("list.TXT") + L"\"", L"Invalid Output", invalidOutput,
       frmMain::txtPath1},
      {tree.Root(), L" \"\" ", L"Invalid Paths", kInvalidPaths, frmMain::txtPath1},
  };
  for (const Case& c : cases) {
    Fill(c.source, c.output);
    const auto seen = WriteFile({Answer(IDOK)});
    ASSERT_EQ(1u, seen.size());
    ExpectInformation(seen[0], c.title, c.text);
    ExpectIdle();
    EXPECT_EQ(Ctl(c.wrong), GetFocus()) << c.title;
    DWORD start = 1;
    DWORD end = 0;
    SendMessageW(Ctl(c.wrong), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(form.Text(c.wrong).size(), end);
  }
  EXPECT_EQ(std::vector<std::string>{"keep"}, ReadLines(output));
}

// A listing whose names all fit the ANSI code page is its bytes, as ever. At the first name the
// code page lacks ("\u03A9mega" must not become "Omega", another name) the listing turns UTF-8
// from its first byte; widths still count characters. The UTF-8 listing is left in the build
// folder (names-listing.txt) for people to look at.
TEST_F(WriteFileTest, NamesTheCodePageLacksTurnTheListingUtf8) {
  TempTree tree;
  tree.File("ascii/Docs/a.txt");
  tree.File("ascii/b.txt");
  tree.File("names/\xCE\xA9mega.txt");
  tree.File("names/\xE6\x96\x87\xE4\xBB\xB6.txt");
  tree.Folder("names/caf\xC3\xA9");
  TempTree out;
  Load();
  Fill(tree.Path("ascii"), out.Path("ascii.txt"));
  WriteFile({Answer(IDNO)});
  const auto padded = [](const std::string& line, std::size_t characters) {
    return line + std::string(80 - characters, ' ') + "\r\n";
  };
  EXPECT_EQ("   Docs\r\n" + padded("      a.txt", 11) + padded("   b.txt", 8),
            testing_support::ReadBytes(out.Path("ascii.txt")));

  wchar_t listing[MAX_PATH] = {};
  ASSERT_NE(0u, GetFullPathNameW(L"..\\..\\names-listing.txt", MAX_PATH, listing, nullptr));
  Fill(tree.Path("names"), listing);
  WriteFile({Answer(IDNO)});
  const std::string cafe = "   caf\xC3\xA9\r\n";  // in the code page until the rewrite
  EXPECT_EQ("\xEF\xBB\xBF" + cafe + padded("   \xCE\xA9mega.txt", 12) +
                padded("   \xE6\x96\x87\xE4\xBB\xB6.txt", 9),
            testing_support::ReadBytes(listing));
  ExpectIdle();
}

TEST_F(WriteFileTest, OutputThatCannotBeCreatedIsReportedAsError) {
  TempTree tree;
  Load();
  Fill(tree.Root(), tree.Path("missing folder/out.txt"));
  const auto seen = WriteFile({Answer(IDOK)});
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(L"Error", seen[0].title);
  EXPECT_FALSE(seen[0].text.empty());
  EXPECT_EQ(gui_test::InformationIcon(), seen[0].icon);
  ExpectIdle();
}

TEST_F(WriteFileTest, FailuresBeforeTheWalkLeaveThePreciousOutputAsItWas) {
  TempTree tree;
  tree.File("src/a/x.txt");
  const std::wstring output = tree.Path("keep.txt");
  testing_support::WriteFileBytes(output, "keep\r\n");
  Load();
  // "src\a\.." counts a level deeper than the folder it names: a negative indentation.
  Fill(tree.Path("src/a") + L"\\..", output);
  auto seen = WriteFile({Answer(IDOK)});
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(L"Error", seen[0].title);
  EXPECT_NE(std::wstring::npos, seen[0].text.find(L"negative indentation")) << seen[0].text;
  EXPECT_EQ(std::vector<std::string>{"keep"}, ReadLines(output));
  // Another run writing the output: refused, naming the file.
  {
    platform::OutputFile other(output);
    other.Write("other run\r\n");
    Fill(tree.Path("src"), output);
    seen = WriteFile({Answer(IDOK)});
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(L"Error", seen[0].title);
    EXPECT_NE(std::wstring::npos, seen[0].text.find(output)) << seen[0].text;
  }
  EXPECT_EQ(std::vector<std::string>{"other run"}, ReadLines(output));
  ExpectIdle();
}

namespace {

void ClickWithMouse(HWND control) {
  const RECT rect = gui_test::ScreenRect(control);
  gui_test::MoveCursor((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  gui_test::MouseButton(1, true);
  gui_test::MouseButton(1, false);
}

}  // namespace

void WriteFileTest::ExpectClosesDuringARun(const std::function<void()>& close,
                                           frmMain::Row listTypeOption,
                                           const wchar_t* storedListType, bool canceledBox) {
  const WideTree wide;
  Load();
  gui_test::Press(Ctl(listTypeOption));
  Fill(wide.tree.Root(), wide.output);
  AtFirstYield(close);
  // Looked at from the watcher's thread: the handle, not the window object.
  const HWND window = form.Handle();
  std::atomic<bool> loadedWhileBoxShown = false;
  const std::vector<SeenBox> seen = WriteFile({[&](HWND box) {
    loadedWhileBoxShown = IsWindow(window) != FALSE;
    Answer(IDOK)(box);
  }});
  if (canceledBox) {
    ASSERT_EQ(1u, seen.size()) << "a listing cut short without a word";
    ExpectInformation(seen[0], L"Canceled", L"Action Canceled. Not all data written to File.");
    EXPECT_TRUE(loadedWhileBoxShown) << "the box came after the window had gone";
  } else {
    EXPECT_TRUE(seen.empty()) << "a box at the session's end";
  }
  EXPECT_FALSE(form.IsLoaded());
  EXPECT_LT(ReadLines(wide.output).size(), 30u * 31u);
  EXPECT_EQ(storedListType, Stored(L"PrintListType")) << "options saved at unload";
}

TEST_F(WriteFileTest, CancelDuringARunStopsTheWalk) {
  const WideTree wide;
  Load();
  Fill(wide.tree.Root(), wide.output);
  const HWND cancel = Ctl(frmMain::cmdCancel);
  AtFirstYield([cancel] { ClickWithMouse(cancel); });
  std::vector<SeenBox> seen = WriteFile({Answer(IDOK)});
  ASSERT_EQ(1u, seen.size());
  ExpectInformation(seen[0], L"Canceled", L"Action Canceled. Not all data written to File.");
  const auto lines = ReadLines(wide.output);
  EXPECT_LT(lines.size(), 30u * 31u);
  ExpectIdle();

  // The next run starts with the flag cleared and runs to its end.
  seen = WriteFile({Answer(IDNO)});
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(L"View File?", seen[0].title);
  EXPECT_EQ(30u * 31u, ReadLines(wide.output).size());
}

TEST_F(WriteFileTest, ExitDuringARunSaysCanceledAndClosesTheWindowAfterTheWalk) {
  ExpectClosesDuringARun([this] { ClickWithMouse(Ctl(frmMain::cmdExit)); }, frmMain::optListType0,
                         L"0");
}

TEST_F(WriteFileTest, EscapeDuringARunSaysCanceledAndClosesTheWindowAfterTheWalk) {
  // Write File pressed with the mouse takes the focus; the key must still reach the window.
  ExpectClosesDuringARun([] { gui_test::KeyPress(VK_ESCAPE); }, frmMain::optListType2, L"2");
}

TEST_F(WriteFileTest, SystemCloseDuringARunSaysCanceledAndClosesTheWindowAfterTheWalk) {
  // The taskbar's Close posts the command; no input follows it.
  ExpectClosesDuringARun([this] { PostMessageW(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); },
                         frmMain::optListType0, L"0");
}

// Log-off or shutdown during a run: the run stops, the options are saved at once (the process
// may end as soon as the window has answered), and the window goes once the walk has unwound
// without saving a second time, and without a box that nobody would see.
TEST_F(WriteFileTest, SessionEndDuringARunCancelsItAndSavesTheOptionsOnce) {
  std::wstring savedAtSessionEnd;
  ExpectClosesDuringARun(
      [&] {
        EXPECT_EQ(TRUE, SendMessageW(form.Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
        SendMessageW(form.Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        savedAtSessionEnd = Stored(L"PrintListType");
        // A second save would put the list type back over this.
        Store(L"PrintListType", L"3");
      },
      frmMain::optListType0, L"3", /*canceledBox=*/false);
  EXPECT_EQ(L"0", savedAtSessionEnd);
}

// Enter after a run starts a run again: the focus goes back where it was when the run started
// (Write File, for Alt+W and Enter on it), after success, errors and Cancel alike, and during
// a run it waits on Cancel, never on Exit.
TEST_F(WriteFileTest, FocusReturnsWhereTheRunStartedSoThatEnterRunsAgain) {
  const WideTree wide;
  Load();
  Fill(wide.tree.Root(), wide.output);
  const HWND print = Ctl(frmMain::cmdPrint);
  // Presses `key` and answers the one box the run ends with.
  auto run = [&](WORD key, bool withAlt, gui_test::BoxAction answer) {
    BoxWatcher watcher({std::move(answer)});
    gui_test::KeyPress(key, withAlt);
    EXPECT_TRUE(gui_test::PumpUntil(
        [&] { return watcher.Seen().size() == 1 && !form.RunInProgress(); }, 30000));
    return watcher.Seen().empty() ? SeenBox{} : watcher.Seen()[0];
  };
  SetFocus(Ctl(frmMain::txtPath1));
  EXPECT_EQ(L"View File?", run('W', true, Answer(IDNO)).title);
  EXPECT_EQ(print, GetFocus());

  Fill(wide.tree.Root(), wide.out.Path("missing folder/list.txt"));
  EXPECT_EQ(L"Error", run(VK_RETURN, false, Answer(IDOK)).title) << "Enter did not run";
  EXPECT_EQ(print, GetFocus());

  // Enter in the middle of the run presses Cancel, which has the focus meanwhile.
  Fill(wide.tree.Root(), wide.output);
  HWND focusDuringRun = nullptr;
  AtFirstYield([&] {
    focusDuringRun = GetFocus();
    gui_test::KeyPress(VK_RETURN);
  });
  EXPECT_EQ(L"Canceled", run(VK_RETURN, false, Answer(IDOK)).title);
  EXPECT_EQ(Ctl(frmMain::cmdCancel), focusDuringRun);
  EXPECT_EQ(print, GetFocus());
  ASSERT_TRUE(form.IsLoaded());

  // Started from a path box with Enter, the focus stays in that box.
  SetFocus(Ctl(frmMain::txtPath0));
  EXPECT_EQ(L"View File?", run(VK_RETURN, false, Answer(IDNO)).title);
  EXPECT_EQ(Ctl(frmMain::txtPath0), GetFocus());
}

// Paths as people paste them: quotes around either path, with blanks around them, are dropped.
// A source that is not a folder is a run's failure like any other: the "Error" box names it
// with the system's own reason, and the output is left as it was.
TEST_F(WriteFileTest, QuotedPathsRunAndASourceThatIsNoFolderIsAnErrorNamingIt) {
  TempTree tree;
  tree.File("src/a.txt");
  const std::wstring output = tree.Path("list.txt");
  Store(L"PrintStyle", L"0");
  Load();
  Fill(L"  \"" + tree.Path("src") + L"\" ", L"\"" + output + L"\"  ");
  const auto quoted = WriteFile({Answer(IDNO)});
  ASSERT_EQ(1u, quoted.size());
  EXPECT_EQ(L"View File?", quoted[0].title);
  EXPECT_EQ(std::vector<std::string>{"   a.txt"}, ReadLines(output));

  testing_support::WriteFileBytes(output, "keep\r\n");
  struct Case {
    std::wstring source;
    DWORD error;
  };
  for (const Case& c : {Case{tree.Path("no such folder"), ERROR_FILE_NOT_FOUND},
                        Case{tree.Path("src/a.txt"), ERROR_DIRECTORY}}) {
    Fill(c.source, output);
    const auto seen = WriteFile({Answer(IDOK)});
    ASSERT_EQ(1u, seen.size());
    ExpectInformation(
        seen[0], L"Error",
        platform::ErrorDescription(static_cast<long>(c.error)) + L" (" + c.source + L")");
    ExpectIdle();
  }
  EXPECT_EQ(std::vector<std::string>{"keep"}, ReadLines(output));
}

TEST_F(WriteFileTest, BrowseFillsTheBoxesFromThePicker) {
  TempTree tree;
  tree.Folder("Picked");
  const std::wstring picked = tree.Path("Picked");
  Load();
  SetWindowTextW(Ctl(frmMain::txtPath0), L"unchanged");
  auto choose = [](std::wstring path) {
    return [path](HWND dialog) {
      const auto slash = path.find_last_of(L'\\');
      gui_test::SelectInPicker(dialog, path, path.substr(slash + 1));
      Answer(IDOK)(dialog);
    };
  };
  {
    BoxWatcher watcher({Answer(IDCANCEL)});
    Press(Ctl(frmMain::cmdBrowse0));
    ASSERT_EQ(1u, watcher.Seen().size());
  }
  EXPECT_EQ(L"unchanged", form.Text(frmMain::txtPath0));
  {
    BoxWatcher watcher({choose(picked)});
    Press(Ctl(frmMain::cmdBrowse0));
  }
  EXPECT_EQ(picked, form.Text(frmMain::txtPath0));
  {
    BoxWatcher watcher({choose(picked)});
    Press(Ctl(frmMain::cmdBrowse1));
  }
  EXPECT_EQ(picked + L"\\Quillet List.txt", form.Text(frmMain::txtPath1));
  // A drive comes back with its backslash; the output side then holds two in a row.
  {
    BoxWatcher watcher({choose(L"C:\\")});
    Press(Ctl(frmMain::cmdBrowse1));
  }
  EXPECT_EQ(L"C:\\\\Quillet List.txt", form.Text(frmMain::txtPath1));
}

namespace {

struct ViewerWindow {
  HWND hwnd = nullptr;
  DWORD processId = 0;
};

ViewerWindow FindNotepad() {
  ViewerWindow found;
  for (int i = 0; i < 1000 && !found.hwnd; ++i) {
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
          wchar_t name[32] = {};
          GetClassNameW(hwnd, name, 32);
          if (std::wstring(name) != L"Notepad" || !IsWindowVisible(hwnd)) return TRUE;
          auto& viewer = *reinterpret_cast<ViewerWindow*>(param);
          viewer.hwnd = hwnd;
          GetWindowThreadProcessId(hwnd, &viewer.processId);
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (!found.hwnd) Sleep(5);
  }
  return found;
}

}  // namespace

TEST_F(WriteFileTest, YesOpensTheListingInNotepadFromTheWindowsFolder) {
  TempTree tree;
  tree.File("a.txt");
  tree.Folder("My Lists");
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring notepad = std::wstring(windows) + L"\\notepad.exe";
  Load();
  for (const std::int16_t style : {2, 0}) {
    AppOptions.PrintStyle = style;
    Fill(tree.Root(), tree.Path("My Lists/list.txt"));
    WriteFile({Answer(IDYES)});
    const ViewerWindow viewer = FindNotepad();
    ASSERT_NE(nullptr, viewer.hwnd) << "style " << style;
    // Maximised for print styles other than 0.
    EXPECT_EQ(style != 0, IsZoomed(viewer.hwnd) != FALSE) << "style " << style;
    HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, viewer.processId);
    ASSERT_NE(nullptr, process);
    wchar_t image[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    QueryFullProcessImageNameW(process, 0, image, &length);
    EXPECT_EQ(0, _wcsicmp(notepad.c_str(), image)) << platform::ToUtf8(image);
    PostMessageW(viewer.hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 5000));
    CloseHandle(process);
  }
}
