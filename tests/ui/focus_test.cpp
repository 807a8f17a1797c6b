// Keyboard focus and keys: the default button (else the first tab stop)
// takes the focus when a form comes up, Tab and Shift+Tab go round the
// controls that can take it, Space and Enter press what has it, Enter the
// default button and Escape the Cancel button, the arrows move between radio
// buttons, and the focus frame shows once the keyboard was used.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui.h"

namespace {

using win::GetApplication;

// A screen with a label, a disabled button, a check box, a hidden button, a
// button inside a group box and a last button. Every control records the
// focus, key and state messages it sees, named "<control>:<message>".
struct Screen {
  Screen() {
    win::ResetApplication();
    form = GetApplication().CreateForm<win::Form>(u"FTest");
    form->SetBounds(0, 0, 300, 200);
    form->Create<win::Label>(u"lb_Title");
    disabled = form->Create<win::Button>(u"bt_Off");
    disabled->SetEnabled(false);
    box = form->Create<win::CheckBox>(u"ck_Box");
    hidden = form->Create<win::Button>(u"bt_Hidden");
    hidden->Hide();
    auto* group = form->Create<win::GroupBox>(u"gb_Group");
    inner = group->Create<win::Button>(u"bt_Inner");
    last = form->Create<win::Button>(u"bt_Last");
    for (win::Control* c : std::vector<win::Control*>{disabled, box, hidden, inner, last}) {
      c->SetBounds(0, 0, 80, 24);
      Record(c);
      c->OnClick = [this, c](win::Component*) { seen.push_back(Name(c) + ":click"); };
    }
  }
  ~Screen() { win::ResetApplication(); }

  static std::string Name(win::Control* c) { return std::string(c->Name().begin(), c->Name().end()); }
  void Record(win::Control* c) {
    win::WndMethod saved = c->WindowProc();
    c->SetWindowProc([this, c, saved](win::Message& m) {
      const char* what = m.msg == win::kWmSetFocus    ? "setfocus"
                         : m.msg == win::kWmKillFocus ? "killfocus"
                         : m.msg == win::kWmKeyDown   ? "keydown"
                         : m.msg == win::kWmKeyUp     ? "keyup"
                         : m.msg == win::kBmSetState  ? (m.wParam ? "pressed" : "released")
                                                      : nullptr;
      if (what) seen.push_back(Name(c) + ":" + what);
      saved(m);
    });
  }
  // What was seen since the last call.
  std::vector<std::string> Take() { return std::exchange(seen, {}); }
  void Press(uint16_t key, win::ShiftState shift = 0) {
    form->KeyDown(key, shift);
    form->KeyUp(key, shift);
  }

  win::Form* form = nullptr;
  win::Button* disabled = nullptr;
  win::CheckBox* box = nullptr;
  win::Button* hidden = nullptr;
  win::Button* inner = nullptr;
  win::Button* last = nullptr;
  std::vector<std::string> seen;
};

TEST(Focus, TabGoesRoundTheControlsThatCanTakeIt) {
  Screen s;
  s.form->Show();
  // The label, the disabled and the hidden button are passed over.
  EXPECT_EQ(s.form->ActiveControl(), s.box);
  EXPECT_TRUE(s.box->Focused());
  EXPECT_EQ(s.Take(), (std::vector<std::string>{"ck_Box:setfocus"}));

  s.Press(win::kVkTab);
  EXPECT_EQ(s.form->ActiveControl(), s.inner);  // a button inside a group box is in the round
  EXPECT_EQ(s.Take(), (std::vector<std::string>{"ck_Box:killfocus", "bt_Inner:setfocus"}));
  s.Press(win::kVkTab);
  s.Press(win::kVkTab);
  EXPECT_EQ(s.form->ActiveControl(), s.box);  // round again after the last
  s.Press(win::kVkTab, win::kSsShift);
  EXPECT_EQ(s.form->ActiveControl(), s.last);  // and back the other way

  // A control that becomes able to take the focus joins the round.
  s.disabled->SetEnabled(true);
  s.Press(win::kVkTab);
  EXPECT_EQ(s.form->ActiveControl(), s.disabled);
  // Showing the form again keeps a focus that can stay.
  s.form->Hide();
  s.form->Show();
  EXPECT_EQ(s.form->ActiveControl(), s.disabled);
}

TEST(Focus, SpaceAndEnterPressWhatHasTheFocus) {
  Screen s;
  s.form->Show();
  s.Take();
  // A check box: Space presses it and toggles it when released.
  s.Press(win::kVkSpace);
  EXPECT_TRUE(s.box->Checked());
  EXPECT_EQ(s.Take(), (std::vector<std::string>{"ck_Box:keydown", "ck_Box:pressed", "ck_Box:keyup",
                                                "ck_Box:released", "ck_Box:click"}));
  s.Press(win::kVkReturn);  // Enter does nothing to a check box
  EXPECT_TRUE(s.box->Checked());
  s.Take();

  s.last->SetFocus();
  s.Take();
  s.Press(win::kVkSpace);
  EXPECT_EQ(s.Take(), (std::vector<std::string>{"bt_Last:keydown", "bt_Last:pressed", "bt_Last:keyup",
                                                "bt_Last:released", "bt_Last:click"}));
  s.Press(win::kVkReturn);
  EXPECT_EQ(s.Take(), (std::vector<std::string>{"bt_Last:keydown", "bt_Last:click", "bt_Last:keyup"}));

  // A button disabled while it has the focus takes no keys.
  s.last->SetEnabled(false);
  s.Press(win::kVkSpace);
  EXPECT_TRUE(s.Take().empty());
}

TEST(Focus, NoKeysBehindAModalFormAndNoFocusOnAControlThatIsGone) {
  Screen s;
  s.form->Show();
  auto* dialog = GetApplication().CreateForm<win::Form>(u"FDialog");
  auto* ok = dialog->Create<win::Button>(u"bt_OK");
  ok->SetBounds(0, 0, 80, 24);
  ok->OnClick = [dialog](win::Component*) { dialog->SetModalResult(win::kMrOk); };
  int result = 0;
  // The modal loop runs the keys queued for it: one for the form behind,
  // which is lost, then Enter on the dialog's focused OK.
  GetApplication().Queue([&] {
    s.form->KeyDown(win::kVkSpace, 0);
    s.form->KeyUp(win::kVkSpace, 0);
    dialog->KeyDown(win::kVkReturn, 0);
  });
  result = dialog->ShowModal();
  EXPECT_EQ(result, win::kMrOk);
  EXPECT_FALSE(s.box->Checked());

  // A group box made and freed at run time, with the focus on its button.
  auto panel = std::make_unique<win::GroupBox>(nullptr);
  panel->SetParent(s.form);
  auto* onPanel = panel->Create<win::Button>(u"bt_OnPanel");
  onPanel->SetFocus();
  ASSERT_EQ(s.form->ActiveControl(), onPanel);
  panel.reset();
  EXPECT_EQ(s.form->ActiveControl(), nullptr);
  s.Press(win::kVkTab);
  EXPECT_EQ(s.form->ActiveControl(), s.box);
}

// Only the clicks of what was seen.
std::vector<std::string> Clicks(std::vector<std::string> seen) {
  std::erase_if(seen, [](const std::string& e) { return !e.ends_with(":click"); });
  return seen;
}

TEST(Focus, EnterPressesTheDefaultButtonAndEscapeTheCancelButton) {
  struct Case {
    const char* what;
    const char* focusOn;  // ck_Box or bt_Inner
    uint16_t key;
    bool cancelHidden;
    bool defaultDisabled;
    std::vector<std::string> clicks;
  } cases[] = {
      {"Enter on a check box presses the default", "ck_Box", win::kVkReturn, false, false, {"bt_Last:click"}},
      {"Enter on another push button presses that one", "bt_Inner", win::kVkReturn, false, false,
       {"bt_Inner:click"}},
      {"Escape presses Cancel wherever the focus is", "ck_Box", win::kVkEscape, false, false, {"bt_Off:click"}},
      {"Escape without a Cancel that shows does nothing", "ck_Box", win::kVkEscape, true, false, {}},
      {"Enter with the default disabled does nothing", "ck_Box", win::kVkReturn, false, true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Screen s;
    s.disabled->SetEnabled(true);
    s.disabled->SetCancel(true);
    s.last->SetDefault(true);
    if (c.cancelHidden) s.disabled->Hide();
    if (c.defaultDisabled) s.last->SetEnabled(false);
    s.form->Show();
    win::Control* target = std::string(c.focusOn) == "bt_Inner" ? s.inner : static_cast<win::Control*>(s.box);
    target->SetFocus();
    s.Take();
    s.Press(c.key);
    EXPECT_EQ(Clicks(s.Take()), c.clicks);
    EXPECT_FALSE(s.box->Checked());
  }
}

TEST(Focus, AFormComesUpOnItsDefaultButtonElseOnItsFirstTabStop) {
  Screen s;
  s.last->SetDefault(true);
  s.form->Show();
  EXPECT_EQ(s.form->ActiveControl(), s.last);

  Screen t;
  t.last->SetDefault(true);
  t.last->SetEnabled(false);  // as a Next that waits for a choice
  t.form->Show();
  EXPECT_EQ(t.form->ActiveControl(), t.box);
}

// Where two pictures of a form differ ({} when they are the same).
win::Rect DifferenceBox(const win::Bitmap& a, const win::Bitmap& b) {
  win::Rect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (int32_t y = 0; y < a.Height(); ++y)
    for (int32_t x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
  return box.left == INT32_MAX ? win::Rect{} : box;
}

TEST(Focus, TheFocusFrameShowsOnlyOnceTheKeyboardWasUsed) {
  Screen s;
  s.form->SetColor(win::RGB(20, 40, 60));
  s.box->SetBounds(10, 10, 80, 24);
  s.last->SetBounds(100, 100, 80, 24);
  s.inner->Parent()->SetBounds(200, 10, 90, 60);
  s.form->Show();
  ASSERT_EQ(s.form->ActiveControl(), s.box);
  const win::Bitmap before = win::RenderForm(*s.form);
  EXPECT_FALSE(s.form->ShowFocusCues());

  // The mouse moves the focus without showing it.
  s.last->Perform(win::kWmLButtonDown, 1, win::MakePointParam(5, 5));
  s.last->Perform(win::kWmLButtonUp, 0, win::MakePointParam(500, 500));  // released elsewhere: no click
  ASSERT_EQ(s.form->ActiveControl(), s.last);
  EXPECT_FALSE(s.form->ShowFocusCues());
  EXPECT_EQ(win::RenderForm(*s.form), before);

  // The first key shows it, on the control with the focus and nowhere else.
  s.Press(win::kVkTab);
  ASSERT_EQ(s.form->ActiveControl(), s.box);
  EXPECT_TRUE(s.form->ShowFocusCues());
  const win::Bitmap framed = win::RenderForm(*s.form);
  EXPECT_EQ(DifferenceBox(before, framed), (win::Rect{12, 12, 88, 32}));
  // It follows the focus, into a group box too.
  s.Press(win::kVkTab);
  ASSERT_EQ(s.form->ActiveControl(), s.inner);
  EXPECT_EQ(DifferenceBox(before, win::RenderForm(*s.form)), (win::Rect{202, 12, 278, 32}));

  // Another form keeps its cues hidden until it has a key of its own.
  auto* other = GetApplication().CreateForm<win::Form>(u"FOther");
  other->Create<win::Button>(u"bt_One")->SetBounds(0, 0, 80, 24);
  other->Show();
  EXPECT_FALSE(other->ShowFocusCues());
}

TEST(Focus, ArrowsMoveTheChoiceBetweenRadioButtonsAndTabStopsAtTheTickedOne) {
  win::ResetApplication();
  auto* form = GetApplication().CreateForm<win::Form>(u"FRadios");
  form->SetBounds(0, 0, 300, 200);
  auto* first = form->Create<win::Button>(u"bt_First");
  auto* group = form->Create<win::GroupBox>(u"gb_Choice");
  auto* a = group->Create<win::RadioButton>(u"rb_A");
  auto* b = group->Create<win::RadioButton>(u"rb_B");
  auto* c = group->Create<win::RadioButton>(u"rb_C");
  auto* after = form->Create<win::Button>(u"bt_After");
  for (win::Control* control : std::vector<win::Control*>{first, group, a, b, c, after})
    control->SetBounds(0, 0, 80, 24);
  b->SetEnabled(false);
  a->SetChecked(true);
  form->Show();
  const auto press = [form](uint16_t key, win::ShiftState shift = 0) {
    form->KeyDown(key, shift);
    form->KeyUp(key, shift);
  };
  struct Step {
    uint16_t key;
    win::ShiftState shift;
    win::Control* focused;
    win::RadioButton* ticked;
  } steps[] = {
      {win::kVkTab, 0, a, a},                   // Tab lands on the ticked one
      {win::kVkDown, 0, c, c},                  // the disabled one is passed over
      {win::kVkRight, 0, a, a},                 // round again
      {win::kVkUp, 0, c, c},                    // and back
      {win::kVkTab, 0, after, c},               // the unticked ones are no tab stops
      {win::kVkTab, win::kSsShift, c, c},       // back to the ticked one
      {win::kVkLeft, 0, a, a},
  };
  for (const Step& step : steps) {
    press(step.key, step.shift);
    EXPECT_EQ(form->ActiveControl(), step.focused) << win::ToUtf8(form->ActiveControl()->Name());
    EXPECT_TRUE(step.ticked->Checked());
    for (win::RadioButton* radio : {a, b, c}) {
      if (radio != step.ticked) {
        EXPECT_FALSE(radio->Checked());
      }
    }
  }
  // Arrows on a push button do nothing.
  first->SetFocus();
  press(win::kVkDown);
  EXPECT_EQ(form->ActiveControl(), first);
  win::ResetApplication();
}

}  // namespace
