// The application object of ostra: common controls and COM set up, the application title
// ("Pelmira") on every box, errors of the handlers shown in the error box, the message loop.
#pragma once

#include <windows.h>

namespace ostra {

class TFormMain;

class TApplication {
  public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Runs the messages until the main window is gone; returns the exit status.
    int Run(TFormMain& mainForm);

  private:
    bool comInitialized_ = false;
};

// Handles one message as the loop does: shortcuts, dialog keys (Tab between controls), then the
// window. Shared with tests that drive the form by messages.
void DispatchMainMessage(TFormMain& mainForm, MSG& msg);

}  // namespace ostra
