// The readers of an installed copy's registry record: the installed-copy
// checks and the version decision, and the uninstall record, fed registry
// values of any text and type beside a package version of any text.
// Input: package version \0 registry name \0 UninstRegFolder \0 DisplayVersion
// \0 UninstallString \0 then the uninstall record's values in their order.
#include "app/app.h"
#include "app/installed_copy.h"
#include "app/older_copy.h"
#include "app/uninstall_record.h"
#include "fuzz_support.h"
#include "platform/files.h"
#include "platform/sim/machine.h"
#include "platform/sim/registry_store.h"

namespace {

constexpr char16_t kPackage[] = u"C:\\Package\\";
constexpr char16_t kUninstallEntries[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char16_t* kRecordValues[] = {
    u"UninstExeDir", u"UninstOnAppDataDir", u"Product", u"FormCaption", u"InstallDir", u"ExecOnBoot",
    u"LINK_ProgramsExec", u"LINK_ProgramUnist", u"LINK_ProgramsManual", u"LINK_DesktopExec", u"OnlineUpdaterDir"};

// A value as the registry holds it: "dword:..." and "hex...:" data stand for
// values of other types, "%..." for an expandable string.
sim::RegValue Value(const String& name, const String& data) {
  uint32_t type = sim::kRegSz;
  if (data.rfind(u"dword:", 0) == 0 || data.rfind(u"hex", 0) == 0) type = sim::kRegOther;
  else if (data.rfind(u"%", 0) == 0) type = sim::kRegExpandSz;
  return sim::RegValue{name, type, data};
}

sim::RegKey* KeyAt(sim::RegKey& root, StringView path) {
  sim::RegKey* key = &root;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == StringView::npos) end = path.size();
    if (end > start) key = key->FindOrAdd(path.substr(start, end - start));
    start = end + 1;
  }
  return key;
}

void SetValue(sim::RegKey& key, const sim::RegValue& value) {
  if (sim::RegValue* existing = key.FindValue(value.name)) *existing = value;
  else key.values.push_back(value);
}

bool EndsInSeparatorOrEmpty(const String& s) { return s.empty() || s.back() == u'\\'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A package folder that cannot be made fails the checked write of Setup.ini into it.
  static const bool ready = (fuzz::ScratchMachine(), (void)win::CreateDirectory(u"C:\\Package"),
                             sim::SetExecutablePath(String(kPackage) + u"Setup.exe"), true);
  (void)ready;
  const std::vector<std::string> f = fuzz::Fields(data, size, 5 + std::size(kRecordValues));
  std::vector<String> text;
  for (const std::string& field : f) text.push_back(fuzz::Text(field));
  const String& registryName = text[1];

  // The package: Setup.ini in UTF-8 with its byte-order mark, the two names
  // the record is found by, and the package's version.
  const std::string setup = "\xEF\xBB\xBF[Setup]\r\n%PUBLISHER=Zorvex\r\n%PROGRAM_FILES=Zorvex7\r\n"
                            "%REG_FODLER_PROGNAME=" + f[1] + "\r\n%PROGRAM_VERSION=" + f[0] + "\r\n";
  FUZZ_CHECK(win::WriteFileBytes(String(kPackage) + u"Setup.ini", setup));

  // The machine's registry: the product record and its uninstall entry.
  FUZZ_CHECK(sim::ChangeRegistry([&](sim::RegTree& tree) {
    tree = sim::RegTree();
    sim::RegKey* product = KeyAt(tree.localMachine, u"Software\\Zorvex\\" + registryName);
    SetValue(*product, Value(u"UninstRegFolder", text[2]));
    for (size_t i = 0; i < std::size(kRecordValues); ++i) SetValue(*product, Value(kRecordValues[i], text[5 + i]));
    sim::RegKey* entry = KeyAt(tree.localMachine, String(kUninstallEntries) + u"\\" + text[2]);
    SetValue(*entry, Value(u"DisplayVersion", text[3]));
    SetValue(*entry, Value(u"UninstallString", text[4]));
    return true;
  }));

  TApp app;
  InstalledCopy found;
  int steps = 0;
  if (RunInstalledCopyChecks(app, found, [&] { ++steps; })) {
    FUZZ_CHECK(steps == 4);
    const int32_t runState = DecideRunState(app, found);
    FUZZ_CHECK(runState == 1 || runState == 2 || runState == 4);
    if (runState == 2) {
      const String question = QuestionKey(found);
      FUZZ_CHECK(question == u"MSG_501" || question == u"MSG_503");
    }
    (void)IsOldRecord(found.installedVersion, registryName);
    (void)ReadUninstallEntryValue(app, u"UninstallString");
  }

  UninstallRecord record;
  steps = 0;
  if (ReadProductRecordForUninstall(app, record, [&] { ++steps; })) {
    FUZZ_CHECK(steps == 10);
    FUZZ_CHECK(!record.key.empty());
    for (const String* value : {&record.uninstExeDir, &record.installDir, &record.onlineUpdaterDir,
                                &record.linkProgramsExec, &record.linkDesktopExec})
      FUZZ_CHECK(EndsInSeparatorOrEmpty(RecordFolderPart(*value)));
  } else {
    FUZZ_CHECK(record.key.empty());
  }
  return 0;
}
