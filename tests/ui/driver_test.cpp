// The in-process driver: a person's click as the messages a skin sees, ticks,
// the wheel over a list, controls that cannot be clicked, message boxes.
#include <gtest/gtest.h>

#include "platform/sim/ui_driver.h"
#include "platform/ui.h"
#include "ui_fixture.h"

namespace {

using win::GetApplication;

struct Screen {
  win::Form* form = nullptr;
  win::Button* next = nullptr;
  win::Button* off = nullptr;
  win::Button* hidden = nullptr;
  win::CheckBox* check = nullptr;
  win::RadioButton* agree = nullptr;
  win::RadioButton* decline = nullptr;
  win::Label* row = nullptr;
  win::Label* other = nullptr;
  std::vector<std::string> log;
  int wheel = 0;
  bool overList = false;
};

void Build(Screen& s) {
  win::Application& app = GetApplication();
  app.CreateForm<win::Form>(u"FMain");
  app.showMainForm = false;
  s.form = app.CreateForm<win::Form>(u"FWelcome");
  s.form->SetBounds(0, 0, 300, 200);
  auto button = [&](const char16_t* name, int top) {
    auto* b = s.form->Create<win::Button>(name);
    b->SetBounds(10, top, 60, 20);
    return b;
  };
  s.next = button(u"bt_Next", 10);
  s.off = button(u"bt_Off", 40);
  s.off->SetEnabled(false);
  s.hidden = button(u"bt_Hidden", 70);
  s.hidden->Hide();
  s.check = s.form->Create<win::CheckBox>(u"ck_Box");
  s.check->SetBounds(100, 10, 80, 20);
  s.agree = s.form->Create<win::RadioButton>(u"rb_Agree");
  s.agree->SetBounds(100, 40, 80, 20);
  s.decline = s.form->Create<win::RadioButton>(u"rb_Decline");
  s.decline->SetBounds(100, 70, 80, 20);
  s.row = s.form->Create<win::Label>(u"lb_Row");
  s.row->SetBounds(100, 100, 80, 20);
  s.other = s.form->Create<win::Label>(u"lb_Other");
  s.other->SetBounds(100, 130, 80, 20);
  s.other->OnMouseDown = [&s](win::Component*, win::MouseButton, win::ShiftState, int32_t, int32_t) {
    s.log.push_back("other down");
  };
  s.row->OnMouseEnter = [&s](win::Component*) { s.overList = true; };
  s.row->OnMouseLeave = [&s](win::Component*) { s.overList = false; };
  s.form->OnMouseWheelUp = [&s](win::Component*, win::ShiftState, win::Point, bool& handled) {
    handled = true;
    if (s.overList) ++s.wheel;
  };
  s.form->OnMouseWheelDown = [&s](win::Component*, win::ShiftState, win::Point, bool& handled) {
    handled = true;
    if (s.overList) --s.wheel;
  };
  // What a hook sees of the button, before it chains on.
  win::WndMethod saved = s.next->WindowProc();
  s.next->SetWindowProc([&s, saved](win::Message& m) {
    switch (m.msg) {
      case win::kCmMouseEnter: s.log.push_back("enter"); break;
      case win::kWmMouseMove: s.log.push_back("move"); break;
      case win::kWmLButtonDown: s.log.push_back("down"); break;
      case win::kWmLButtonUp: s.log.push_back("up"); break;
      case win::kBmSetState: s.log.push_back("state " + std::to_string(m.wParam)); break;
      case win::kWmMouseLeave: s.log.push_back("leave"); break;
      default: break;
    }
    saved(m);
  });
  s.next->OnClick = [&s](win::Component*) { s.log.push_back("click"); };
  for (win::ButtonControl* b : {static_cast<win::ButtonControl*>(s.check), static_cast<win::ButtonControl*>(s.agree),
                                static_cast<win::ButtonControl*>(s.decline)})
    b->OnClick = [&s, b](win::Component*) { s.log.push_back(win::ToUtf8(b->Name())); };
  s.form->Show();
}

TEST(UiDriver, AClickIsTheMessageSequenceOfARealClick) {
  Screen s;
  uitest::UiThread ui([&] { Build(s); });
  sim::UiDriver driver(GetApplication(), std::chrono::seconds(5));
  ASSERT_EQ(driver.WaitForm("FWelcome"), "");
  ASSERT_EQ(driver.Click("FWelcome", "bt_Next"), "");
  ASSERT_EQ(driver.Click("FWelcome", "lb_Other"), "");
  // The button tells itself its pressed state while it handles the mouse
  // button, clicks on the release, and hears a leave when the mouse moves on.
  EXPECT_EQ(ui.Call([&] { return s.log; }),
            (std::vector<std::string>{"enter", "move", "down", "state 1", "up", "state 0", "click", "leave",
                                      "other down"}));
}

TEST(UiDriver, TicksWheelAndControlsThatCannotBeClicked) {
  Screen s;
  uitest::UiThread ui([&] { Build(s); });
  sim::UiDriver driver(GetApplication(), std::chrono::seconds(5));
  ASSERT_EQ(driver.WaitForm("FWelcome"), "");
  EXPECT_EQ(driver.Tick("FWelcome", "ck_Box", true), "");
  EXPECT_EQ(driver.Tick("FWelcome", "ck_Box", true), "");  // already ticked: no click
  EXPECT_EQ(driver.Click("FWelcome", "rb_Agree"), "");
  EXPECT_EQ(driver.Click("FWelcome", "rb_Decline"), "");
  EXPECT_EQ(driver.Expect("FWelcome", "rb_Agree", "checked", "0"), "");
  EXPECT_EQ(driver.Expect("FWelcome", "ck_Box", "checked", "1"), "");
  // The wheel counts only while the mouse is over the list row.
  EXPECT_EQ(driver.Wheel("FWelcome", "lb_Row", -3), "");
  EXPECT_EQ(driver.Wheel("FWelcome", "lb_Row", 1), "");
  EXPECT_EQ(driver.Wheel("FWelcome", "lb_Other", 5), "");
  EXPECT_EQ(ui.Call([&] { return s.wheel; }), -2);
  // A disabled button takes no click; a hidden one cannot be reached.
  EXPECT_EQ(driver.Click("FWelcome", "bt_Off"), "");
  EXPECT_EQ(driver.Click("FWelcome", "bt_Hidden"), "control FWelcome.bt_Hidden is not visible");
  EXPECT_EQ(driver.Click("FWelcome", "bt_Gone"), "form FWelcome has no control named bt_Gone");
  EXPECT_EQ(driver.Click("FNowhere", "bt_Next"), "no form named FNowhere");
  EXPECT_EQ(driver.Click("FMain", "bt_Next"), "form FMain is not shown");
  EXPECT_EQ(ui.Call([&] { return s.log; }), (std::vector<std::string>{"ck_Box", "rb_Agree", "rb_Decline"}));
}

TEST(UiDriver, MessageBoxesAreFormsToAnswer) {
  Screen s;
  int answer = 0;
  uitest::UiThread ui([&] { Build(s); });
  ui.Call([&] {
    s.next->OnClick = [&](win::Component*) {
      answer = GetApplication().MessageBox(win::GetDesktopWindow(), u"Remove the old copy?", u"Zorvex7",
                                           win::kMbOkCancel | win::kMbIconError);
    };
    return 0;
  });
  sim::UiDriver driver(GetApplication(), std::chrono::seconds(5));
  ASSERT_EQ(driver.Click("FWelcome", "bt_Next"), "");
  ASSERT_EQ(driver.WaitForm("MessageBox"), "");
  EXPECT_EQ(driver.Expect("MessageBox", "Message", "caption", "Remove the old copy?"), "");
  EXPECT_NE(sim::FindStateLine(driver.State(), "MessageBox").find("caption=Zorvex7"), std::string::npos);
  EXPECT_EQ(driver.Click("FWelcome", "ck_Box"), "form FWelcome is behind the modal form MessageBox");
  ASSERT_EQ(driver.Click("MessageBox", "Cancel"), "");
  for (int i = 0; i < 200 && ui.Call([&] { return answer; }) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(ui.Call([&] { return answer; }), win::kIdCancel);
  EXPECT_EQ(sim::FindStateLine(driver.State(), "MessageBox"), "");  // gone again
}

TEST(UiDriver, ClosingAMessageBoxAnswersAsWindowsDoes) {
  Screen s;
  std::vector<int> answers;
  uitest::UiThread ui([&] { Build(s); });
  ui.Call([&] {
    s.next->OnClick = [&](win::Component*) {
      for (uint32_t flags : {win::kMbOk, win::kMbOkCancel, win::kMbYesNo})
        answers.push_back(GetApplication().MessageBox(0, u"Question", u"Zorvex7", flags));
    };
    return 0;
  });
  sim::UiDriver driver(GetApplication(), std::chrono::seconds(5));
  ASSERT_EQ(driver.Click("FWelcome", "bt_Next"), "");
  for (int box = 0; box < 3; ++box) {
    ASSERT_EQ(driver.Expect("MessageBox", "Message", "showing", "1"), "");
    ASSERT_EQ(driver.Close("MessageBox"), "");
    if (box == 2) {
      // A Yes/No box stays until it is answered.
      ASSERT_EQ(driver.Expect("MessageBox", "No", "showing", "1"), "");
      ASSERT_EQ(driver.Click("MessageBox", "No"), "");
    }
    for (int i = 0; i < 400 && ui.Call([&] { return answers.size(); }) <= static_cast<size_t>(box); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(ui.Call([&] { return answers; }), (std::vector<int>{win::kIdOk, win::kIdCancel, win::kIdNo}));
}

}  // namespace
