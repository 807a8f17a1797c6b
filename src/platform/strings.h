// String type and the few text helpers every subsystem shares.
//
// String is UTF-16 and compares by code unit, which is exactly the ordinal,
// case-sensitive comparison the program uses for names and versions.
// Conversions to UTF-8 happen only at the platform edge.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using String = std::u16string;
using StringView = std::u16string_view;
using StringList = std::vector<String>;

namespace win {

// UTF-8 <-> UTF-16 (invalid input is replaced by U+FFFD, never throws).
String FromUtf8(std::string_view utf8);
std::string ToUtf8(StringView text);

// Case rules for names Windows compares without regard to case (ini names,
// keep lists, paths): ASCII and Latin-1 letters fold, other units compare as is.
char16_t FoldCase(char16_t c);
String LowerCase(StringView text);    // ASCII and Latin-1 only
String UpperCase(StringView text);    // ASCII and Latin-1 only
String AnsiLowerCase(StringView text);  // as LowerCase; name of the toolkit's routine
bool SameText(StringView a, StringView b);
int CompareText(StringView a, StringView b);

// Blanks are every unit <= U+0020, as the toolkit's Trim does.
String Trim(StringView text);
String TrimLeft(StringView text);
String TrimRight(StringView text);

// Replaces every occurrence of `from` by `to` (exact, case-sensitive).
String ReplaceAll(StringView text, StringView from, StringView to);
bool StartsWith(StringView text, StringView prefix);
bool EndsWith(StringView text, StringView suffix);

// Paths: "\" separated. Folder part keeps its trailing "\" (S4 of the decisions).
String IncludeTrailingBackslash(StringView path);
String ExcludeTrailingBackslash(StringView path);
String ExtractFilePath(StringView path);   // up to and including the last "\" or ":"
String ExtractFileName(StringView path);   // after the last "\" or ":"
String ExtractFileExt(StringView path);    // last "." of the name and what follows, or ""
String ExtractFileDir(StringView path);    // folder part without its trailing "\"

// Decimal integers: optional sign and digits after trimming; nothing else.
bool TryStrToInt(StringView text, int32_t& value);
String IntToStr(int64_t value);

// u"..." convenience for literals built at run time.
inline String S(const char16_t* text) { return String(text); }

}  // namespace win
