#include "screens/finishform.h"

#include <utility>

#include "app/app.h"
#include "app/product_words.h"
#include "app/run_mode.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "screens/navigation.h"
#include "screens/program_end.h"
#include "screens/screens.h"
#include "skin/skin_windowshape.h"
#include "text/text_appliers.h"
#include "text/text_keys.h"

namespace {

constexpr char16_t kExeAfterInstall[] = u"%Exe_AfterInstall";

// The finish screen reads Setup.ini through a reader of its own.
String SetupFileValue(const win::MemIniFile* setup, StringView key) {
  return setup ? setup->ReadString(kSetupSection, key, u"") : String();
}

std::unique_ptr<win::MemIniFile> OpenSetupFile() {
  if (!win::FileExists(App->setupFilePath)) return nullptr;
  return std::make_unique<win::MemIniFile>(App->setupFilePath);
}

}  // namespace

TFFinish::TFFinish(win::Component* owner) : TWizardForm(owner, u"TFFinish", u"FFinish") {
  SetClientSize(632, 456);
  CreateStandardImages();
  lb_Finish_Install = MakeLabel(u"lb_Finish_Install", 200, 80, 400, 22);
  lb_FinishInstallNotes = MakeLabel(u"lb_FinishInstallNotes", 200, 116, 400, 120);
  lb_Finish_Uninstall = MakeLabel(u"lb_Finish_Uninstall", 200, 80, 400, 22);
  lb_Finish_Uninstall->Hide();
  lb_FinishUninstallNotes = MakeLabel(u"lb_FinishUninstallNotes", 200, 116, 400, 120);
  lb_Finish_Upgrade = MakeLabel(u"lb_Finish_Upgrade", 200, 80, 400, 22);
  lb_FinishUpgradeNotes = MakeLabel(u"lb_FinishUpgradeNotes", 200, 116, 400, 120);
  for (win::Label* heading : {lb_Finish_Install, lb_Finish_Uninstall, lb_Finish_Upgrade})
    heading->GetFont().style = win::kFsBold;
  for (win::Label* notes : {lb_FinishInstallNotes, lb_FinishUninstallNotes, lb_FinishUpgradeNotes})
    notes->SetWordWrap(true);
  ck_StartProgram = Create<win::CheckBox>(u"ck_StartProgram");
  ck_StartProgram->SetBounds(200, 330, 400, 18);
  ck_StartProgram->SetCaption(u"ck_StartProgram");
  im_Vizo = Create<win::Image>(u"im_Vizo");
  im_Vizo->SetBounds(24, 300, 150, 120);
  im_Vizo->SetAutoSize(true);
  im_Vizo->Hide();
  bt_Finish = MakeButton(u"bt_Finish", u"Finish", 552, 395);
  bt_Finish->OnClick = [this](win::Component*) { bt_FinishClick(); };
  OnCreate = [this](win::Component*) { FormCreate(); };
  OnActivate = [this](win::Component*) { FormActivate(); };
  OnShow = [this](win::Component*) { FormShow(); };
  EndProgramOnCloseRequest();

  HookWindowProc();
  ApplyTexts();
  bt_Finish->SetCaption(u"");
}

TFFinish::~TFFinish() {
  skinFinish_.reset();
  skinStart_.reset();
  if (FFinish == this) FFinish = nullptr;
}

void TFFinish::ApplyTexts() {
  ApplyLabelTexts(*App, *this, App->textSection);
  const std::pair<win::Control*, const char16_t*> ownTexts[] = {
      {lb_FinishInstallNotes, caption::FFinish_lb_FinishInstallNotes},
      {lb_FinishUninstallNotes, caption::FFinish_lb_FinishUninstallNotes},
      {lb_FinishUpgradeNotes, caption::FFinish_lb_FinishUpgradeNotes},
      {ck_StartProgram, caption::FFinish_ck_StartProgram}};
  for (const auto& [control, key] : ownTexts) control->SetCaption(TextParam(key));
  LoadBannerAndLogo();
}

void TFFinish::FormCreate() {
  ShapeToBackground();
  ApplyScreenLayout();
  ck_StartProgram->GetFont().color = win::kClWhite;
  if (App->SetupValue(kKeyRegFolderName) == kProductTonalix) {
    const String vizo = SkinFile(kVizoPicture);
    // A picture that cannot be read leaves im_Vizo empty; nothing is reported.
    if (!vizo.empty()) (void)LoadPicture(*im_Vizo, vizo);
  }
}

void TFFinish::FormActivate() {
  if (!TakeFirstActivation()) return;
  SizeToBackgroundAndCentre();
  // The check box copies what lies behind it from the background picture,
  // which is in place only now.
  skinFinish_ = SkinPushButton(*bt_Finish, kFinishPicture);
  skinStart_ = std::make_unique<TskinCheckBox>(*ck_StartProgram);
  // Without its picture the check box keeps its own look; nothing is reported.
  (void)skinStart_->LoadSkin(SkinFile(kCheckPicture), &im_Background->Picture(), 5, 0, 0);
  ck_StartProgram->Repaint();
}

void TFFinish::FormShow() {
  im_Vizo->Hide();
  const String& runMode = App->RunMode;
  const auto setup = OpenSetupFile();
  const String registryName = SetupFileValue(setup.get(), kKeyRegFolderName);
  if (runMode == kRunModeInstall) {
    if (registryName == kProductTonalix) im_Vizo->Show();
    ck_StartProgram->Show();
    lb_Finish_Install->Show();
    lb_FinishInstallNotes->Show();
    for (win::Label* other : {lb_Finish_Uninstall, lb_FinishUninstallNotes, lb_Finish_Upgrade, lb_FinishUpgradeNotes})
      other->Hide();
    if (setup) ck_StartProgram->SetChecked(SetupFileValue(setup.get(), kExeAfterInstall) == u"1");
    WriteInstallRecords();
  } else if (runMode == kRunModeUninstall || runMode == kRunModeUninstallAnyway) {
    for (win::Control* hidden : std::initializer_list<win::Control*>{ck_StartProgram, lb_Finish_Install,
                                                                      lb_FinishInstallNotes, lb_Finish_Upgrade,
                                                                      lb_FinishUpgradeNotes})
      hidden->Hide();
    lb_Finish_Uninstall->Show();
    lb_FinishUninstallNotes->Show();
  } else if (runMode == kRunModeUpgrade || runMode == kRunModeOnlineUpdater) {
    // The online updater's run ends as an upgrade does: its heading and
    // notes, nothing to start and nothing written.
    for (win::Control* hidden : std::initializer_list<win::Control*>{ck_StartProgram, lb_Finish_Install,
                                                                      lb_FinishInstallNotes, lb_Finish_Uninstall,
                                                                      lb_FinishUninstallNotes})
      hidden->Hide();
    lb_Finish_Upgrade->Show();
    lb_FinishUpgradeNotes->Show();
  }
}

void TFFinish::WriteInstallRecords() {
  const auto setup = OpenSetupFile();
  const String programData = SetupFileValue(setup.get(), kKeyProgramData);
  const String log = App->programFolder + u"\\" + kInstalledLogName;
  // Installed.log is an empty marker: a failed write or attribute change is not reported.
  if (win::WriteFileBytes(log, std::string())) (void)win::SetFileAttributes(log, win::kFileAttributeNormal);

  if (!SeriesScreenEnabled()) return;
  const String project = App->programFolder + u"\\" + programData + u"Project.ini";
  if (!win::FileExists(project)) return;
  win::IniFile ini(project);
  // A project file that cannot be written keeps its series; nothing is reported.
  if (ini.WriteString(u"Project", u"SeriesType", SeriesCode(App->seriesIndex))) (void)ini.UpdateFile();
}

void TFFinish::bt_FinishClick() {
  win::OsVersion version;
  if (!win::GetVersionEx(version)) version = win::OsVersion{};
  if (ck_StartProgram->Checked() && App->RunMode == kRunModeInstall) {
    const auto setup = OpenSetupFile();
    const String program = SetupFileValue(setup.get(), kKeyProgramExec);
    const String registryName = SetupFileValue(setup.get(), kKeyRegFolderName);
    const bool direct = (version.major == 5 && version.minor == 0) || registryName == kProductTonalix;
    const String file = direct ? win::IncludeTrailingBackslash(App->programFolder) + program
                               : App->programFolder + u"\\" + kCompanionLauncher;
    // A failure to start the program is not reported; the program ends anyway.
    (void)win::ShellExecuteOpen(file, program, win::kSwShowNormal);
  }
  EndProgram();
}

bool TFFinish::ScreenMessage(win::Message& message) {
  if (message.msg != win::kWmUser) return false;
  ApplyTexts();
  return true;
}
