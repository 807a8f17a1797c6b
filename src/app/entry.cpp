#include "app/entry.h"

#include <exception>

#include "app/app.h"
#include "app/prepareform.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "screens/screens.h"

namespace {

// The program's title, for the toolkit's simple message dialog.
String ProgramTitle() {
  String name = win::ExtractFileName(win::ExecutablePath());
  const String extension = win::ExtractFileExt(name);
  return name.substr(0, name.size() - extension.size());
}

}  // namespace

void CreateSetupScreens(win::Application& application) {
  application.CreateForm<TFPrepare>(u"FPrepare");
  // An error reported while the controller was created has ended the run.
  if (application.Terminated()) return;
  CreateWizardScreens(application);
}

int RunSetup() {
  win::Application& application = win::GetApplication();
  application.BindToCurrentThread();
  application.SetTitle(ProgramTitle());
  if (!win::IsUserAnAdmin()) {
    application.ShowMessage(App->GetText(App->textSection, u"MSG_001"));
    return 0;
  }
  try {
    CreateSetupScreens(application);
    application.Run();
  } catch (const std::exception& error) {
    application.ShowMessage(win::FromUtf8(error.what()));
  } catch (...) {
    application.ShowMessage(u"");
  }
  return 0;
}
