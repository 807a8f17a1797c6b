// Keyboard focus and keys: which control of a form has the focus, Tab and
// Shift+Tab through the tab stops, and the keys that reach the focused control.
#include <algorithm>

#include "platform/ui.h"

namespace win {

namespace {

// A form's controls in tab order: creation order, each control followed by
// the controls on it.
void CollectTabOrder(const Control& parent, std::vector<Control*>& order) {
  for (Control* child : parent.Children()) {
    order.push_back(child);
    CollectTabOrder(*child, order);
  }
}

// While a form is shown modally, the others take no keys.
bool BehindModal(const Form& form) {
  const Form* modal = GetApplication().ModalForm();
  return modal != nullptr && modal != &form && modal->Visible();
}

}  // namespace

bool Control::CanFocus() const {
  if (!TabStop() || !Showing()) return false;
  for (const Control* c = this; c != nullptr; c = c->Parent())
    if (!c->Enabled()) return false;
  return true;
}

bool Control::Focused() const {
  const Form* form = ParentForm();
  return form != nullptr && form->ActiveControl() == this;
}

void Control::SetFocus() {
  if (!CanFocus()) return;
  if (Form* form = ParentForm()) form->SetActiveControl(this);
}

void Form::SetActiveControl(Control* control) {
  if (control == activeControl_) return;
  Control* previous = activeControl_;
  activeControl_ = control;
  // wParam: the window that gets (or had) the focus, as the system sends it.
  if (previous != nullptr) previous->Perform(kWmKillFocus, control ? control->Handle() : 0);
  if (control != nullptr) control->Perform(kWmSetFocus, previous ? previous->Handle() : 0);
  GetApplication().StateChanged();
}

void Form::SelectNext(bool forward) {
  std::vector<Control*> order;
  CollectTabOrder(*this, order);
  const int count = static_cast<int>(order.size());
  const auto at = std::find(order.begin(), order.end(), activeControl_);
  // With nothing focused the search starts just before the first control
  // (or just after the last one, going back).
  const int from = at != order.end() ? static_cast<int>(at - order.begin()) : (forward ? -1 : count);
  for (int step = 1; step <= count; ++step) {
    const int i = ((from + (forward ? step : -step)) % count + count) % count;
    if (order[i]->CanFocus()) {
      SetActiveControl(order[i]);
      return;
    }
  }
}

void Form::KeyDown(uint16_t key, ShiftState shift) {
  if (BehindModal(*this)) return;
  if (key == kVkTab) {
    SelectNext((shift & kSsShift) == 0);
    return;
  }
  if (activeControl_ != nullptr && activeControl_->CanFocus()) activeControl_->Perform(kWmKeyDown, key, 0);
}

void Form::KeyUp(uint16_t key, ShiftState /*shift*/) {
  if (key == kVkTab || BehindModal(*this)) return;
  if (activeControl_ != nullptr && activeControl_->CanFocus()) activeControl_->Perform(kWmKeyUp, key, 0);
}

}  // namespace win
