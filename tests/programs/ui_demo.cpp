// A small program with screens for the driver tests: an invisible main form,
// a first screen with a button, a check box, a list turned by the wheel and a
// message box, and a second screen that says what happened.
//   FFirst: bt_Next (-> FSecond), bt_Ask (message box), ck_Option,
//           gb_List with lb_Row0..lb_Row2 and sb_List (0..7, moved by the
//           wheel while the mouse is over the list), close -> ends the program
//   FSecond: lb_Result "option=<0|1> row=<first row's text> answer=<id>",
//            bt_Finish ends the program with exit code 3
// Arguments: "start COMMANDLINE" starts that program first, without waiting.
#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace {

class FirstForm : public win::Form {
 public:
  explicit FirstForm(win::Component* owner) : Form(owner, u"TFFirst") {
    SetBorderStyle(win::BorderStyle::None);
    SetBounds(0, 0, 320, 220);
    SetCaption(u"Demo first screen");
    next = Create<win::Button>(u"bt_Next");
    next->SetBounds(220, 180, 80, 25);
    next->SetCaption(u"Next");
    ask = Create<win::Button>(u"bt_Ask");
    ask->SetBounds(120, 180, 80, 25);
    ask->SetCaption(u"Ask");
    option = Create<win::CheckBox>(u"ck_Option");
    option->SetBounds(20, 20, 200, 20);
    option->SetCaption(u"An option");
    list = Create<win::GroupBox>(u"gb_List");
    list->SetBounds(20, 50, 200, 70);
    for (int i = 0; i < 3; ++i) {
      auto* row = Create<win::Label>(u"lb_Row" + win::IntToStr(i));
      row->SetParent(list);
      row->SetBounds(4, 4 + 20 * i, 160, 20);
      row->SetCaption(u"Item " + win::IntToStr(i));
      row->OnMouseEnter = [this](win::Component*) { overList = true; };
      row->OnMouseLeave = [this](win::Component*) { overList = false; };
      rows.push_back(row);
    }
    scroll = Create<win::ScrollBar>(u"sb_List");
    scroll->SetParent(list);
    scroll->SetBounds(176, 2, 20, 66);
    scroll->SetMax(7);
    scroll->OnPositionChanged = [this](win::Component*, int32_t position) {
      for (int i = 0; i < 3; ++i) rows[i]->SetCaption(u"Item " + win::IntToStr(position + i));
    };
    scroll->OnMouseEnter = rows[0]->OnMouseEnter;
    scroll->OnMouseLeave = rows[0]->OnMouseLeave;
    OnMouseWheelDown = [this](win::Component*, win::ShiftState, win::Point, bool& handled) {
      handled = true;
      if (overList) scroll->SetPosition(scroll->Position() + 1);
    };
    OnMouseWheelUp = [this](win::Component*, win::ShiftState, win::Point, bool& handled) {
      handled = true;
      if (overList) scroll->SetPosition(scroll->Position() - 1);
    };
  }
  win::Button* next;
  win::Button* ask;
  win::CheckBox* option;
  win::GroupBox* list;
  win::ScrollBar* scroll;
  std::vector<win::Label*> rows;
  bool overList = false;
  int answer = 0;
};

class SecondForm : public win::Form {
 public:
  explicit SecondForm(win::Component* owner) : Form(owner, u"TFSecond") {
    SetBorderStyle(win::BorderStyle::None);
    SetBounds(0, 0, 320, 120);
    result = Create<win::Label>(u"lb_Result");
    result->SetBounds(20, 20, 280, 20);
    finish = Create<win::Button>(u"bt_Finish");
    finish->SetBounds(220, 80, 80, 25);
    finish->SetCaption(u"Finish");
  }
  win::Label* result;
  win::Button* finish;
};

}  // namespace

int main() {
  win::InitializeProcess();
  const StringList args = win::CommandLineArguments();
  // A program that cannot be started shows no window, which the tests look for.
  if (args.size() == 2 && args[0] == u"start") (void)win::CreateProcessNoWait(args[1], 0);
  win::Application& app = win::GetApplication();
  app.BindToCurrentThread();
  auto* main = app.CreateForm<win::Form>(u"FMain");
  auto* first = app.CreateForm<FirstForm>(u"FFirst");
  auto* second = app.CreateForm<SecondForm>(u"FSecond");
  app.showMainForm = false;
  int exitCode = 0;
  first->OnCloseQuery = [main](win::Component*, bool& canClose) {
    canClose = false;
    main->Close();
  };
  first->ask->OnClick = [first, &app](win::Component*) {
    first->answer = app.MessageBox(win::GetDesktopWindow(), u"Go on?", u"Demo", win::kMbYesNo | win::kMbIconQuestion);
  };
  first->next->OnClick = [first, second](win::Component*) {
    first->Hide();
    second->result->SetCaption(u"option=" + win::IntToStr(first->option->Checked() ? 1 : 0) +
                               u" row=" + first->rows[0]->Caption() + u" answer=" + win::IntToStr(first->answer));
    second->Show();
  };
  second->finish->OnClick = [main, &exitCode](win::Component*) {
    exitCode = 3;
    main->Close();
  };
  first->Show();
  app.Run();
  return exitCode;
}
