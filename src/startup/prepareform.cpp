#include "startup/prepareform.h"

#include "app/app.h"
#include "app/installed_copy.h"
#include "app/product_words.h"
#include "app/run_arguments.h"
#include "install/device_data.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "screens/askform.h"
#include "screens/installform.h"
#include "screens/program_end.h"
#include "screens/screens.h"
#include "screens/uninstallconfirmform.h"
#include "screens/uninstallform.h"
#include "screens/welcomeform.h"
#include "skin/skin_windowshape.h"
#include "text/text_appliers.h"
#include "util/cmnfileexecuate.h"

TFPrepare* FPrepare = nullptr;

namespace {

constexpr uint32_t kPreparationTick = 1000;
constexpr int32_t kInstallStepWeight = 25;    // four steps
constexpr int32_t kUninstallStepWeight = 10;  // ten steps

}  // namespace

void StopProductPrograms() {
  if (!win::FileExists(App->setupFilePath)) return;
  const String name = App->SetupValue(kKeyRegFolderName);
  if (name == kProductMouse) {
    for (const char16_t* program : kMouseLinePrograms) TerminateProcessesByName(program);
  } else if (name == kProductEsport) {
    TerminateProcessesByName(kEsportProgram);
  }
  const String program = App->SetupValue(kKeyProgramExec);
  if (!program.empty()) TerminateProcessesByName(program);
  if (name == kProductTonalix) TerminateWindowProcess(kTonalixLibraryWindow);
}

TFPrepare::TFPrepare(win::Component* owner) : TWizardForm(owner, u"TFPrepare", u"FPrepare") {
  FPrepare = this;
  SetProgramEnd([this] { Close(); });
  SetClientSize(497, 227);
  im_Background = Create<win::Image>(u"im_Background");
  im_Background->SetAutoSize(true);
  lb_Title = MakeLabel(u"lb_Title", 16, 8, 465, 18);
  lb_Title->GetFont().style = win::kFsBold;
  lb_Prepare = MakeLabel(u"lb_Prepare", 24, 72, 449, 40);
  lb_Prepare->SetWordWrap(true);
  lb_PrepareProc = MakeLabel(u"lb_PrepareProc", 24, 120, 449, 16);
  pb_Prepare = Create<win::ProgressBar>(u"pb_Prepare");
  pb_Prepare->SetBounds(24, 144, 449, 16);
  bt_Cancel = MakeButton(u"bt_Cancel", u"Cancel", 409, 186);
  Timer1 = Create<win::Timer>(u"Timer1");
  Timer1->SetEnabled(false);
  Timer1->SetInterval(500);
  Timer1->OnTimer = [this](win::Component*) { Timer1Timer(); };
  Timer2 = Create<win::Timer>(u"Timer2");
  Timer2->SetEnabled(false);
  Timer2->SetInterval(500);
  Timer2->OnTimer = [this](win::Component*) { Timer2->SetEnabled(false); };
  bt_Cancel->OnClick = [](win::Component*) { EndProgram(); };
  OnCreate = [this](win::Component*) { FormCreate(); };
  OnActivate = [this](win::Component*) { FormActivate(); };

  HookWindowProc();
  ApplyLabelTexts(*App, *this, App->textSection);
  bt_Cancel->SetCaption(u"");
  SetCaption(Text(caption::FPrepare));
  lb_Title->SetCaption(Caption());
  lb_Prepare->SetCaption(TextParam(caption::FPrepare_lb_Prepare));
  stepCount = 0;
}

TFPrepare::~TFPrepare() {
  skinCancel.reset();
  if (FPrepare != this) return;
  FPrepare = nullptr;
  SetProgramEnd(nullptr);
}

bool TFPrepare::ScreenMessage(win::Message& message) {
  // The controller never appears, although the application shows it as its
  // main form.
  if (message.msg != win::kWmWindowPosChanging) return false;
  auto* pos = reinterpret_cast<win::WindowPos*>(message.lParam);
  if (pos) pos->flags &= ~win::kSwpShowWindow;
  return true;
}

void TFPrepare::ShowErrorBox(const MessageText& message) {
  switch (message.number) {
    case 101: App->outcome.Fail(ExitCode::kPackageUnusable); break;
    case 102: App->outcome.Fail(ExitCode::kNewerInstalled); break;
    case 201: App->outcome.Fail(ExitCode::kNothingInstalled); break;
    default: break;
  }
  String digits = win::IntToStr(message.number);
  while (digits.size() < 3) digits.insert(digits.begin(), u'0');
  win::GetApplication().MessageBox(win::GetDesktopWindow(), Text(message.key) + u" (" + digits + u")",
                                   App->productName, win::kMbOk | win::kMbIconError);
}

void TFPrepare::CountStep(int32_t weight) {
  ++stepCount;
  pb_Prepare->SetPosition(stepCount * weight);
}

void TFPrepare::FormCreate() {
  skinCancel = SkinPushButton(*bt_Cancel, kCancelPicture);
  const StringList arguments = win::CommandLineArguments();
  const String word = arguments.empty() ? String() : win::LowerCase(arguments.front());
  App->RunMode = RunModeOfArgument(word);
  pb_Prepare->SetPosition(0);
  stepCount = 0;
  if (IsUninstallMode(App->RunMode)) {
    if (!ReadProductRecordForUninstall(*App, uninstallRecord, [this] { CountStep(kUninstallStepWeight); })) {
      ShowErrorBox(kMessageNothingInstalled);
      Timer1->SetEnabled(false);
      EndProgram();
      return;
    }
  } else if (!RunInstalledCopyChecks(*App, installed, [this] { CountStep(kInstallStepWeight); })) {
    // Nothing can be installed from this package; the timer is never armed.
    ShowErrorBox(kMessagePackageUnusable);
    EndProgram();
    return;
  }
  Timer1->SetInterval(kPreparationTick);
  Timer1->SetEnabled(true);
}

void TFPrepare::FormActivate() {
  if (!TakeFirstActivation()) return;
  im_Background->SetBounds(0, 0, im_Background->Width(), im_Background->Height());
  const String picture = SkinFile(kPrepareDialogPicture);
  // A picture that cannot be read leaves the form as designed; nothing is reported.
  if (!picture.empty() && win::FileExists(picture)) (void)SetShapedBackground(*this, *im_Background, picture);
  SizeToBackgroundAndCentre();
}

void TFPrepare::Timer1Timer() {
  if (!IsUninstallMode(App->RunMode)) {
    if (stepCount * kInstallStepWeight != 100) return;
    Timer1->SetEnabled(false);
    DecideVersion();
    return;
  }
  if (stepCount * kUninstallStepWeight != 100) return;
  Timer1->SetEnabled(false);
  HandOver();
  FUninstall->record = uninstallRecord;
  if (App->RunMode == kRunModeUninstall) {
    FUninstallConfirm->Show();
  } else if (App->RunMode == kRunModeUninstallAnyway) {
    App->RunState = kRunStateUninstallAnyway;
    FUninstall->Show();
  } else {
    App->RunState = kRunStateSilentUninstall;
    FUninstall->StartWorker();
  }
}

void TFPrepare::HandOver() {
  StopProductPrograms();
  CloseWindowByTitle(App->updaterWindowTitle);
  TerminateProcessesByName(App->updaterExeName);
  SetAlphaBlendValue(0);
  SetAlphaBlend(true);
}

void TFPrepare::ShowWelcome() {
  App->languageId = 0;
  FWelcome->Show();
}

void TFPrepare::DecideVersion() {
  App->RunState = kRunStateUndecided;
  App->RunState = DecideRunState(*App, installed);
  const bool silent = App->RunMode == kRunModeSilentInstall;
  App->log.Write(u"version decision: package " + App->SetupValue(kKeyProgramVersion) + u", installed " +
                 (installed.versionFound ? installed.installedVersion : String(u"none")) + u": " +
                 (App->RunState == kRunStateFreshInstall     ? u"fresh install"
                  : App->RunState == kRunStateOlderInstalled ? u"replace the installed copy"
                                                             : u"a newer version is installed"));
  switch (App->RunState) {
    case kRunStateFreshInstall:
      HandOver();
      GoOnToTheInstall();
      break;
    case kRunStateOlderInstalled:
      // A question closed without an answer counts as Cancel. A silent
      // install replaces the older or same copy without asking.
      if (!silent && FAsk->Ask(Text(QuestionKey(installed))) == TFAsk::kResultCancel) {
        App->log.Write(u"the player kept the installed copy");
        EndProgram();
        return;
      }
      ReplaceOlderCopyAndGoOn();
      break;
    default:
      App->languageId = 0;
      SetAlphaBlendValue(0);
      SetAlphaBlend(true);
      ShowErrorBox(kMessageNewerInstalled);
      EndProgram();
  }
}

bool TFPrepare::SaveInstalledDeviceData() {
  if (ReadUninstallEntryValue(*App, kValueUninstallString).empty()) return true;  // nothing will remove it
  // The installed copy's programs hold their files; its uninstaller deletes
  // the device files the player made. Both come before the save.
  StopProductPrograms();
  UninstallRecord record;
  if (!ReadUninstallRecord(App->ProductKey(), record)) return true;
  return SaveInstalledCopyDeviceData(*App, record.installDir, record.product, App->SetupValue(kKeyProgramDevice));
}

void TFPrepare::ReplaceOlderCopyAndGoOn() {
  win::Application& application = win::GetApplication();
  const auto showMessage = [&application](const String& text) { application.ShowMessage(text); };
  // What could not be saved is not handed to an uninstaller: the older copy
  // stays, as when its uninstaller fails.
  // A silent install runs the old uninstaller silently too, so that no
  // screen waits for a click.
  const bool silent = App->RunMode == kRunModeSilentInstall;
  const OldUninstallerRun how = silent ? OldUninstallerRun::kSilent : OldUninstallerRun::kWithScreens;
  if (!SaveInstalledDeviceData()) {
    App->log.Write(u"the installed copy's device data could not be saved; it is not removed");
  } else if (ReplaceOlderCopy(*App, installed.installedVersion, olderCopy, showMessage, how) ==
             ReplaceOutcome::kStillInstalled) {
    App->log.Write(u"the installed copy's uninstaller left it installed");
  } else {
    App->log.Write(u"the installed copy was removed");
    HandOver();
    App->RunState = kRunStateFreshInstall;
    GoOnToTheInstall();
    return;
  }
  App->outcome.Fail(ExitCode::kOlderNotRemoved);
  application.MessageBox(win::GetDesktopWindow(), Text(kMessageOlderNotRemoved.key), App->productName, win::kMbOk);
  EndProgram();
}

void TFPrepare::GoOnToTheInstall() {
  if (App->RunMode == kRunModeSilentInstall)
    StartSilentInstall();
  else
    ShowWelcome();
}

void TFPrepare::StartSilentInstall() {
  const String asked = ReadRunArguments(win::CommandLineArguments()).language;
  if (!asked.empty()) {
    const String name = FWelcome->OfferedLanguage(asked);
    if (name.empty()) {
      App->outcome.Fail(ExitCode::kPackageUnusable);
      App->log.Write(u"the package has no language \"" + asked + u"\"; nothing is installed");
      EndProgram();
      return;
    }
    FWelcome->SwitchLanguage(name);
  }
  App->log.Write(u"language: " + App->languageName);
  FInstall->StartWorker();
}
