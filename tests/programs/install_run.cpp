// Runs the install worker headless on a simulated machine, as the progress
// screen would after the user confirmed a fresh install.
//
//   install_run MACHINE_DIR 'C:\Package\' [LANGUAGE]
//
// Exit code 0 when the run completed, 1 when the uninstaller folder failed,
// 2 on bad arguments.
#include <cstdio>

#include "app/app.h"
#include "install/installthread.h"
#include "platform/sim/machine.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: install_run MACHINE_DIR PACKAGE_FOLDER [LANGUAGE]\n");
    return 2;
  }
  sim::UseMachine(argv[1]);
  const String package = win::IncludeTrailingBackslash(win::FromUtf8(argv[2]));
  sim::SetExecutablePath(package + u"Setup.exe");
  TApp app;
  if (argc > 3) app.languageName = win::FromUtf8(argv[3]);
  app.RunState = kRunStateFreshInstall;
  TInstallThread worker{WorkerOutputs{}};
  worker.Run();
  return worker.Failed() ? 1 : 0;
}
