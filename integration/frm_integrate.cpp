#include "integration/frm_integrate.h"

#include <string>

#include "integration/explorer_integration.h"
#include "integration/save_options_reported.h"
#include "listing/app_options.h"
#include "resource_ids.h"

namespace {

using namespace platform::window;

constexpr ControlRow kRows[] = {
    {.name = L"lblRegisterMessage",
     .kind = ControlKind::Label,
     .caption = L"This program Is not yet integrated with Windows Explorer.  This will allow you "
                L"to start an extraction on any directory simply by right-clicking on the "
                L"directory in Windows Explorer.",
     .left = 360,
     .top = 720,
     .width = 4215,
     .height = 855},
    {.name = L"lblIntegrate",
     .kind = ControlKind::Label,
     .caption = L"Integrate Quillet  With Windows Explorer?",
     .left = 240,
     .top = 0,
     .width = 4335,
     .height = 615,
     .flags = kCentred,
     .font = {.face = L"MS Sans Serif", .points = 12, .bold = true},
     .foreColour = Rgb(255, 0, 0)},
    {.name = L"chkDontBother",
     .kind = ControlKind::CheckBox,
     .caption = L"Don't Ask Me Again.",
     .left = 120,
     .top = 2880,
     .width = 2655,
     .height = 375},
    {.name = L"lblDoYouWish",
     .kind = ControlKind::Label,
     .caption = L"Do You Wish To Integrate Now?",
     .left = 360,
     .top = 1920,
     .width = 3495,
     .height = 375,
     .font = {.face = L"MS Sans Serif", .points = 9.75, .bold = true}},
    {.name = L"cmdYes",
     .kind = ControlKind::Button,
     .caption = L"&Yes",
     .left = 1440,
     .top = 2280,
     .width = 855,
     .height = 375},
    {.name = L"cmdNo",
     .kind = ControlKind::Button,
     .caption = L"&No",
     .left = 2400,
     .top = 2280,
     .width = 855,
     .height = 375},
};

static_assert(kRows[frmIntegrate::chkDontBother].name == L"chkDontBother");
static_assert(kRows[frmIntegrate::cmdYes].name == L"cmdYes");
static_assert(std::size(kRows) == frmIntegrate::cmdNo + 1);

constexpr FormSpec kForm{
    .caption = frmIntegrate::kCaption,
    .width = 4845,
    .height = 3345,
    .border = BorderStyle::FixedSingle,
    .iconId = IDI_QUILLET,
    .centreOnScreen = true,
    .controls = kRows,
};

}  // namespace

frmIntegrate::frmIntegrate() : Window(kForm) {}

void frmIntegrate::ShowPrompt(HWND owner) {
  Create(owner);
  ShowModal(owner);
}

void frmIntegrate::OnClick(int row) {
  switch (row) {
    case cmdYes:
      cmdYes_Click();
      break;
    case cmdNo:
      cmdNo_Click();
      break;
    default:
      break;
  }
}

void frmIntegrate::cmdYes_Click() {
  const bool added = AddExplorerIntegration();
  // The check box is not read here: DontBother keeps its value.
  AppOptions.Registered = added;
  // Registered stays False, so the prompt comes back at the next start.
  if (!added) ShowIntegrationFailedBox(Handle());
  // A store that refuses is reported, and the prompt closes anyway.
  SaveOptionsReported(Handle());
  Destroy();
}

void frmIntegrate::cmdNo_Click() {
  AppOptions.DontBother = Value(chkDontBother);
  // Also clears a registration left behind by an earlier run.
  RemoveExplorerIntegration();
  AppOptions.Registered = false;
  SaveOptionsReported(Handle());
  Destroy();
}

void ShowIntegrationFailedBox(HWND owner) {
  MessageBoxW(owner,
              L"The \"Print Directory\" command could not be added to the folder menu of "
              L"Windows Explorer, so Quillet is not integrated with it.  You can try again later.",
              frmIntegrate::kCaption, MB_OK | MB_ICONINFORMATION);
}

void ShowIntegrationPromptIfWanted(HWND owner) {
  if (AppOptions.Registered || AppOptions.DontBother) return;
  frmIntegrate prompt;
  prompt.ShowPrompt(owner);
}
