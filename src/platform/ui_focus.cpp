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

// The radio buttons of one parent are one group: Tab stops only at the
// ticked one when one is ticked, as the system's dialogs do.
bool PassedOverByTab(const Control& control) {
  const auto* radio = dynamic_cast<const RadioButton*>(&control);
  if (radio == nullptr || radio->Checked() || radio->Parent() == nullptr) return false;
  for (const Control* sibling : radio->Parent()->Children()) {
    const auto* other = dynamic_cast<const RadioButton*>(sibling);
    if (other != nullptr && other->Checked() && other->CanFocus()) return true;
  }
  return false;
}

// The keys that show the focus cues once typed (the system's keyboard cues).
bool IsKeyboardNavigation(uint16_t key) {
  switch (key) {
    case kVkTab:
    case kVkReturn:
    case kVkEscape:
    case kVkSpace:
    case kVkLeft:
    case kVkUp:
    case kVkRight:
    case kVkDown: return true;
    default: return false;
  }
}

// Up and Left (Down and Right) move the focus to the previous (next) radio
// button of the same parent that can take it and tick it, round and round.
bool MoveInRadioGroup(Control& focused, uint16_t key) {
  auto* radio = dynamic_cast<RadioButton*>(&focused);
  if (radio == nullptr || radio->Parent() == nullptr) return false;
  const bool forward = key == kVkDown || key == kVkRight;
  if (!forward && key != kVkUp && key != kVkLeft) return false;
  std::vector<RadioButton*> group;
  for (Control* sibling : radio->Parent()->Children())
    if (auto* other = dynamic_cast<RadioButton*>(sibling)) group.push_back(other);
  const int count = static_cast<int>(group.size());
  const int from = static_cast<int>(std::find(group.begin(), group.end(), radio) - group.begin());
  for (int step = 1; step < count; ++step) {
    RadioButton* next = group[((from + (forward ? step : -step)) % count + count) % count];
    if (!next->CanFocus()) continue;
    next->SetFocus();
    next->Click();
    return true;
  }
  return true;  // alone in its group: the arrow does nothing
}

Button* FindButton(const Control& parent, bool (Button::*flag)() const) {
  for (Control* child : parent.Children()) {
    auto* button = dynamic_cast<Button*>(child);
    if (button != nullptr && (button->*flag)() && button->Showing() && button->Enabled()) return button;
    if (Button* inner = FindButton(*child, flag)) return inner;
  }
  return nullptr;
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
    if (order[i]->CanFocus() && !PassedOverByTab(*order[i])) {
      SetActiveControl(order[i]);
      return;
    }
  }
}

Button* Form::DefaultButton() const { return FindButton(*this, &Button::Default); }

Button* Form::CancelButton() const { return FindButton(*this, &Button::Cancel); }

void Form::SetShowFocusCues(bool value) {
  if (value == showFocusCues_) return;
  showFocusCues_ = value;
  Repaint();
  GetApplication().StateChanged();
}

void Form::KeyDown(uint16_t key, ShiftState shift) {
  if (BehindModal(*this)) return;
  if (IsKeyboardNavigation(key)) SetShowFocusCues(true);
  Control* focused = activeControl_ != nullptr && activeControl_->CanFocus() ? activeControl_ : nullptr;
  switch (key) {
    case kVkTab: SelectNext((shift & kSsShift) == 0); return;
    case kVkEscape:
      // Escape does what the screen's Cancel button does; without one it
      // does nothing.
      if (Button* cancel = CancelButton()) cancel->Click();
      return;
    case kVkReturn:
      // A focused push button takes Enter itself; anywhere else Enter
      // presses the default button.
      if (focused == nullptr || dynamic_cast<Button*>(focused) == nullptr) {
        if (Button* button = DefaultButton()) button->Click();
        return;
      }
      break;
    default:
      if (focused != nullptr && MoveInRadioGroup(*focused, key)) return;
  }
  if (focused != nullptr) focused->Perform(kWmKeyDown, key, 0);
}

void Form::KeyUp(uint16_t key, ShiftState /*shift*/) {
  if (key == kVkTab || BehindModal(*this)) return;
  if (activeControl_ != nullptr && activeControl_->CanFocus()) activeControl_->Perform(kWmKeyUp, key, 0);
}

}  // namespace win
