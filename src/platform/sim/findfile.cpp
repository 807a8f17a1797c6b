// FindFirstFileW / FindNextFileW on the simulated machine: "." and ".." first
// (not at the drive root), then the entries in NTFS order (ordinal after
// upper-casing), with Windows wildcard rules for the name part.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/files.h"
#include "platform/sim/access.h"
#include "platform/sim/acl_store.h"
#include "platform/sim/machine_internal.h"
#include "platform/sim/tools_internal.h"

namespace sim {

namespace {

bool WildMatch(StringView mask, StringView name) {
  // Iterative "*" and "?" match, letters compared without regard to case.
  size_t m = 0, n = 0, star = StringView::npos, resume = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == u'*') {
      star = m++;
      resume = n;
    } else if (m < mask.size() && (mask[m] == u'?' || win::FoldCase(mask[m]) == win::FoldCase(name[n]))) {
      ++m;
      ++n;
    } else if (star != StringView::npos) {
      m = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == u'*') ++m;
  return m == mask.size();
}

}  // namespace

// Windows name matching: "*.*" is everything, "name.*" also takes "name",
// "*." takes only names without a dot.
bool MatchesMask(StringView mask, StringView name) {
  if (mask == u"*" || mask == u"*.*") return true;
  if (WildMatch(mask, name)) return true;
  if (win::EndsWith(mask, u".*")) return WildMatch(mask.substr(0, mask.size() - 2), name);
  if (!mask.empty() && mask.back() == u'.' && name.find(u'.') == StringView::npos) {
    return WildMatch(mask.substr(0, mask.size() - 1), name);
  }
  return false;
}

}  // namespace sim

namespace win {

struct FindFile::Impl {
  std::vector<FindData> entries;
  size_t next = 0;
};

FindFile::FindFile() = default;
FindFile::~FindFile() = default;

void FindFile::Close() { impl_.reset(); }

bool FindFile::First(const String& pattern, FindData& data) {
  impl_.reset();
  size_t cut = pattern.find_last_of(u"\\/");
  String folder = cut == String::npos ? String() : pattern.substr(0, cut + 1);
  String mask = cut == String::npos ? pattern : pattern.substr(cut + 1);
  if (mask.empty()) {
    SetLastError(kErrorFileNotFound);
    return false;
  }
  if (pattern.size() >= 260 && !StartsWith(pattern, u"\\\\?\\")) {
    SetLastError(kErrorPathNotFound);
    return false;
  }
  sim::ResolvedPath dir;
  uint32_t error = 0;
  if (!sim::ResolvePath(folder, dir, error)) {
    SetLastError(error == kErrorFilenameExcedRange ? kErrorPathNotFound : error);
    return false;
  }
  if (!dir.exists) {
    SetLastError(kErrorPathNotFound);
    return false;
  }
  uint32_t folderAttrs = dir.isRoot ? kFileAttributeDirectory : sim::AttributesOfHost(dir.host);
  if (!(folderAttrs & kFileAttributeDirectory)) {
    SetLastError(kErrorDirectory);
    return false;
  }
  if (!dir.isRoot && !sim::StaysInsideMachine(dir.host)) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  sim::acl::StoreGlance glance;
  if (uint32_t denied = sim::CheckObjectAccess(dir, sim::acl::kRead)) {
    SetLastError(denied);
    return false;
  }
  DIR* d = opendir(dir.host.c_str());
  if (d == nullptr) {
    SetLastError(kErrorPathNotFound);
    return false;
  }
  auto impl = std::make_unique<Impl>();
  std::vector<std::pair<String, FindData>> sorted;
  while (dirent* e = readdir(d)) {
    if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
    FindData entry;
    entry.name = FromUtf8(e->d_name);
    if (!sim::MatchesMask(mask, entry.name)) continue;
    struct stat st;
    if (fstatat(dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone meanwhile
    entry.attributes = sim::AttributesOfStat(dir.host + "/" + e->d_name, st);
    if (entry.attributes == kInvalidFileAttributes) continue;  // gone meanwhile
    if (S_ISREG(st.st_mode)) entry.size = static_cast<uint64_t>(st.st_size);
    sorted.emplace_back(UpperCase(entry.name), entry);
  }
  closedir(d);
  std::sort(sorted.begin(), sorted.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  if (!dir.isRoot) {
    for (const char16_t* dots : {u".", u".."}) {
      if (sim::MatchesMask(mask, dots)) impl->entries.push_back({dots, kFileAttributeDirectory});
    }
  }
  for (auto& s : sorted) impl->entries.push_back(std::move(s.second));
  if (impl->entries.empty()) {
    SetLastError(kErrorFileNotFound);
    return false;
  }
  impl_ = std::move(impl);
  return Next(data);
}

bool FindFile::Next(FindData& data) {
  if (!impl_) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  if (impl_->next >= impl_->entries.size()) {
    SetLastError(kErrorNoMoreFiles);
    return false;
  }
  data = impl_->entries[impl_->next++];
  SetLastError(kErrorSuccess);
  return true;
}

}  // namespace win
