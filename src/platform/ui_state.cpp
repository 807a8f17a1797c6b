// The state text of an application's screens (see ui_state.h).
#include "platform/ui_state.h"

namespace win {

// ---------------------------------------------------------------- fields

std::string EscapeField(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string UnescapeField(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out.push_back(text[i]);
      continue;
    }
    const char d = text[++i];
    out.push_back(d == 't' ? '\t' : d == 'n' ? '\n' : d == 'r' ? '\r' : d);
  }
  return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> out(1);
  for (char c : line) {
    if (c == '\t') out.emplace_back();
    else out.back().push_back(c);
  }
  return out;
}

std::string StateField(const std::vector<std::string>& fields, const std::string& name) {
  const std::string prefix = name + "=";
  for (size_t i = 1; i < fields.size(); ++i)
    if (fields[i].rfind(prefix, 0) == 0) return UnescapeField(fields[i].substr(prefix.size()));
  return "";
}

std::string FindStateLine(const std::string& state, const std::string& form, const std::string& control) {
  size_t start = 0;
  while (start < state.size()) {
    size_t end = state.find('\n', start);
    if (end == std::string::npos) end = state.size();
    const std::string line = state.substr(start, end - start);
    start = end + 1;
    const auto fields = SplitTabs(line);
    if (control.empty()) {
      if (fields[0] == "form" && SameText(FromUtf8(StateField(fields, "name")), FromUtf8(form)))
        return line;
    } else if (fields[0] == "control" &&
               SameText(FromUtf8(StateField(fields, "form")), FromUtf8(form)) &&
               SameText(FromUtf8(StateField(fields, "name")), FromUtf8(control))) {
      return line;
    }
  }
  return "";
}

// ---------------------------------------------------------------- state

namespace {

std::string Rectangle(int32_t left, int32_t top, int32_t width, int32_t height) {
  return std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(width) + "," +
         std::to_string(height);
}

std::string Bounds(const Control& c) {
  return Rectangle(c.Left(), c.Top(), c.Width(), c.Height());
}

void Field(std::string& line, const char* name, const std::string& value) {
  line += '\t';
  line += name;
  line += '=';
  line += EscapeField(value);
}

std::string Flag(bool value) { return value ? "1" : "0"; }

}  // namespace

void CollectControls(const Component& owner, std::vector<Control*>& out) {
  for (int i = 0; i < owner.ComponentCount(); ++i) {
    Component* c = owner.Components(i);
    if (auto* control = dynamic_cast<Control*>(c)) out.push_back(control);
    CollectControls(*c, out);
  }
}

std::string DescribeUi(Application& app) {
  std::string text = "program";
  Field(text, "pid", std::to_string(GetCurrentProcessId()));
  Field(text, "terminated", Flag(app.Terminated()));
  Field(text, "cursor", app.WaitCursor() ? "wait" : "arrow");
  text += '\n';
  for (Form* form : app.Forms()) {
    std::string line = "form";
    Field(line, "name", ToUtf8(form->Name()));
    Field(line, "class", ToUtf8(form->ClassName()));
    Field(line, "handle", std::to_string(form->Handle()));
    Field(line, "visible", Flag(form->Visible()));
    Field(line, "shown", Flag(form->WindowShown()));
    Field(line, "active", Flag(form->Active()));
    Field(line, "modal", Flag(form->Modal()));
    Field(line, "caption", ToUtf8(form->Caption()));
    Field(line, "bounds", Bounds(*form));
    Field(line, "alpha", std::to_string(form->AlphaBlend() ? form->AlphaBlendValue() : 255));
    Field(line, "cues", Flag(form->ShowFocusCues()));
    text += line + '\n';
    std::vector<Control*> controls;
    CollectControls(*form, controls);
    for (Control* c : controls) {
      std::string row = "control";
      Field(row, "form", ToUtf8(form->Name()));
      Field(row, "name", ToUtf8(c->Name()));
      Field(row, "class", ToUtf8(c->ClassName()));
      Field(row, "handle", std::to_string(c->Handle()));
      Field(row, "visible", Flag(c->Visible()));
      Field(row, "showing", Flag(c->Showing()));
      Field(row, "enabled", Flag(c->Enabled()));
      Field(row, "focused", Flag(c->Focused()));
      Field(row, "mouse", Flag(app.MouseControl() == c));
      if (auto* b = dynamic_cast<ButtonControl*>(c)) Field(row, "checked", Flag(b->Checked()));
      if (auto* p = dynamic_cast<ProgressBar*>(c)) Field(row, "position", std::to_string(p->Position()));
      if (auto* s = dynamic_cast<ScrollBar*>(c)) Field(row, "position", std::to_string(s->Position()));
      if (auto* r = dynamic_cast<RichEdit*>(c)) Field(row, "position", std::to_string(r->TopLine()));
      Field(row, "caption", ToUtf8(c->Caption()));
      if (c->Role() != AccessibleRole::None) Field(row, "accname", ToUtf8(c->AccessibleName()));
      Field(row, "bounds", Bounds(*c));
      const Point offset = c->FormOffset();
      Field(row, "screen", Rectangle(form->Left() + offset.x, form->Top() + offset.y, c->Width(), c->Height()));
      if (const Rect thumb = c->ScrollThumb(); !thumb.IsEmpty())
        Field(row, "thumb", Rectangle(form->Left() + offset.x + thumb.left, form->Top() + offset.y + thumb.top,
                                      thumb.Width(), thumb.Height()));
      text += row + '\n';
    }
  }
  return text;
}

}  // namespace win
