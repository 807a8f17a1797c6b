// The entries of text_keys.def as named constants: the code looks its texts
// and skin pictures up by these names and by no other key. kTextKeyTable
// holds the whole table, for the tests that compare it with what the program
// really asks for.
#pragma once

// A message box text and the number shown after it.
struct MessageText {
  const char16_t* key;  // "MSG_101"
  int number;           // 101
};

// Pictures named prefix + a part from the package's settings + suffix.
struct PictureSet {
  const char16_t* prefix;
  const char16_t* suffix;
};

#define ZX_SECTION(name, section) inline constexpr char16_t name[] = u"" section;
#define ZX_TEXT(section, name, key) inline constexpr char16_t name[] = u"" key;
// The "1" glued before the digits keeps a number written 001 from reading as
// octal.
#define ZX_MESSAGE(name, digits) inline constexpr MessageText name{u"MSG_" #digits, 1##digits - 1000};
#define ZX_FORM_CAPTION(form) \
  namespace caption {         \
  inline constexpr char16_t form[] = u"" #form "->Caption"; \
  }
#define ZX_CAPTION(form, control) \
  namespace caption {             \
  inline constexpr char16_t form##_##control[] = u"" #form "->" #control "->Caption"; \
  }
#define ZX_CAPTION_NOT_SHOWN(form, control, why) ZX_CAPTION(form, control)
#define ZX_PICTURE(name, file) inline constexpr char16_t name[] = u"" file;
#define ZX_BUTTON_PICTURE(name, file) ZX_PICTURE(name, file)
#define ZX_PRODUCT_PICTURE(name, file, product) ZX_PICTURE(name, file)
#define ZX_PICTURE_SET(name, first, last, what) inline constexpr PictureSet name{u"" first, u"" last};
#include "text/text_keys.def"
#include "text/text_keys_undef.inc"

// One entry of the table: a text key with its section, or a picture (section
// null; for a set, key is the prefix and suffix the ending).
struct TextKeyEntry {
  enum class Kind { kText, kTextNotShown, kPicture, kPictureSet };
  Kind kind;
  const char16_t* section;
  const char16_t* key;
  const char16_t* suffix;
};

#define ZX_SECTION(name, section)
#define ZX_TEXT(section, name, key) {TextKeyEntry::Kind::kText, section, name, nullptr},
#define ZX_MESSAGE(name, digits) {TextKeyEntry::Kind::kText, kTextSection, name.key, nullptr},
#define ZX_FORM_CAPTION(form) {TextKeyEntry::Kind::kText, kTextSection, caption::form, nullptr},
#define ZX_CAPTION(form, control) {TextKeyEntry::Kind::kText, kTextSection, caption::form##_##control, nullptr},
#define ZX_CAPTION_NOT_SHOWN(form, control, why) \
  {TextKeyEntry::Kind::kTextNotShown, kTextSection, caption::form##_##control, nullptr},
#define ZX_PICTURE(name, file) {TextKeyEntry::Kind::kPicture, nullptr, name, nullptr},
#define ZX_BUTTON_PICTURE(name, file) ZX_PICTURE(name, file)
#define ZX_PRODUCT_PICTURE(name, file, product) ZX_PICTURE(name, file)
#define ZX_PICTURE_SET(name, first, last, what) {TextKeyEntry::Kind::kPictureSet, nullptr, name.prefix, name.suffix},
inline constexpr TextKeyEntry kTextKeyTable[] = {
#include "text/text_keys.def"
};
#include "text/text_keys_undef.inc"
