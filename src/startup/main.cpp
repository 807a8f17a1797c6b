// The entry routine of the set-up program.
#include "app/app.h"
#include "startup/entry.h"
#include "platform/system.h"

// The one application object of the run: built before main and destroyed after
// it, as the rest of the program expects (App points at it meanwhile).
static TApp TheApp;

int main() {
  // First of all: DLLs are loaded only from the system folder.
  win::InitializeProcess();
  return RunSetup();
}
