// The options dialog's behaviour, driven from the main window's Options button: the check
// boxes, the two number checks, O.k. and Cancel, the Explorer command, reloading the store.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "integration/explorer_integration.h"
#include "options_fixture.h"
#include "platform/registry_key.h"
#include "platform/system_error.h"
#include "registry_test_support.h"

using gui_test::Answer;
using gui_test::BoxWatcher;
using gui_test::SeenBox;
using gui_test::SelectInPicker;
using options_test::OptionsDialog;
using options_test::OptionsDialogTest;

namespace {

constexpr wchar_t kSpacesNotNumeric[] =
    L"Number Of Spaces Between File Name And Extra File Info Has To Be Numberic";
constexpr wchar_t kWidthNotNumeric[] = L"Maximum Width Has To Be Numberic";
const std::wstring kMenuKey = L"Software\\Classes\\Directory\\shell\\Print Directory";

// ASCII test texts for failure messages.
std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow += static_cast<char>(c);
  return narrow;
}

HICON ExclamationIcon() { return LoadIconW(nullptr, IDI_EXCLAMATION); }

void ExpectExclamation(const SeenBox& box, const std::wstring& title, const std::wstring& text) {
  EXPECT_EQ(title, box.title);
  EXPECT_EQ(text, box.text);
  EXPECT_EQ(ExclamationIcon(), box.icon);
  EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
}

// Presses O.k. and answers whatever boxes it shows with OK; returns what they showed.
std::vector<SeenBox> PressOk(const OptionsDialog& dialog) {
  BoxWatcher watcher({});
  dialog.Click(frmOptions::cmdOk);
  return watcher.Seen();
}

// The box adds and removes the folder's, the drive's and the folder background's entries
// together: any of them counts.
bool MenuKeyExists() { return integration_test::MenuKeysPresent() > 0; }

}  // namespace

TEST_F(OptionsDialogTest, CheckBoxesChangeTheRecordAtOnceAndTheFirstEnablesTheDestination) {
  Load();
  WithOptions([&](const OptionsDialog& dialog) {
    EXPECT_EQ(L"", dialog.Text(frmOptions::txtDefaultDestDir));
    EXPECT_FALSE(IsWindowEnabled(dialog.Ctl(frmOptions::txtDefaultDestDir)));
    EXPECT_FALSE(IsWindowEnabled(dialog.Ctl(frmOptions::cmdBrowse)));

    dialog.Click(frmOptions::chkOption0);
    EXPECT_TRUE(IsWindowEnabled(dialog.Ctl(frmOptions::txtDefaultDestDir)));
    EXPECT_TRUE(IsWindowEnabled(dialog.Ctl(frmOptions::cmdBrowse)));
    EXPECT_TRUE(AppOptions.UseDefaultDir);
    dialog.Click(frmOptions::chkOption0);
    EXPECT_FALSE(IsWindowEnabled(dialog.Ctl(frmOptions::txtDefaultDestDir)));
    EXPECT_FALSE(IsWindowEnabled(dialog.Ctl(frmOptions::cmdBrowse)));
    EXPECT_FALSE(AppOptions.UseDefaultDir);

    dialog.Click(frmOptions::chkOption1);
    dialog.Click(frmOptions::chkOption2);
    EXPECT_TRUE(AppOptions.PrintFileSize);
    EXPECT_TRUE(AppOptions.PrintDateTime);
    // Nothing is saved and the registry is not touched before O.k.
    dialog.Click(frmOptions::chkOption3);
    EXPECT_TRUE(AppOptions.Registered);
    EXPECT_EQ(L"<none>", Stored(L"PrintFileSize"));
    EXPECT_FALSE(MenuKeyExists());
    dialog.Click(frmOptions::cmdCancel);
  });
  EXPECT_FALSE(MenuKeyExists());
  EXPECT_EQ(L"<none>", Stored(L"Registered"));
}

TEST_F(OptionsDialogTest, NumbersThatAreNotNumericOrTooLargeAreRefusedAndNothingIsStored) {
  Load();
  WithOptions([&](const OptionsDialog& dialog) {
    // Other edits that O.k. would take over, had it got that far.
    dialog.Click(frmOptions::optPrintStyle0);
    dialog.Click(frmOptions::chkOption0);
    dialog.SetText(frmOptions::txtDefaultDestDir, L"C:\\Lists\\Quillet List.txt");
    SetWindowTextW(Ctl(frmMain::txtPath1), L"untouched.txt");

    struct Case {
      const wchar_t* spaces;
      const wchar_t* width;
      const wchar_t* title;
      const wchar_t* text;
      frmOptions::Row refused;  // gets the focus afterwards, its text selected
    };
    constexpr frmOptions::Row kSpaces = frmOptions::txtNoSpace;
    constexpr frmOptions::Row kWidth = frmOptions::txtMaxWidth;
    const Case cases[] = {
        {L"abc", L"80", frmOptions::kNumberBoxTitle, kSpacesNotNumeric, kSpaces},
        {L"", L"80", frmOptions::kNumberBoxTitle, kSpacesNotNumeric, kSpaces},
        {L"1.", L"80", frmOptions::kNumberBoxTitle, kSpacesNotNumeric, kSpaces},
        {L"5", L"x", frmOptions::kNumberBoxTitle, kWidthNotNumeric, kWidth},
        // Both wrong: the spaces are checked first.
        {L"five", L"", frmOptions::kNumberBoxTitle, kSpacesNotNumeric, kSpaces},
        // Both numeric checks come before the range checks.
        {L"40000", L"wide", frmOptions::kNumberBoxTitle, kWidthNotNumeric, kWidth},
        {L"40000", L"80", frmOptions::kRangeBoxTitle,
         L"Number Of Spaces Between File Name And Extra File Info Has To Be Between -32768 And "
         L"32767",
         kSpaces},
        {L"5", L"-32769", frmOptions::kRangeBoxTitle,
         L"Maximum Width Has To Be Between -32768 And 32767", kWidth},
        {L"5", L"1e10", frmOptions::kRangeBoxTitle,
         L"Maximum Width Has To Be Between -32768 And 32767", kWidth},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message()
                   << "spaces '" << Narrow(c.spaces) << "' width '" << Narrow(c.width) << "'");
      dialog.SetText(frmOptions::txtNoSpace, c.spaces);
      dialog.SetText(frmOptions::txtMaxWidth, c.width);
      const std::vector<SeenBox> boxes = PressOk(dialog);
      ASSERT_EQ(1u, boxes.size());
      ExpectExclamation(boxes[0], c.title, c.text);
      ASSERT_TRUE(dialog.Open());
      EXPECT_EQ(c.spaces, dialog.Text(frmOptions::txtNoSpace));
      EXPECT_EQ(c.width, dialog.Text(frmOptions::txtMaxWidth));
      EXPECT_EQ(dialog.Ctl(c.refused), GetFocus());
      DWORD start = 1;
      DWORD end = 0;
      SendMessageW(dialog.Ctl(c.refused), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
      EXPECT_EQ(0u, start);
      EXPECT_EQ(dialog.Text(c.refused).size(), end);
    }
    EXPECT_EQ(10, AppOptions.NoSpacesSeperate);
    EXPECT_EQ(80, AppOptions.MaxWidth);
    EXPECT_EQ(2, AppOptions.PrintStyle);
    EXPECT_EQ(L"", AppOptions.DefaultDir);
    EXPECT_EQ(L"untouched.txt", form.Text(frmMain::txtPath1));
    for (const wchar_t* key : {L"NoSpacesSeperate", L"MaxWidth", L"PrintStyle", L"DefaultDir"}) {
      EXPECT_EQ(L"<none>", Stored(key)) << Narrow(key);
    }
    dialog.Click(frmOptions::cmdCancel);
  });
}

TEST_F(OptionsDialogTest, NumbersAreTrimmedAndRoundedHalfToEven) {
  Load();
  struct Case {
    const wchar_t* spaces;
    const wchar_t* width;
    const wchar_t* storedSpaces;
    const wchar_t* storedWidth;
  };
  for (const Case& c :
       {Case{L"  7 ", L"80", L"7", L"80"}, Case{L"2.5", L"1.5e2", L"2", L"150"},
        Case{L"3.5", L"-0.5", L"4", L"0"}, Case{L"32767.4", L"-32768", L"32767", L"-32768"}}) {
    WithOptions([&](const OptionsDialog& dialog) {
      dialog.SetText(frmOptions::txtNoSpace, c.spaces);
      dialog.SetText(frmOptions::txtMaxWidth, c.width);
      EXPECT_TRUE(PressOk(dialog).empty());
      EXPECT_FALSE(dialog.Open());
    });
    EXPECT_EQ(c.storedSpaces, Stored(L"NoSpacesSeperate"));
    EXPECT_EQ(c.storedWidth, Stored(L"MaxWidth"));
  }
  // The dialog shows the stored numbers next time.
  WithOptions([&](const OptionsDialog& dialog) {
    EXPECT_EQ(L"32767", dialog.Text(frmOptions::txtNoSpace));
    EXPECT_EQ(L"-32768", dialog.Text(frmOptions::txtMaxWidth));
    dialog.Click(frmOptions::cmdCancel);
  });
}

TEST_F(OptionsDialogTest, OkSavesTheChosenStyleAndCopiesTheDefaultDestinationToTheMainWindow) {
  Store(L"UseDefaultDir", L"True");
  Store(L"DefaultDir", L"C:\\Lists\\Quillet List.txt");
  Load();
  ASSERT_EQ(L"C:\\Lists\\Quillet List.txt", form.Text(frmMain::txtPath1));
  SetWindowTextW(Ctl(frmMain::txtPath1), L"typed.txt");
  WithOptions([&](const OptionsDialog& dialog) {
    EXPECT_EQ(L"C:\\Lists\\Quillet List.txt", dialog.Text(frmOptions::txtDefaultDestDir));
    EXPECT_TRUE(IsWindowEnabled(dialog.Ctl(frmOptions::txtDefaultDestDir)));
    dialog.SetText(frmOptions::txtDefaultDestDir, L"D:\\Out\\list.txt");
    dialog.Click(frmOptions::optPrintStyle1);
    EXPECT_TRUE(PressOk(dialog).empty());
  });
  EXPECT_EQ(L"D:\\Out\\list.txt", form.Text(frmMain::txtPath1));
  EXPECT_EQ(L"D:\\Out\\list.txt", Stored(L"DefaultDir"));
  EXPECT_EQ(L"True", Stored(L"UseDefaultDir"));
  EXPECT_EQ(L"1", Stored(L"PrintStyle"));
  // Every key is written, also those the dialog does not show.
  EXPECT_EQ(L"True", Stored(L"DontBother"));
  EXPECT_EQ(L"2", Stored(L"PrintListType"));

  // An empty default destination empties the main window's box as well.
  WithOptions([&](const OptionsDialog& dialog) {
    dialog.SetText(frmOptions::txtDefaultDestDir, L"");
    EXPECT_TRUE(PressOk(dialog).empty());
  });
  EXPECT_EQ(L"", form.Text(frmMain::txtPath1));
  EXPECT_EQ(L"", Stored(L"DefaultDir"));

  // Without "Use Default Destination Directory" the main window keeps its text.
  SetWindowTextW(Ctl(frmMain::txtPath1), L"kept.txt");
  WithOptions([&](const OptionsDialog& dialog) {
    dialog.Click(frmOptions::chkOption0);
    dialog.Click(frmOptions::optPrintStyle0);
    dialog.SetText(frmOptions::txtDefaultDestDir, L"E:\\x.txt");
    EXPECT_TRUE(PressOk(dialog).empty());
  });
  EXPECT_EQ(L"kept.txt", form.Text(frmMain::txtPath1));
  EXPECT_EQ(L"False", Stored(L"UseDefaultDir"));
  EXPECT_EQ(L"E:\\x.txt", Stored(L"DefaultDir"));
  EXPECT_EQ(L"0", Stored(L"PrintStyle"));
}

TEST_F(OptionsDialogTest, BrowsePutsTheChosenFolderAndTheFileNameIntoTheBox) {
  testing_support::TempTree tree;
  tree.Folder("Lists");
  const std::wstring picked = tree.Path("Lists");
  Store(L"UseDefaultDir", L"True");
  Store(L"DefaultDir", L"before.txt");
  Load();
  WithOptions([&](const OptionsDialog& dialog) {
    {
      BoxWatcher watcher({Answer(IDCANCEL)});
      dialog.Click(frmOptions::cmdBrowse);
      ASSERT_EQ(1u, watcher.Seen().size());
    }
    EXPECT_EQ(L"before.txt", dialog.Text(frmOptions::txtDefaultDestDir));
    {
      BoxWatcher watcher({[&](HWND picker) {
        SelectInPicker(picker, picked, L"Lists");
        Answer(IDOK)(picker);
      }});
      dialog.Click(frmOptions::cmdBrowse);
    }
    EXPECT_EQ(picked + L"\\Quillet List.txt", dialog.Text(frmOptions::txtDefaultDestDir));
    // Browse alone stores nothing.
    EXPECT_EQ(L"before.txt", Stored(L"DefaultDir"));
    dialog.Click(frmOptions::cmdCancel);
  });
  EXPECT_EQ(L"before.txt", Stored(L"DefaultDir"));
}

TEST_F(OptionsDialogTest, CancelKeepsCheckBoxChangesInMemoryAndTheNextRunPrintsSizes) {
  testing_support::TempTree tree;
  tree.File("a.txt", "hello");
  Load();
  WithOptions([&](const OptionsDialog& dialog) {
    dialog.Click(frmOptions::chkOption1);
    dialog.Click(frmOptions::optPrintStyle1);
    dialog.SetText(frmOptions::txtNoSpace, L"3");
    // Escape presses Cancel.
    SetFocus(dialog.Ctl(frmOptions::txtNoSpace));
    gui_test::KeyPress(VK_ESCAPE);
    EXPECT_TRUE(gui_test::PumpUntil([&] { return !dialog.Open(); }, 1000));
  });
  EXPECT_TRUE(AppOptions.PrintFileSize);
  EXPECT_EQ(2, AppOptions.PrintStyle);
  EXPECT_EQ(10, AppOptions.NoSpacesSeperate);
  EXPECT_EQ(L"<none>", Stored(L"PrintFileSize"));

  const std::wstring output = tree.Path("out.txt");
  SetWindowTextW(Ctl(frmMain::txtPath0), tree.Root().c_str());
  SetWindowTextW(Ctl(frmMain::txtPath1), output.c_str());
  {
    BoxWatcher watcher({Answer(IDNO)});
    gui_test::Press(Ctl(frmMain::cmdPrint));
    ASSERT_EQ(1u, watcher.Seen().size());
    EXPECT_EQ(L"View File?", watcher.Seen()[0].title);
  }
  bool sized = false;
  for (const std::string& line : testing_support::ReadLines(output)) {
    if (line.find("a.txt") != std::string::npos && line.find("5 bytes") != std::string::npos) {
      sized = true;
    }
  }
  EXPECT_TRUE(sized) << "no line of a.txt with its size";
}

TEST_F(OptionsDialogTest, ExplorerCommandFollowsTheBoxOnlyWhenTheBoxWasClicked) {
  using integration_test::RegQuery;
  using integration_test::SandboxedKeyForReg;
  Load();
  // A registration that the store does not know about (another instance added it): the box
  // shows what the menus hold.
  ASSERT_TRUE(AddExplorerIntegration());
  ASSERT_EQ(L"<none>", Stored(L"Registered"));
  WithOptions([&](const OptionsDialog& dialog) {
    EXPECT_TRUE(dialog.Checked(frmOptions::chkOption3));
    EXPECT_TRUE(PressOk(dialog).empty());
  });
  EXPECT_TRUE(MenuKeyExists()) << "O.k. without a click on the box touched the registry";
  EXPECT_EQ(L"True", Stored(L"Registered"));

  // Another copy's command (so the box starts unticked), ticked and unticked again: the
  // command is removed.
  RemoveExplorerIntegration();
  integration_test::RegisterAnotherCopy();
  WithOptions([&](const OptionsDialog& dialog) {
    EXPECT_FALSE(dialog.Checked(frmOptions::chkOption3));
    dialog.Click(frmOptions::chkOption3);
    dialog.Click(frmOptions::chkOption3);
    EXPECT_TRUE(PressOk(dialog).empty());
  });
  EXPECT_FALSE(MenuKeyExists());
  EXPECT_EQ(1u, RegQuery(SandboxedKeyForReg(kMenuKey)).exitCode) << "reg.exe still sees the key";
  EXPECT_EQ(L"False", Stored(L"Registered"));

  // Ticked: the command is added and the record says so.
  WithOptions([&](const OptionsDialog& dialog) {
    dialog.Click(frmOptions::chkOption3);
    EXPECT_TRUE(PressOk(dialog).empty());
  });
  EXPECT_EQ(L"True", Stored(L"Registered"));
  EXPECT_EQ(ExplorerCommandLine(L"%1"),
            platform::ReadRegistryString(HKEY_CURRENT_USER, kMenuKey + L"\\command", L""));
  EXPECT_EQ(3u, integration_test::MenuKeysPresent());
  EXPECT_EQ(0u, RegQuery(SandboxedKeyForReg(kMenuKey + L"\\command")).exitCode);

  // Removed behind the dialog's back while the store says True: the box follows the menus,
  // and loading is not a click, so O.k. adds nothing back.
  RemoveExplorerIntegration();
  WithOptions([&](const OptionsDialog& dialog) {
    EXPECT_FALSE(dialog.Checked(frmOptions::chkOption3));
    EXPECT_TRUE(PressOk(dialog).empty());
  });
  EXPECT_FALSE(MenuKeyExists());
  EXPECT_EQ(L"False", Stored(L"Registered"));
}

TEST_F(OptionsDialogTest, ExplorerCommandThatCannotBeAddedIsReportedAndNotRecorded) {
  // Below a volatile key no lasting key can be made. (Keys made on the way to a volatile key
  // are volatile too, so its parent is made first.)
  HKEY created = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0,
                                           KEY_WRITE, nullptr, &created, nullptr));
  platform::UniqueHKey classes(created);
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExW(classes.get(), L"Directory", 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE,
                            nullptr, &created, nullptr));
  platform::UniqueHKey directory(created);
  Load();
  WithOptions([&](const OptionsDialog& dialog) {
    dialog.Click(frmOptions::chkOption3);
    const std::vector<SeenBox> boxes = PressOk(dialog);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"Quillet Integrate With Windows Explorer", boxes[0].title);
    EXPECT_NE(std::wstring::npos, boxes[0].text.find(L"could not be added")) << boxes[0].text;
    EXPECT_EQ(gui_test::InformationIcon(), boxes[0].icon);
  });
  EXPECT_FALSE(AppOptions.Registered);
  EXPECT_EQ(L"False", Stored(L"Registered"));
  EXPECT_FALSE(MenuKeyExists());
}

TEST_F(OptionsDialogTest, OpeningReloadsTheStoreWhileTheMainWindowKeepsItsListType) {
  Load();
  gui_test::Press(Ctl(frmMain::optListType0));
  ASSERT_EQ(0, AppOptions.PrintListType);
  // Changed behind the program's back since it started.
  Store(L"PrintFileSize", L"True");
  Store(L"PrintDateTime", L"True");
  Store(L"NoSpacesSeperate", L"12");
  Store(L"MaxWidth", L"100");
  Store(L"PrintStyle", L"1");
  Store(L"DefaultDir", L"C:\\x\\y.txt");
  Store(L"Registered", L"True");
  WithOptions([&](const OptionsDialog& dialog) {
    EXPECT_FALSE(dialog.Checked(frmOptions::chkOption0));
    EXPECT_TRUE(dialog.Checked(frmOptions::chkOption1));
    EXPECT_TRUE(dialog.Checked(frmOptions::chkOption2));
    EXPECT_FALSE(dialog.Checked(frmOptions::chkOption3)) << "the menus hold no command";
    EXPECT_EQ(L"C:\\x\\y.txt", dialog.Text(frmOptions::txtDefaultDestDir));
    EXPECT_FALSE(IsWindowEnabled(dialog.Ctl(frmOptions::txtDefaultDestDir)));
    EXPECT_EQ(L"12", dialog.Text(frmOptions::txtNoSpace));
    EXPECT_EQ(L"100", dialog.Text(frmOptions::txtMaxWidth));
    EXPECT_FALSE(dialog.Checked(frmOptions::optPrintStyle0));
    EXPECT_TRUE(dialog.Checked(frmOptions::optPrintStyle1));
    EXPECT_FALSE(dialog.Checked(frmOptions::optPrintStyle2));
    EXPECT_EQ(2, AppOptions.PrintListType) << "the stored list type is back in the record";
    // Unticked here, then cancelled: only the record in memory changes.
    dialog.Click(frmOptions::chkOption1);
    dialog.Click(frmOptions::cmdCancel);
  });
  EXPECT_FALSE(AppOptions.PrintFileSize);
  EXPECT_EQ(0, form.ListType());
  EXPECT_TRUE(form.Value(frmMain::optListType0));
  WithOptions([&](const OptionsDialog& dialog) {
    EXPECT_TRUE(dialog.Checked(frmOptions::chkOption1)) << "the store's value, not the record's";
    EXPECT_TRUE(PressOk(dialog).empty());
  });
  EXPECT_EQ(L"2", Stored(L"PrintListType"));
  EXPECT_EQ(0, form.ListType());
}

TEST_F(OptionsDialogTest, StoredPrintStyleWithoutAnOptionButtonSelectsNoneAndIsKept) {
  Store(L"PrintStyle", L"7");
  Load();
  WithOptions([&](const OptionsDialog& dialog) {
    EXPECT_FALSE(dialog.Checked(frmOptions::optPrintStyle0));
    EXPECT_FALSE(dialog.Checked(frmOptions::optPrintStyle1));
    EXPECT_FALSE(dialog.Checked(frmOptions::optPrintStyle2));
    EXPECT_TRUE(GetWindowLongPtrW(dialog.Ctl(frmOptions::optPrintStyle0), GWL_STYLE) & WS_TABSTOP)
        << "Tab does not reach the print styles";
    EXPECT_TRUE(PressOk(dialog).empty());
  });
  EXPECT_EQ(L"7", Stored(L"PrintStyle"));
}

// A store that refuses the save is reported the same way from the dialog's O.k. and from the
// main window's Exit: the bare description in an "Error" box with the information icon.
TEST_F(OptionsDialogTest, RefusedSaveIsReportedAlikeFromOkAndFromExit) {
  Load();
  ASSERT_TRUE(integration_test::RefuseNewValues(
      HKEY_CURRENT_USER, L"Software\\Quillet\\" + OptionsApplicationName() + L"\\Options"));

  std::vector<SeenBox> seen;
  WithOptions([&](const OptionsDialog& dialog) {
    BoxWatcher watcher({Answer(IDOK)});
    dialog.Click(frmOptions::cmdOk);
    seen = watcher.Seen();
  });
  {
    BoxWatcher watcher({Answer(IDOK)});
    gui_test::Press(Ctl(frmMain::cmdExit));
    const auto atExit = watcher.Seen();
    seen.insert(seen.end(), atExit.begin(), atExit.end());
  }
  ASSERT_EQ(2u, seen.size());
  for (const SeenBox& box : seen) {
    EXPECT_EQ(L"Error", box.title);
    EXPECT_EQ(gui_test::InformationIcon(), box.icon);
    EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
    EXPECT_EQ(0u, box.text.find(platform::ErrorDescription(ERROR_ACCESS_DENIED)))
        << Narrow(box.text);
  }
  EXPECT_EQ(seen[0].text, seen[1].text);
  EXPECT_FALSE(form.IsLoaded());
}

// The dialog's modal loop in real time: the main window's title, lit when Options was pressed,
// rests once the pointer is on the dialog, through the title timer's real ticks; the real
// Escape key closes the dialog.
TEST_F(OptionsDialogTest, TitleRestsWhileThePointerIsOnTheOpenDialog) {
  Load();
  const RECT title = gui_test::ScreenRect(Ctl(frmMain::lblTitle));
  gui_test::MoveCursor((title.left + title.right) / 2, (title.top + title.bottom) / 2);
  ASSERT_TRUE(gui_test::PumpUntil([&] { return form.TitleHighlighted(); }, 5000));
  bool rested = false;
  WithOptions([&](const OptionsDialog& dialog) {
    gui_test::TimerTickCounter ticks(form.Handle(), frmMain::kTitleTimerId);
    EXPECT_TRUE(form.TitleHighlighted());
    // The dialog's centre: the main window's, well below its title.
    const RECT rect = gui_test::ScreenRect(dialog.Handle());
    gui_test::MoveCursor((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    rested = gui_test::PumpUntil([&] { return !form.TitleHighlighted(); }, 5000);
    EXPECT_GE(ticks.Ticks(), 1);
    gui_test::KeyPress(VK_ESCAPE);
  });
  EXPECT_TRUE(rested) << "the title stayed lit with the pointer on the dialog";
  EXPECT_FALSE(form.TitleTimerEnabled());
  gui_test::MoveCursor(0, 0);
}
