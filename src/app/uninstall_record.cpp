#include "app/uninstall_record.h"

#include "app/record_names.h"
#include "platform/registry.h"

namespace {

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
  Overwrite(record.uninstRegFolder, registry.ReadString(kValueUninstRegFolder));
  counted();
  String uninstaller = registry.ReadString(kValueUninstExeDir);
  if (uninstaller.empty()) uninstaller = registry.ReadString(kValueUninstOnAppDataDir);
  Overwrite(record.uninstExeDir, uninstaller);
  counted();
  Overwrite(record.product, registry.ReadString(kValueProduct));
  counted();
  Overwrite(record.formCaption, registry.ReadString(kValueFormCaption));
  counted();
  Overwrite(record.installDir, registry.ReadString(kValueInstallDir));
  counted();
  Overwrite(record.execOnBoot, registry.ReadString(kValueExecOnBoot));
  counted();
  Overwrite(record.linkProgramsExec, registry.ReadString(kValueLinkProgramsExec));
  counted();
  Overwrite(record.linkProgramUnist, registry.ReadString(kValueLinkProgramUnist));
  counted();
  Overwrite(record.linkProgramsManual, registry.ReadString(kValueLinkProgramsManual));
  Overwrite(record.linkDesktopExec, registry.ReadString(kValueLinkDesktopExec));
  counted();
  Overwrite(record.onlineUpdaterDir, registry.ReadString(kValueOnlineUpdaterDir));
  counted();
  registry.CloseKey();
  return true;
}
