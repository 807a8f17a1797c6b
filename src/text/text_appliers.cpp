#include "text/text_appliers.h"

#include "platform/ui.h"
#include "text/language_management.h"
#include "text/lookup_record.h"

namespace {

constexpr char16_t kKeySeparator[] = u"->";
constexpr char16_t kCaptionKey[] = u"->Caption";
constexpr char16_t kHintKey[] = u"->Hint";

// A text a package may carry and the program does without: it is left out of
// the record of what the program asks of a package.
String OptionalText(const TlanguageManagement& texts, const String& section, const String& key) {
  lookup_record::Aside aside;
  return texts.GetText(section, key);
}

// The expanded text of the form-specific key, else of the control-name key;
// "@@" when neither holds a text. Only the form-specific caption of a control
// the screen applies texts to is needed (the table of keys names it).
String ControlText(const TlanguageManagement& texts, const String& section, const String& formName,
                   const String& controlName, StringView ending, bool needed) {
  const String key = formName + kKeySeparator + controlName + String(ending);
  String text = needed ? texts.GetText(section, key) : OptionalText(texts, section, key);
  if (text == kTextNotFound) text = OptionalText(texts, section, controlName + String(ending));
  return ExpandEscapes(text);
}

void ApplyTexts(const TlanguageManagement& texts, win::Form& screen, const String& section,
                StringView className) {
  const String formName = screen.Name();
  for (int i = 0; i < screen.ComponentCount(); ++i) {
    win::Component* component = screen.Components(i);
    if (component->ClassName() != className) continue;
    auto* control = dynamic_cast<win::Control*>(component);
    if (control == nullptr) continue;
    const String caption = ControlText(texts, section, formName, control->Name(), kCaptionKey, true);
    if (caption != kTextNotFound) control->SetCaption(caption);
    const String hint = ControlText(texts, section, formName, control->Name(), kHintKey, false);
    if (hint != kTextNotFound) control->SetHint(hint);
  }
}

}  // namespace

void ApplyLabelTexts(const TlanguageManagement& texts, win::Form& screen, const String& section) {
  ApplyTexts(texts, screen, section, u"TLabel");
}

void ApplyButtonTexts(const TlanguageManagement& texts, win::Form& screen, const String& section) {
  ApplyTexts(texts, screen, section, u"TButton");
}

void ApplyCheckBoxTexts(const TlanguageManagement& texts, win::Form& screen,
                        const String& section) {
  ApplyTexts(texts, screen, section, u"TCheckBox");
}

void ApplyRadioButtonTexts(const TlanguageManagement& texts, win::Form& screen,
                           const String& section) {
  ApplyTexts(texts, screen, section, u"TRadioButton");
}

String ControlCaptionText(const TlanguageManagement& texts, const win::Form& screen, const String& control,
                          const String& section) {
  const String caption = ControlText(texts, section, screen.Name(), control, kCaptionKey, false);
  return caption == kTextNotFound ? String() : caption;
}
