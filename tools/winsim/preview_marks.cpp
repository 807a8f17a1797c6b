// The preview's findings on one drawn form, measured with the text metrics
// the screens draw with.
#include <algorithm>

#include "platform/ini.h"
#include "platform/ui.h"
#include "platform/ui_state.h"
#include "preview.h"
#include "text/language_management.h"

namespace winsim {

namespace {

constexpr char16_t kCaptionKey[] = u"->Caption";
// What the appliers fill from the language file.
const StringList kTextClasses = {u"TLabel", u"TCheckBox", u"TRadioButton"};

// A control's rectangle in its form's coordinates.
win::Rect FormRect(const win::Control& control) {
  win::Rect r = control.BoundsRect();
  for (const win::Control* parent = control.Parent(); parent != nullptr && !parent->IsForm();
       parent = parent->Parent()) {
    r.left += parent->Left();
    r.right += parent->Left();
    r.top += parent->Top();
    r.bottom += parent->Top();
  }
  return r;
}

std::string Px(int32_t value) { return std::to_string(value) + " px"; }

// The lines a label draws its caption as, and their height.
struct TextBlock {
  int32_t width = 0;
  int32_t height = 0;
};

TextBlock LabelText(const win::Label& label, const String& caption) {
  const win::Font& font = label.GetFont();
  const StringList lines =
      label.WordWrap() ? win::WordWrapLines(font, caption, label.Width()) : win::SplitLines(caption);
  TextBlock block;
  for (const String& line : lines) block.width = std::max(block.width, win::MeasureText(font, line).cx);
  block.height = win::MeasureText(font, u"Ag").cy * static_cast<int32_t>(lines.size());
  return block;
}

void CheckLabelText(const win::Label& label, const String& text, const std::string& what, const win::Rect& where,
                    std::vector<Mark>& marks) {
  const std::string name = win::ToUtf8(label.Name());
  const TextBlock block = LabelText(label, text);
  if (block.width > label.Width())
    marks.push_back({name, what + " " + Px(block.width) + " wide, label " + Px(label.Width()), where});
  if (block.height > label.Height())
    marks.push_back({name, what + " " + Px(block.height) + " tall, label " + Px(label.Height()), where});
}

// Captions that do not fit where they are drawn.
void CheckCaptionFits(const win::Control& control, const win::Rect& where, const win::Rect* laidOut,
                      std::vector<Mark>& marks) {
  if (control.Caption().empty()) return;
  const std::string name = win::ToUtf8(control.Name());
  if (const auto* label = dynamic_cast<const win::Label*>(&control)) {
    CheckLabelText(*label, control.Caption(), "caption", where, marks);
    return;
  }
  const String& kind = control.ClassName();
  if (kind == u"TCheckBox" || kind == u"TRadioButton") {
    // A skinned box takes the size of its picture and caption when drawn:
    // grown beyond its laid-out place, it covers what lies beside it.
    if (laidOut == nullptr) return;
    const int32_t laidWidth = laidOut->right - laidOut->left, laidHeight = laidOut->bottom - laidOut->top;
    if (control.Width() > laidWidth)
      marks.push_back({name, "caption makes it " + Px(control.Width()) + " wide, laid out " + Px(laidWidth), where});
    if (control.Height() > laidHeight)
      marks.push_back(
          {name, "caption makes it " + Px(control.Height()) + " tall, laid out " + Px(laidHeight), where});
    return;
  }
  if (kind == u"TButton") {
    // A button without its picture shows its caption: the system keeps a
    // few pixels of edge on either side.
    constexpr int32_t kButtonEdges = 6;
    const int32_t width = win::MeasureText(control.GetFont(), control.Caption()).cx;
    if (width + kButtonEdges > control.Width())
      marks.push_back({name, "caption " + Px(width) + " wide, button " + Px(control.Width()), where});
  }
}

// "@@" shown, a designed placeholder shown (the control's name), or a text
// that the English file holds and this language's does not.
void CheckTexts(const win::Form& form, const win::Control& control, const win::Rect& where,
                const TlanguageManagement& texts, const TlanguageManagement& english, const String& section,
                std::vector<Mark>& marks) {
  const std::string name = win::ToUtf8(control.Name());
  if (control.Caption().find(kTextNotFound) != String::npos) {
    marks.push_back({name, "shows \"@@\": no text for it in this language", where});
    return;
  }
  if (control.Caption().empty()) return;
  if (std::find(kTextClasses.begin(), kTextClasses.end(), control.ClassName()) == kTextClasses.end()) return;
  const String formKey = form.Name() + u"->" + control.Name() + kCaptionKey;
  const String plainKey = control.Name() + kCaptionKey;
  const auto holds = [&](const TlanguageManagement& store) {
    return store.GetText(section, formKey) != kTextNotFound || store.GetText(section, plainKey) != kTextNotFound;
  };
  if (control.Caption() == control.Name()) {
    marks.push_back({name, "no text (" + win::ToUtf8(formKey) + "): shows its name", where});
    return;
  }
  if (!holds(texts) && holds(english))
    marks.push_back({name, "no text in this language (" + win::ToUtf8(formKey) + "), shows \"" +
                               win::ToUtf8(control.Caption()) + "\"",
                     where});
}

// Points of the control that fall outside the window's outline (only where
// the control shows: inside its own outline, when it has one).
int32_t PointsOffOutline(const win::Control& control, const win::Rect& where, const std::vector<uint8_t>& inside,
                         int32_t formWidth, int32_t formHeight) {
  const win::Region* own = control.WindowRgn();
  int32_t outside = 0;
  for (int32_t y = where.top; y < where.bottom; ++y) {
    for (int32_t x = where.left; x < where.right; ++x) {
      if (own != nullptr && !own->Contains(x - where.left, y - where.top)) continue;
      if (x < 0 || y < 0 || x >= formWidth || y >= formHeight) continue;  // reported as off the screen
      if (!inside[static_cast<size_t>(y) * formWidth + x]) ++outside;
    }
  }
  return outside;
}

}  // namespace

void RecordLayout(win::Form& form, LaidOutBounds& bounds) {
  std::vector<win::Control*> controls;
  win::CollectControls(form, controls);
  for (const win::Control* control : controls) bounds[control] = control->BoundsRect();
}

std::vector<Mark> FindMarks(win::Form& form, const LaidOutBounds& laidOut, const TlanguageManagement& texts,
                            const TlanguageManagement& english, const String& section, const win::Control* statusLine) {
  std::vector<Mark> marks;
  const int32_t width = form.Width(), height = form.Height();
  const win::Region* outline = form.WindowRgn();
  const std::vector<uint8_t> inside = outline ? outline->Mask(width, height) : std::vector<uint8_t>{};
  std::vector<win::Control*> controls;
  win::CollectControls(form, controls);
  for (const win::Control* control : controls) {
    if (!control->Showing() || control->Width() <= 0 || control->Height() <= 0) continue;
    // The background is the outline itself.
    if (control->Name() == u"im_Background") continue;
    const win::Rect where = FormRect(*control);
    const std::string name = win::ToUtf8(control->Name());
    const auto laid = laidOut.find(control);
    if (control != statusLine) {
      CheckCaptionFits(*control, where, laid == laidOut.end() ? nullptr : &laid->second, marks);
      CheckTexts(form, *control, where, texts, english, section, marks);
    }
    if (where.left < 0 || where.top < 0 || where.right > width || where.bottom > height) {
      marks.push_back({name, "runs off the screen (" + std::to_string(where.left) + "," + std::to_string(where.top) +
                                 " to " + std::to_string(where.right) + "," + std::to_string(where.bottom) +
                                 "; the screen is " + std::to_string(width) + " x " + std::to_string(height) + ")",
                       where});
    }
    if (outline != nullptr) {
      const int32_t off = PointsOffOutline(*control, where, inside, width, height);
      if (off > 0)
        marks.push_back({name, "off the window outline (" + std::to_string(off) + " points outside)", where});
    }
  }
  return marks;
}

std::vector<Mark> CheckStatusTexts(const win::Form& form, const win::Label& status, const StringList& keys,
                                   const TlanguageManagement& texts, const String& section) {
  std::vector<Mark> marks;
  const win::Rect where = FormRect(status);
  const std::string name = win::ToUtf8(status.Name());
  // What the line shows before the run writes to it: the label's own text.
  const String ownKey = form.Name() + u"->" + status.Name() + kCaptionKey;
  String own = texts.GetText(section, ownKey);
  if (own == kTextNotFound) own = texts.GetText(section, status.Name() + kCaptionKey);
  if (own == kTextNotFound)
    marks.push_back({name, "no text (" + win::ToUtf8(ownKey) + ")", where});
  else
    CheckLabelText(status, ExpandEscapes(own), "caption", where, marks);
  for (const String& key : keys) {
    const String text = texts.GetText(section, key);
    const std::string what = "status text " + win::ToUtf8(key);
    if (text == kTextNotFound)
      marks.push_back({name, what + " shows \"@@\": no text for it in this language", where});
    else
      CheckLabelText(status, text, what + " (\"" + win::ToUtf8(text) + "\")", where, marks);
  }
  return marks;
}

void DrawMarks(win::Bitmap& picture, const std::vector<Mark>& marks) {
  constexpr win::COLORREF kRed = win::RGB(255, 0, 0);
  win::Canvas canvas(picture);
  for (const Mark& mark : marks) {
    // Two pixels wide, just outside the control, kept on the picture.
    for (int32_t inset = 1; inset <= 2; ++inset) {
      const win::Rect r{std::max(0, mark.box.left - inset), std::max(0, mark.box.top - inset),
                        std::min(picture.Width(), mark.box.right + inset),
                        std::min(picture.Height(), mark.box.bottom + inset)};
      if (r.right > r.left && r.bottom > r.top) canvas.Rectangle(r, kRed);
    }
  }
}

}  // namespace winsim
