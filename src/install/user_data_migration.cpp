#include "install/user_data_migration.h"

#include <algorithm>
#include <functional>

#include "app/folder_guard.h"
#include "app/product_words.h"
#include "install/folder_rights.h"
#include "platform/files.h"
#include "platform/thread.h"
#include "util/xfunctions.h"

namespace {

constexpr int32_t kMouseLowestOld = 3;
constexpr int32_t kKeyboardLowestOld = 1;
// Carried over in this order.
constexpr const char16_t* kLanguageFolders[] = {u"ChineseT\\", u"ChineseS\\", u"English\\"};
// The gun macro libraries of Zorvex3 and Zorvex4, in this order.
constexpr const char16_t* kGunLibraryLanguages[] = {u"ChineseS", u"ChineseT", u"English"};
constexpr char16_t kOldDeviceLocation[] = u"\\Data\\RES\\";
constexpr char16_t kUserLog[] = u"\\UserLog\\";

struct Migration {
  const char16_t* prefix;
  int32_t lowestOld;
  bool mouse;
};

// The decimal number of a name that is exactly prefix + digits (letter case of
// the prefix aside, as folder names compare), such as "Zorvex6" -> 6.
bool VersionOfFolder(const String& name, const String& prefix, int32_t& number) {
  if (name.size() <= prefix.size() || !win::SameText(StringView(name).substr(0, prefix.size()), prefix))
    return false;
  const String digits = name.substr(prefix.size());
  if (digits.size() > 9 || (digits.size() > 1 && digits[0] == u'0')) return false;
  for (char16_t c : digits)
    if (c < u'0' || c > u'9') return false;
  return win::TryStrToInt(digits, number);
}

// The old versions below newVersion that lie in the Program Files folder,
// newest first. The same order the program has always searched in (N from
// newVersion - 1 down), but bounded by what is on the disk, whatever number the
// package names.
std::vector<int32_t> OldVersionsOnDisk(const String& programFiles, const Migration& m,
                                       int32_t newVersion) {
  StringList folders;
  ListFolderEntries(programFiles, u"Folder", u"", folders, u"");
  std::vector<int32_t> versions;
  for (const String& name : folders) {
    int32_t n = 0;
    if (VersionOfFolder(name, m.prefix, n) && n >= m.lowestOld && n < newVersion) versions.push_back(n);
  }
  std::sort(versions.begin(), versions.end(), std::greater<int32_t>());
  versions.erase(std::unique(versions.begin(), versions.end()), versions.end());
  return versions;
}

// Copies a tree, old version's into the new one's, unless either lies behind a
// junction or symbolic link.
void CarryOver(const TApp& app, const String& from, const String& to) {
  if (!FolderUsable(app, from) || !FolderUsable(app, to)) return;
  CopyFolderTree(from, to, nullptr, true, u"", nullptr);
}

void CopyGunLibraries(const TApp& app, const String& oldRoot, const String& old, int32_t n,
                      const String& newProgram, const String& device) {
  for (const char16_t* language : kGunLibraryLanguages) {
    const String from = oldRoot + u"\\" + old + u"\\Data\\" + kMouseGenerationPrefix + win::IntToStr(n) + u"\\" + language +
                        u"\\ScriptsMacros\\MacroGunLibrary\\";
    const String to = newProgram + u"\\" + device + language + u"\\ScriptsMacros\\GunLib\\";
    CarryOver(app, from, to);
  }
}

void CopyDeviceData(const String& oldProgram, const String& newProgram, const String& device,
                    const InstallContext& ctx) {
  String source = oldProgram + u"\\" + device;
  if (!win::DirectoryExists(source)) source = oldProgram + kOldDeviceLocation;
  for (const char16_t* language : kLanguageFolders) {
    const String target = newProgram + u"\\" + device + language;
    CarryOver(ctx.app, source + language, target);
    ApplyFolderRights(FolderRightsVariant::kWithProgress, target, ctx);
  }
}

void CopyUserLogs(const String& oldProgram, const String& newProgram, const InstallContext& ctx) {
  const String oldLogs = oldProgram + kUserLog;
  if (!win::DirectoryExists(oldLogs)) return;
  const String target = newProgram + kUserLog;
  if (!FolderUsable(ctx.app, oldLogs) || !FolderUsable(ctx.app, target)) return;
  win::PausePoint();
  // A folder that cannot be made takes no logs; nothing is reported.
  if (!win::DirectoryExists(target)) (void)win::CreateDirectory(target);
  CopyFolderTree(oldLogs, target, nullptr, true, u"", nullptr);
  ApplyFolderRights(FolderRightsVariant::kWithProgress, target, ctx);
}

void WriteMarker(const String& marker) {
  win::PausePoint();
  // An empty text list saved as a file. Nothing is reported when it cannot be
  // written: a later install carries over again, which only fills in what is missing.
  (void)win::WriteFileBytes(marker, std::string());
}

void Migrate(const InstallContext& ctx, const Migration& m) {
  const String name = ctx.Setup(kKeyProgramFiles);
  // The first keyboard version was installed as "Vantorix"; it carries nothing.
  if (!m.mouse && name == kKeyboardGenerationPrefix) return;
  int32_t newVersion = 0;
  if (!win::TryStrToInt(win::ReplaceAll(name, m.prefix, u""), newVersion)) return;

  const String programFiles = ctx.app.programFilesFolder;
  const String newProgram = programFiles + u"\\" + name + u"\\" + name;
  const String marker = programFiles + u"\\" + name + u"\\" + kMigrationMarker;
  // The marker and every copy go into the new install root: never through a link.
  if (!FolderUsable(ctx.app, newProgram)) return;

  for (int32_t n : OldVersionsOnDisk(programFiles, m, newVersion)) {
    const String old = String(m.prefix) + win::IntToStr(n);
    const String oldRoot = programFiles + u"\\" + old;
    if (!win::DirectoryExists(oldRoot)) continue;
    // Only one older version is ever carried over.
    if (win::FileExists(marker)) return;
    const String device = ctx.Setup(kKeyProgramDevice);
    const String oldProgram = oldRoot + u"\\" + old;
    if (m.mouse && (n == 3 || n == 4) && name == kMouseGeneration5) {
      CopyGunLibraries(ctx.app, oldRoot, old, n, newProgram, device);
    } else {
      CopyDeviceData(oldProgram, newProgram, device, ctx);
      CopyUserLogs(oldProgram, newProgram, ctx);
    }
    WriteMarker(marker);
  }
}

}  // namespace

void MigrateMouseUserData(const InstallContext& ctx) {
  Migrate(ctx, Migration{kMouseGenerationPrefix, kMouseLowestOld, true});
}

void MigrateKeyboardUserData(const InstallContext& ctx) {
  Migrate(ctx, Migration{kKeyboardGenerationPrefix, kKeyboardLowestOld, false});
}
