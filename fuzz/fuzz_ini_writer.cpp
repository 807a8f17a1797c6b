// The ini writer on an existing file of any bytes: a value it accepts is read
// back by the store, and every other line of the file stays as it was, as does
// the byte-order mark. Input: section \0 key \0 value \0 file bytes.
#include "fuzz_support.h"
#include "platform/files.h"
#include "platform/ini.h"

namespace {

constexpr char16_t kFile[] = u"C:\\Fuzz\\Settings.ini";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A scratch folder that cannot be made fails the ini file's checked write into it.
  static const bool ready = (fuzz::ScratchMachine(), (void)win::CreateDirectory(u"C:\\Fuzz"), true);
  (void)ready;
  const std::vector<std::string> f = fuzz::Fields(data, size, 4);
  const String section = fuzz::Text(f[0]), key = fuzz::Text(f[1]), value = fuzz::Text(f[2]);
  const std::string& before = f[3];
  FUZZ_CHECK(win::WriteFileBytes(kFile, before));

  win::IniFile writer(kFile);
  const bool accepted = writer.WriteString(section, key, value);
  FUZZ_CHECK(writer.UpdateFile());
  std::string after;
  FUZZ_CHECK(win::ReadFileBytes(kFile, after));
  if (!accepted) {
    FUZZ_CHECK(after == before);
    return 0;
  }

  // The byte-order mark and the encoding stay.
  const win::DecodedText old = win::DecodeText(before), now = win::DecodeText(after);
  FUZZ_CHECK(now.encoding == old.encoding);
  FUZZ_CHECK(after.compare(0, old.bomSize, before, 0, old.bomSize) == 0);

  // Every other line stays: the files differ in one changed line, or in the
  // added entry (and its section header).
  const StringList a = win::SplitLines(old.text), b = win::SplitLines(now.text);
  size_t prefix = 0;
  while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix]) ++prefix;
  size_t suffix = 0;
  while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
         a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
    ++suffix;
  const size_t removed = a.size() - prefix - suffix, added = b.size() - prefix - suffix;
  FUZZ_CHECK(removed <= 1);
  FUZZ_CHECK(added <= 2);
  FUZZ_CHECK(removed == 0 || added == 1);
  // Other lines are kept byte for byte, too: the new file is no shorter than
  // the old one without the changed line.
  if (removed == 0 && added > 0) FUZZ_CHECK(after.size() > before.size());

  // The value is read back under the names the writer trimmed.
  win::MemIniFile store(kFile);
  const String* read = store.FindValue(win::Trim(section), win::Trim(key));
  FUZZ_CHECK(read != nullptr);
  FUZZ_CHECK(*read == win::Trim(value));
  return 0;
}
