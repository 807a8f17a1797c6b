#include "startup/entry.h"

#include <exception>

#include "app/app.h"
#include "startup/prepareform.h"
#include "app/run_arguments.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "screens/screens.h"
#include "text/text_keys.h"

namespace {

// The program's title, for the toolkit's simple message dialog.
String ProgramTitle() {
  String name = win::ExtractFileName(win::ExecutablePath());
  const String extension = win::ExtractFileExt(name);
  return name.substr(0, name.size() - extension.size());
}

// A name Windows accepts in a file name: the characters it refuses become "_".
String FileNamePart(const String& text) {
  String name;
  for (char16_t c : text) name.push_back(c < 0x20 || String(u"\\/:*?\"<>|").find(c) != String::npos ? u'_' : c);
  return win::Trim(name);
}

// The log of a run that asked for one (log=) or runs without screens: in the
// silent modes it goes to the temporary folder unless log= names a file.
void StartRunLog(const RunArguments& run) {
  String path = run.logPath;
  if (path.empty() && IsSilentModeWord(run.modeWord)) {
    const String product = FileNamePart(App->productName);
    path = win::TempFolder() + (product.empty() ? String() : product + u" ") + u"Setup " + LogFileStamp() + u".log";
  }
  if (path.empty() || !App->log.Open(path)) return;
  String commandLine = win::ExecutablePath();
  for (const String& argument : win::CommandLineArguments()) commandLine += u" " + argument;
  App->log.Write(u"start: " + commandLine);
  App->log.Write(u"mode: " + RunModeOfArgument(run.modeWord));
  App->log.Write(u"package: " + win::ExecutableFolder() + u", version " + App->SetupValue(kKeyProgramVersion) +
                 u", product " + App->productName);
  // Every message box of the run is logged; a silent install shows none.
  win::GetApplication().LogMessageBoxes(
      [](StringView caption, StringView text) { App->log.Write(u"message (" + String(caption) + u"): " + String(text)); },
      run.modeWord == u"silentinstall");
}

int EndRun(const RunArguments& run) {
  const int code = IsSilentModeWord(run.modeWord) ? static_cast<int>(App->outcome.Code()) : 0;
  App->log.Write(u"end: exit code " + win::IntToStr(code));
  win::GetApplication().LogMessageBoxes(nullptr, false);
  return code;
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
  const RunArguments run = ReadRunArguments(win::CommandLineArguments());
  StartRunLog(run);
  if (!win::IsUserAnAdmin()) {
    App->outcome.Fail(ExitCode::kNoAdministrator);
    application.ShowMessage(App->GetText(App->textSection, kMessageNoAdministrator.key));
    return EndRun(run);
  }
  try {
    CreateSetupScreens(application);
    application.Run();
  } catch (const std::exception& error) {
    App->outcome.Fail(ExitCode::kInstallFailed);
    application.ShowMessage(win::FromUtf8(error.what()));
  } catch (...) {
    App->outcome.Fail(ExitCode::kInstallFailed);
    application.ShowMessage(u"");
  }
  return EndRun(run);
}
