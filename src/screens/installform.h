// The install progress screen: starts the install worker on its first show,
// shows its status and progress, and hands over to the finish screen when the
// worker reports completion.
#pragma once

#include <memory>

#include "screens/workerscreen.h"

class TFInstall : public TWorkerScreen {
 public:
  explicit TFInstall(win::Component* owner);
  ~TFInstall() override;

  win::Label* lb_Install;
  win::Label* lb_InstallProc;
  win::ProgressBar* pb_Installation;
  win::Button* bt_Cancel;

  void bt_CancelClick() { CancelRequest(); }
  // Starts the install worker unless it runs already (on the first show, or
  // without showing the screen in a silent install).
  void StartWorker();

 protected:
  bool ScreenMessage(win::Message& message) override;

 private:
  void FormShow();
  void ApplyTexts();

  std::unique_ptr<TskinButton> skinCancel_;
};
