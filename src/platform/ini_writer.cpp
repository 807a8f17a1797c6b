// Writing single values into an ini file while keeping everything else of it.
//
// The file is kept as a list of lines in their original bytes; only the line
// that changes (or is added) is encoded anew, in the file's own encoding. Line
// breaks are found on code units (CR and LF never occur inside a multi-byte
// character of UTF-8 or of the Far East ANSI code pages), so lines the program
// does not touch are written back exactly as they were read.
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/system.h"

namespace win {

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

size_t UnitSize(TextEncoding encoding) {
  return encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE ? 2 : 1;
}

char16_t UnitAt(const std::string& bytes, size_t i, TextEncoding encoding) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
  if (encoding == TextEncoding::Utf16LE) return static_cast<char16_t>(b(i) | (b(i + 1) << 8));
  if (encoding == TextEncoding::Utf16BE) return static_cast<char16_t>((b(i) << 8) | b(i + 1));
  return static_cast<char16_t>(b(i));
}

String DecodeLine(const std::string& raw, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8: return FromUtf8(raw);
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
      String out;
      for (size_t i = 0; i + 1 < raw.size(); i += 2) out.push_back(UnitAt(raw, i, encoding));
      return out;
    }
    case TextEncoding::Ansi: break;
  }
  return DecodeCodePage(raw, 0);
}

bool IsHeader(StringView trimmed) {
  return trimmed.size() >= 2 && trimmed.front() == u'[' && trimmed.back() == u']';
}

bool HasLineBreak(StringView text) { return text.find_first_of(u"\r\n") != StringView::npos; }

}  // namespace

IniFile::IniFile(const String& fileName) : fileName_(fileName) { Load(); }

IniFile::~IniFile() = default;

void IniFile::Load() {
  eol_ = EncodeText(u"\r\n", encoding_);
  std::string bytes;
  if (!ReadFileBytes(fileName_, bytes)) {
    exists_ = false;
    // A file (or folder) that is there but cannot be read is never replaced.
    usable_ = GetFileAttributes(fileName_) == kInvalidFileAttributes;
    return;
  }
  exists_ = true;
  DecodedText decoded = DecodeText(std::string_view(bytes).substr(0, 3));
  encoding_ = decoded.encoding;
  bom_ = bytes.substr(0, decoded.bomSize);
  const size_t unit = UnitSize(encoding_);
  // A dangling odd byte at the end of a UTF-16 file is no character (the
  // store drops it too); kept, it would put every line added after it on odd
  // bytes. It is left out when the file is written again.
  if (unit == 2 && (bytes.size() - bom_.size()) % 2 != 0) bytes.pop_back();

  std::string foundEol;
  size_t start = bom_.size(), i = start;
  while (i + unit <= bytes.size()) {
    char16_t c = UnitAt(bytes, i, encoding_);
    if (c != kCr && c != kLf) {
      i += unit;
      continue;
    }
    size_t breakSize = unit;
    if (c == kCr && i + 2 * unit <= bytes.size() && UnitAt(bytes, i + unit, encoding_) == kLf)
      breakSize = 2 * unit;
    Line line;
    line.raw = bytes.substr(start, i - start);
    line.eol = bytes.substr(i, breakSize);
    line.text = DecodeLine(line.raw, encoding_);
    if (foundEol.empty()) foundEol = line.eol;
    lines_.push_back(std::move(line));
    i += breakSize;
    start = i;
  }
  if (start < bytes.size()) {
    Line line;
    line.raw = bytes.substr(start);
    line.text = DecodeLine(line.raw, encoding_);
    lines_.push_back(std::move(line));
  }
  eol_ = foundEol.empty() ? EncodeText(u"\r\n", encoding_) : foundEol;
}

bool IniFile::Encodable(StringView text) const {
  // UTF-16 holds any text; the code page and UTF-8 (no lone surrogate) may not.
  if (UnitSize(encoding_) == 2) return true;
  return DecodeLine(EncodeText(text, encoding_), encoding_) == text;
}

void IniFile::SetLine(size_t position, StringView text) {
  lines_[position].text = String(text);
  lines_[position].raw = EncodeText(text, encoding_);
}

void IniFile::InsertLine(size_t position, StringView text) {
  Line line;
  line.text = String(text);
  line.raw = EncodeText(text, encoding_);
  line.eol = eol_;
  if (position == lines_.size() && !lines_.empty() && lines_.back().eol.empty()) {
    // The file ends without a line break; it keeps doing so.
    lines_.back().eol = eol_;
    line.eol.clear();
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(position), std::move(line));
}

bool IniFile::WriteString(StringView section, StringView key, StringView value) {
  if (!usable_) return false;
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
  if (Trim(key).empty() || key.find(u'=') != StringView::npos) return false;
  String sectionName = Trim(section), keyName = Trim(key), valueText = Trim(value);
  // An entry the store would read as a comment or as a section header.
  if (keyName[0] == u';' || IsHeader(keyName + u"=" + valueText)) return false;
  String probe = sectionName + keyName + valueText;
  if (!Encodable(probe)) {
    if (exists_ || !lines_.empty()) return false;
    // A new file takes UTF-16 with a byte-order mark rather than lose characters.
    encoding_ = TextEncoding::Utf16LE;
    bom_ = "\xFF\xFE";
    eol_ = EncodeText(u"\r\n", encoding_);
  }

  // The first section of that name, read with the store's rules.
  size_t header = lines_.size();
  for (size_t i = 0; i < lines_.size(); ++i) {
    String t = Trim(lines_[i].text);
    if (IsHeader(t) && SameText(Trim(StringView(t).substr(1, t.size() - 2)), sectionName)) {
      header = i;
      break;
    }
  }

  if (header == lines_.size()) {
    InsertLine(lines_.size(), u"[" + sectionName + u"]");
    InsertLine(lines_.size(), keyName + u"=" + valueText);
    dirty_ = true;
    return true;
  }

  size_t lastContent = header;
  for (size_t i = header + 1; i < lines_.size(); ++i) {
    String t = Trim(lines_[i].text);
    if (IsHeader(t)) break;
    if (t.empty()) continue;
    lastContent = i;
    if (t[0] == u';') continue;
    size_t eq = t.find(u'=');
    if (eq == String::npos) continue;
    String existingKey = Trim(StringView(t).substr(0, eq));
    if (SameText(existingKey, keyName)) {
      SetLine(i, existingKey + u"=" + valueText);
      dirty_ = true;
      return true;
    }
  }
  InsertLine(lastContent + 1, keyName + u"=" + valueText);
  dirty_ = true;
  return true;
}

bool IniFile::UpdateFile() {
  if (!dirty_) return true;
  std::string bytes = bom_;
  for (const Line& line : lines_) {
    bytes += line.raw;
    bytes += line.eol;
  }
  if (!WriteFileBytes(fileName_, bytes)) return false;
  exists_ = true;
  dirty_ = false;
  return true;
}

}  // namespace win
