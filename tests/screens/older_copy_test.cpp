// Replacing an installed copy of the same or an older version: running its
// own uninstaller, the old generations whose traces are removed here, this
// program put in place of an old uninstaller, and the language patch.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>

#include "app/older_copy.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "screens_fixture.h"

using namespace screentest;

namespace {

const String kOldFolder = u"C:\\ProgramData\\Old\\bin\\uninst\\";
const String kOldUninstaller = kOldFolder + u"Setup.exe";
const String kStartupKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A package for product `registryName` beside an installed copy of
// `installed` whose uninstaller is the old_uninstaller test program.
class Scene {
 public:
  void Prepare(const std::string& registryName, const String& installed, const String& product,
               const String& command = u"") {
    registryName_ = win::FromUtf8(registryName);
    p.SetupIni({"%PROGRAM_FILES=Zorvex7", "%PROGRAM_DATA=Data\\", "%REG_FODLER_PROGNAME=" + registryName,
                "%PUBLISHER=Zorvex", "%PROGRAM_VERSION=19.02.0005"});
    p.Language("English");
    InstallProgram(kOldUninstaller);
    // The old uninstaller removes the entry it belongs to.
    p.machine.WriteFile(kOldFolder + u"entry.txt", win::ToUtf8(EntryKey()));
    p.InstalledCopy(u"Zorvex", registryName_, installed,
                    command.empty() ? u"\"" + kOldUninstaller + u"\" uninstall" : command);
    const String key = ProductKey();
    WriteValue(win::RootKey::LocalMachine, key, u"UninstExeDir", kOldUninstaller);
    WriteValue(win::RootKey::LocalMachine, key, u"Product", product);
    WriteValue(win::RootKey::LocalMachine, key, u"InstallDir", u"C:\\Program Files (x86)\\Old");
    WriteValue(win::RootKey::LocalMachine, key, u"ExecOnBoot", u"OldBoot");
    WriteValue(win::RootKey::CurrentUser, kStartupKey, u"OldBoot", u"C:\\Old.exe");
    const String links = u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Zorvex\\Old\\";
    for (const char16_t* link : {u"Old.lnk", u"Uninstall Old.lnk"}) p.machine.WriteFile(links + link, "lnk");
    p.machine.WriteFile(u"C:\\Users\\Public\\Desktop\\Old.lnk", "lnk");
    WriteValue(win::RootKey::LocalMachine, key, u"LINK_ProgramsExec", links + u"Old.lnk");
    WriteValue(win::RootKey::LocalMachine, key, u"LINK_ProgramUnist", links + u"Uninstall Old.lnk");
    WriteValue(win::RootKey::LocalMachine, key, u"LINK_DesktopExec", u"C:\\Users\\Public\\Desktop\\Old.lnk");
    app = std::make_unique<TApp>();
  }
  // The test program as a program on the machine.
  void InstallProgram(const String& windowsPath) {
    p.machine.MakeFolder(win::ExtractFileDir(windowsPath));
    const std::string host = p.machine.HostPath(windowsPath);
    std::filesystem::copy_file(std::string(ZX_TEST_PROGRAMS_DIR) + "/old_uninstaller", host,
                               std::filesystem::copy_options::overwrite_existing);
  }
  String ProductKey() const { return u"Software\\Zorvex\\" + registryName_; }
  String EntryKey() const { return kUninstallRoot + registryName_; }
  ReplaceOutcome Replace(const String& installed) {
    return ReplaceOlderCopy(*app, installed, state, [this](const String& text) { messages.push_back(text); });
  }
  std::string Ran(const String& folder = kOldFolder) const { return p.machine.ReadFile(folder + u"ran.txt"); }

  MiniPackage p;
  std::unique_ptr<TApp> app;
  OlderCopyState state;
  StringList messages;
  String registryName_;
};

class OlderCopy : public ::testing::Test, public Scene {};

TEST(IsOldRecord, GenerationsUpToTheirLastVersion) {
  struct Case {
    const char16_t* registryName;
    const char16_t* version;
    bool old;
  } cases[] = {
      {u"ZorvexPad", u"18.10.0001", true},        {u"ZorvexPad", u"18.10.0002", false},
      {u"ZorvexTonalix", u"16.12.0018", true},    {u"ZorvexTonalix", u"16.12.0019", false},
      {u"Zorvex3", u"16.12.0018", true},          {u"Zorvex3", u"9.1", false},
      {u"ZorvexKeyboard", u"16.12.0006", true},   {u"ZorvexKeyboard", u"16.12.0007", false},
      {u"ZorvexEsport", u"10.01.0001", false},    {u"zorvexpad", u"18.10.0001", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsOldRecord(c.version, c.registryName), c.old) << win::ToUtf8(c.registryName) << " "
                                                             << win::ToUtf8(c.version);
}

TEST(FileDateStamp, YearMonthDayOfTheLastWriteInUtc) {
  zxtest::TempMachine m;
  m.WriteFile(u"C:\\Stamp\\a.exe", "x");
  struct utimbuf times{};
  times.modtime = 1507896000;  // 13 October 2017, 12:00 UTC
  times.actime = times.modtime;
  ASSERT_EQ(utime(m.HostPath(u"C:\\Stamp\\a.exe").c_str(), &times), 0);
  EXPECT_EQ(FileDateStamp(u"C:\\Stamp\\a.exe"), u"17.1013");
  EXPECT_EQ(FileDateStamp(u"C:\\Stamp\\missing.exe"), u"");
}

TEST(RecordFolderPart, FolderOfAFilePathOrTheFolderItself) {
  zxtest::TempMachine m;
  m.MakeFolder(u"C:\\Old\\uninst");
  EXPECT_EQ(RecordFolderPart(u"C:\\Old\\uninst\\Setup.exe"), u"C:\\Old\\uninst\\");
  EXPECT_EQ(RecordFolderPart(u"C:\\Old\\gone\\"), u"C:\\Old\\gone\\");
  EXPECT_EQ(RecordFolderPart(u"C:\\Old\\uninst"), u"C:\\Old\\uninst\\");
  EXPECT_EQ(RecordFolderPart(u""), u"");
}

TEST_F(OlderCopy, OldUninstallerRunsWithTheChangedModeWordAndIsWaitedFor) {
  Prepare("Zorvex3", u"19.01.0001", u"Zorvex7");
  EXPECT_EQ(Replace(u"19.01.0001"), ReplaceOutcome::kRemoved);
  EXPECT_EQ(Ran(), "uninstallanyway\n");
  EXPECT_NE(p.machine.ToolLog().find("run \"C:\\ProgramData\\Old\\bin\\uninst\\Setup.exe\" uninstallanyway"),
            std::string::npos);
  EXPECT_TRUE(messages.empty());
}

TEST_F(OlderCopy, EntryLeftBehindIsError502) {
  Prepare("Zorvex3", u"19.01.0001", u"Zorvex7");
  p.machine.WriteFile(kOldFolder + u"entry.txt", "");
  EXPECT_EQ(Replace(u"19.01.0001"), ReplaceOutcome::kStillInstalled);
  EXPECT_EQ(Ran(), "uninstallanyway\n");
}

TEST_F(OlderCopy, CommandWithoutTheModeWordRunsUnchanged) {
  Prepare("Zorvex3", u"19.01.0001", u"Zorvex7", u"\"" + kOldUninstaller + u"\" /remove");
  EXPECT_EQ(Replace(u"19.01.0001"), ReplaceOutcome::kRemoved);
  EXPECT_EQ(Ran(), "/remove\n");
}

TEST_F(OlderCopy, OldPadRecordIsRemovedHereWithoutItsUninstaller) {
  Prepare("ZorvexPad", u"18.10.0001", u"ZorvexPad");
  EXPECT_EQ(Replace(u"18.10.0001"), ReplaceOutcome::kRemoved);
  EXPECT_EQ(Ran(), "");
  EXPECT_EQ(ReadValue(win::RootKey::CurrentUser, kStartupKey, u"OldBoot"), u"<no value>");
  EXPECT_FALSE(KeyExists(EntryKey()));
  EXPECT_FALSE(KeyExists(ProductKey()));
  EXPECT_FALSE(KeyExists(u"Software\\Zorvex"));  // the publisher key had nothing else
  EXPECT_FALSE(p.machine.Exists(u"C:\\Users\\Public\\Desktop\\Old.lnk"));
  EXPECT_FALSE(p.machine.Exists(u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Zorvex"));
  EXPECT_TRUE(p.machine.Exists(u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"));
  EXPECT_NE(p.machine.ToolLog().find("SHChangeNotify 0x08000000"), std::string::npos);
}

TEST_F(OlderCopy, NewerPadRecordRunsItsUninstaller) {
  Prepare("ZorvexPad", u"18.10.0002", u"ZorvexPad");
  EXPECT_EQ(Replace(u"18.10.0002"), ReplaceOutcome::kRemoved);
  EXPECT_EQ(Ran(), "uninstallanyway\n");
}

TEST_F(OlderCopy, OldestMouseGenerationsAreRemovedHere) {
  Prepare("Zorvex3", u"16.12.0018", u"Zorvex5");
  EXPECT_EQ(Replace(u"16.12.0018"), ReplaceOutcome::kRemoved);
  EXPECT_EQ(Ran(), "");
  EXPECT_FALSE(KeyExists(ProductKey()));
}

// This program goes into the old uninstaller's folder as Setup_20171013.exe
// with the package's language files, and runs from there.
TEST_F(OlderCopy, OldMouseUninstallerIsReplacedByThisProgram) {
  InstallProgram(kPackage + u"Setup.exe");  // this program is the test uninstaller too
  const String texts = u"program files\\Zorvex7\\Data\\Texts\\";
  p.Write(texts + u"Lang.xlsx", "workbook");
  p.Write(texts + u"LanguageIni_Lang\\English\\Install_English.ini", "[InstallWizard]");
  p.machine.WriteFile(kOldFolder + u"Texts\\Old.xlsx", "old workbook");
  Prepare("Zorvex3", u"16.12.0018", u"Zorvex6");
  EXPECT_EQ(Replace(u"16.12.0018"), ReplaceOutcome::kRemoved);
  const String replacement = kOldFolder + kReplacementUninstallerName;
  EXPECT_EQ(state.newUninstallerPath, replacement);
  EXPECT_EQ(FileDateStamp(replacement), FileDateStamp(kPackage + u"Setup.exe"));
  EXPECT_FALSE(p.machine.Exists(kOldFolder + u"Texts\\Old.xlsx"));
  EXPECT_EQ(p.machine.ReadFile(kOldFolder + u"Texts\\Lang.xlsx"), "workbook");
  EXPECT_TRUE(p.machine.Exists(kOldFolder + u"Texts\\LanguageIni_Lang\\English\\Install_English.ini"));
  EXPECT_EQ(Ran(), "uninstallanyway\n");
  EXPECT_NE(p.machine.ToolLog().find("run \"C:\\ProgramData\\Old\\bin\\uninst\\Setup_20171013.exe\" uninstallanyway"),
            std::string::npos);
  EXPECT_TRUE(messages.empty());
}

TEST_F(OlderCopy, FailedReplacementIsReportedAndTheOldUninstallerRuns) {
  // The old uninstaller's folder has no Texts folder to patch.
  Prepare("ZorvexTonalix", u"16.12.0018", u"ZorvexTonalix");
  EXPECT_EQ(Replace(u"16.12.0018"), ReplaceOutcome::kRemoved);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], kTonalixCopyFailed);
  EXPECT_EQ(Ran(), "uninstallanyway\n");
}

TEST_F(OlderCopy, LanguageFilesFailWhenOneCannotBeCopied) {
  const String texts = u"program files\\Zorvex7\\Data\\Texts\\";
  p.Write(texts + u"Lang.xlsx", "workbook");
  p.Write(texts + u"LanguageIni_Lang\\English\\Install_English.ini", "[InstallWizard]");
  Prepare("Zorvex3", u"19.01.0001", u"Zorvex7");
  const String target = u"C:\\Target\\";
  p.machine.WriteFile(target + u"LanguageIni_Lang\\English\\Install_English.ini", "locked");
  ASSERT_TRUE(win::SetFileAttributes(target + u"LanguageIni_Lang\\English\\Install_English.ini",
                                     win::kFileAttributeReadOnly));
  EXPECT_FALSE(CopyLanguageFiles(*app, target));
  EXPECT_EQ(p.machine.ReadFile(target + u"Lang.xlsx"), "workbook");
}

// Mouse uninstallers between the old generation and 19.02.0005 lack their
// language files; they get them from the installed product before they run.
TEST(OlderCopyPatch, MouseUninstallerLanguagePatchBySourceVersion) {
  struct Case {
    const char16_t* installed;
    const char16_t* source;  // nullptr: no patch
  } cases[] = {
      {u"18.12.0005", u"Zorvex6\\Data\\RES\\Forms\\Texts\\"},
      {u"18.12.0006", u"Zorvex6\\Data\\Texts\\"},
      {u"19.02.0005", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(win::ToUtf8(c.installed));
    Scene run;
    run.Prepare("Zorvex3", c.installed, u"Zorvex6");
    const String installDir = u"C:\\Program Files (x86)\\Old\\";
    for (const char16_t* source : {u"Zorvex6\\Data\\RES\\Forms\\Texts\\", u"Zorvex6\\Data\\Texts\\"})
      run.p.machine.WriteFile(installDir + source + u"Lang.xlsx", win::ToUtf8(source));
    run.p.machine.MakeFolder(kOldFolder + u"Texts");
    EXPECT_EQ(run.Replace(c.installed), ReplaceOutcome::kRemoved);
    EXPECT_EQ(run.p.machine.ReadFile(kOldFolder + u"Texts\\Lang.xlsx"), c.source ? win::ToUtf8(c.source) : "");
    EXPECT_EQ(run.Ran(), "uninstallanyway\n");
    EXPECT_TRUE(run.messages.empty());
  }
}

TEST_F(OlderCopy, KeyboardGenerations) {
  Prepare("ZorvexKeyboard", u"16.12.0006", u"Vantorix1");
  EXPECT_EQ(Replace(u"16.12.0006"), ReplaceOutcome::kRemoved);
  EXPECT_EQ(Ran(), "");
  EXPECT_FALSE(KeyExists(EntryKey()));
}

TEST_F(OlderCopy, NoUninstallerNamedGoesOnAsFresh) {
  Prepare("Zorvex3", u"19.01.0001", u"Zorvex7");
  WriteValue(win::RootKey::LocalMachine, EntryKey(), u"UninstallString", u"");
  EXPECT_EQ(Replace(u"19.01.0001"), ReplaceOutcome::kRemoved);
  EXPECT_EQ(Ran(), "");
}

}  // namespace
