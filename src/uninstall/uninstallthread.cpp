#include "uninstall/uninstallthread.h"

#include "app/app.h"
#include "app/product_words.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/thread.h"
#include "uninstall/folder_removal.h"
#include "util/xfunctions.h"

namespace {


void DeleteLink(const String& path) {
  if (path.empty()) return;
  win::PausePoint();
  // A shortcut that cannot be deleted stays; the run goes on without a message.
  (void)win::DeleteFile(path);
}

// Whether folder lies strictly below the common Start-menu programs folder:
// only such folders were made by the install, so only they may go.
bool BelowCommonPrograms(const String& folder) {
  const String programs = win::ExcludeTrailingBackslash(SpecialFolderPath(win::kCsidlCommonPrograms));
  if (programs.empty() || folder.size() <= programs.size() + 1) return false;
  return win::StartsWith(win::LowerCase(folder), win::LowerCase(programs) + u"\\");
}

void RemoveLinkFolders(const String& programsLink) {
  if (programsLink.empty()) return;
  const String folder = win::ExtractFileDir(programsLink);
  if (!BelowCommonPrograms(folder)) return;
  win::PausePoint();
  // Removed only when empty: a folder that still holds something stays.
  (void)win::RemoveDirectory(folder);
  const String parent = win::ExtractFileDir(folder);
  // A parent that cannot be removed stays; the run goes on without a message.
  if (BelowCommonPrograms(parent) && win::DirectoryExists(parent) && CountFolderEntries(parent) <= 0)
    (void)win::RemoveDirectory(parent);
}

// The key's parent: the path without its trailing "\" and last component.
String ParentKey(const String& key) {
  const String path = win::ExcludeTrailingBackslash(key);
  const size_t slash = path.rfind(u'\\');
  return slash == String::npos ? String() : path.substr(0, slash);
}

void DeleteProductKey(const String& key) {
  if (win::ExcludeTrailingBackslash(key).empty()) return;
  DeleteMachineKey(u"", false, key);
  const String publisher = ParentKey(key);
  if (publisher.empty()) return;
  win::PausePoint();
  win::Registry registry(win::kKeyWrite);
  registry.SetRootKey(win::RootKey::LocalMachine);
  bool empty = false;
  if (registry.OpenKey(publisher, false)) empty = !registry.HasSubKeys();
  registry.CloseKey();
  if (empty) DeleteMachineKey(u"", false, publisher);
}

}  // namespace

TUninstallThread::TUninstallThread(WorkerOutputs outputs, UninstallRecord record)
    : outputs_(std::move(outputs)), record_(std::move(record)) {}

TUninstallThread::~TUninstallThread() = default;

void TUninstallThread::Execute() { Run(); }

void TUninstallThread::StepDone(const char16_t* status, int progress) {
  outputs_.SetStatus(status);
  outputs_.SetProgress(progress);
  App->log.Write(u"stage: " + String(status));
}

void TUninstallThread::Run() {
  if (App == nullptr) return;  // no application object: nothing to go by
  TApp& app = *App;

  // 1
  outputs_.SetProgress(0);
  const String registryName = app.SetupValue(kKeyRegFolderName);

  // 2: an empty name would be the key's default value, which is not ours.
  if (registryName != kProductEsport && !record_.execOnBoot.empty())
    DeleteUserValue(app.startupKey, false, record_.execOnBoot);
  StepDone(kRemoveRegOnBoot, 20);

  // 3: without a name the key would be the Uninstall key itself.
  if (!win::ExcludeTrailingBackslash(record_.uninstRegFolder).empty())
    DeleteMachineKey(u"", false, app.uninstallKey + record_.uninstRegFolder);
  StepDone(kRemoveRegOnAddRemove, 40);

  // 4
  DeleteLink(record_.linkProgramsExec);
  DeleteLink(record_.linkProgramUnist);
  DeleteLink(record_.linkProgramsManual);
  DeleteLink(record_.linkDesktopExec);
  RemoveLinkFolders(record_.linkProgramsExec);
  win::SHChangeNotify(win::kShcneAssocChanged, win::kShcnfIdList);
  StepDone(kRemoveLinks, 60);

  // 5
  DeleteProductKey(record_.key);
  StepDone(kRemoveRegOnProgramFolder, 80);

  // 6
  if (!record_.installDir.empty())
    RemoveInstallFolder(record_.installDir, FolderRemovalFor(registryName, app.deleteUserData), outputs_);
  StepDone(kRemoveProgramFolder, 100);

  // 7
  app.log.Write(u"uninstall finished");
  // A post fails only without a screen or once its window is gone: then nobody
  // waits for the message.
  (void)win::PostMessage(outputs_.window, win::RegisterWindowMessage(kUninstallFinishedMessage), 0, 0);
}
