#include "install/registry_entries.h"

#include <cstdio>

#include "install/status_texts.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/thread.h"
#include "util/xfunctions.h"

namespace {

constexpr char16_t kUninstallArgument[] = u" uninstall";
constexpr char16_t kQuietUninstallArgument[] = u" silentuninstall";
constexpr char16_t kStartupArgument[] = u" Minimum";
constexpr char16_t kManualPresent[] = u"1";

String Quoted(const String& path) { return u"\"" + path + u"\""; }

// One key opened for writing, created when missing, as the toolkit's registry
// object does it: created with read access, switched to write access.
class WritableKey {
 public:
  WritableKey(win::RootKey root, const String& key) : registry_(win::kKeyRead) {
    registry_.SetRootKey(root);
    registry_.SetAccess(win::kKeyWrite);
    win::PausePoint();
    open_ = registry_.OpenKey(key, true);
  }
  ~WritableKey() { registry_.CloseKey(); }

  bool IsOpen() const { return open_; }
  // A value is written unless a sub-key of the same name is in the way.
  void Write(const String& name, const String& value) {
    win::PausePoint();
    if (registry_.KeyExists(name)) return;
    // A failed write leaves that value out; nothing is reported.
    (void)registry_.WriteString(name, value);
  }
  void Write(const String& name, uint32_t value) {
    win::PausePoint();
    if (registry_.KeyExists(name)) return;
    // A failed write leaves that value out; nothing is reported.
    (void)registry_.WriteInteger(name, value);
  }
  bool SubKeyExists(const String& name) { return registry_.KeyExists(name); }
  void WriteAlways(const String& name, const String& value) {
    win::PausePoint();
    // A failed write leaves that value out; nothing is reported.
    (void)registry_.WriteString(name, value);
  }

 private:
  win::Registry registry_;
  bool open_ = false;
};

// The local date as Windows' settings page reads InstallDate: yyyyMMdd.
String InstallDate() {
  const win::SystemTime today = win::GetLocalTime();
  char text[16];
  std::snprintf(text, sizeof text, "%04u%02u%02u", today.year, today.month, today.day);
  return win::FromUtf8(text);
}

// Kilobytes, rounded up, as the size column of the installed programs shows.
uint32_t KilobytesOf(uint64_t bytes) {
  const uint64_t kilobytes = (bytes + 1023) / 1024;
  return kilobytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(kilobytes);
}

}  // namespace

void WriteUninstallEntry(const InstallContext& ctx) {
  const String registryName = ctx.Setup(kKeyRegFolderName);
  // Without a name the key would be the Uninstall key itself: nothing is
  // written there.
  if (registryName.empty()) {
    ctx.out.SetStatus(ctx.Text(kWriteRegOnUninstallFolder));
    return;
  }
  WritableKey key(win::RootKey::LocalMachine, ctx.app.uninstallKey + registryName);
  if (!key.IsOpen()) return;
  ctx.out.SetStatus(ctx.Text(kWriteRegOnUninstallFolder));
  key.Write(kValueDisplayName, ctx.UninstallText(kTextDisplayName));
  key.Write(kValueUninstallString, Quoted(ctx.app.uninstallerExecPath) + kUninstallArgument);
  key.Write(kValueDisplayIcon, ctx.app.programExecPath);
  key.Write(kValueDisplayVersion, ctx.Setup(kKeyProgramVersion));
  key.Write(kValuePublisher, ctx.UninstallText(kTextPublisher));
  key.Write(kValueUrlInfoAbout, ctx.UninstallText(kTextUrl));
  // What deployment tools and the settings page read besides.
  key.Write(kValueInstallLocation, ctx.app.installRootFolder);
  key.Write(kValueEstimatedSize, KilobytesOf(FolderTreeBytes(ctx.app.programFolder)));
  key.Write(kValueQuietUninstallString, Quoted(ctx.app.uninstallerExecPath) + kQuietUninstallArgument);
  key.Write(kValueNoModify, 1u);
  key.Write(kValueNoRepair, 1u);
  key.Write(kValueInstallDate, InstallDate());
}

void WriteStartupEntry(const InstallContext& ctx) {
  WritableKey key(win::RootKey::CurrentUser, ctx.app.startupKey);
  if (!key.IsOpen()) return;
  ctx.out.SetStatus(ctx.Text(kWriteRegOnBootName));
  const String valueName = ctx.Setup(kKeyProgramOnBoot);
  if (valueName.empty()) return;
  key.Write(valueName, Quoted(ctx.app.programExecPath) + kStartupArgument);
}

void WriteProductRecord(const InstallContext& ctx) {
  const String keyName = ExpandKeyTemplate(ctx.reader, kSetupSection, ctx.app.productKeyTemplate, u"",
                                           u"", kKeyRegFolderName, kKeyPublisher);
  if (keyName.empty()) {
    // An empty name would open the hive root: nothing is written there.
    ctx.out.SetStatus(ctx.Text(kWriteRegOnPrivateFolder));
    return;
  }
  WritableKey key(win::RootKey::LocalMachine, keyName);
  if (!key.IsOpen()) return;
  ctx.out.SetStatus(ctx.Text(kWriteRegOnPrivateFolder));
  const TApp& app = ctx.app;
  if (!(key.SubKeyExists(kValueUninstExeDir) && key.SubKeyExists(kValueUninstOnAppDataDir)))
    key.WriteAlways(kValueUninstExeDir, app.uninstallerExecPath);
  key.Write(kValueProduct, ctx.Setup(kKeyProgramFiles));
  key.Write(kValueFormCaption, ctx.Setup(kKeyProgramFormCaption));
  key.Write(kValueInstallDir, app.installRootFolder);
  key.Write(kValueExecOnBoot, ctx.Setup(kKeyProgramOnBoot));
  key.Write(kValueUninstRegFolder, ctx.Setup(kKeyRegFolderName));
  key.Write(kValueLinkProgramsExec, app.programsLinkPath);
  key.Write(kValueLinkProgramUnist, app.uninstallLinkPath);
  if (ctx.Setup(kKeyManualExist) == kManualPresent) key.Write(kValueLinkProgramsManual, app.manualLinkPath);
  key.Write(kValueLinkDesktopExec, app.desktopLinkPath);
}
