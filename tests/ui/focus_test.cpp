// Keyboard focus and keys: the first tab stop takes the focus when a form
// comes up, Tab and Shift+Tab go round the controls that can take it, and
// Space and Enter press what has it.
#include <gtest/gtest.h>

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

}  // namespace
