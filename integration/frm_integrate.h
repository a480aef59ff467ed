// frmIntegrate: the start-up prompt that offers the Explorer folder command. A fixed dialog
// frame with a title bar; Yes registers the command, No removes it and may stop the prompt for
// good. Closing it any other way changes and saves nothing, so it comes back at the next start.
#pragma once

#include "platform/window/window.h"

class frmIntegrate : public platform::window::Window {
 public:
  // Rows of the layout table, in tab order.
  enum Row : int { lblRegisterMessage, lblIntegrate, chkDontBother, lblDoYouWish, cmdYes, cmdNo };

  static constexpr wchar_t kCaption[] = L"Quillet Integrate With Windows Explorer";

  frmIntegrate();

  // Loads the prompt and shows it modally; returns when it has closed.
  void ShowPrompt(HWND owner);

 protected:
  void OnClick(int row) override;

 private:
  void cmdYes_Click();
  void cmdNo_Click();
};

// Shows the prompt modally when the options record asks for it (neither Registered nor
// DontBother set); returns at once otherwise.
void ShowIntegrationPromptIfWanted(HWND owner);

// Tells the user that AddExplorerIntegration could not put the folder command in place.
void ShowIntegrationFailedBox(HWND owner);
