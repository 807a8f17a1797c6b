// Captions and hints of a screen's controls from the language texts: for a
// control C on the screen F, the key "F->C->Caption" or, when the texts lack
// it, "C->Caption" (the same with "->Hint"). Escapes in the text are expanded;
// a key missing under both names leaves the designed text.
#pragma once

#include "platform/strings.h"

class TlanguageManagement;

namespace win {
class Form;
}

// Each walks the components the screen owns, in their order, whose run-time
// class name is exactly the one named (a subclass does not match).
void ApplyLabelTexts(const TlanguageManagement& texts, win::Form& screen, const String& section);
void ApplyButtonTexts(const TlanguageManagement& texts, win::Form& screen, const String& section);
void ApplyCheckBoxTexts(const TlanguageManagement& texts, win::Form& screen,
                        const String& section);
void ApplyRadioButtonTexts(const TlanguageManagement& texts, win::Form& screen,
                           const String& section);

// The caption the texts hold for one control of a screen, by the same two
// keys; "" when neither holds one (a text that only some packages carry,
// such as the words of a skinned button for accessibility tools).
String ControlCaptionText(const TlanguageManagement& texts, const win::Form& screen, const String& control,
                          const String& section);
