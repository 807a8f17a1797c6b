#include "platform/strings.h"

namespace win {

String FromUtf8(std::string_view s) {
  String out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp = 0xFFFD;
    size_t len = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4;
    }
    if (len > 1) {
      if (i + len > s.size()) {
        cp = 0xFFFD;
        len = 1;
      } else {
        char32_t v = c & (0xFF >> (len + 1));
        bool ok = true;
        for (size_t k = 1; k < len; ++k) {
          unsigned char cc = static_cast<unsigned char>(s[i + k]);
          if ((cc & 0xC0) != 0x80) { ok = false; break; }
          v = (v << 6) | (cc & 0x3F);
        }
        static const char32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (!ok || v < minimum[len] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) {
          cp = 0xFFFD;
          len = 1;
        } else {
          cp = v;
        }
      }
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

std::string ToUtf8(StringView s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

char16_t FoldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  // Latin-1 capitals (except the multiplication sign).
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  return c;
}

static char16_t UpperOne(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
  return c;
}

String LowerCase(StringView text) {
  String out(text);
  for (auto& c : out) c = FoldCase(c);
  return out;
}

String UpperCase(StringView text) {
  String out(text);
  for (auto& c : out) c = UpperOne(c);
  return out;
}

String AnsiLowerCase(StringView text) { return LowerCase(text); }

int CompareText(StringView a, StringView b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    char16_t x = FoldCase(a[i]), y = FoldCase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SameText(StringView a, StringView b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

static bool IsBlank(char16_t c) { return c <= u' '; }

String Trim(StringView text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return String(text.substr(b, e - b));
}

String TrimLeft(StringView text) {
  size_t b = 0;
  while (b < text.size() && IsBlank(text[b])) ++b;
  return String(text.substr(b));
}

String TrimRight(StringView text) {
  size_t e = text.size();
  while (e > 0 && IsBlank(text[e - 1])) --e;
  return String(text.substr(0, e));
}

String ReplaceAll(StringView text, StringView from, StringView to) {
  if (from.empty()) return String(text);
  String out;
  size_t pos = 0;
  while (true) {
    size_t hit = text.find(from, pos);
    if (hit == StringView::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

bool StartsWith(StringView text, StringView prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(StringView text, StringView suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

String IncludeTrailingBackslash(StringView path) {
  String out(path);
  if (out.empty() || out.back() != u'\\') out.push_back(u'\\');
  return out;
}

String ExcludeTrailingBackslash(StringView path) {
  String out(path);
  if (!out.empty() && out.back() == u'\\') out.pop_back();
  return out;
}

static size_t LastDelimiter(StringView path) {
  size_t i = path.find_last_of(u"\\:");
  return i;
}

String ExtractFilePath(StringView path) {
  size_t i = LastDelimiter(path);
  return i == StringView::npos ? String() : String(path.substr(0, i + 1));
}

String ExtractFileName(StringView path) {
  size_t i = LastDelimiter(path);
  return i == StringView::npos ? String(path) : String(path.substr(i + 1));
}

String ExtractFileExt(StringView path) {
  size_t i = path.find_last_of(u".\\:");
  if (i == StringView::npos || path[i] != u'.') return String();
  return String(path.substr(i));
}

String ExtractFileDir(StringView path) {
  size_t i = LastDelimiter(path);
  if (i == StringView::npos) return String();
  // Keep "C:\" whole, as the toolkit does for a drive root.
  if (i > 0 && path[i] == u'\\' && path[i - 1] != u':' && path[i - 1] != u'\\')
    return String(path.substr(0, i));
  return String(path.substr(0, i + 1));
}

bool TryStrToInt(StringView text, int32_t& value) {
  String t = Trim(text);
  if (t.empty()) return false;
  size_t i = 0;
  bool negative = false;
  if (t[0] == u'+' || t[0] == u'-') {
    negative = t[0] == u'-';
    i = 1;
  }
  if (i >= t.size()) return false;
  int64_t v = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < u'0' || t[i] > u'9') return false;
    v = v * 10 + (t[i] - u'0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > 2147483647LL || v < -2147483648LL) return false;
  value = static_cast<int32_t>(v);
  return true;
}

String IntToStr(int64_t value) {
  std::string s = std::to_string(value);
  return String(s.begin(), s.end());
}

}  // namespace win
