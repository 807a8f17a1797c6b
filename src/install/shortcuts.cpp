#include "install/shortcuts.h"

#include "install/status_texts.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/thread.h"
#include "util/xfunctions.h"

namespace {

constexpr char16_t kLinkExtension[] = u".lnk";
constexpr char16_t kUninstallArgument[] = u"uninstall";
constexpr char16_t kManualExtension[] = u".pdf";
constexpr char16_t kManualPresent[] = u"1";

// Creates one shortcut; its path when the link object existed, "" otherwise.
String MakeLink(const String& file, const String& target, const String& description,
                const String& arguments, const String& icon, const char16_t* trace) {
  const String recorded = CreateShellLink(file, target, description, arguments, icon) ? file : String();
  win::OutputDebugString(String(trace) + file);
  return recorded;
}

void AddFolder(String& folder, const String& name) {
  if (name.empty()) return;
  folder += u"\\" + name;
  win::PausePoint();
  // One level; an existing folder is fine, and one that cannot be made makes
  // the saves into it fail, which is not reported either.
  (void)win::CreateDirectory(folder);
}

}  // namespace

void CreateShortcuts(const InstallContext& ctx, const String& publisherFolder,
                     const String& programsFolder) {
  TApp& app = ctx.app;
  ctx.out.SetStatus(ctx.Text(kCreateLinks));

  String menu = SpecialFolderPath(win::kCsidlCommonPrograms);
  AddFolder(menu, publisherFolder);
  AddFolder(menu, programsFolder);

  const String programsName = ctx.UninstallText(kTextProgramsExec);
  app.programsLinkPath = MakeLink(menu + u"\\" + programsName + kLinkExtension, app.programExecPath,
                                  app.productName, u"", app.programExecPath, u"Link1 : ");

  const String uninstallName = ctx.UninstallText(kTextProgramsUninstall);
  app.uninstallLinkPath =
      MakeLink(menu + u"\\" + uninstallName + kLinkExtension, app.uninstallerExecPath, uninstallName,
               kUninstallArgument, app.programFolder + u"\\" + ctx.Setup(kKeyUninstallIcon), u"Link2 : ");

  if (ctx.Setup(kKeyManualExist) == kManualPresent) {
    const String manualName = ctx.UninstallText(kTextProgramsManual);
    const String manual =
        app.programFolder + u"\\" + ctx.Setup(kKeyManualDir) + app.languageName + kManualExtension;
    app.manualLinkPath = MakeLink(menu + u"\\" + manualName + kLinkExtension, manual, manualName, u"",
                                  app.programFolder + u"\\" + ctx.Setup(kKeyManualIcon), u"Link3 : ");
  }

  const String desktop = SpecialFolderPath(win::kCsidlCommonDesktopDirectory);
  app.desktopLinkPath =
      MakeLink(desktop + u"\\" + ctx.UninstallText(kTextDesktop) + kLinkExtension, app.programExecPath,
               app.productName, u"", app.programExecPath, u"Link4 : ");
}
