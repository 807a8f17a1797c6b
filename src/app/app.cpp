// The application object's start-up sequence.
#include "app/app.h"

#include "app/product_words.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "text/cmnsubroutines.h"
#include "text/text_keys.h"

TApp* App = nullptr;

namespace {

constexpr char16_t kSetupFileName[] = u"Setup.ini";
constexpr char16_t kSettingsFileName[] = u"Settings.ini";
constexpr char16_t kLayoutFileName[] = u"UI.txt";

constexpr char16_t kDefaultLogo[] = u"rectWH,96,10,86,66";
constexpr char16_t kLanguagePrefix[] = u"Install";
constexpr char16_t kUpdaterFolderName[] = u"Updater";

constexpr char16_t kStartupKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char16_t kProductKeyTemplate[] = u"Software\\%PUBLISHER\\%REG_FODLER_PROGNAME\\";
constexpr char16_t kUninstallKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Products whose payload keeps its language files under Texts\ rather than
// Forms\Texts\.
bool PayloadHasPlainTexts(const String& updateType, const String& productFolder,
                          const String& version) {
  if (updateType == kUpdateTypeMouse && productFolder == kMouseGeneration6 && version > u"18.12.0005")
    return true;
  if (updateType == kUpdateTypeMouse && productFolder == kMouseGeneration7) return true;
  if (updateType == kUpdateTypeKeyboard) return true;
  return updateType.empty() && productFolder == kEsportProductFolder;
}

bool Contains(const String& text, StringView part) { return text.find(part) != String::npos; }

}  // namespace

String ExpandKeyTemplate(const win::MemIniFile* store, const String& section,
                         const String& keyTemplate, String firstValue, String secondValue,
                         const String& secondPlaceholder, const String& firstPlaceholder) {
  if (firstValue.empty() && store != nullptr)
    firstValue = store->ReadString(section, firstPlaceholder, u"");
  if (secondValue.empty() && store != nullptr)
    secondValue = store->ReadString(section, secondPlaceholder, u"");
  // An empty value makes the whole key empty: callers treat it as no record.
  if (firstValue.empty() || secondValue.empty()) return String();
  String result = win::ReplaceAll(keyTemplate, firstPlaceholder, firstValue);
  return win::ReplaceAll(result, secondPlaceholder, secondValue);
}

TApp::TApp() {
  App = this;
  const String exeFolder = win::ExecutableFolder();

  updaterFolderName = kUpdaterFolderName;

  const String settingsPath = exeFolder + kSettingsFileName;
  if (win::FileExists(settingsPath)) settingsStore = std::make_unique<win::MemIniFile>(settingsPath);

  // A package without Settings.ini reads the defaults. A logo value with a bad
  // number leaves the rectangle as it is.
  String logo = settingsStore ? settingsStore->ReadString(u"UI", u"Logo", kDefaultLogo)
                              : String(kDefaultLogo);
  TryParseRect(logo, logoRect);

  setupStore = std::make_unique<win::MemIniFile>(exeFolder + kSetupFileName);

  const String productFolder = SetupValue(kKeyProgramFiles);
  const String programExec = SetupValue(kKeyProgramExec);
  // %PROGRAM_DATA and %UPDATER are read where they are used (nothing here
  // depends on them).
  const String updateType = SetupValue(kKeyUpdateType);

  updaterExeName = updateType + u"Updater.exe";
  updaterWindowTitle = updateType + u"UpdaterForm";

  programFilesFolder = win::ExcludeTrailingBackslash(win::SHGetSpecialFolderPath(win::kCsidlProgramFiles));
  installRootFolder = programFilesFolder + u"\\" + productFolder;
  programFolder = installRootFolder + u"\\" + productFolder;
  programExecPath = programFolder + u"\\" + programExec;

  dataFolder = win::SHGetSpecialFolderPath(win::kCsidlCommonAppData) + u"\\" + productFolder + u"\\";
  uninstallerFolder = dataFolder + u"bin\\uninst\\";
  templatesFolder = dataFolder + u"Templates\\";

  updaterFolder = win::IncludeTrailingBackslash(installRootFolder) + kUpdaterFolderName;

  const String layoutPath = exeFolder + kLayoutFileName;
  if (win::FileExists(layoutPath)) layoutStore = std::make_unique<win::MemIniFile>(layoutPath);

  setupFilePath = exeFolder + kSetupFileName;
  textSection = kTextSection;

  const String languageSetting =
      settingsStore ? settingsStore->ReadString(u"SpecifyLang", u"Language", u"") : String();
  languageName = StartLanguageName(languageSetting);
  languageId = LanguageIdFromName(languageName);

  LoadLanguage(TextsFolder(), languageId, kLanguagePrefix, u"");
  productName = GetText(kTextSection, kProductNameKey);

  startupKey = kStartupKey;
  productKeyTemplate = kProductKeyTemplate;
  uninstallKey = kUninstallKey;
  seriesIndex = 3;

  // The payload's own settings learn the chosen language. A package whose
  // product folder could lead outside the payload writes nothing.
  if (!languageSetting.empty() && ProductIdentityUsable()) {
    const String appConfig =
        exeFolder + u"program files\\" + productFolder + u"\\ini\\AppConfig.ini";
    if (win::FileExists(appConfig)) {
      win::IniFile ini(appConfig);
      // Nothing is reported when the package cannot be written to (read-only
      // media): the install writes the language into the installed settings.
      if (ini.WriteString(u"SYSTEM", u"Language", languageSetting)) (void)ini.UpdateFile();
    }
  }
}

TApp::~TApp() {
  settingsStore.reset();
  setupStore.reset();
  layoutStore.reset();
  if (App == this) App = nullptr;
}

String TApp::SetupValue(StringView key, StringView defaultValue) const {
  if (!setupStore) return String(defaultValue);
  return setupStore->ReadString(kSetupSection, key, defaultValue);
}

String TApp::TextsFolder() const {
  const String exeFolder = win::ExecutableFolder();
  const String besideSetup = TextsFolderIn(exeFolder);
  if (!besideSetup.empty()) return besideSetup;

  const String productFolder = SetupValue(kKeyProgramFiles);
  const String payloadData =
      exeFolder + u"program files\\" + productFolder + u"\\" + SetupValue(kKeyProgramData);
  if (PayloadHasPlainTexts(SetupValue(kKeyUpdateType), productFolder, SetupValue(kKeyProgramVersion)))
    return payloadData + kPackageTextsFolder;
  return payloadData + u"Forms\\" + kPackageTextsFolder;
}

String TApp::ProductKey() const {
  return ExpandKeyTemplate(setupStore.get(), kSetupSection, productKeyTemplate, u"", u"",
                           kKeyRegFolderName, kKeyPublisher);
}

bool TApp::IsPlainFolderName(StringView name) {
  if (name.empty() || name.find_first_not_of(u". ") == StringView::npos) return false;
  if (name.back() == u'.' || name.back() == u' ') return false;
  for (char16_t c : name)
    if (c < 0x20 || c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>' || c == u'|') return false;
  // A device name stays one whatever follows its first dot, and blanks before
  // that dot do not hide it.
  const String stem = win::UpperCase(win::TrimRight(name.substr(0, name.find(u'.'))));
  for (StringView device : {u"CON", u"PRN", u"AUX", u"NUL"})
    if (stem == device) return false;
  if (stem.size() == 4 && (win::StartsWith(stem, u"COM") || win::StartsWith(stem, u"LPT")) && stem[3] >= u'1' &&
      stem[3] <= u'9')
    return false;
  return true;
}

namespace {

// Every component of a sub-path such as "Data\Device\" is a plain folder
// name; empty ones (a doubled or trailing "\") name no folder of their own.
bool IsPlainSubPath(const String& path) {
  size_t start = 0;
  while (start < path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == String::npos) end = path.size();
    const StringView component = StringView(path).substr(start, end - start);
    if (!component.empty() && !TApp::IsPlainFolderName(component)) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

bool TApp::ProductIdentityUsable() const {
  const String productFolder = SetupValue(kKeyProgramFiles);
  if (productFolder.empty()) return false;
  for (StringView bad : {u"\\", u"/", u":", u".."})
    if (Contains(productFolder, bad)) return false;
  const String data = SetupValue(kKeyProgramData);
  const String device = SetupValue(kKeyProgramDevice);
  return !Contains(data, u"..") && !Contains(device, u"..") && IsPlainFolderName(productFolder) &&
         IsPlainSubPath(data) && IsPlainSubPath(device);
}
