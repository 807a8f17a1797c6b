// winsim preview PACKAGE OUT: for every language of the package's
// Settings.ini, a throwaway machine gets a copy of the package that starts in
// that language; the set-up program's own screens run on it in this process
// (the start-up, the forms, the layout file, the skins, the texts, the
// workers), and each screen is drawn as the flow reaches it. The install and
// uninstall runs are real runs on that machine: the progress screens are
// drawn while their worker stands at the cancel question.
#include <stdlib.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>

#include "app/app.h"
#include "startup/entry.h"
#include "startup/prepareform.h"
#include "install/status_texts.h"
#include "platform/ini.h"
#include "platform/picture.h"
#include "platform/sim/machine.h"
#include "platform/sim/ui_driver.h"
#include "platform/ui.h"
#include "platform/ui_call.h"
#include "preview.h"
#include "screens/askform.h"
#include "screens/askinstallform.h"
#include "screens/cancelconfirmform.h"
#include "screens/cancelform.h"
#include "screens/eulaform.h"
#include "screens/finishform.h"
#include "screens/installform.h"
#include "screens/screens.h"
#include "screens/seriesselectform.h"
#include "screens/uninstallconfirmform.h"
#include "screens/uninstallform.h"
#include "screens/welcomeform.h"
#include "text/lookup_record.h"
#include "text/text_keys.h"
#include "winsim.h"

namespace winsim {

namespace {

namespace fs = std::filesystem;

constexpr char16_t kPackageFolder[] = u"C:\\Pkg\\";
constexpr uint16_t kEnglish = 0x0409;
constexpr char16_t kLanguageFilePrefix[] = u"Install";
// How long a worker's status texts may take to reach its screen.
constexpr auto kSettle = std::chrono::milliseconds(300);
// An install of a large package on the machine.
constexpr auto kRunTimeout = std::chrono::seconds(120);

// A folder of its own under TMPDIR, removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/winsim-preview-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// A fresh machine in `dir` holding the package at C:\Pkg\, selected for this
// process, with this process standing in for the package's Setup.exe.
bool PackageMachine(const std::string& package, const std::string& dir, std::string& error) {
  if (!sim::CreateMachine(dir, {}, error)) return false;
  std::error_code ec;
  fs::copy(package, dir + "/drive_c/Pkg", fs::copy_options::recursive, ec);
  if (ec) {
    error = "cannot copy " + package + ": " + ec.message();
    return false;
  }
  sim::UseMachine(dir);
  sim::SetExecutablePath(String(kPackageFolder) + u"Setup.exe");
  sim::SetCommandLineArguments({});
  return true;
}

// The offered languages, in the order of Settings.ini.
StringList OfferedLanguages() {
  win::MemIniFile settings(String(kPackageFolder) + u"Settings.ini");
  StringList names;
  settings.ReadSection(u"Languages", names);
  return names;
}

// A language name as part of a file name: letters, digits, "-" and "_" only,
// so that no name of Settings.ini leads out of the output folder.
std::string FileNamePart(const std::string& name) {
  std::string part = name;
  for (char& c : part)
    if (!isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
  return part.empty() ? "_" : part;
}

std::vector<win::Form*> WizardScreens() {
  return {FWelcome, FAsk, FAskInstall, FCancelConfirm, FCancel, FEULA, FFinish, FInstall, FSeriesSelect,
          FUninstallConfirm, FUninstall};
}

void HideAll(const win::Form* except = nullptr) {
  for (win::Form* form : WizardScreens())
    if (form != nullptr && form != except && form->Visible()) form->Hide();
}

// Hides whatever screen shows and shows this one.
void ShowOnly(win::Form* screen) {
  HideAll(screen);
  screen->Show();
}

// The set-up program's screens on a user-interface thread of their own, as
// the program runs them; message boxes are answered with OK and kept.
class WizardSession {
 public:
  WizardSession() {
    sim::SetMessageBoxAnswer([this](const sim::MessageBoxInfo& box) {
      std::lock_guard<std::mutex> lock(mutex_);
      boxes_.push_back(win::ToUtf8(box.text));
      return win::kIdOk;
    });
    app_ = std::make_unique<TApp>();
    win::SetFixedTextMetrics(false);
    win::ResetApplication();
    std::promise<void> ready;
    auto built = ready.get_future();
    thread_ = std::thread([this, &ready] {
      win::Application& application = win::GetApplication();
      application.BindToCurrentThread();
      try {
        CreateSetupScreens(application);
        for (win::Form* form : WizardScreens())
          if (form != nullptr) RecordLayout(*form, laidOut);
        english.LoadLanguage(App->TextsFolder(), kEnglish, kLanguageFilePrefix, u"");
      } catch (const std::exception& e) {
        failure_ = e.what();
        application.Terminate();
      }
      ready.set_value();
      application.Run();
    });
    built.wait();
    driver = std::make_unique<sim::UiDriver>(win::GetApplication());
  }
  ~WizardSession() {
    driver.reset();
    win::GetApplication().Terminate();
    thread_.join();
    win::ResetApplication();
    app_.reset();
    sim::SetMessageBoxAnswer({});
  }
  WizardSession(const WizardSession&) = delete;
  WizardSession& operator=(const WizardSession&) = delete;

  template <class F>
  auto Call(F f) -> decltype(f()) {
    return win::CallOnUiThread(std::move(f));
  }

  // Why the wizard did not come up: an error from its start, or its boxes.
  std::string Failure() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string text = failure_;
    for (const std::string& box : boxes_) text += (text.empty() ? "" : "; ") + box;
    return text.empty() ? "the welcome screen did not show" : text;
  }

  LaidOutBounds laidOut;
  // The texts of the English file, which every package carries: a key it
  // holds is one the screens show.
  TlanguageManagement english;
  std::unique_ptr<sim::UiDriver> driver;

 private:
  std::unique_ptr<TApp> app_;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> boxes_;
  std::string failure_;
};

class LanguageVisit {
 public:
  LanguageVisit(WizardSession& session, std::string language, std::string out, std::vector<Shot>& shots)
      : session_(session), language_(std::move(language)), out_(std::move(out)), shots_(shots) {}

  // Draws a screen as it shows now, with its marks. A progress screen names
  // its status line and the texts its worker writes there.
  void Take(const std::string& screen, win::Form* form, win::Label* statusLine = nullptr,
            const StringList& statusKeys = {}) {
    Shot shot{screen, language_, screen + "-" + FileNamePart(language_) + ".png", "", {}};
    session_.Call([&] {
      // What the marks look up is this tool's own business, not the program's.
      lookup_record::Aside aside;
      // The first drawing sizes the skinned boxes to their captions.
      (void)win::RenderForm(*form);
      win::Bitmap picture = win::RenderForm(*form);
      shot.marks = FindMarks(*form, session_.laidOut, *App, session_.english, App->textSection, statusLine);
      if (statusLine != nullptr) {
        const std::vector<Mark> more = CheckStatusTexts(*form, *statusLine, statusKeys, *App, App->textSection);
        shot.marks.insert(shot.marks.end(), more.begin(), more.end());
      }
      DrawMarks(picture, shot.marks);
      if (!win::SavePng(picture, out_ + "/" + shot.file)) {
        shot.problem = "cannot write " + shot.file;
        shot.file.clear();
      }
    });
    shots_.push_back(std::move(shot));
  }
  void Missing(const std::string& screen, const std::string& problem) {
    shots_.push_back(Shot{screen, language_, "", problem, {}});
  }

  void Show(const std::string& screen, win::Form* form) {
    session_.Call([form] { ShowOnly(form); });
    Take(screen, form);
  }

  // The question box the start-up asks with, for one of its messages.
  void Question(const std::string& screen, const String& key) {
    session_.Call([] { HideAll(); });
    // The start-up asks with this text; the tool only stands in for it here.
    const String text = [&key] {
      lookup_record::Aside aside;
      return App->GetText(App->textSection, key);
    }();
    win::GetApplication().Queue([text] { FAsk->Ask(text); });
    if (!session_.driver->WaitForm("FAsk").empty()) return Missing(screen, "the question box did not show");
    Take(screen, FAsk);
    session_.Call([] { FAsk->bt_OK->Click(); });
    session_.Call([] {});  // the box's own loop has ended
  }

  // A real install, paused at once by Cancel: its progress screen and the
  // cancel question; declined, the run goes on to the finish screen.
  void InstallRun() {
    const bool asked = session_.Call([] {
      ShowOnly(FInstall);
      FInstall->bt_CancelClick();
      return FCancelConfirm->Visible();
    });
    std::this_thread::sleep_for(kSettle);
    // Where the run stands when it pauses varies; every stage's text is
    // measured in the status line whatever it shows now.
    Take("install-progress", FInstall, FInstall->lb_InstallProc,
         StringList(std::begin(kInstallStatusKeys), std::end(kInstallStatusKeys)));
    if (!asked) session_.Call([] { FCancelConfirm->Show(); });
    Take("cancel-confirm", FCancelConfirm);
    session_.Call([asked] {
      if (asked) FCancelConfirm->bt_CancelClick();
      else FCancelConfirm->Hide();
    });
    session_.driver->SetStepTimeout(kRunTimeout);
    if (!session_.driver->WaitForm("FFinish").empty()) {
      for (const char* screen : {"finish-install", "finish-upgrade", "finish-uninstall"})
        Missing(screen, "the install did not reach the finish screen");
      return;
    }
    Take("finish-install", FFinish);
    for (const auto& [screen, mode] : {std::pair<std::string, const char16_t*>{"finish-upgrade", kRunModeUpgrade},
                                       {"finish-uninstall", kRunModeUninstall}}) {
      session_.Call([mode = mode] {
        FFinish->Hide();
        App->RunMode = mode;
        FFinish->Show();
      });
      Take(screen, FFinish);
    }
  }

  // The uninstall progress screen, its worker paused as a close request on
  // the screen pauses it (its Cancel button never shows).
  void UninstallRun() {
    session_.Call([] {
      App->RunMode = kRunModeUninstall;
      ShowOnly(FUninstall);
      FUninstall->bt_CancelClick();
    });
    std::this_thread::sleep_for(kSettle);
    // The uninstall run's stage texts are the program's own, in English.
    Take("uninstall-progress", FUninstall, FUninstall->lb_UninstallProc);
  }

 private:
  WizardSession& session_;
  std::string language_;
  std::string out_;
  std::vector<Shot>& shots_;
};

// Every screen of one language, on a machine of its own.
bool PreviewLanguage(const std::string& package, const String& language, const std::string& out,
                     std::vector<Shot>& shots, std::string& error) {
  ScratchFolder scratch;
  if (scratch.Path().empty()) {
    error = "cannot create a temporary folder";
    return false;
  }
  if (!PackageMachine(package, scratch.Path() + "/machine", error)) return false;
  // The wizard starts in the language Settings.ini names.
  win::IniFile settings(String(kPackageFolder) + u"Settings.ini");
  if (!settings.WriteString(u"SpecifyLang", u"Language", language) || !settings.UpdateFile()) {
    error = "cannot choose " + win::ToUtf8(language) + " in the copy's Settings.ini";
    return false;
  }
  const std::string name = win::ToUtf8(language);
  {
    WizardSession session;
    LanguageVisit visit(session, name, out, shots);
    if (!session.driver->WaitForm("FWelcome").empty()) {
      for (const ScreenRow& row : ScreenRows()) visit.Missing(row.id, "the wizard did not start: " + session.Failure());
    } else {
      visit.Take("welcome", FWelcome);
      visit.Show("series", FSeriesSelect);
      visit.Show("licence", FEULA);
      visit.Show("install-confirm", FAskInstall);
      visit.Show("uninstall-confirm", FUninstallConfirm);
      visit.Show("cancelled", FCancel);
      visit.Question("question-older", kMessageOlderInstalled.key);
      visit.Question("question-same", kMessageSameInstalled.key);
      visit.InstallRun();
      visit.UninstallRun();
    }
  }
  sim::UseMachine(std::string());
  sim::SetExecutablePath(String());
  return true;
}

// What the program asked of the package, one line each: "text", the section
// and the key, or "picture" and the name, tab-separated, in UTF-8.
bool WriteLookups(const std::string& path, const lookup_record::Recorded& recorded) {
  std::ofstream out(path, std::ios::binary);
  for (const auto& [section, key] : recorded.texts)
    out << "text\t" << win::ToUtf8(section) << "\t" << win::ToUtf8(key) << "\n";
  for (const String& name : recorded.pictures) out << "picture\t" << win::ToUtf8(name) << "\n";
  return static_cast<bool>(out.flush());
}

}  // namespace

int Preview(const std::vector<std::string>& args) {
  const bool recordLookups = args.size() == 4 && args[2] == "--lookups";
  if (args.size() != 2 && !recordLookups)
    return Fail("preview: give the package folder and the output folder (and --lookups FILE)");
  const auto started = std::chrono::steady_clock::now();
  std::error_code ec;
  const std::string package = fs::absolute(args[0], ec).lexically_normal().string();
  if (!fs::is_regular_file(package + "/Setup.ini", ec) || !fs::is_regular_file(package + "/Settings.ini", ec))
    return Fail("preview: " + args[0] + " is not a package (it needs Setup.ini and Settings.ini)");
  const std::string out = fs::absolute(args[1], ec).string();
  fs::create_directories(out, ec);
  if (!fs::is_directory(out, ec)) return Fail("preview: cannot create " + args[1]);

  StringList languages;
  {
    ScratchFolder scratch;
    std::string error;
    if (scratch.Path().empty() || !PackageMachine(package, scratch.Path() + "/machine", error))
      return Fail("preview: " + (error.empty() ? std::string("cannot create a temporary folder") : error));
    languages = OfferedLanguages();
    sim::UseMachine(std::string());
  }
  if (languages.empty()) return Fail("preview: " + args[0] + "/Settings.ini offers no language ([Languages])");

  std::vector<Shot> shots;
  std::vector<std::string> names;
  size_t marks = 0;
  if (recordLookups) lookup_record::Start();
  for (const String& language : languages) {
    std::string error;
    const size_t before = shots.size();
    if (!PreviewLanguage(package, language, out, shots, error)) return Fail("preview: " + error);
    names.push_back(win::ToUtf8(language));
    size_t found = 0;
    for (size_t i = before; i < shots.size(); ++i) found += shots[i].marks.size() + (shots[i].problem.empty() ? 0 : 1);
    marks += found;
    std::cout << names.back() << ": " << shots.size() - before << " screens, " << found << " mark(s)" << std::endl;
  }
  if (recordLookups && !WriteLookups(args[3], lookup_record::Stop())) return Fail("preview: cannot write " + args[3]);
  std::string error;
  if (!WriteContactSheet(out, args[0], names, shots, error)) return Fail("preview: " + error);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::cout << "preview: " << ScreenRows().size() << " screens x " << names.size() << " languages, " << marks
            << " mark(s), " << static_cast<int>(seconds * 10 + 0.5) / 10.0 << " s; " << out << "/index.html"
            << (marks ? ", " + out + "/marks.txt" : std::string()) << std::endl;
  return marks == 0 ? 0 : kPreviewMarked;
}

}  // namespace winsim
