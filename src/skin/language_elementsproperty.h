// The layout file UI.txt: per language, the positions, colours and fonts of
// any control of any screen. A screen applies it once while it is built.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/ini.h"
#include "platform/strings.h"

namespace win {
class Form;
}

inline constexpr char16_t kLayoutFileName[] = u"UI.txt";

class TlanguageElementsProperty {
 public:
  TlanguageElementsProperty();
  ~TlanguageElementsProperty();
  TlanguageElementsProperty(const TlanguageElementsProperty&) = delete;
  TlanguageElementsProperty& operator=(const TlanguageElementsProperty&) = delete;

  // Applies the layout file to the form's own components, by their exact
  // class names, from the section of the language (0: the system default
  // language; sectionSuffix is appended to it and to the "English" fallback).
  // False, changing nothing, when the file does not exist. A value with a
  // damaged number leaves that one property as it was.
  [[nodiscard]] bool ApplyLayout(win::Form& form, const String& layoutPath, const String& sectionSuffix,
                                 uint16_t languageId);

  // The key's value in the current section or, when empty or missing there,
  // in the fallback section; "" when neither has it or no file is loaded.
  String ReadLayoutValue(const String& key) const;

  const String& CurrentSection() const { return currentSection_; }
  const String& FallbackSection() const { return fallbackSection_; }

 private:
  std::unique_ptr<win::MemIniFile> layoutStore_;
  String currentSection_;
  String fallbackSection_;
};
