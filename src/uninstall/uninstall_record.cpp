#include "uninstall/uninstall_record.h"

#include "platform/registry.h"

namespace {

constexpr char16_t kUninstRegFolder[] = u"UninstRegFolder";
constexpr char16_t kUninstExeDir[] = u"UninstExeDir";
constexpr char16_t kUninstOnAppDataDir[] = u"UninstOnAppDataDir";
constexpr char16_t kProduct[] = u"Product";
constexpr char16_t kFormCaption[] = u"FormCaption";
constexpr char16_t kInstallDir[] = u"InstallDir";
constexpr char16_t kExecOnBoot[] = u"ExecOnBoot";
constexpr char16_t kLinkProgramsExec[] = u"LINK_ProgramsExec";
constexpr char16_t kLinkProgramUnist[] = u"LINK_ProgramUnist";
constexpr char16_t kLinkProgramsManual[] = u"LINK_ProgramsManual";
constexpr char16_t kLinkDesktopExec[] = u"LINK_DesktopExec";
constexpr char16_t kOnlineUpdaterDir[] = u"OnlineUpdaterDir";

void Overwrite(String& field, const String& value) {
  if (!value.empty()) field = value;
}

}  // namespace

bool ReadUninstallRecord(const String& productKey, UninstallRecord& record,
                         const std::function<void()>& afterRead) {
  if (productKey.empty()) return false;
  win::Registry registry(win::kKeyRead);
  registry.SetRootKey(win::RootKey::LocalMachine);
  if (!registry.OpenKeyReadOnly(productKey)) return false;
  record.key = productKey;

  auto counted = [&] {
    if (afterRead) afterRead();
  };
  Overwrite(record.uninstRegFolder, registry.ReadString(kUninstRegFolder));
  counted();
  String uninstaller = registry.ReadString(kUninstExeDir);
  if (uninstaller.empty()) uninstaller = registry.ReadString(kUninstOnAppDataDir);
  Overwrite(record.uninstExeDir, uninstaller);
  counted();
  Overwrite(record.product, registry.ReadString(kProduct));
  counted();
  Overwrite(record.formCaption, registry.ReadString(kFormCaption));
  counted();
  Overwrite(record.installDir, registry.ReadString(kInstallDir));
  counted();
  Overwrite(record.execOnBoot, registry.ReadString(kExecOnBoot));
  counted();
  Overwrite(record.linkProgramsExec, registry.ReadString(kLinkProgramsExec));
  counted();
  Overwrite(record.linkProgramUnist, registry.ReadString(kLinkProgramUnist));
  counted();
  Overwrite(record.linkProgramsManual, registry.ReadString(kLinkProgramsManual));
  Overwrite(record.linkDesktopExec, registry.ReadString(kLinkDesktopExec));
  counted();
  Overwrite(record.onlineUpdaterDir, registry.ReadString(kOnlineUpdaterDir));
  counted();
  registry.CloseKey();
  return true;
}
