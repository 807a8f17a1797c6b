// Replacing an installed copy of the same or an older version: normally by
// running that copy's own uninstaller with "uninstallanyway" and waiting for
// it; for some older product records by removing its traces here, by putting
// this program in place of the old uninstaller, or by giving the old
// uninstaller the language files it lacks.
#pragma once

#include <functional>

#include "app/app.h"
#include "app/product_words.h"
#include "app/uninstall_record.h"
#include "platform/strings.h"

// The name this program takes in an old uninstaller's folder.
inline constexpr char16_t kReplacementUninstallerName[] = u"Setup_20171013.exe";

// Messages for the developers (fixed texts, not translated).
// The product-specific ones are in app/product_words.h.
inline constexpr char16_t kPatchFolderFailed[] = u"無法補丁 : 文字檔資料夾建立失敗.(001)";
inline constexpr char16_t kPatchFailedPrefix[] = u"無法補丁 : ";

using ShowMessageFn = std::function<void(const String& text)>;

// What the replacement leaves in the start-up controller.
struct OlderCopyState {
  UninstallRecord record;     // the older copy's product record, when read
  String newUninstallerPath;  // this program's copy in the old uninstaller's folder
};

// How an older copy's own uninstaller runs: with its screens
// ("uninstallanyway": no question, its progress and finish screens) or, for a
// silent install, with none ("silentuninstall").
enum class OldUninstallerRun { kWithScreens, kSilent };

enum class ReplaceOutcome {
  kRemoved,         // go on as a fresh install
  kStillInstalled,  // the old uninstaller left its entry behind (error 502)
};

// Whether the installed version of product `registryName` is one of the old
// generations that need special handling.
bool IsOldRecord(const String& installedVersion, const String& registryName);

// The last-write time of a file as "yy.mmdd" in UTC ("17.1013"); "" when it
// cannot be read.
String FileDateStamp(const String& path);

// The folder part of a record value: the value itself when it ends in "\" or
// names an existing folder, else everything up to and including its last "\".
// Always ends in "\" unless empty.
String RecordFolderPart(const String& value);

// Removes the older copy; runs on the user-interface thread, which waits
// while an old uninstaller runs. Developer messages go to showMessage.
ReplaceOutcome ReplaceOlderCopy(const TApp& app, const String& installedVersion, OlderCopyState& state,
                                const ShowMessageFn& showMessage,
                                OldUninstallerRun how = OldUninstallerRun::kWithScreens);

// The pieces, for tests.
[[nodiscard]] bool ReadOlderCopyRecord(const TApp& app, const String& publisher, const String& registryName,
                                       UninstallRecord& record);
[[nodiscard]] bool CopyLanguageFiles(const TApp& app, const String& destination);
[[nodiscard]] bool PutSetupInPlaceOfOldUninstaller(const TApp& app, OlderCopyState& state);
void PatchOldUninstallerTexts(const UninstallRecord& record, const String& installedVersion,
                              const ShowMessageFn& showMessage);
void RemoveOldTraces(const TApp& app, const UninstallRecord& record);
