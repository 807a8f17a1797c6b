// What a worker (install or uninstall run) writes to while it runs: the
// progress screen's status label and bar, the window that receives the
// completion message, and two user-interface actions. Every part may be left
// empty: a worker without a screen (silent uninstall, tests) still runs end to
// end.
#pragma once

#include <functional>

#include "platform/process.h"
#include "platform/status.h"
#include "platform/strings.h"

struct WorkerOutputs {
  win::StatusLine* status = nullptr;     // lb_InstallProc / lb_UninstallProc
  win::ProgressIndicator* bar = nullptr; // pb_Installation / pb_Uninstallation
  win::WindowHandle window = 0;          // receiver of the completion message
  // The toolkit's ShowMessage: a simple message box; returns once it is closed.
  std::function<void(const String& text)> showMessage;
  // The toolkit's Application->Terminate followed by ProcessMessages: ends the
  // program once the message loop runs again.
  std::function<void()> terminateApplication;

  void SetStatus(const String& text) const {
    if (status) status->SetStatusText(text);
  }
  void SetProgress(int position) const {
    if (bar) bar->SetPosition(position);
  }
  void ShowMessage(const String& text) const {
    if (showMessage) showMessage(text);
  }
  void TerminateApplication() const {
    if (terminateApplication) terminateApplication();
  }
};
