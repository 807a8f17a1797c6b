// The program side of driving: the state text and the requests a person's
// actions become; and the in-process driver for tests.
#include "platform/sim/ui_driver.h"

#include <cstdlib>
#include <future>
#include <memory>
#include <thread>

#include "platform/picture.h"

namespace sim {

using win::Control;
using win::Form;
using win::CollectControls;

// ---------------------------------------------------------------- requests

namespace {

Control* FindControlOf(Form& form, const std::string& name) {
  std::vector<Control*> controls;
  CollectControls(form, controls);
  const String wanted = win::FromUtf8(name);
  for (Control* c : controls)
    if (win::SameText(c->Name(), wanted)) return c;
  return nullptr;
}

// The mouse moves onto a control: the one it leaves hears WM_MOUSELEAVE and
// the toolkit's leave notice, the new one the enter notice and a move.
void MoveMouseTo(win::Application& app, Control* target) {
  Control* previous = app.MouseControl();
  if (previous != target) {
    app.SetMouseControl(nullptr);
    if (previous) {
      previous->Perform(win::kWmMouseLeave);
      previous->Perform(win::kCmMouseLeave);
    }
    if (target && target->Enabled()) {
      app.SetMouseControl(target);
      target->Perform(win::kCmMouseEnter);
    }
  }
  if (target && target->Enabled())
    target->Perform(win::kWmMouseMove, 0, win::MakePointParam(target->Width() / 2, target->Height() / 2));
}

void ClickControl(win::Application& app, Control* control) {
  MoveMouseTo(app, control);
  // A disabled window gets no mouse input.
  if (!control->Enabled()) return;
  const intptr_t point = win::MakePointParam(control->Width() / 2, control->Height() / 2);
  control->Perform(win::kWmLButtonDown, 1, point);
  control->Perform(win::kWmLButtonUp, 0, point);
}

// A key as a script names it: Tab, Shift+Tab, Space, Enter, Escape, the
// arrows, Home, End, PgUp and PgDn.
bool ParseKey(const std::string& name, uint16_t& key, win::ShiftState& shift) {
  static const std::pair<const char*, uint16_t> kKeys[] = {
      {"Tab", win::kVkTab},     {"Space", win::kVkSpace}, {"Enter", win::kVkReturn}, {"Escape", win::kVkEscape},
      {"Up", win::kVkUp},       {"Down", win::kVkDown},   {"Left", win::kVkLeft},    {"Right", win::kVkRight},
      {"Home", win::kVkHome},   {"End", win::kVkEnd},     {"PgUp", win::kVkPrior},   {"PgDn", win::kVkNext}};
  std::string rest = name;
  shift = 0;
  if (rest.rfind("Shift+", 0) == 0) {
    shift = win::kSsShift;
    rest = rest.substr(6);
  }
  for (const auto& [word, code] : kKeys)
    if (rest == word) {
      key = code;
      return true;
    }
  return false;
}

// The mouse presses on a scroll bar's thumb, moves by (dx, dy) and lets go.
void DragThumb(win::Application& app, Control* control, const win::Rect& thumb, int dx, int dy) {
  MoveMouseTo(app, control);
  const int32_t x = (thumb.left + thumb.right) / 2, y = (thumb.top + thumb.bottom) / 2;
  control->Perform(win::kWmLButtonDown, 1, win::MakePointParam(x, y));
  control->Perform(win::kWmMouseMove, 1, win::MakePointParam(x + dx, y + dy));
  control->Perform(win::kWmLButtonUp, 0, win::MakePointParam(x + dx, y + dy));
}

bool ParseInt(const std::string& text, int& value) {
  int32_t v = 0;
  if (!win::TryStrToInt(win::FromUtf8(text), v)) return false;
  value = v;
  return true;
}

}  // namespace

void ExecuteUiRequest(win::Application& app, const std::vector<std::string>& words, const UiReply& reply) {
  const std::string action = words.empty() ? "" : words[0];
  if (action == "state") {
    reply("", DescribeUi(app));
    return;
  }
  const size_t wantedArgs = action == "close" ? 2 : action == "click" || action == "key" ? 3 : action == "snapshot" ? 3
                          : action == "tick" || action == "wheel" ? 4 : action == "drag" ? 5 : 0;
  if (wantedArgs == 0) {
    reply("unknown action \"" + action + "\"", "");
    return;
  }
  // The wheel may name the size of each turn (a touchpad's are small).
  const bool wheelWithDelta = action == "wheel" && words.size() == 5;
  if (words.size() != wantedArgs && !wheelWithDelta) {
    reply("wrong number of arguments for " + action, "");
    return;
  }
  Form* form = app.FindForm(win::FromUtf8(words[1]));
  if (!form) {
    reply("no form named " + words[1], "");
    return;
  }
  if (action == "snapshot") {
    const win::Bitmap picture = win::RenderForm(*form);
    if (picture.Empty()) reply("form " + words[1] + " has no size", "");
    else if (!win::SavePng(picture, words[2])) reply("cannot write " + words[2], "");
    else reply("", "");
    return;
  }
  if (!form->Visible() || !form->WindowShown()) {
    reply("form " + words[1] + " is not shown", "");
    return;
  }
  // While a form is shown modally, the others take no input.
  if (Form* modal = app.ModalForm(); modal && modal != form && modal->Visible()) {
    reply("form " + words[1] + " is behind the modal form " + win::ToUtf8(modal->Name()), "");
    return;
  }
  if (action == "close") {
    reply("", "");
    form->Perform(win::kWmClose);
    return;
  }
  if (action == "key") {
    uint16_t key = 0;
    win::ShiftState shift = 0;
    if (!ParseKey(words[2], key, shift)) {
      reply("unknown key \"" + words[2] +
                "\" (Tab, Shift+Tab, Space, Enter, Escape, Up, Down, Left, Right, Home, End, PgUp or PgDn)",
            "");
      return;
    }
    reply("", "");
    form->KeyDown(key, shift);
    form->KeyUp(key, shift);
    return;
  }
  Control* control = FindControlOf(*form, words[2]);
  if (!control) {
    reply("form " + words[1] + " has no control named " + words[2], "");
    return;
  }
  if (!control->Showing()) {
    reply("control " + words[1] + "." + words[2] + " is not visible", "");
    return;
  }
  if (action == "click") {
    reply("", "");
    ClickControl(app, control);
  } else if (action == "tick") {
    auto* box = dynamic_cast<win::ButtonControl*>(control);
    if (!box || (words[3] != "0" && words[3] != "1")) {
      reply(box ? "tick takes 0 or 1" : "control " + words[2] + " cannot be ticked", "");
      return;
    }
    reply("", "");
    if (box->Checked() != (words[3] == "1")) ClickControl(app, control);
  } else if (action == "drag") {
    int dx = 0, dy = 0;
    if (!ParseInt(words[3], dx) || !ParseInt(words[4], dy)) {
      reply("drag takes whole numbers of pixels", "");
      return;
    }
    const win::Rect thumb = control->ScrollThumb();
    if (thumb.IsEmpty() || !control->Enabled()) {
      reply("control " + words[1] + "." + words[2] + " shows no scroll bar thumb", "");
      return;
    }
    reply("", "");
    DragThumb(app, control, thumb, dx, dy);
  } else {  // wheel
    int notches = 0, delta = win::kWheelDelta;
    if (!ParseInt(words[3], notches) || (wheelWithDelta && (!ParseInt(words[4], delta) || delta <= 0 ||
                                                            delta > 0x7FFF))) {
      reply("wheel takes a whole number of turns and a size from 1 to 32767", "");
      return;
    }
    reply("", "");
    MoveMouseTo(app, control);
    const win::Point p = control->FormOffset();
    const intptr_t point = win::MakePointParam(form->Left() + p.x + control->Width() / 2,
                                               form->Top() + p.y + control->Height() / 2);
    // One message per turn; positive turns the wheel away from the user.
    const int signedDelta = notches > 0 ? delta : -delta;
    for (int i = 0; i < std::abs(notches); ++i)
      form->Perform(win::kWmMouseWheel, static_cast<uintptr_t>(static_cast<uint16_t>(signedDelta)) << 16, point);
  }
}

// ---------------------------------------------------------------- in-process driver

UiDriver::UiDriver(win::Application& application, std::chrono::milliseconds stepTimeout)
    : app_(&application), timeout_(stepTimeout) {}

std::string UiDriver::Request(const std::vector<std::string>& words, std::string* data) {
  struct Outcome {
    std::promise<std::pair<std::string, std::string>> promise;
    bool done = false;
  };
  auto outcome = std::make_shared<Outcome>();
  auto future = outcome->promise.get_future();
  win::Application* app = app_;
  app->Queue([app, words, outcome] {
    ExecuteUiRequest(*app, words, [outcome](const std::string& error, const std::string& text) {
      if (outcome->done) return;
      outcome->done = true;
      outcome->promise.set_value({error, text});
    });
  });
  if (future.wait_for(timeout_) != std::future_status::ready)
    return "timeout: the program did not take the request \"" + words[0] + "\"";
  auto result = future.get();
  if (data) *data = result.second;
  return result.first;
}

std::string UiDriver::State() {
  std::string data;
  const std::string error = Request({"state"}, &data);
  return error.empty() ? data : "";
}

std::string UiDriver::WaitForm(const std::string& form) {
  const auto deadline = std::chrono::steady_clock::now() + timeout_;
  while (std::chrono::steady_clock::now() < deadline) {
    if (app_->Terminated()) return "the program ended while waiting for " + form;
    const std::string line = FindStateLine(State(), form);
    if (!line.empty()) {
      const auto fields = SplitTabs(line);
      if (StateField(fields, "visible") == "1" && StateField(fields, "shown") == "1") return "";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "timeout: form " + form + " was not shown";
}

std::string UiDriver::WaitEnd() {
  const auto deadline = std::chrono::steady_clock::now() + timeout_;
  while (std::chrono::steady_clock::now() < deadline) {
    if (app_->Terminated()) return "";
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "timeout: the program did not end";
}

std::string UiDriver::Click(const std::string& form, const std::string& control) {
  return Request({"click", form, control});
}

std::string UiDriver::Tick(const std::string& form, const std::string& control, bool checked) {
  return Request({"tick", form, control, checked ? "1" : "0"});
}

std::string UiDriver::Wheel(const std::string& form, const std::string& control, int notches, int delta) {
  return Request({"wheel", form, control, std::to_string(notches), std::to_string(delta)});
}

std::string UiDriver::Drag(const std::string& form, const std::string& control, int dx, int dy) {
  return Request({"drag", form, control, std::to_string(dx), std::to_string(dy)});
}

std::string UiDriver::Close(const std::string& form) { return Request({"close", form}); }

std::string UiDriver::Key(const std::string& form, const std::string& key) { return Request({"key", form, key}); }

std::string UiDriver::Snapshot(const std::string& form, const std::string& hostPath) {
  return Request({"snapshot", form, hostPath});
}

std::string UiDriver::Expect(const std::string& form, const std::string& control, const std::string& property,
                             const std::string& value) {
  const auto deadline = std::chrono::steady_clock::now() + timeout_;
  std::string seen = "(no such control)";
  while (std::chrono::steady_clock::now() < deadline) {
    const std::string line = FindStateLine(State(), form, control);
    if (!line.empty()) {
      seen = StateField(SplitTabs(line), property);
      if (seen == value) return "";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "expected " + form + "." + control + " " + property + " \"" + value + "\", found \"" + seen + "\"";
}

}  // namespace sim
