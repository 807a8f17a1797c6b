// winsim reg, files and log: what is on a machine, as text.
#include <sys/stat.h>

#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/files.h"
#include "platform/sim/machine.h"
#include "winsim.h"

namespace winsim {

namespace {

constexpr char kRegHeader[] = "Windows Registry Editor Version 5.00";

bool ReadHostFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  bytes = all.str();
  return true;
}

// "RHSAC": read-only, hidden, system, archive, compressed; "-" where not set.
std::string AttributeLetters(uint32_t attributes) {
  const struct {
    uint32_t bit;
    char letter;
  } kLetters[] = {{win::kFileAttributeReadOnly, 'R'},
                  {win::kFileAttributeHidden, 'H'},
                  {win::kFileAttributeSystem, 'S'},
                  {win::kFileAttributeArchive, 'A'},
                  {win::kFileAttributeCompressed, 'C'}};
  std::string out;
  for (const auto& l : kLetters) out.push_back((attributes & l.bit) ? l.letter : '-');
  return out;
}

// One line: attributes, last-write time (UTC), size or <DIR> / <LINK>, path.
void PrintEntry(const String& windowsPath, uint32_t attributes) {
  std::string host;
  uint32_t error = 0;
  struct stat st {};
  if (sim::CurrentMachine().HostPath(windowsPath, host, error)) lstat(host.c_str(), &st);
  char when[32] = "unknown time    ";
  std::tm tm {};
  time_t mtime = st.st_mtime;
  if (gmtime_r(&mtime, &tm)) strftime(when, sizeof when, "%Y-%m-%d %H:%M", &tm);
  std::string size;
  if (attributes & win::kFileAttributeReparsePoint) {
    size = "<LINK>";
  } else if (attributes & win::kFileAttributeDirectory) {
    size = "<DIR>";
  } else {
    size = std::to_string(static_cast<long long>(st.st_size));
  }
  char line[96];
  snprintf(line, sizeof line, "%s %s %12s  ", AttributeLetters(attributes).c_str(), when, size.c_str());
  std::cout << line << win::ToUtf8(windowsPath) << "\n";
}

// Depth first, in the order the folder lists its entries; links are shown,
// not entered.
void ListFolder(const String& folder) {
  win::FindFile find;
  win::FindData data;
  String prefix = win::IncludeTrailingBackslash(folder);
  for (bool more = find.First(prefix + u"*", data); more; more = find.Next(data)) {
    if (data.name == u"." || data.name == u"..") continue;
    String path = prefix + data.name;
    PrintEntry(path, data.attributes);
    if ((data.attributes & win::kFileAttributeDirectory) && !(data.attributes & win::kFileAttributeReparsePoint)) {
      ListFolder(path);
    }
  }
}

}  // namespace

int ShowRegistry(const std::string& dir) {
  std::string bytes;
  if (!ReadHostFile(dir + "/registry.reg", bytes)) return Fail("damaged machine at " + dir + ": no registry.reg");
  if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
      static_cast<unsigned char>(bytes[1]) != 0xFE || bytes.size() % 2 != 0) {
    return Fail("damaged registry store " + dir + "/registry.reg: not UTF-16LE text with a byte-order mark");
  }
  String text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  if (!win::StartsWith(text, win::FromUtf8(kRegHeader))) {
    return Fail("damaged registry store " + dir + "/registry.reg: the export header is missing");
  }
  std::cout << win::ToUtf8(win::ReplaceAll(text, u"\r\n", u"\n"));
  return 0;
}

int ShowFiles(const std::string& /*dir*/, const std::string& windowsPath) {
  String path = win::FromUtf8(windowsPath);
  std::string host;
  uint32_t error = 0;
  if (!sim::CurrentMachine().HostPath(path, host, error)) {
    return Fail("files: path outside the machine: " + windowsPath);
  }
  uint32_t attributes = win::GetFileAttributes(path);
  if (attributes == win::kInvalidFileAttributes) return Fail("files: no such file or folder: " + windowsPath);
  String spelled = sim::CurrentMachine().WindowsPath(host);  // the names as they are on disk
  if (!spelled.empty()) path = spelled;
  bool root = win::ExcludeTrailingBackslash(path).size() <= 2;
  if (!root) PrintEntry(win::ExcludeTrailingBackslash(path), attributes);
  if ((attributes & win::kFileAttributeDirectory) && !(attributes & win::kFileAttributeReparsePoint)) {
    ListFolder(root ? String(u"C:\\") : win::ExcludeTrailingBackslash(path));
  }
  return 0;
}

int ShowLog(const std::string& dir) {
  std::string bytes;
  ReadHostFile(dir + "/tools.log", bytes);  // no log yet: nothing happened
  std::cout << bytes;
  return 0;
}

}  // namespace winsim
