// The layout reader: UI.txt of any bytes applied to a screen with a control of
// every class the file can place or colour, and the rectangle and colour
// syntaxes over every value of the file and over a value of their own. Every
// control ends in a place a window can have.
// Input: section suffix \0 one more value \0 UI.txt bytes.
#include "fuzz_support.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/ui.h"
#include "skin/cmnstringprocessunit.h"
#include "skin/language_elementsproperty.h"

namespace {

constexpr char16_t kLayoutFile[] = u"C:\\Fuzz\\UI.txt";

void CheckValue(const String& value) {
  TRect rect{1, 2, 3, 4};
  if (TryParseRect(value, rect)) {
    FUZZ_CHECK(ParseRect(value) == rect);
  } else {
    FUZZ_CHECK((rect == TRect{1, 2, 3, 4}));
    FUZZ_CHECK(ParseRect(value) == TRect{});
  }
  COLORREF color = 0x12345678;
  if (TryParseColor(value, color)) {
    FUZZ_CHECK(color <= 0xFFFFFF);
    FUZZ_CHECK(ParseColor(value) == color);
  } else {
    FUZZ_CHECK(color == 0x12345678);
    FUZZ_CHECK(ParseColor(value) == 0);
  }
}

void CheckPlace(const win::Control& control) {
  FUZZ_CHECK(control.Left() >= win::kMinWindowCoordinate && control.Left() <= win::kMaxWindowCoordinate);
  FUZZ_CHECK(control.Top() >= win::kMinWindowCoordinate && control.Top() <= win::kMaxWindowCoordinate);
  FUZZ_CHECK(control.Width() >= 0 && control.Width() <= win::kMaxWindowCoordinate);
  FUZZ_CHECK(control.Height() >= 0 && control.Height() <= win::kMaxWindowCoordinate);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A scratch folder that cannot be made fails the layout file's checked write into it.
  static const bool ready = (fuzz::ScratchMachine(), (void)win::CreateDirectory(u"C:\\Fuzz"), true);
  (void)ready;
  const std::vector<std::string> f = fuzz::Fields(data, size, 3);
  FUZZ_CHECK(win::WriteFileBytes(kLayoutFile, f[2]));
  CheckValue(fuzz::Text(f[1]));

  {
    win::Form* form = win::GetApplication().CreateForm<win::Form>(u"FWelcome");
    form->Create<win::Label>(u"lb_Title");
    form->Create<win::Button>(u"bt_Next");
    form->Create<win::CheckBox>(u"cb_Agree");
    form->Create<win::RadioButton>(u"rb_Typical");
    form->Create<win::Image>(u"im_TitleBar");
    form->Create<win::GroupBox>(u"gb_Options");
    form->Create<win::RichEdit>(u"re_License");
    form->Create<win::Control>(u"ed_Path", u"TEdit");
    form->Create<win::Control>(u"gb_Series", u"TAdvGroupBox");
    form->Create<win::Control>(u"lb_Html", u"THTMLabel");
    auto* labeled = form->Create<win::Control>(u"le_Folder", u"TLabeledEdit");
    labeled->Create<win::Control>(u"SubLabel", u"TBoundLabel");
    form->Create<win::Component>(u"mi_Print", u"TMenuItem");

    TlanguageElementsProperty layout;
    FUZZ_CHECK(layout.ApplyLayout(*form, kLayoutFile, fuzz::Text(f[0]), 1033));
    for (int i = 0; i < form->ComponentCount(); ++i) {
      if (auto* control = dynamic_cast<win::Control*>(form->Components(i))) CheckPlace(*control);
    }

    // Every value of the file through the syntaxes (a bounded number).
    win::MemIniFile store(kLayoutFile);
    StringList sections, lines;
    store.ReadSections(sections);
    size_t checked = 0;
    for (const String& section : sections) {
      store.ReadSectionValues(section, lines);
      for (const String& line : lines) {
        if (++checked > 200) break;
        const size_t eq = line.find(u'=');
        if (eq != String::npos) CheckValue(line.substr(eq + 1));
      }
    }
  }
  win::ResetApplication();
  return 0;
}
