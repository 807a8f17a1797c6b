// winsim preview: every screen of a package in every language it offers,
// drawn by the screens' own code on a throwaway machine, with marks where a
// caption does not fit, a text is missing or a control leaves the window's
// outline. What the command's files share.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/graphics.h"
#include "platform/strings.h"

namespace win {
class Control;
class Form;
class Label;
}  // namespace win

class TlanguageManagement;

namespace winsim {

// One finding on one picture: the control and what is wrong with it, and the
// rectangle to frame (in the form's coordinates).
struct Mark {
  std::string control;
  std::string what;
  win::Rect box;
};

// One picture of the contact sheet.
struct Shot {
  std::string screen;    // the row: "welcome", "finish-install", ...
  std::string language;  // the column
  std::string file;      // the PNG, relative to the output folder ("" when not drawn)
  std::string problem;   // why there is no picture
  std::vector<Mark> marks;
};

// The place of every control as the screens laid it out, before anything was
// shown: skinned check boxes and radio buttons take the size of their picture
// and caption when they are drawn, and this is what they are held against.
using LaidOutBounds = std::map<const win::Control*, win::Rect>;

// Collects the places of a form's controls.
void RecordLayout(win::Form& form, LaidOutBounds& bounds);

// The findings on a form as drawn (call after the form was rendered, which
// sizes the skinned controls): captions wider or taller than their control,
// controls off the form or off its outline, texts shown as "@@", the
// designed placeholder (the control's name) shown, or a text of the English
// file missing in the loaded language (texts, section). A worker's status
// line (statusLine) shows whatever the run has got to: CheckStatusTexts
// checks it instead.
std::vector<Mark> FindMarks(win::Form& form, const LaidOutBounds& laidOut, const TlanguageManagement& texts,
                            const TlanguageManagement& english, const String& section,
                            const win::Control* statusLine = nullptr);

// A worker's status line on its form: the label's own text and every text
// the worker writes into it (keys of the text section), each measured in the
// label; a missing one is marked too. (The file paths a copy shows are the
// machine's, not texts of the package.)
std::vector<Mark> CheckStatusTexts(const win::Form& form, const win::Label& status, const StringList& keys,
                                   const TlanguageManagement& texts, const String& section);

// A red frame around every mark.
void DrawMarks(win::Bitmap& picture, const std::vector<Mark>& marks);

// The rows of the contact sheet, in order: id and title.
struct ScreenRow {
  std::string id;
  std::string title;
};
const std::vector<ScreenRow>& ScreenRows();

// Writes index.html (a row per screen, a column per language) and marks.txt
// (one line per finding: language, screen, control, what) into out.
bool WriteContactSheet(const std::string& out, const std::string& package, const std::vector<std::string>& languages,
                       const std::vector<Shot>& shots, std::string& error);

// winsim preview PACKAGE OUT: 0 when nothing was marked, kPreviewMarked
// when something was, 1 when the preview could not be made.
constexpr int kPreviewMarked = 3;
int Preview(const std::vector<std::string>& args);

}  // namespace winsim
