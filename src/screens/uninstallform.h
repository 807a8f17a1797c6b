// The uninstall progress screen: runs the uninstall worker and shows its
// stages. In the silent uninstall it starts the worker without ever showing
// itself and ends the program when the worker reports completion.
#pragma once

#include <memory>

#include "app/uninstall_record.h"
#include "screens/workerscreen.h"

class TFUninstall : public TWorkerScreen {
 public:
  explicit TFUninstall(win::Component* owner);
  ~TFUninstall() override;

  win::Label* lb_Uninstall;
  win::Label* lb_UninstallProc;
  win::ProgressBar* pb_Uninstallation;
  win::Button* bt_Cancel;  // never shown: a close request is the way to it
  // The installed product's record the uninstall run works from; the start-up
  // controller reads it and hands it over before the run can start.
  UninstallRecord record;

  // Creates and starts the uninstall worker unless one exists; this screen's
  // window receives its completion message.
  void StartWorker();
  void bt_CancelClick() { CancelRequest(); }

 protected:
  bool ScreenMessage(win::Message& message) override;

 private:
  std::unique_ptr<TskinButton> skinCancel_;
};
