// The application object's start-up sequence on a simulated machine.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/app.h"
#include "platform/files.h"
#include "platform/sim/machine.h"
#include "support/sim_machine.h"

using zxtest::TempMachine;

namespace {

const String kPackage = u"C:\\Pkg\\";

std::string SetupIni(const std::string& lines) { return "[Setup]\r\n" + lines; }

// A package folder with Setup.exe's path set; language files are optional.
struct Package {
  explicit Package(const std::vector<std::string>& machine = {}) : m(machine) {
    sim::SetExecutablePath(kPackage + u"Setup.exe");
  }
  void Write(const String& relative, const std::string& bytes) const { m.WriteFile(kPackage + relative, bytes); }
  // A language file under textsFolder whose ProductName names the file.
  void Language(const String& textsFolder, const String& name) const {
    Write(textsFolder + u"LanguageIni\\" + name + u"\\Install_" + name + u".ini",
          win::ToUtf8(u"[InstallWizard]\r\nProductName=" + name + u" file\r\n"));
  }
  TempMachine m;
};

TEST(TApp, Zorvex6OnTheDefaultMachine) {
  Package p;
  p.Write(u"Setup.ini", SetupIni("%PROGRAM_FILES=Zorvex6\r\n%PROGRAM_EXEC=Zorvex6.exe\r\n"
                                 "%UPDATE_TYPE=ZorvexMouse\r\n%PROGRAM_VERSION=18.12.0006\r\n"));
  p.Language(u"Texts\\", u"English");
  {
    TApp app;
    EXPECT_EQ(App, &app);
    struct Field {
      const char* name;
      const String& value;
      const char16_t* expected;
    } fields[] = {
        {"setupFilePath", app.setupFilePath, u"C:\\Pkg\\Setup.ini"},
        {"programFilesFolder", app.programFilesFolder, u"C:\\Program Files (x86)"},
        {"installRootFolder", app.installRootFolder, u"C:\\Program Files (x86)\\Zorvex6"},
        {"programFolder", app.programFolder, u"C:\\Program Files (x86)\\Zorvex6\\Zorvex6"},
        {"programExecPath", app.programExecPath, u"C:\\Program Files (x86)\\Zorvex6\\Zorvex6\\Zorvex6.exe"},
        {"dataFolder", app.dataFolder, u"C:\\ProgramData\\Zorvex6\\"},
        {"uninstallerFolder", app.uninstallerFolder, u"C:\\ProgramData\\Zorvex6\\bin\\uninst\\"},
        {"templatesFolder", app.templatesFolder, u"C:\\ProgramData\\Zorvex6\\Templates\\"},
        {"updaterFolder", app.updaterFolder, u"C:\\Program Files (x86)\\Zorvex6\\Updater"},
        {"uninstallerExecPath", app.uninstallerExecPath, u""},
        {"programsLinkPath", app.programsLinkPath, u""},
        {"uninstallLinkPath", app.uninstallLinkPath, u""},
        {"manualLinkPath", app.manualLinkPath, u""},
        {"desktopLinkPath", app.desktopLinkPath, u""},
        {"deviceBackupFolder", app.deviceBackupFolder, u""},
        {"startupKey", app.startupKey, u"Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
        {"productKeyTemplate", app.productKeyTemplate, u"Software\\%PUBLISHER\\%REG_FODLER_PROGNAME\\"},
        {"uninstallKey", app.uninstallKey, u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"},
        {"languageName", app.languageName, u"English"},
        {"productName", app.productName, u"English file"},
        {"textSection", app.textSection, u"InstallWizard"},
        {"updaterExeName", app.updaterExeName, u"ZorvexMouseUpdater.exe"},
        {"updaterFolderName", app.updaterFolderName, u"Updater"},
        {"updaterWindowTitle", app.updaterWindowTitle, u"ZorvexMouseUpdaterForm"},
    };
    for (const Field& f : fields) EXPECT_EQ(f.value, f.expected) << f.name;
    EXPECT_EQ(app.languageId, 1033);
    EXPECT_EQ(app.RunState, 0);
    EXPECT_EQ(app.seriesIndex, 3);
    EXPECT_EQ(app.logoRect, (TRect{96, 10, 181, 75}));  // no Settings.ini: the default
    EXPECT_FALSE(app.deleteUserData);
    EXPECT_EQ(app.settingsStore, nullptr);
    ASSERT_NE(app.setupStore, nullptr);
    EXPECT_EQ(app.layoutStore, nullptr);
    EXPECT_EQ(app.TextsFolder(), u"C:\\Pkg\\Texts\\");
    EXPECT_TRUE(app.ProductIdentityUsable());
  }
  EXPECT_EQ(App, nullptr);
}

TEST(TApp, ThirtyTwoBitWindowsAndAMissingSetupIni) {
  Package p({"is64Bit=0"});
  p.Write(u"UI.txt", "[English]\r\n");
  TApp app;
  EXPECT_EQ(app.programFolder, u"C:\\Program Files\\\\");  // empty parts, as derived
  EXPECT_EQ(app.dataFolder, u"C:\\ProgramData\\\\");
  EXPECT_EQ(app.updaterExeName, u"Updater.exe");
  EXPECT_EQ(app.productName, u"@@");
  ASSERT_NE(app.setupStore, nullptr);
  EXPECT_NE(app.layoutStore, nullptr);
  EXPECT_FALSE(app.ProductIdentityUsable());
}

TEST(TApp, TextsFolderRule) {
  const String payload = u"C:\\Pkg\\program files\\";
  struct Case {
    const char* setup;
    bool languageIniBesideSetup;
    String expected;
  } cases[] = {
      {"%UPDATE_TYPE=ZorvexMouse\r\n%PROGRAM_FILES=Zorvex6\r\n%PROGRAM_VERSION=18.12.0006\r\n", true,
       u"C:\\Pkg\\Texts\\"},
      {"%UPDATE_TYPE=ZorvexMouse\r\n%PROGRAM_FILES=Zorvex6\r\n%PROGRAM_VERSION=18.12.0005\r\n", false,
       payload + u"Zorvex6\\Forms\\Texts\\"},
      {"%UPDATE_TYPE=ZorvexMouse\r\n%PROGRAM_FILES=Zorvex6\r\n%PROGRAM_VERSION=18.12.0006\r\n", false,
       payload + u"Zorvex6\\Texts\\"},
      {"%UPDATE_TYPE=ZorvexMouse\r\n%PROGRAM_FILES=Zorvex6\r\n%PROGRAM_VERSION=9.1\r\n", false,
       payload + u"Zorvex6\\Texts\\"},  // versions compare as strings
      {"%UPDATE_TYPE=ZorvexMouse\r\n%PROGRAM_FILES=Zorvex6\r\n", false,
       payload + u"Zorvex6\\Forms\\Texts\\"},
      {"%UPDATE_TYPE=ZorvexMouse\r\n%PROGRAM_FILES=Zorvex7\r\n%PROGRAM_DATA=Data\\\r\n", false,
       payload + u"Zorvex7\\Data\\Texts\\"},
      {"%UPDATE_TYPE=zorvexmouse\r\n%PROGRAM_FILES=Zorvex7\r\n", false,
       payload + u"Zorvex7\\Forms\\Texts\\"},  // product words are exact
      {"%UPDATE_TYPE=ZorvexKeyboard\r\n%PROGRAM_FILES=ZorvexKeyboard\r\n", false,
       payload + u"ZorvexKeyboard\\Texts\\"},
      {"%PROGRAM_FILES=ZorvexEsport\r\n", false, payload + u"ZorvexEsport\\Texts\\"},
      {"%UPDATE_TYPE=ZorvexEsport\r\n%PROGRAM_FILES=ZorvexEsport\r\n", false,
       payload + u"ZorvexEsport\\Forms\\Texts\\"},
  };
  for (const Case& c : cases) {
    Package p;
    p.Write(u"Setup.ini", SetupIni(c.setup));
    if (c.languageIniBesideSetup) p.m.MakeFolder(u"C:\\Pkg\\Texts\\LanguageIni");
    p.Language(c.expected.substr(kPackage.size()), u"English");
    TApp app;
    EXPECT_EQ(app.TextsFolder(), c.expected) << c.setup;
    EXPECT_EQ(app.productName, u"English file") << c.setup;
  }
}

TEST(TApp, ProductKeyExpansion) {
  struct Case {
    const char* setup;
    const char16_t* key;
  } cases[] = {
      {"%PUBLISHER=Zorvex\r\n%REG_FODLER_PROGNAME=Zorvex7\r\n", u"Software\\Zorvex\\Zorvex7\\"},
      {"%PUBLISHER=\r\n%REG_FODLER_PROGNAME=Zorvex7\r\n", u""},
      {"%PUBLISHER=Zorvex\r\n", u""},
      {"", u""},
  };
  for (const Case& c : cases) {
    Package p;
    p.Write(u"Setup.ini", SetupIni(c.setup));
    TApp app;
    EXPECT_EQ(app.ProductKey(), c.key) << c.setup;
  }

  win::MemIniFile store;
  store.WriteString(u"Setup", u"%PUBLISHER", u"P");
  store.WriteString(u"Setup", u"%REG_FODLER_PROGNAME", u"R");
  const String first = u"%PUBLISHER", second = u"%REG_FODLER_PROGNAME";
  EXPECT_EQ(ExpandKeyTemplate(&store, u"Setup", u"%PUBLISHER\\%REG_FODLER_PROGNAME\\%PUBLISHER", u"", u"",
                              second, first),
            u"P\\R\\P");  // every occurrence
  EXPECT_EQ(ExpandKeyTemplate(&store, u"Setup", u"%PUBLISHER\\%REG_FODLER_PROGNAME", u"Given", u"", second, first),
            u"Given\\R");  // a value given wins over the store
  EXPECT_EQ(ExpandKeyTemplate(&store, u"Setup", u"%publisher\\x", u"", u"", second, first), u"%publisher\\x");
  EXPECT_EQ(ExpandKeyTemplate(nullptr, u"Setup", u"%PUBLISHER", u"", u"R", second, first), u"");
}

TEST(TApp, StartLanguage) {
  struct Case {
    const char* settings;  // nullptr: no Settings.ini
    const char* machine;
    const char16_t* name;
    uint16_t id;
    const char16_t* loaded;
  } cases[] = {
      {"[SpecifyLang]\r\nLanguage=\r\n", "systemLangId=2052", u"ChineseS", 2052, u"ChineseS file"},
      {"[SpecifyLang]\r\nLanguage=\r\n", "systemLangId=1034", u"English", 1033, u"English file"},
      {nullptr, "systemLangId=2052", u"ChineseS", 2052, u"ChineseS file"},
      {"[SpecifyLang]\r\nLanguage=chineset\r\n", "systemLangId=2052", u"chineset", 1033, u"English file"},
      {"[SpecifyLang]\r\nLanguage=German\r\n", "systemLangId=2052", u"German", 3079, u"English file"},
      {"[specifylang]\r\nlanguage = ChineseS \r\n", "systemLangId=1033", u"ChineseS", 2052, u"ChineseS file"},
  };
  for (const Case& c : cases) {
    Package p({c.machine, "userLangId=1049"});
    p.Language(u"Texts\\", u"English");
    p.Language(u"Texts\\", u"ChineseS");
    if (c.settings != nullptr) p.Write(u"Settings.ini", c.settings);
    TApp app;
    EXPECT_EQ(app.languageName, c.name) << c.machine << " " << (c.settings ? c.settings : "");
    EXPECT_EQ(app.languageId, c.id) << c.machine;
    EXPECT_EQ(app.productName, c.loaded) << c.machine;
  }
}

TEST(TApp, LogoRectangle) {
  struct Case {
    const char* settings;
    TRect logo;
  } cases[] = {
      {"[UI]\r\nLogo=rectp,1,2,30,40\r\n", {1, 2, 30, 40}},
      {"[UI]\r\nLogo=rectWH,96,10,86,66\r\n", {96, 10, 181, 75}},
      {"[Other]\r\n", {96, 10, 181, 75}},                 // key missing: the default
      {"[UI]\r\nLogo=rectwh,a,b,c,d\r\n", {0, 0, 0, 0}},  // bad number: left as it was
      {"[UI]\r\nLogo=square\r\n", {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    Package p;
    p.Write(u"Settings.ini", c.settings);
    TApp app;
    EXPECT_EQ(app.logoRect, c.logo) << c.settings;
  }
}

TEST(TApp, WritesTheChosenLanguageIntoThePayloadAppConfig) {
  const String appConfig = u"C:\\Pkg\\program files\\Zorvex7\\ini\\AppConfig.ini";
  const std::string before = "; product settings\r\n[SYSTEM]\r\nLanguage=English\r\nSkin=1\r\n";
  struct Case {
    const char* settings;
    const char* productFolder;
    std::string after;
  } cases[] = {
      {"[SpecifyLang]\r\nLanguage=German\r\n", "Zorvex7",
       "; product settings\r\n[SYSTEM]\r\nLanguage=German\r\nSkin=1\r\n"},
      {"[SpecifyLang]\r\nLanguage=\r\n", "Zorvex7", before},  // empty: untouched
      {nullptr, "Zorvex7", before},
      // A product folder that climbs out of the payload writes nothing.
      {"[SpecifyLang]\r\nLanguage=German\r\n", "Zorvex7\\..\\Zorvex7", before},
  };
  for (const Case& c : cases) {
    Package p;
    p.Write(u"Setup.ini", SetupIni(std::string("%PROGRAM_FILES=") + c.productFolder + "\r\n"));
    if (c.settings != nullptr) p.Write(u"Settings.ini", c.settings);
    p.Write(appConfig.substr(kPackage.size()), before);
    { TApp app; }
    EXPECT_EQ(p.m.ReadFile(appConfig), c.after) << c.productFolder << " " << (c.settings ? c.settings : "");
  }

  Package p;  // no AppConfig.ini: none is created
  p.Write(u"Setup.ini", SetupIni("%PROGRAM_FILES=Zorvex7\r\n"));
  p.Write(u"Settings.ini", "[SpecifyLang]\r\nLanguage=German\r\n");
  { TApp app; }
  EXPECT_FALSE(win::FileExists(appConfig));
}

TEST(TApp, ProductIdentity) {
  struct Case {
    const char* setup;
    bool usable;
  } cases[] = {
      {"%PROGRAM_FILES=Zorvex7\r\n%PROGRAM_DATA=Data\\\r\n%PROGRAM_DEVICE=Device\\\r\n", true},
      {"%PROGRAM_FILES=Zorvex 7.1\r\n", true},
      {"%PROGRAM_FILES=\r\n", false},
      {"%PROGRAM_FILES=..\r\n", false},
      {"%PROGRAM_FILES=A\\B\r\n", false},
      {"%PROGRAM_FILES=A/B\r\n", false},
      {"%PROGRAM_FILES=C:\r\n", false},
      {"%PROGRAM_FILES=Zorvex7\r\n%PROGRAM_DATA=..\\..\\\r\n", false},
      {"%PROGRAM_FILES=Zorvex7\r\n%PROGRAM_DEVICE=Device\\..\\..\\\r\n", false},
      // Names Windows would not keep as written, or that name a device: "."
      // would be the Program Files folder itself, "*" every program in it.
      {"%PROGRAM_FILES=.\r\n", false},
      {"%PROGRAM_FILES=. .\r\n", false},
      {"%PROGRAM_FILES=Zorvex7.\r\n", false},
      {"%PROGRAM_FILES=*\r\n", false},
      {"%PROGRAM_FILES=Zor?vex\r\n", false},
      {"%PROGRAM_FILES=Zor\"vex\r\n", false},
      {"%PROGRAM_FILES=a<b\r\n", false},
      {"%PROGRAM_FILES=a>b\r\n", false},
      {"%PROGRAM_FILES=a|b\r\n", false},
      {"%PROGRAM_FILES=a\tb\r\n", false},
      {"%PROGRAM_FILES=con\r\n", false},
      {"%PROGRAM_FILES=NUL.txt\r\n", false},
      {"%PROGRAM_FILES=Com1\r\n", false},
      {"%PROGRAM_FILES=LPT9.tar.gz\r\n", false},
      {"%PROGRAM_FILES=AUX \r\n", false},
      {"%PROGRAM_FILES=COM10\r\n", true},
      {"%PROGRAM_FILES=CONSOLE\r\n", true},
      {"%PROGRAM_FILES=.Zorvex\r\n", true},
      {"%PROGRAM_FILES=Zorvex7\r\n%PROGRAM_DATA=Data\\PRN\\\r\n", false},
      {"%PROGRAM_FILES=Zorvex7\r\n%PROGRAM_DATA=Data\\ \\\r\n", false},
      {"%PROGRAM_FILES=Zorvex7\r\n%PROGRAM_DEVICE=Data\\*\\\r\n", false},
      {"%PROGRAM_FILES=Zorvex7\r\n%PROGRAM_DEVICE=Data\\Device.\\\r\n", false},
      {"%PROGRAM_FILES=Zorvex7\r\n%PROGRAM_DEVICE=Data\\Device\\\r\n%PROGRAM_DATA=Data\\\r\n", true},
  };
  for (const Case& c : cases) {
    Package p;
    p.Write(u"Setup.ini", SetupIni(c.setup));
    TApp app;
    EXPECT_EQ(app.ProductIdentityUsable(), c.usable) << c.setup;
  }
}

}  // namespace
