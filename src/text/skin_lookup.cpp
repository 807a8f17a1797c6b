#include "text/skin_lookup.h"

#include "platform/files.h"
#include "text/lookup_record.h"

namespace {

constexpr char16_t kPngExtension[] = u".png";

String PngCandidate(const String& path, const String& extension) {
  if (extension.empty()) return path;
  return win::ReplaceAll(path, extension, kPngExtension);
}

}  // namespace

String ResolveSkinFile(const String& folder, const String& language, const String& name) {
  lookup_record::Picture(name);
  const String primary = folder + language + u"\\" + name;
  const String fallback = folder + kFallbackSkinLanguage + u"\\" + name;
  const String extension = win::ExtractFileExt(primary);

  for (const String& candidate : {PngCandidate(primary, extension), primary,
                                  PngCandidate(fallback, extension), fallback}) {
    if (win::FileExists(candidate)) return candidate;
  }
  return String();
}
