// The widget model: ownership order and class names, forms' close and modal
// behaviour, the message loop's timers and posted messages, and workers'
// progress reaching the screen in order.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/sim/ui_driver.h"
#include "platform/thread.h"
#include "platform/ui.h"
#include "support/sim_machine.h"
#include "ui_fixture.h"

namespace {

using win::Application;
using win::GetApplication;

class LabelSubclass : public win::Label {
 public:
  explicit LabelSubclass(win::Component* owner) : Label(owner) { SetClassName(u"TLabelX"); }
};

// A screen builds its texts from its own name while it is constructed.
class Screen : public win::Form {
 public:
  explicit Screen(win::Component* owner) : Form(owner, u"TFScreen"), nameInConstructor(Name()) {}
  std::u16string nameInConstructor;
};

TEST(UiModel, ScreensKnowTheirNameWhileConstructed) {
  win::ResetApplication();
  auto* first = GetApplication().CreateForm<Screen>(u"FPrepare");
  auto* second = GetApplication().CreateForm<Screen>(u"FWelcome");
  EXPECT_EQ(first->nameInConstructor, u"FPrepare");
  EXPECT_EQ(second->nameInConstructor, u"FWelcome");
  EXPECT_EQ(second->ClassName(), u"TFScreen");
  EXPECT_EQ(GetApplication().MainForm(), first);
  win::ResetApplication();
}

TEST(UiModel, ComponentsKeepCreationOrderWithExactClassNames) {
  win::ResetApplication();
  auto* form = GetApplication().CreateForm<win::Form>(u"FTest");
  auto* group = form->Create<win::GroupBox>(u"gb_Box");
  form->Create<win::Label>(u"lb_One");
  form->Create<win::Button>(u"bt_Two");
  form->Create<win::CheckBox>(u"ck_Three");
  form->Create<win::RadioButton>(u"rb_Four");
  form->Create<win::Image>(u"im_Five");
  form->Create<win::ProgressBar>(u"pb_Six");
  form->Create<win::RichEdit>(u"re_Seven");
  form->Create<LabelSubclass>(u"lb_Sub");
  auto* inner = form->Create<win::Label>(u"lb_Inner");
  inner->SetParent(group);
  form->Create<win::Timer>(u"Timer1");

  const std::vector<std::pair<std::u16string, std::u16string>> expected = {
      {u"gb_Box", u"TGroupBox"},     {u"lb_One", u"TLabel"},       {u"bt_Two", u"TButton"},
      {u"ck_Three", u"TCheckBox"},   {u"rb_Four", u"TRadioButton"}, {u"im_Five", u"TImage"},
      {u"pb_Six", u"TProgressBar"},  {u"re_Seven", u"TRichEdit"},  {u"lb_Sub", u"TLabelX"},
      {u"lb_Inner", u"TLabel"},      {u"Timer1", u"TTimer"}};
  ASSERT_EQ(form->ComponentCount(), static_cast<int>(expected.size()));
  for (int i = 0; i < form->ComponentCount(); ++i) {
    EXPECT_EQ(form->Components(i)->Name(), expected[i].first) << i;
    EXPECT_EQ(form->Components(i)->ClassName(), expected[i].second) << i;
  }
  EXPECT_EQ(form->ClassName(), u"TForm");
  // The owner stays the form; the parent is where it is drawn.
  EXPECT_EQ(inner->Owner(), form);
  EXPECT_EQ(inner->Parent(), group);
  EXPECT_EQ(form->FindComponent(u"LB_ONE"), form->Components(1));
  // Every control has a window of its own.
  EXPECT_NE(inner->Handle(), 0u);
  EXPECT_NE(inner->Handle(), group->Handle());
  win::ResetApplication();
}

TEST(UiModel, FontsFollowTheScreensPixelDensity) {
  zxtest::TempMachine machine({"dpi=120"});
  win::ResetApplication();
  auto* form = GetApplication().CreateForm<win::Form>(u"FTest");
  auto* box = form->Create<win::CheckBox>(u"ck_Box");
  EXPECT_EQ(box->GetFont().pixelsPerInch, 120);
  EXPECT_EQ(box->GetFont().height, -11);
  win::ResetApplication();
}

TEST(UiModel, AutoSizedLabelsFollowTheirCaption) {
  win::SetFixedTextMetrics(true);
  win::ResetApplication();
  auto* form = GetApplication().CreateForm<win::Form>(u"FTest");
  auto* fixed = form->Create<win::Label>(u"lb_Fixed");
  fixed->SetBounds(0, 0, 40, 15);
  fixed->SetCaption(u"A longer caption");
  EXPECT_EQ(fixed->BoundsRect(), (win::Rect{0, 0, 40, 15}));
  auto* sized = form->Create<win::Label>(u"lb_Sized");
  sized->SetBounds(5, 5, 40, 15);
  sized->SetAutoSize(true);
  sized->SetCaption(u"Line one\r\nTwo");
  EXPECT_EQ(sized->BoundsRect(), (win::Rect{5, 5, 85, 31}));  // 8 characters, two lines of 13
  auto* wrapped = form->Create<win::Label>(u"lb_Wrapped");
  wrapped->SetBounds(0, 0, 60, 13);
  wrapped->SetWordWrap(true);
  wrapped->SetAutoSize(true);
  wrapped->SetCaption(u"Go ahead and launch it");  // Go / ahead / and / launch / it
  EXPECT_EQ(wrapped->Width(), 60);
  EXPECT_EQ(wrapped->Height(), 5 * 13);
  win::ResetApplication();
  win::SetFixedTextMetrics(false);
}

// Japanese, Chinese and Korean text breaks between its characters, not only
// at blanks, but never before a closing mark.
TEST(UiModel, WordWrapBreaksBetweenChineseJapaneseAndKoreanCharacters) {
  win::SetFixedTextMetrics(true);  // 10 pixels a character: ten to a line of 100
  const win::Font font;
  struct Case {
    const char16_t* text;
    StringList lines;
  } cases[] = {
      {u"Zorvex7 \u30BD\u30D5\u30C8\u30A6\u30A7\u30A2\u3092\u8D77\u52D5\u3057\u307E\u3059",
       {u"Zorvex7 \u30BD\u30D5", u"\u30C8\u30A6\u30A7\u30A2\u3092\u8D77\u52D5\u3057\u307E\u3059"}},
      {u"\u7ACB\u5373\u555F\u52D5Zorvex7", {u"\u7ACB\u5373\u555F\u52D5", u"Zorvex7"}},  // no blank at all
      {u"\uC9C0\uAE08 \uC2E4\uD589\uD569\uB2C8\uB2E4 Zorvex7", {u"\uC9C0\uAE08 \uC2E4\uD589\uD569\uB2C8\uB2E4", u"Zorvex7"}},
      // Nine characters and a full stop that does not fit: the stop takes the
      // last character with it to the next line.
      {u"\u3042\u3044\u3046\u3048\u304A\u304B\u304D\u304F\u3051\u3053\u3002",
       {u"\u3042\u3044\u3046\u3048\u304A\u304B\u304D\u304F\u3051", u"\u3053\u3002"}},
      {u"Plain words wrap at blanks", {u"Plain", u"words wrap", u"at blanks"}},
  };
  for (const Case& c : cases) EXPECT_EQ(win::WordWrapLines(font, c.text, 100), c.lines) << win::ToUtf8(c.text);
  win::SetFixedTextMetrics(false);
}

TEST(UiModel, HooksSeeEveryMessageFirstAndChain) {
  win::ResetApplication();
  auto* form = GetApplication().CreateForm<win::Form>(u"FTest");
  auto* button = form->Create<win::Button>(u"bt_Ok");
  std::vector<uint32_t> seen;
  win::WndMethod saved = button->WindowProc();
  button->SetWindowProc([&](win::Message& m) {
    seen.push_back(m.msg);
    saved(m);
  });
  button->SetCaption(u"Go");
  button->SetEnabled(false);
  EXPECT_EQ(button->Caption(), u"Go");  // the saved procedure stored it
  EXPECT_EQ(seen, (std::vector<uint32_t>{win::kWmSetText, win::kWmEnable}));
  button->SetWindowProc(saved);
  button->SetCaption(u"Again");
  EXPECT_EQ(seen.size(), 2u);
  win::ResetApplication();
}

TEST(UiModel, CloseQueryRefusesAndMainFormEndsTheProgram) {
  bool refused = false;
  uitest::UiThread ui([&] {
    Application& app = GetApplication();
    auto* main = app.CreateForm<win::Form>(u"FMain");
    auto* other = app.CreateForm<win::Form>(u"FOther");
    main->SetBounds(0, 0, 50, 50);
    app.showMainForm = false;
    // The other screen refuses its own close and closes the main form.
    other->OnCloseQuery = [&, main](win::Component*, bool& canClose) {
      canClose = false;
      refused = true;
      main->Close();
    };
    other->Show();
  });
  EXPECT_FALSE(GetApplication().Terminated());
  // A form of this program: the post is queued here; what it does is checked below.
  (void)win::GetApplication().PostMessage(GetApplication().FindForm(u"FOther")->Handle(), win::kWmClose, 0, 0);
  for (int i = 0; i < 500 && !GetApplication().Terminated(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_TRUE(refused);
  EXPECT_TRUE(GetApplication().Terminated());
}

TEST(UiModel, ModalShowReturnsTheResultAndCloseGivesCancel) {
  std::vector<int> results;
  uitest::UiThread ui([&] {
    Application& app = GetApplication();
    app.CreateForm<win::Form>(u"FMain");
    auto* ask = app.CreateForm<win::Form>(u"FAsk");
    auto* ok = ask->Create<win::Button>(u"bt_OK");
    ok->SetBounds(10, 10, 60, 20);
    ok->OnClick = [ask](win::Component*) { ask->SetModalResult(win::kMrOk); };
    app.showMainForm = false;
  });
  // Each modal show runs from a posted task, as a screen's handler would.
  auto showModal = [&] {
    GetApplication().Queue([&] { results.push_back(GetApplication().FindForm(u"FAsk")->ShowModal()); });
  };
  sim::UiDriver driver(GetApplication(), std::chrono::seconds(5));
  showModal();
  ASSERT_EQ(driver.WaitForm("FAsk"), "");
  ASSERT_EQ(driver.Click("FAsk", "bt_OK"), "");
  showModal();
  ASSERT_EQ(driver.Expect("FAsk", "bt_OK", "showing", "1"), "");
  ASSERT_EQ(driver.Close("FAsk"), "");
  ASSERT_EQ(driver.Expect("FAsk", "bt_OK", "showing", "0"), "");
  EXPECT_EQ(ui.Call([&] { return results; }), (std::vector<int>{win::kMrOk, win::kMrCancel}));
}

TEST(UiModel, TimersFireInDueOrderOnTheLoop) {
  std::mutex mutex;
  std::vector<std::string> fired;
  std::thread::id loopThread;
  uitest::UiThread ui([&] {
    Application& app = GetApplication();
    auto* form = app.CreateForm<win::Form>(u"FMain");
    app.showMainForm = false;
    loopThread = std::this_thread::get_id();
    auto add = [&](const char16_t* name, uint32_t interval, const char* tag) {
      auto* t = form->Create<win::Timer>(name);
      t->SetInterval(interval);
      t->OnTimer = [&, t, tag](win::Component*) {
        std::lock_guard<std::mutex> lock(mutex);
        EXPECT_EQ(std::this_thread::get_id(), loopThread);
        fired.push_back(tag);
        t->SetEnabled(false);  // once each
      };
    };
    add(u"Slow", 120, "slow");
    add(u"Fast", 20, "fast");
    add(u"Middle", 60, "middle");
    auto* disabled = form->Create<win::Timer>(u"Off");
    disabled->SetEnabled(false);
    disabled->SetInterval(10);
    disabled->OnTimer = [&](win::Component*) { fired.push_back("off"); };
  });
  for (int i = 0; i < 200; ++i) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (fired.size() >= 3) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  std::lock_guard<std::mutex> lock(mutex);
  EXPECT_EQ(fired, (std::vector<std::string>{"fast", "middle", "slow"}));
}

TEST(UiModel, PostedMessagesFromAnotherThreadArriveInOrderOnTheUiThread) {
  std::vector<uint32_t> received;
  std::thread::id loopThread, handlerThread;
  uint32_t finished = 0;
  uitest::UiThread ui([&] {
    Application& app = GetApplication();
    auto* form = app.CreateForm<win::Form>(u"FInstall");
    app.showMainForm = false;
    loopThread = std::this_thread::get_id();
    finished = app.RegisterWindowMessage(u"INSTALL_THREAD_FINISHED");
    win::WndMethod saved = form->WindowProc();
    form->SetWindowProc([&, saved](win::Message& m) {
      if (m.msg == win::kWmUser + 1 || m.msg == finished) {
        received.push_back(m.msg == finished ? 0 : static_cast<uint32_t>(m.wParam));
        handlerThread = std::this_thread::get_id();
        return;
      }
      saved(m);
    });
  });
  const win::WindowHandle target = ui.Call([] { return GetApplication().FindForm(u"FInstall")->Handle(); });
  // The registered number is the same each time the name is registered.
  EXPECT_EQ(GetApplication().RegisterWindowMessage(u"INSTALL_THREAD_FINISHED"), finished);
  EXPECT_GE(finished, 0xC000u);
  std::thread worker([&] {
    // What arrives, and in which order, is checked below.
    for (uint32_t i = 1; i <= 50; ++i) (void)GetApplication().PostMessage(target, win::kWmUser + 1, i, 0);
    // The platform's own PostMessage reaches the same queue.
    (void)win::PostMessage(target, finished, 0, 0);
  });
  worker.join();
  std::vector<uint32_t> expected;
  for (uint32_t i = 1; i <= 50; ++i) expected.push_back(i);
  expected.push_back(0);
  for (int i = 0; i < 500 && ui.Call([&] { return received.size(); }) < expected.size(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_EQ(ui.Call([&] { return received; }), expected);
  EXPECT_EQ(handlerThread, loopThread);
}

// A worker writing a status line and a bar, then reporting completion.
class ProgressWorker : public win::Thread {
 public:
  ProgressWorker(win::StatusLine& status, win::ProgressIndicator& bar, win::WindowHandle target, uint32_t done)
      : status_(status), bar_(bar), target_(target), done_(done) {}
  std::vector<int> readBack;

 protected:
  void Execute() override {
    for (int i = 1; i <= 40; ++i) {
      status_.SetStatusText(u"Step " + win::IntToStr(i));
      bar_.SetPosition(i * 3);
      readBack.push_back(bar_.Position());
    }
    bar_.SetPosition(250);  // kept within the bar's range
    readBack.push_back(bar_.Position());
    // Whether the completion arrives is what the test waits for.
    (void)win::PostMessage(target_, done_, 0, 0);
  }

 private:
  win::StatusLine& status_;
  win::ProgressIndicator& bar_;
  win::WindowHandle target_;
  uint32_t done_;
};

TEST(UiModel, WorkerUpdatesArriveInOrderBeforeItsCompletionMessage) {
  std::vector<std::u16string> captions;
  std::vector<int> positions;
  bool completedAfterLastUpdate = false;
  win::Label* label = nullptr;
  win::ProgressBar* bar = nullptr;
  win::Form* form = nullptr;
  uint32_t done = 0;
  uitest::UiThread ui([&] {
    Application& app = GetApplication();
    form = app.CreateForm<win::Form>(u"FInstall");
    app.showMainForm = false;
    label = form->Create<win::Label>(u"lb_InstallProc");
    bar = form->Create<win::ProgressBar>(u"pb_Installation");
    done = app.RegisterWindowMessage(u"INSTALL_THREAD_FINISHED");
    win::WndMethod labelProc = label->WindowProc();
    label->SetWindowProc([&, labelProc](win::Message& m) {
      labelProc(m);
      if (m.msg == win::kWmSetText) captions.push_back(label->Caption());
    });
    win::WndMethod saved = form->WindowProc();
    form->SetWindowProc([&, saved](win::Message& m) {
      if (m.msg == done) {
        completedAfterLastUpdate = label->Caption() == u"Step 40" && bar->Position() == 100;
        return;
      }
      saved(m);
    });
  });
  win::LabelStatusLine status(*label);
  win::BarProgressIndicator indicator(*bar);
  ProgressWorker worker(status, indicator, form->Handle(), done);
  worker.Start();
  worker.WaitFor();
  for (int i = 0; i < 500 && !ui.Call([&] { return completedAfterLastUpdate; }); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_TRUE(ui.Call([&] { return completedAfterLastUpdate; }));
  const auto seen = ui.Call([&] { return captions; });
  ASSERT_EQ(seen.size(), 40u);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(seen[i], u"Step " + win::IntToStr(i + 1));
  // The worker reads back what it wrote at once, even before the screen
  // applied it.
  ASSERT_EQ(worker.readBack.size(), 41u);
  EXPECT_EQ(worker.readBack[0], 3);
  EXPECT_EQ(worker.readBack[39], 100);
  EXPECT_EQ(worker.readBack[40], 100);
}

}  // namespace
