#include "skin/language_elementsproperty.h"

#include <algorithm>
#include <array>

#include "platform/files.h"
#include "platform/system.h"
#include "platform/ui.h"
#include "skin/cmnstringprocessunit.h"
#include "text/cmnsubroutines.h"

namespace {

constexpr char16_t kEnglishSection[] = u"English";
constexpr char16_t kKeySeparator[] = u"->";
constexpr char16_t kPositionKey[] = u"->Position";
constexpr char16_t kColorKey[] = u"->Color";
constexpr char16_t kFontColorKey[] = u"->Font->Color";
constexpr char16_t kFontNameKey[] = u"FontName";

// Classes whose position and size the file may set.
constexpr std::array<StringView, 26> kPositionedClasses = {
    u"TLabel",         u"TCheckBox",          u"TRadioButton",        u"TEdit",
    u"TComboBox",      u"TMemo",              u"TRichEdit",           u"TShape",
    u"TButton",        u"TMenuItem",          u"TImage",              u"TPanel",
    u"TWebBrowser",    u"TCGauge",            u"TLabeledEdit",        u"TGroupBox",
    u"TAdvSmoothComboBox", u"TAdvProgressBar", u"TAdvSmoothScrollBar", u"TAdvTrackBar",
    u"TAdvGroupBox",   u"THTMLabel",          u"TAdvShapeButton",     u"TAdvWiiProgressBar",
    u"TAdvEdit",       u"TProgressBar"};

// Classes whose background colour, font name and font colour the file may set.
constexpr std::array<StringView, 6> kColouredClasses = {u"TLabel",       u"TEdit",
                                                        u"TRichEdit",    u"TRadioButton",
                                                        u"TCheckBox",    u"THTMLabel"};

constexpr char16_t kLabeledEditClass[] = u"TLabeledEdit";
constexpr char16_t kBoundLabelClass[] = u"TBoundLabel";  // a labelled edit's caption
constexpr char16_t kAdvGroupBoxClass[] = u"TAdvGroupBox";

template <size_t N>
bool IsOneOf(const String& className, const std::array<StringView, N>& classes) {
  return std::find(classes.begin(), classes.end(), StringView(className)) != classes.end();
}

// Left, top, width and height, in that order. A value with a damaged number
// keeps the control where it is. The edges are brought into a window's range
// first, so that any numbers the file holds give a place a window can have.
void ApplyPosition(win::Control& control, const String& value) {
  TRect rect;
  if (!TryParseRect(value, rect)) return;
  const int32_t left = win::ClampCoordinate(rect.Left);
  const int32_t top = win::ClampCoordinate(rect.Top);
  control.SetLeft(left);
  control.SetTop(top);
  control.SetWidth(win::ClampExtent(int64_t{win::ClampCoordinate(rect.Right)} - left));
  control.SetHeight(win::ClampExtent(int64_t{win::ClampCoordinate(rect.Bottom)} - top));
}

void ApplyColor(win::Control& control, const String& value) {
  COLORREF color = 0;
  if (TryParseColor(value, color)) control.SetColor(color);
}

void ApplyFontName(win::Control& control, const String& value) {
  win::Font font = control.GetFont();
  font.name = value;
  control.SetFont(font);
}

void ApplyFontColor(win::Control& control, const String& value) {
  COLORREF color = 0;
  if (!TryParseColor(value, color)) return;
  win::Font font = control.GetFont();
  font.color = color;
  control.SetFont(font);
}

win::Control* BoundLabel(const win::Component& labeledEdit) {
  for (int i = 0; i < labeledEdit.ComponentCount(); ++i) {
    win::Component* part = labeledEdit.Components(i);
    if (part->ClassName() == kBoundLabelClass) return dynamic_cast<win::Control*>(part);
  }
  return nullptr;
}

}  // namespace

TlanguageElementsProperty::TlanguageElementsProperty() : fallbackSection_(kEnglishSection) {}

TlanguageElementsProperty::~TlanguageElementsProperty() = default;

String TlanguageElementsProperty::ReadLayoutValue(const String& key) const {
  if (!layoutStore_) return String();
  String value = layoutStore_->ReadString(currentSection_, key, u"");
  if (value.empty()) value = layoutStore_->ReadString(fallbackSection_, key, u"");
  return value;
}

bool TlanguageElementsProperty::ApplyLayout(win::Form& form, const String& layoutPath,
                                            const String& sectionSuffix, uint16_t languageId) {
  if (!win::FileExists(layoutPath)) return false;
  if (languageId == 0) languageId = win::GetSystemDefaultLangID();
  currentSection_ = LanguageNameFromId(languageId);
  fallbackSection_ = kEnglishSection;
  layoutStore_ = std::make_unique<win::MemIniFile>(layoutPath);
  if (!sectionSuffix.empty()) {
    currentSection_ += sectionSuffix;
    fallbackSection_ += sectionSuffix;
  }

  const String formName = form.Name();
  // The form-specific key first, then the one for the control name alone.
  const auto read = [&](const String& controlName, StringView ending) {
    String value = ReadLayoutValue(formName + kKeySeparator + controlName + String(ending));
    if (value.empty()) value = ReadLayoutValue(controlName + String(ending));
    return value;
  };
  const auto position = [&](win::Component& component) {
    // Components without bounds (menu items) have no position to set.
    auto* control = dynamic_cast<win::Control*>(&component);
    if (control == nullptr) return;
    const String value = read(control->Name(), kPositionKey);
    if (!value.empty()) ApplyPosition(*control, value);
  };

  for (int i = 0; i < form.ComponentCount(); ++i) {
    win::Component& component = *form.Components(i);
    const String& className = component.ClassName();
    if (IsOneOf(className, kPositionedClasses)) position(component);

    auto* control = dynamic_cast<win::Control*>(&component);
    if (control == nullptr) continue;
    const String& name = control->Name();
    if (IsOneOf(className, kColouredClasses)) {
      if (String value = read(name, kColorKey); !value.empty()) ApplyColor(*control, value);
      if (String value = ReadLayoutValue(kFontNameKey); !value.empty()) {
        ApplyFontName(*control, value);
      }
      if (String value = read(name, kFontColorKey); !value.empty()) {
        ApplyFontColor(*control, value);
      }
    } else if (className == kLabeledEditClass) {
      if (String value = read(name, kColorKey); !value.empty()) ApplyColor(*control, value);
      if (win::Control* caption = BoundLabel(*control)) {
        if (String value = ReadLayoutValue(kFontNameKey); !value.empty()) {
          ApplyFontName(*caption, value);
        }
        if (String value = read(name, kFontColorKey); !value.empty()) {
          ApplyFontColor(*caption, value);
        }
      }
    } else if (className == kAdvGroupBoxClass) {
      for (int k = 0; k < control->ComponentCount(); ++k) position(*control->Components(k));
    }
  }
  return true;
}
