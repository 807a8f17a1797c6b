// Shell links on the simulated machine: a link written with any texts reads
// back with the same texts (each up to its first NUL, as the shell takes
// them), and the link reader takes a file of any bytes.
// Input: a mode byte; even: target \0 arguments \0 working folder \0
// description \0 icon file; odd: the bytes of a .lnk file.
#include "fuzz_support.h"
#include "platform/files.h"
#include "platform/shell.h"

namespace {

constexpr char16_t kLink[] = u"C:\\Fuzz\\Program.lnk";

String UpToNul(const String& text) { return text.substr(0, text.find(u'\0')); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A scratch folder that cannot be made fails the checked write of a link into
  // it; Program.exe only lies there as a link's target would, and no check reads it.
  static const bool ready = (fuzz::ScratchMachine(), (void)win::CreateDirectory(u"C:\\Fuzz"),
                             (void)win::WriteFileBytes(u"C:\\Fuzz\\Program.exe", "MZ"), true);
  (void)ready;
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  win::ShellLinkInfo info;
  if (mode & 1) {
    FUZZ_CHECK(win::WriteFileBytes(kLink, std::string(reinterpret_cast<const char*>(data) + 1, size - 1)));
    (void)win::ReadShellLink(kLink, info);
    return 0;
  }

  const std::vector<std::string> f = fuzz::Fields(data + 1, size - 1, 5);
  std::vector<String> t;
  for (const std::string& field : f) t.push_back(fuzz::Text(field));
  const int iconIndex = static_cast<int8_t>(mode) >> 1;
  win::ShellLink link;
  FUZZ_CHECK(link.Create());
  link.SetPath(t[0]);
  link.SetArguments(t[1]);
  link.SetWorkingDirectory(t[2]);
  link.SetDescription(t[3]);
  link.SetIconLocation(t[4], iconIndex);
  if (!link.Save(kLink)) return 0;
  FUZZ_CHECK(win::ReadShellLink(kLink, info));
  FUZZ_CHECK(info.target == UpToNul(t[0]));
  FUZZ_CHECK(info.arguments == UpToNul(t[1]));
  FUZZ_CHECK(info.workingDirectory == UpToNul(t[2]));
  FUZZ_CHECK(info.description == UpToNul(t[3]));
  FUZZ_CHECK(info.iconLocation == UpToNul(t[4]));
  FUZZ_CHECK(info.iconIndex == iconIndex);
  return 0;
}
