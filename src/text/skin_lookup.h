// Where a skin picture is found: in the folder named after the language beside
// the executable, else in the English folder; a ".png" of the same base name is
// preferred over the file asked for.
#pragma once

#include "platform/strings.h"

// The folder every language falls back to.
inline constexpr char16_t kFallbackSkinLanguage[] = u"English";

// folder: the executable's folder with a trailing "\"; name: a picture file
// name such as "Next.bmp". Tries, in order, the language's ".png" and the file
// itself, then the same two in "English". The ".png" candidate replaces every
// occurrence of the file's extension in the whole path (letter case matters),
// so a folder named "my.bmp.files" spoils it and the file itself is used.
// "" when none exists.
String ResolveSkinFile(const String& folder, const String& language, const String& name);
