// Forms: showing and hiding, activation, modal showing, close requests.
#include <algorithm>

#include "platform/system.h"
#include "platform/ui.h"
#include "platform/ui_backend.h"

namespace win {

Form::Form(Component* owner, StringView className) : Control(owner, className, true) {
  SetName(Application::TakePendingFormName());
  Control::SetVisible(false);
  GetFont().name = u"Tahoma";
  GetFont().height = -11;
}

Form::~Form() {
  if (OnDestroy) OnDestroy(this);
  if (windowShown_) backend::ShowFormWindow(*this, false);
}

void Form::DoCreate() {
  if (created_) return;
  created_ = true;
  if (OnCreate) OnCreate(this);
}

void Form::ShowWindowNow(bool show) {
  if (show == windowShown_) return;
  windowShown_ = show;
  backend::ShowFormWindow(*this, show);
  GetApplication().StateChanged();
}

void Form::SetVisible(bool visible) {
  Application& app = GetApplication();
  if (visible == Visible()) {
    if (visible) Activate();
    return;
  }
  if (visible) {
    Control::SetVisible(true);
    if (centerOnScreen_ && !shownBefore_)
      SetBounds((ScreenWidth() - Width()) / 2, (ScreenHeight() - Height()) / 2, Width(), Height());
    shownBefore_ = true;
    if (OnShow) OnShow(this);
    if (!Visible()) return;  // OnShow hid it again
    // The window appears unless a hook takes SWP_SHOWWINDOW away.
    WindowPos pos{Handle(), Left(), Top(), Width(), Height(), kSwpShowWindow};
    Perform(kWmWindowPosChanging, 0, reinterpret_cast<intptr_t>(&pos));
    ShowWindowNow((pos.flags & kSwpShowWindow) != 0);
    app.FormShown(this);
    if (windowShown_) Activate();
  } else {
    Control::SetVisible(false);
    WindowPos pos{Handle(), Left(), Top(), Width(), Height(), kSwpHideWindow};
    Perform(kWmWindowPosChanging, 0, reinterpret_cast<intptr_t>(&pos));
    ShowWindowNow(false);
    if (OnHide) OnHide(this);
    app.FormHidden(this);
  }
}

bool Form::Active() const { return GetApplication().ActiveForm() == this; }

void Form::Activate() {
  if (!Visible() || !windowShown_) return;
  GetApplication().SetActiveForm(this);
  // A form that comes up puts the focus on its default button (else on its
  // first tab stop), unless a control that can take the focus has it already.
  if (activeControl_ == nullptr || !activeControl_->CanFocus()) {
    Button* button = DefaultButton();
    if (button != nullptr && button->CanFocus()) {
      SetActiveControl(button);
    } else {
      SetActiveControl(nullptr);
      SelectNext(true);
    }
  }
}

int Form::ShowModal() {
  Application& app = GetApplication();
  modal_ = true;
  modalResult_ = kMrNone;
  app.ModalStarted(this);
  Show();
  while (modalResult_ == kMrNone && !app.Terminated()) app.HandleMessage(50);
  Hide();
  app.ModalEnded(this);
  modal_ = false;
  return modalResult_;
}

bool Form::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void Form::Close() {
  if (!CloseQuery()) return;
  Application& app = GetApplication();
  if (modal_) {
    if (modalResult_ == kMrNone) modalResult_ = kMrCancel;
    return;
  }
  CloseAction action = app.MainForm() == this ? CloseAction::Free : CloseAction::Hide;
  if (OnClose) OnClose(this, action);
  if (action == CloseAction::None) return;
  // Closing the main form ends the application, whatever else was asked.
  if (app.MainForm() == this) {
    app.Terminate();
    return;
  }
  Hide();
}

void Form::WndProc(Message& m) {
  switch (m.msg) {
    case kWmClose:
      Close();
      return;
    case kWmMouseWheel: {
      Control* under = GetApplication().MouseControl();
      if (under != nullptr && under != this && under->ParentForm() == this &&
          under->Perform(kWmMouseWheel, m.wParam, m.lParam) != 0) {
        m.result = 1;
        return;
      }
      wheelRest_ += static_cast<int16_t>((m.wParam >> 16) & 0xFFFF);
      const Point pos{PointParamX(m.lParam), PointParamY(m.lParam)};
      bool handled = false;
      while (wheelRest_ >= kWheelDelta || wheelRest_ <= -kWheelDelta) {
        const bool up = wheelRest_ > 0;
        wheelRest_ += up ? -kWheelDelta : kWheelDelta;
        if (up && OnMouseWheelUp) OnMouseWheelUp(this, 0, pos, handled);
        if (!up && OnMouseWheelDown) OnMouseWheelDown(this, 0, pos, handled);
      }
      m.result = handled ? 1 : 0;
      return;
    }
    default:
      Control::WndProc(m);
  }
}

void Form::PaintDefault(Canvas& canvas) {
  canvas.brushColor = Color();
  canvas.FillRect(ClientRect());
}

}  // namespace win
