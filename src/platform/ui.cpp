// Components and the control base: ownership, windows, the window procedure
// chain, the default message handling of a control.
#include "platform/ui.h"

#include <algorithm>

#include "platform/system.h"
#include "platform/ui_backend.h"

namespace win {

// ---------------------------------------------------------------- Component

Component::Component(Component* owner, StringView className) : owner_(owner), className_(className) {}

Component::~Component() {
  // Owned components go last-created first, as their later siblings may
  // refer to the earlier ones.
  while (!components_.empty()) components_.pop_back();
}

Component* Component::FindComponent(StringView name) const {
  for (const auto& c : components_)
    if (SameText(c->Name(), name)) return c.get();
  return nullptr;
}

void Component::Adopt(std::unique_ptr<Component> component) {
  Component* raw = component.get();
  raw->owner_ = this;
  components_.push_back(std::move(component));
  raw->Adopted();
}

// ---------------------------------------------------------------- Control

Control::Control(Component* owner, StringView className) : Control(owner, className, false) {}

Control::Control(Component* owner, StringView className, bool topLevel) : Component(owner, className) {
  windowProc_ = [this](Message& m) { WndProc(m); };
  // Fonts are made for the screen's pixel density, as the toolkit's are.
  if (const int ppi = ScreenPixelsPerInch(); ppi > 0) font_.pixelsPerInch = ppi;
  handle_ = backend::CreateControlWindow(*this, topLevel);
  GetApplication().RegisterControl(this);
}

Control::~Control() {
  // A form that lives on forgets a focus inside this control.
  if (Form* form = ParentForm(); form != nullptr && form != this) {
    for (Control* c = form->activeControl_; c != nullptr; c = c->Parent())
      if (c == this) {
        form->activeControl_ = nullptr;
        break;
      }
  }
  GetApplication().ControlGone(this);
  for (Control* child : children_) child->parent_ = nullptr;
  if (parent_) parent_->RemoveChild(this);
  backend::DestroyControlWindow(*this);
  GetApplication().UnregisterControl(this);
}

void Control::Adopted() {
  if (!parent_ && Owner()) {
    if (auto* owner = dynamic_cast<Control*>(Owner())) SetParent(owner);
  }
}

Form* Control::ParentForm() {
  Control* c = this;
  while (c && !c->IsForm()) c = c->parent_;
  return static_cast<Form*>(c);
}

const Form* Control::ParentForm() const { return const_cast<Control*>(this)->ParentForm(); }

void Control::SetParent(Control* parent) {
  if (parent == parent_ || parent == this) return;
  if (parent_) parent_->RemoveChild(this);
  parent_ = parent;
  if (parent_) parent_->children_.push_back(this);
  backend::ControlChanged(*this);
  GetApplication().StateChanged();
}

void Control::RemoveChild(Control* child) {
  children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
}

Point Control::FormOffset() const {
  Point p;
  for (const Control* c = this; c && !c->IsForm(); c = c->parent_) {
    p.x += c->Left();
    p.y += c->Top();
  }
  return p;
}

Size Control::DrawingExtent() const {
  const Form* form = ParentForm();
  if (form == nullptr || form == this) return Size{Width(), Height()};
  // A form not sized yet (it takes its picture's size when first shown)
  // bounds nothing.
  const auto bound = [](int32_t own, int32_t formExtent) { return formExtent > 0 ? std::min(own, formExtent) : own; };
  return Size{bound(Width(), form->Width()), bound(Height(), form->Height())};
}

void Control::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  left = ClampCoordinate(left);
  top = ClampCoordinate(top);
  width = ClampExtent(width);
  height = ClampExtent(height);
  const Rect bounds{left, top, left + width, top + height};
  if (bounds == bounds_) return;
  const bool resized = bounds.Width() != bounds_.Width() || bounds.Height() != bounds_.Height();
  bounds_ = bounds;
  backend::ControlChanged(*this);
  GetApplication().StateChanged();
  if (resized) Perform(kWmSize, 0, MakePointParam(width, height));
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  backend::ControlChanged(*this);
  GetApplication().StateChanged();
}

bool Control::Showing() const {
  for (const Control* c = this; c; c = c->parent_) {
    if (!c->visible_) return false;
    if (c->IsForm()) return static_cast<const Form*>(c)->WindowShown();
  }
  return false;
}

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  backend::ControlChanged(*this);
  GetApplication().StateChanged();
  Perform(kWmEnable, enabled ? 1 : 0, 0);
}

void Control::SetCaption(StringView caption) {
  if (caption == caption_) return;
  // WM_SETTEXT carries the text; the default handler stores it.
  String text(caption);
  Perform(kWmSetText, 0, reinterpret_cast<intptr_t>(&text));
}

void Control::SetWindowProc(WndMethod proc) {
  if (!proc) proc = [this](Message& m) { WndProc(m); };
  windowProc_ = std::move(proc);
}

intptr_t Control::Perform(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  Message message{msg, wParam, lParam, 0};
  // A copy: a hook may replace the procedure while it runs.
  WndMethod proc = windowProc_;
  proc(message);
  return message.result;
}

void Control::BlitToWindow(const Bitmap& picture, int32_t x, int32_t y) {
  if (surface_.Width() != Width() || surface_.Height() != Height()) PaintSurface();
  surface_.Draw(x, y, picture);
  backend::BlitToWindow(*this, picture, x, y);
}

void Control::SetWindowRgn(const Region& region, bool redraw) {
  region_ = region;
  hasRegion_ = true;
  backend::WindowRegionChanged(*this, &region_);
  GetApplication().StateChanged();
  if (redraw) Repaint();
}

void Control::ResetWindowRgn() {
  region_ = Region();
  hasRegion_ = false;
  backend::WindowRegionChanged(*this, nullptr);
  GetApplication().StateChanged();
}

void Control::Repaint() {
  if (IsWindowed()) Perform(kWmPaint);
}

void Control::PaintSurface() {
  const Size extent = DrawingExtent();
  surface_.SetSize(extent.cx, extent.cy);
  Canvas canvas(surface_);
  PaintDefault(canvas);
}

void Control::PaintDefault(Canvas& canvas) {
  canvas.brushColor = color_;
  canvas.FillRect(ClientRect());
}

void Control::Click() {
  if (OnClick) OnClick(this);
}

void Control::WndProc(Message& m) {
  switch (m.msg) {
    case kWmSetText: {
      caption_ = *reinterpret_cast<const String*>(m.lParam);
      backend::ControlChanged(*this);
      GetApplication().StateChanged();
      TextChanged();
      m.result = 1;
      break;
    }
    case kWmPaint:
      if (IsWindowed()) PaintSurface();
      break;
    case kWmLButtonDown:
      mouseCaptured_ = true;
      if (OnMouseDown) OnMouseDown(this, MouseButton::Left, 0, PointParamX(m.lParam), PointParamY(m.lParam));
      break;
    case kWmLButtonUp: {
      const bool captured = mouseCaptured_;
      mouseCaptured_ = false;
      if (OnMouseUp) OnMouseUp(this, MouseButton::Left, 0, PointParamX(m.lParam), PointParamY(m.lParam));
      // Graphic controls and plain windows click on a press and release
      // inside them; buttons decide for themselves.
      if (captured && ClientRect().Contains(PointParamX(m.lParam), PointParamY(m.lParam)) &&
          dynamic_cast<PressableControl*>(this) == nullptr)
        Click();
      break;
    }
    case kCmMouseEnter:
      if (OnMouseEnter) OnMouseEnter(this);
      break;
    case kCmMouseLeave:
      if (OnMouseLeave) OnMouseLeave(this);
      break;
    default:
      break;
  }
}

}  // namespace win
