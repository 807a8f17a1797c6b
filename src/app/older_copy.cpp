#include "app/older_copy.h"

#include <cstdio>

#include "app/installed_copy.h"
#include "app/product_words.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "util/cmnfileexecuate.h"
#include "util/xfunctions.h"

namespace {

constexpr char16_t kTextsFolder[] = u"Texts";
constexpr char16_t kWorkbookExtension[] = u".xlsx";
constexpr char16_t kLanguageFolderPrefix[] = u"LanguageIni_";
constexpr char16_t kLanguageFolderStem[] = u"LanguageIni";
constexpr char16_t kKindFile[] = u"File";
constexpr char16_t kKindFolder[] = u"Folder";

// The mode word of the old uninstaller's command line, and what it becomes.
constexpr char16_t kUninstallWord[] = u"uninstall";
constexpr char16_t kUninstallAnywayWord[] = u"uninstallanyway";
constexpr char16_t kSilentUninstallWord[] = u"silentuninstall";

// Versions between which an old mouse uninstaller lacks its language files.
constexpr char16_t kPatchAfter[] = u"16.12.0018";
constexpr char16_t kPatchBefore[] = u"19.02.0005";
constexpr char16_t kPlainTextsFrom[] = u"18.12.0006";

struct OldGeneration {
  const char16_t* registryName;
  const char16_t* lastVersion;
};
constexpr OldGeneration kOldGenerations[] = {
    {kProductPad, u"18.10.0001"},
    {kProductTonalix, u"16.12.0018"},
    {kProductMouse, u"16.12.0018"},
    {kProductKeyboard, u"16.12.0006"},
};

String Quoted(const String& text) { return u"\"" + text + u"\""; }

// Whether folder lies strictly below the common Start-menu programs folder:
// only such folders were made by an install, so only they may be removed.
bool BelowCommonPrograms(const String& folder) {
  const String programs = win::ExcludeTrailingBackslash(SpecialFolderPath(win::kCsidlCommonPrograms));
  if (programs.empty() || folder.size() <= programs.size() + 1) return false;
  return win::StartsWith(win::LowerCase(folder), win::LowerCase(programs) + u"\\");
}

String ParentKey(const String& key) {
  const String path = win::ExcludeTrailingBackslash(key);
  const size_t slash = path.rfind(u'\\');
  return slash == String::npos ? String() : path.substr(0, slash);
}

void DeleteFileIfNamed(const String& path) {
  // A shortcut that cannot be deleted stays; the other traces go all the same.
  if (!path.empty()) (void)win::DeleteFile(path);
}

// Steps 6, 7 and 9 share this: the old uninstaller is replaced by this
// program, which is then run in its place.
void RunReplacementInstead(const TApp& app, OlderCopyState& state, String& command,
                           const ShowMessageFn& showMessage, const char16_t* failure) {
  if (PutSetupInPlaceOfOldUninstaller(app, state)) {
    command = Quoted(state.newUninstallerPath) + u" " + kUninstallWord;
  } else if (showMessage) {
    showMessage(failure);
  }
}

}  // namespace

bool IsOldRecord(const String& installedVersion, const String& registryName) {
  for (const OldGeneration& old : kOldGenerations)
    if (registryName == old.registryName) return installedVersion <= old.lastVersion;
  return false;
}

String FileDateStamp(const String& path) {
  win::SystemTime time;
  if (!win::GetFileLastWriteTime(path, time)) return String();
  char text[16];
  std::snprintf(text, sizeof text, "%02d.%02d%02d", time.year % 100, time.month, time.day);
  return win::FromUtf8(text);
}

String RecordFolderPart(const String& value) {
  if (value.empty()) return String();
  if (win::EndsWith(value, u"\\") || win::DirectoryExists(value)) return win::IncludeTrailingBackslash(value);
  return win::ExtractFilePath(value);
}

bool ReadOlderCopyRecord(const TApp& app, const String& publisher, const String& registryName,
                         UninstallRecord& record) {
  const String key = ExpandKeyTemplate(app.setupStore.get(), kSetupSection, app.productKeyTemplate, publisher,
                                       registryName, kKeyRegFolderName, kKeyPublisher);
  return ReadUninstallRecord(key, record);
}

bool CopyLanguageFiles(const TApp& app, const String& destination) {
  const String source = win::ExecutableFolder() + u"program files\\" + app.SetupValue(kKeyProgramFiles) + u"\\" +
                        app.SetupValue(kKeyProgramData) + kTextsFolder + u"\\";
  StringList workbooks;
  if (ListFolderEntries(source, kKindFile, kWorkbookExtension, workbooks, u"") < 1) return false;
  const String& first = workbooks.front();
  bool ok = win::CopyFile(source + first, destination + first, false);

  const String base = win::ReplaceAll(first, kWorkbookExtension, u"");
  String from, to;
  if (win::DirectoryExists(source + kLanguageFolderPrefix + base)) {
    from = source + kLanguageFolderPrefix + base;
    to = destination + kLanguageFolderPrefix + base;
  } else {
    StringList folders;
    ListFolderEntries(source, kKindFolder, u"", folders, u"");
    for (const String& name : folders) {
      if (!win::StartsWith(name, kLanguageFolderStem)) continue;
      from = source + name;
      to = destination + name;
      break;
    }
  }
  if (!from.empty()) {
    if (!win::DirectoryExists(to) && !win::CreateDirectory(to)) ok = false;
    // Every file must arrive: a failed copy is a failed patch.
    StringList failures;
    CopyFolderTreeListFailures(from + u"\\", to + u"\\", nullptr, failures, false, u"", nullptr);
    if (!failures.empty()) ok = false;
  }
  return ok;
}

bool PutSetupInPlaceOfOldUninstaller(const TApp& app, OlderCopyState& state) {
  UninstallRecord fresh;
  // A product key that cannot be opened leaves the record empty, and the empty
  // folder below ends the step.
  (void)ReadUninstallRecord(app.ProductKey(), fresh);
  const String folder = RecordFolderPart(fresh.uninstExeDir);
  // A record that names no uninstaller folder gives no place to copy to.
  if (folder.empty()) return false;

  bool ok = true;
  const String self = win::ExecutablePath();
  const String target = folder + kReplacementUninstallerName;
  // Whether the copy arrived is judged by the file and its date stamp below.
  (void)win::CopyFile(self, target, false);
  if (win::FileExists(target)) {
    // A complete copy keeps the original's last-write time.
    if (FileDateStamp(target) != FileDateStamp(self))
      ok = false;
    else
      state.newUninstallerPath = target;
  } else {
    ok = false;
  }

  const String texts = folder + kTextsFolder + u"\\";
  if (!win::DirectoryExists(texts)) ok = false;
  StringList workbooks;
  if (ListFolderEntries(texts, kKindFile, kWorkbookExtension, workbooks, u"") > 0)
    DeleteFolderContents(texts, nullptr, nullptr);
  if (!CopyLanguageFiles(app, texts)) ok = false;
  return ok;
}

void PatchOldUninstallerTexts(const UninstallRecord& record, const String& installedVersion,
                              const ShowMessageFn& showMessage) {
  const String folder = RecordFolderPart(record.uninstExeDir);
  // Without the old uninstaller's folder or its install folder there is
  // nothing to patch and nowhere to patch from.
  if (folder.empty() || record.installDir.empty()) return;
  const String texts = folder + kTextsFolder;
  bool need = false;
  if (win::DirectoryExists(texts)) {
    StringList workbooks;
    need = ListFolderEntries(texts, kKindFile, kWorkbookExtension, workbooks, u"") < 1;
  } else {
    need = true;
    if (!win::CreateDirectory(texts) && showMessage) showMessage(kPatchFolderFailed);
  }
  if (!need) return;
  const String product = win::IncludeTrailingBackslash(record.installDir) + record.product;
  const String source = installedVersion < kPlainTextsFrom ? product + u"\\Data\\RES\\Forms\\Texts\\"
                                                           : product + u"\\Data\\Texts\\";
  String error;
  CopyFolderTreeStopOnError(source, texts + u"\\", nullptr, error, false, u"", nullptr);
  if (!error.empty() && showMessage) showMessage(kPatchFailedPrefix + error);
}

void RemoveOldTraces(const TApp& app, const UninstallRecord& record) {
  // An empty name would be the key's default value or the whole Uninstall
  // key: neither is the old copy's.
  if (!record.execOnBoot.empty()) DeleteUserValue(app.startupKey, false, record.execOnBoot);
  if (!win::ExcludeTrailingBackslash(record.uninstRegFolder).empty())
    DeleteMachineKey(u"", false, app.uninstallKey + record.uninstRegFolder);

  DeleteFileIfNamed(record.linkProgramsExec);
  DeleteFileIfNamed(record.linkProgramUnist);
  DeleteFileIfNamed(record.linkProgramsManual);
  DeleteFileIfNamed(record.linkDesktopExec);

  if (!record.linkProgramsExec.empty()) {
    const String folder = win::ExtractFileDir(record.linkProgramsExec);
    // Removed only when empty: a folder that still holds something stays.
    if (BelowCommonPrograms(folder)) (void)win::RemoveDirectory(folder);
    const String parent = win::ExtractFileDir(folder);
    // A parent that cannot be removed stays; nothing is reported.
    if (BelowCommonPrograms(parent) && win::DirectoryExists(parent) && CountFolderEntries(parent) <= 0)
      (void)win::RemoveDirectory(parent);
  }
  win::SHChangeNotify(win::kShcneAssocChanged, win::kShcnfIdList);

  if (win::ExcludeTrailingBackslash(record.key).empty()) return;
  win::Registry registry(win::kKeyWrite);
  registry.SetRootKey(win::RootKey::LocalMachine);
  // Deleted only when it has no sub-keys; a key that stays is not reported.
  (void)registry.DeleteKey(record.key);
  const String publisher = ParentKey(record.key);
  if (!publisher.empty() && registry.OpenKey(publisher, false) && !registry.HasSubKeys()) {
    registry.CloseKey();
    // A publisher key that cannot be deleted stays; nothing is reported.
    (void)registry.DeleteKey(publisher);
  }
  registry.CloseKey();
}

ReplaceOutcome ReplaceOlderCopy(const TApp& app, const String& installedVersion, OlderCopyState& state,
                                const ShowMessageFn& showMessage, OldUninstallerRun how) {
  const String publisher = app.SetupValue(kKeyPublisher);
  const String registryName = app.SetupValue(kKeyRegFolderName);
  String command = ReadUninstallEntryValue(app, kValueUninstallString);
  // No uninstaller named although a version was found: nothing to run, so
  // the install goes on as a fresh one.
  if (command.empty()) return ReplaceOutcome::kRemoved;

  bool runOld = true;
  const bool old = IsOldRecord(installedVersion, registryName);
  if (registryName == kProductPad && old) {
    if (ReadOlderCopyRecord(app, publisher, registryName, state.record)) {
      RemoveOldTraces(app, state.record);
      runOld = false;
    }
  }
  if (registryName == kProductTonalix && old)
    RunReplacementInstead(app, state, command, showMessage, kTonalixCopyFailed);
  if (registryName == kProductMouse && old) {
    // An unreadable record leaves the product empty, which matches no generation below.
    (void)ReadOlderCopyRecord(app, publisher, registryName, state.record);
    const String& product = state.record.product;
    if (product == kMouseGeneration6) {
      RunReplacementInstead(app, state, command, showMessage, kMouseCopyFailed);
    } else if (product == kMouseGeneration5 || product == kMouseGeneration4 || product == kMouseGeneration3 ||
               product == kMouseGeneration2) {
      RemoveOldTraces(app, state.record);
      runOld = false;
    }
  } else if (registryName == kProductMouse && installedVersion > kPatchAfter && installedVersion < kPatchBefore) {
    // An unreadable record leaves the product empty: nothing is patched.
    (void)ReadOlderCopyRecord(app, publisher, registryName, state.record);
    if (state.record.product == kMouseGeneration6) PatchOldUninstallerTexts(state.record, installedVersion, showMessage);
  }
  if (registryName == kProductKeyboard && old) {
    // An unreadable record leaves the product empty, which matches no generation below.
    (void)ReadOlderCopyRecord(app, publisher, registryName, state.record);
    if (state.record.product == kKeyboardGeneration2) {
      RunReplacementInstead(app, state, command, showMessage, kKeyboardCopyFailed);
    } else if (state.record.product == kKeyboardGeneration1 &&
               ReadOlderCopyRecord(app, publisher, registryName, state.record)) {
      RemoveOldTraces(app, state.record);
      runOld = false;
    }
  }

  if (runOld) {
    command = win::ReplaceAll(command, kUninstallWord,
                              how == OldUninstallerRun::kSilent ? kSilentUninstallWord : kUninstallAnywayWord);
    // A failure to start is not reported: the entry then stays, and the check
    // below ends the program with error 502.
    (void)RunAndWait(command, win::kCreateNewConsole);
    if (!ReadUninstallEntryValue(app, kValueUninstallString).empty()) return ReplaceOutcome::kStillInstalled;
  }
  return ReplaceOutcome::kRemoved;
}
