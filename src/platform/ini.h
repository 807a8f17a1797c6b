// Ini files: the in-memory store the program reads its settings files with, and
// the writer that changes one value of an existing file in place.
//
// Reading rules of the store (Setup.ini, Settings.ini, UI.txt):
// - the text is decoded by its byte-order mark (UTF-8, UTF-16 LE or BE); a file
//   without one is read in the machine's ANSI code page;
// - every line is trimmed; empty lines and lines starting with ";" are skipped;
// - "[name]" opens a section (name trimmed); lines before the first section are
//   ignored;
// - a line with "=" is split at the first "=" into a trimmed key and value; a
//   line without "=" is kept as it stands, is never found as a key and shows up
//   only when the whole section is listed;
// - section and key names compare without regard to case; when a section or a
//   key occurs twice, the first occurrence is the one read (as the Windows
//   profile functions do); values are used exactly as stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/strings.h"

namespace win {

// How a text file is stored. A file without a byte-order mark is Ansi.
enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

struct DecodedText {
  String text;
  TextEncoding encoding = TextEncoding::Ansi;
  size_t bomSize = 0;  // bytes of the byte-order mark at the start (0 for Ansi)
};

// Decodes file bytes by their byte-order mark; without one, in the machine's
// ANSI code page. A dangling odd byte of a UTF-16 file is dropped.
DecodedText DecodeText(std::string_view bytes);
// Encodes text (without a byte-order mark) in an encoding.
std::string EncodeText(StringView text, TextEncoding encoding);
// Cuts text into lines at CR LF, a lone LF or a lone CR. A final line break
// does not start an extra empty line.
StringList SplitLines(StringView text);

// Hash and equality of names compared without regard to case (SameText);
// transparent, so a lookup by StringView makes no copy.
struct NameHash {
  using is_transparent = void;
  size_t operator()(StringView name) const noexcept;
};
struct NameEqual {
  using is_transparent = void;
  bool operator()(StringView a, StringView b) const noexcept { return SameText(a, b); }
};
template <typename T>
using NameMap = std::unordered_map<String, T, NameHash, NameEqual>;

// In-memory ini store (the toolkit's TMemIniFile).
class MemIniFile {
 public:
  MemIniFile();  // empty store
  // Loads a file by the reading rules above; a missing or unreadable file
  // gives an empty store.
  explicit MemIniFile(const String& fileName);
  ~MemIniFile();
  MemIniFile(const MemIniFile&) = delete;
  MemIniFile& operator=(const MemIniFile&) = delete;

  // Replaces the contents by a file's; false (store empty) when it cannot be read.
  [[nodiscard]] bool LoadFromFile(const String& fileName);
  // Replaces the contents by ini text parsed with the reading rules.
  void LoadFromText(StringView text);
  void Clear();
  const String& FileName() const { return fileName_; }

  String ReadString(StringView section, StringView key, StringView defaultValue) const;
  // The stored value, or null when the key is missing (no copy is made).
  const String* FindValue(StringView section, StringView key) const;
  bool SectionExists(StringView section) const;
  bool ValueExists(StringView section, StringView key) const;
  // Section names in file order (each name once).
  void ReadSections(StringList& sections) const;
  // Key names of the section's "key=value" lines, in file order.
  void ReadSection(StringView section, StringList& keys) const;
  // Every line of the section in file order: "key=value" for entries, lines
  // without "=" as they stand.
  void ReadSectionValues(StringView section, StringList& lines) const;

  // In memory only: sets the value of the first entry of that key in the first
  // section of that name, or appends the entry (and the section) when new.
  void WriteString(StringView section, StringView key, StringView value);

 private:
  struct Entry {
    String key;    // the whole line for a line without "="
    String value;
    bool hasEquals = true;
  };
  struct Section {
    String name;
    std::vector<Entry> entries;
    NameMap<size_t> keyIndex;  // key -> its first entry
  };

  Section* FindSection(StringView section);
  const Section* FindSection(StringView section) const;
  Section& AddSection(StringView section);
  static void AddEntry(Section& section, Entry entry);

  String fileName_;
  std::vector<Section> sections_;
  NameMap<size_t> sectionIndex_;  // name -> its first section
};

// Writes single values into an ini file (the toolkit's TIniFile WriteString +
// UpdateFile). The file's other lines are kept byte for byte, as are its
// encoding, its byte-order mark and its line breaks (a dangling odd byte at the
// end of a UTF-16 file, which is no character, is left out). A value goes into the first
// section of that name (replacing the first entry of the key, or appended after
// the section's last line); a new section is appended at the end of the file.
// A missing file is created (ANSI, or UTF-16 LE with a byte-order mark when the
// text does not fit the ANSI code page).
class IniFile {
 public:
  explicit IniFile(const String& fileName);
  ~IniFile();
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  const String& FileName() const { return fileName_; }
  // Changes the value in memory. False (nothing changed) when the names or the
  // value contain a line break, the key is empty or holds "=", the entry would
  // read as a comment (";key") or a section header ("[key=value]"), the text cannot
  // be stored in the file's encoding, or an existing file could not be read
  // (so it is never overwritten with this one value alone).
  [[nodiscard]] bool WriteString(StringView section, StringView key, StringView value);
  // Writes pending changes to disk; true when nothing is pending or the file was
  // written.
  [[nodiscard]] bool UpdateFile();

 private:
  struct Line {
    std::string raw;  // encoded bytes without the line break
    std::string eol;  // encoded line break after it ("" for the last line)
    String text;      // decoded text
  };

  void Load();
  bool Encodable(StringView text) const;
  void InsertLine(size_t position, StringView text);
  void SetLine(size_t position, StringView text);

  String fileName_;
  TextEncoding encoding_ = TextEncoding::Ansi;
  std::string bom_;
  std::string eol_;  // the file's line break, CR LF for a new file
  std::vector<Line> lines_;
  bool exists_ = false;
  bool usable_ = true;  // false when an existing file could not be read
  bool dirty_ = false;
};

}  // namespace win
