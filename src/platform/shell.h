// Shell services: special folders, the administrator test, change notices,
// opening a file, and shell link (.lnk) objects.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/strings.h"

namespace win {

// The special folders (CSIDL values) the program asks for.
constexpr int kCsidlDesktopDirectory = 0x10;
constexpr int kCsidlCommonPrograms = 0x17;
constexpr int kCsidlCommonDesktopDirectory = 0x19;
constexpr int kCsidlAppData = 0x1A;
constexpr int kCsidlLocalAppData = 0x1C;
constexpr int kCsidlCommonAppData = 0x23;
constexpr int kCsidlWindows = 0x24;
constexpr int kCsidlSystem = 0x25;
constexpr int kCsidlProgramFiles = 0x26;
constexpr int kCsidlProfile = 0x28;
constexpr int kCsidlProgramFilesX86 = 0x2A;
constexpr int kCsidlProgramFilesCommon = 0x2B;
constexpr int kCsidlCommonDocuments = 0x2E;

// SHGetSpecialFolderPathW without creating the folder; "" on failure.
String SHGetSpecialFolderPath(int csidl);

bool IsUserAnAdmin();

constexpr uint32_t kShcneAssocChanged = 0x08000000;
constexpr uint32_t kShcnfIdList = 0x0000;
void SHChangeNotify(uint32_t eventId, uint32_t flags);

constexpr int kSwShowNormal = 1;
// ShellExecuteW(no window, "open", file, parameters, no folder, show).
// True when the system started it (result > 32).
[[nodiscard]] bool ShellExecuteOpen(const String& file, const String& parameters, int show);

// COM shell link object (CLSID_ShellLink with IShellLinkW and IPersistFile).
// Create() is CoInitialize + CoCreateInstance; false when no object exists.
class ShellLink {
 public:
  ShellLink();
  ~ShellLink();
  ShellLink(const ShellLink&) = delete;
  ShellLink& operator=(const ShellLink&) = delete;

  [[nodiscard]] bool Create();
  void SetPath(const String& target);
  void SetDescription(const String& description);
  void SetWorkingDirectory(const String& folder);
  void SetIconLocation(const String& icon, int index);
  void SetArguments(const String& arguments);
  [[nodiscard]] bool Save(const String& linkFile);  // IPersistFile::Save(remember = true)

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Reads back a .lnk file (tests and the machine tool).
struct ShellLinkInfo {
  String target, arguments, workingDirectory, description, iconLocation;
  int iconIndex = 0;
};
[[nodiscard]] bool ReadShellLink(const String& linkFile, ShellLinkInfo& info);

}  // namespace win
