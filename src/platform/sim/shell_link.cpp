// Shell link (.lnk) files in the documented Shell Link binary format, so that
// any reader (the shell, lnkinfo) sees the target, arguments, working folder,
// description and icon:
//
//   ShellLinkHeader (76 bytes)
//   LinkInfo: a VolumeID for a fixed drive C: and the target as local base
//             path, in the ANSI code page and in UTF-16
//   StringData: NAME, WORKING_DIR, COMMAND_LINE_ARGUMENTS, ICON_LOCATION
//             (UTF-16, each only when set)
//   the terminal ExtraData block
#include <sys/stat.h>

#include <cstring>

#include "platform/files.h"
#include "platform/shell.h"
#include "platform/sim/machine.h"
#include "platform/system.h"

namespace win {

namespace {

constexpr uint32_t kHeaderSize = 0x4C;
constexpr uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
// LinkFlags
constexpr uint32_t kHasLinkTargetIdList = 0x1;
constexpr uint32_t kHasLinkInfo = 0x2;
constexpr uint32_t kHasName = 0x4;
constexpr uint32_t kHasRelativePath = 0x8;
constexpr uint32_t kHasWorkingDir = 0x10;
constexpr uint32_t kHasArguments = 0x20;
constexpr uint32_t kHasIconLocation = 0x40;
constexpr uint32_t kIsUnicode = 0x80;
// LinkInfoFlags
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr uint32_t kDriveFixed = 3;
constexpr uint32_t kDriveSerial = 0x5A0C7E11;
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;

void Put16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void Put32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void Put64(std::string& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void Set32(std::string& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutUtf16z(std::string& out, StringView text) {
  for (char16_t c : text) Put16(out, c);
  Put16(out, 0);
}

void PutStringData(std::string& out, StringView text) {
  Put16(out, static_cast<uint16_t>(text.size()));
  for (char16_t c : text) Put16(out, c);
}

uint64_t FileTimeOf(const struct timespec& t) {
  return kUnixEpochAsFileTime + static_cast<uint64_t>(t.tv_sec) * 10000000ULL +
         static_cast<uint64_t>(t.tv_nsec) / 100;
}

std::string LinkInfo(const String& target) {
  // ANSI strings use the system code page; a character it lacks becomes "?",
  // which is why the UTF-16 copy follows.
  std::string ansiPath = EncodeCodePage(target);
  std::string info;
  const uint32_t headerSize = 0x24;
  Put32(info, 0);  // LinkInfoSize, set below
  Put32(info, headerSize);
  Put32(info, kVolumeIdAndLocalBasePath);
  Put32(info, headerSize);  // VolumeIDOffset
  size_t localBasePathOffset = info.size();
  Put32(info, 0);
  Put32(info, 0);  // CommonNetworkRelativeLinkOffset
  size_t commonPathSuffixOffset = info.size();
  Put32(info, 0);
  size_t localBasePathUnicodeOffset = info.size();
  Put32(info, 0);
  size_t commonPathSuffixUnicodeOffset = info.size();
  Put32(info, 0);
  // VolumeID: size, drive type, serial, label offset, empty label.
  Put32(info, 0x11);
  Put32(info, kDriveFixed);
  Put32(info, kDriveSerial);
  Put32(info, 0x10);
  info.push_back('\0');
  Set32(info, localBasePathOffset, static_cast<uint32_t>(info.size()));
  info += ansiPath;
  info.push_back('\0');
  Set32(info, commonPathSuffixOffset, static_cast<uint32_t>(info.size()));
  info.push_back('\0');
  Set32(info, localBasePathUnicodeOffset, static_cast<uint32_t>(info.size()));
  PutUtf16z(info, target);
  Set32(info, commonPathSuffixUnicodeOffset, static_cast<uint32_t>(info.size()));
  PutUtf16z(info, u"");
  Set32(info, 0, static_cast<uint32_t>(info.size()));
  return info;
}

// Little-endian reader that never reads past the end.
class Reader {
 public:
  explicit Reader(const std::string& bytes) : b_(bytes) {}
  bool Has(size_t at, size_t n) const { return at <= b_.size() && n <= b_.size() - at; }
  uint32_t U16(size_t at) const {
    return Has(at, 2) ? static_cast<unsigned char>(b_[at]) | (static_cast<unsigned char>(b_[at + 1]) << 8) : 0;
  }
  uint32_t U32(size_t at) const { return U16(at) | (U16(at + 2) << 16); }
  String Utf16z(size_t at) const {
    String out;
    while (Has(at, 2)) {
      char16_t c = static_cast<char16_t>(U16(at));
      if (c == 0) break;
      out.push_back(c);
      at += 2;
    }
    return out;
  }
  std::string Ansiz(size_t at) const {
    std::string out;
    while (at < b_.size() && b_[at] != '\0') out.push_back(b_[at++]);
    return out;
  }
  const std::string& Bytes() const { return b_; }

 private:
  const std::string& b_;
};

}  // namespace

struct ShellLink::Impl {
  String target, description, workingDirectory, iconLocation, arguments;
  int iconIndex = 0;
};

ShellLink::ShellLink() : impl_(std::make_unique<Impl>()) {}
ShellLink::~ShellLink() = default;

// The object's methods take C strings, as IShellLinkW's do: a text ends at
// its first NUL.
bool ShellLink::Create() { return true; }
void ShellLink::SetPath(const String& target) { impl_->target = target.c_str(); }
void ShellLink::SetDescription(const String& description) { impl_->description = description.c_str(); }
void ShellLink::SetWorkingDirectory(const String& folder) { impl_->workingDirectory = folder.c_str(); }
void ShellLink::SetIconLocation(const String& icon, int index) {
  impl_->iconLocation = icon.c_str();
  impl_->iconIndex = index;
}
void ShellLink::SetArguments(const String& arguments) { impl_->arguments = arguments.c_str(); }

bool ShellLink::Save(const String& linkFile) {
  const Impl& l = *impl_;
  uint32_t flags = kIsUnicode;
  if (!l.target.empty()) flags |= kHasLinkInfo;
  if (!l.description.empty()) flags |= kHasName;
  if (!l.workingDirectory.empty()) flags |= kHasWorkingDir;
  if (!l.arguments.empty()) flags |= kHasArguments;
  if (!l.iconLocation.empty()) flags |= kHasIconLocation;

  // What the target looks like now, as the shell records it.
  uint32_t attributes = 0;
  uint64_t created = 0, accessed = 0, written = 0;
  uint32_t size = 0;
  std::string host;
  uint32_t error = 0;
  struct stat st;
  if (!l.target.empty() && sim::CurrentMachine().HostPath(l.target, host, error) && stat(host.c_str(), &st) == 0) {
    attributes = GetFileAttributes(l.target);
    if (attributes == kInvalidFileAttributes) attributes = 0;
    attributes &= ~kFileAttributeReparsePoint;
    created = FileTimeOf(st.st_ctim);
    accessed = FileTimeOf(st.st_atim);
    written = FileTimeOf(st.st_mtim);
    size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint32_t>(st.st_size);
  }

  std::string out;
  Put32(out, kHeaderSize);
  out.append(reinterpret_cast<const char*>(kLinkClsid), sizeof kLinkClsid);
  Put32(out, flags);
  Put32(out, attributes);
  Put64(out, created);
  Put64(out, accessed);
  Put64(out, written);
  Put32(out, size);
  Put32(out, static_cast<uint32_t>(l.iconIndex));
  Put32(out, kSwShowNormal);
  Put16(out, 0);  // hot key
  Put16(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  if (flags & kHasLinkInfo) out += LinkInfo(l.target);
  if (flags & kHasName) PutStringData(out, l.description);
  if (flags & kHasWorkingDir) PutStringData(out, l.workingDirectory);
  if (flags & kHasArguments) PutStringData(out, l.arguments);
  if (flags & kHasIconLocation) PutStringData(out, l.iconLocation);
  Put32(out, 0);  // terminal block
  return WriteFileBytes(linkFile, out);
}

bool ReadShellLink(const String& linkFile, ShellLinkInfo& info) {
  info = ShellLinkInfo();
  std::string bytes;
  if (!ReadFileBytes(linkFile, bytes)) return false;
  Reader r(bytes);
  if (!r.Has(0, kHeaderSize) || r.U32(0) != kHeaderSize || memcmp(bytes.data() + 4, kLinkClsid, 16) != 0) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  uint32_t flags = r.U32(20);
  info.iconIndex = static_cast<int32_t>(r.U32(56));
  size_t at = kHeaderSize;
  if (flags & kHasLinkTargetIdList) at += 2 + r.U16(at);
  if (flags & kHasLinkInfo) {
    uint32_t infoSize = r.U32(at);
    uint32_t headerSize = r.U32(at + 4);
    uint32_t infoFlags = r.U32(at + 8);
    if (!r.Has(at, infoSize) || infoSize < 0x1C) {
      SetLastError(kErrorInvalidParameter);
      return false;
    }
    if (infoFlags & kVolumeIdAndLocalBasePath) {
      uint32_t unicodeOffset = headerSize >= 0x24 ? r.U32(at + 28) : 0;
      uint32_t unicodeSuffix = headerSize >= 0x24 ? r.U32(at + 32) : 0;
      if (unicodeOffset != 0 && unicodeOffset < infoSize) {
        info.target = r.Utf16z(at + unicodeOffset);
        if (unicodeSuffix != 0 && unicodeSuffix < infoSize) info.target += r.Utf16z(at + unicodeSuffix);
      } else {
        uint32_t base = r.U32(at + 16), suffix = r.U32(at + 24);
        if (base < infoSize) info.target = DecodeCodePage(r.Ansiz(at + base));
        if (suffix != 0 && suffix < infoSize) info.target += DecodeCodePage(r.Ansiz(at + suffix));
      }
    }
    at += infoSize;
  }
  bool unicode = flags & kIsUnicode;
  auto next = [&](String& field) {
    uint32_t count = r.U16(at);
    size_t length = unicode ? count * 2u : count;
    if (!r.Has(at + 2, length)) return false;
    if (unicode) {
      field.clear();
      for (uint32_t i = 0; i < count; ++i) field.push_back(static_cast<char16_t>(r.U16(at + 2 + 2 * i)));
    } else {
      field = DecodeCodePage(std::string_view(bytes).substr(at + 2, count));
    }
    at += 2 + length;
    return true;
  };
  String relativePath;
  bool complete = (!(flags & kHasName) || next(info.description)) &&
                  (!(flags & kHasRelativePath) || next(relativePath)) &&
                  (!(flags & kHasWorkingDir) || next(info.workingDirectory)) &&
                  (!(flags & kHasArguments) || next(info.arguments)) &&
                  (!(flags & kHasIconLocation) || next(info.iconLocation));
  if (!complete) {
    SetLastError(kErrorInvalidParameter);  // a truncated file
    return false;
  }
  if (info.target.empty()) info.target = relativePath;
  SetLastError(kErrorSuccess);
  return true;
}

}  // namespace win
