#include "app/folder_guard.h"

#include "platform/shell.h"
#include "platform/system.h"
#include "util/folder_links.h"
#include "util/xfunctions.h"

namespace {

bool IsBelow(const String& folder, const String& base) {
  const String prefix = win::IncludeTrailingBackslash(base);
  return !base.empty() && folder.size() > prefix.size() &&
         win::SameText(StringView(folder).substr(0, prefix.size()), prefix);
}

}  // namespace

String LinkCheckBase(const TApp& app, const String& folder) {
  if (IsBelow(folder, app.programFilesFolder)) return app.programFilesFolder;
  const String commonAppData = win::ExcludeTrailingBackslash(SpecialFolderPath(win::kCsidlCommonAppData));
  if (IsBelow(folder, commonAppData)) return commonAppData;
  return String();  // anywhere else the whole way up to the drive is checked
}

bool FolderUsable(const TApp& app, const String& folder, String* refusal) {
  const String link = LinkOnFolderChain(folder, LinkCheckBase(app, folder));
  if (link.empty()) return true;
  const String text = LinkedFolderRefusal(folder, link);
  win::OutputDebugString(text);
  if (refusal) *refusal = text;
  return false;
}
