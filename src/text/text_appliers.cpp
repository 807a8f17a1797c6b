#include "text/text_appliers.h"

#include "platform/ui.h"
#include "text/language_management.h"

namespace {

constexpr char16_t kKeySeparator[] = u"->";
constexpr char16_t kCaptionKey[] = u"->Caption";
constexpr char16_t kHintKey[] = u"->Hint";

// The expanded text of the form-specific key, else of the control-name key;
// "@@" when neither holds a text.
String ControlText(const TlanguageManagement& texts, const String& section,
                   const String& formName, const String& controlName, StringView ending) {
  String text =
      texts.GetText(section, formName + kKeySeparator + controlName + String(ending));
  if (text == kTextNotFound) text = texts.GetText(section, controlName + String(ending));
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
    const String caption = ControlText(texts, section, formName, control->Name(), kCaptionKey);
    if (caption != kTextNotFound) control->SetCaption(caption);
    const String hint = ControlText(texts, section, formName, control->Name(), kHintKey);
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
  const String caption = ControlText(texts, section, screen.Name(), control, kCaptionKey);
  return caption == kTextNotFound ? String() : caption;
}
