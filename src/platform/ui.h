// The widget model the screens are written against: components owned by a
// form in creation order, controls with their windows, forms, the application
// with its message loop, timers and message boxes.
//
// Every control owns a window (a handle) whose messages go through a
// replaceable window procedure, so a screen or a skin can hook it, see every
// message first and chain to the procedure it replaced. The model keeps all
// state itself; the backend (platform/ui_backend.h) puts it on real windows
// (Windows) or keeps it headless and draws it into bitmaps (host).
//
// Threads: everything here belongs to the user-interface thread. A worker
// reaches it only through Application::PostMessage / Queue and the
// LabelStatusLine / BarProgressIndicator adapters below, which post in order.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics.h"
#include "platform/process.h"
#include "platform/status.h"
#include "platform/strings.h"

namespace win {

// ---------------------------------------------------------------- messages

constexpr uint32_t kWmSize = 0x0005;
constexpr uint32_t kWmSetFocus = 0x0007;
constexpr uint32_t kWmKillFocus = 0x0008;
constexpr uint32_t kWmEnable = 0x000A;
constexpr uint32_t kWmSetText = 0x000C;
constexpr uint32_t kWmPaint = 0x000F;
constexpr uint32_t kWmEraseBkgnd = 0x0014;
constexpr uint32_t kWmWindowPosChanging = 0x0046;
constexpr uint32_t kWmNcPaint = 0x0085;
constexpr uint32_t kWmKeyDown = 0x0100;
constexpr uint32_t kWmKeyUp = 0x0101;
constexpr uint32_t kWmTimer = 0x0113;
constexpr uint32_t kWmVScroll = 0x0115;
constexpr uint32_t kWmMouseMove = 0x0200;
constexpr uint32_t kWmLButtonDown = 0x0201;
constexpr uint32_t kWmLButtonUp = 0x0202;
constexpr uint32_t kWmLButtonDblClk = 0x0203;
constexpr uint32_t kWmMouseWheel = 0x020A;
constexpr uint32_t kWmMouseLeave = 0x02A3;
constexpr uint32_t kBmGetCheck = 0x00F0;
constexpr uint32_t kBmSetCheck = 0x00F1;
constexpr uint32_t kBmGetState = 0x00F2;
constexpr uint32_t kBmSetState = 0x00F3;
// The toolkit's own mouse notices (its CM_MOUSEENTER / CM_MOUSELEAVE).
constexpr uint32_t kCmMouseEnter = 0xB013;
constexpr uint32_t kCmMouseLeave = 0xB014;

constexpr int kWheelDelta = 120;

// WM_VSCROLL requests (the low word of wParam; the thumb's place is in the
// high word for the thumb codes).
constexpr uint16_t kSbLineUp = 0;
constexpr uint16_t kSbLineDown = 1;
constexpr uint16_t kSbPageUp = 2;
constexpr uint16_t kSbPageDown = 3;
constexpr uint16_t kSbThumbPosition = 4;
constexpr uint16_t kSbThumbTrack = 5;
constexpr uint16_t kSbTop = 6;
constexpr uint16_t kSbBottom = 7;
constexpr uintptr_t MakeScrollParam(uint16_t code, int32_t position = 0) {
  return (static_cast<uintptr_t>(static_cast<uint16_t>(position)) << 16) | code;
}

// Virtual-key codes the forms answer.
constexpr uint16_t kVkTab = 0x09;
constexpr uint16_t kVkReturn = 0x0D;
constexpr uint16_t kVkEscape = 0x1B;
constexpr uint16_t kVkSpace = 0x20;
constexpr uint16_t kVkPrior = 0x21;  // Page Up
constexpr uint16_t kVkNext = 0x22;   // Page Down
constexpr uint16_t kVkEnd = 0x23;
constexpr uint16_t kVkHome = 0x24;
constexpr uint16_t kVkLeft = 0x25;
constexpr uint16_t kVkUp = 0x26;
constexpr uint16_t kVkRight = 0x27;
constexpr uint16_t kVkDown = 0x28;

// SetWindowPos flags seen in WM_WINDOWPOSCHANGING.
constexpr uint32_t kSwpShowWindow = 0x0040;
constexpr uint32_t kSwpHideWindow = 0x0080;

// The structure WM_WINDOWPOSCHANGING points to (lParam).
struct WindowPos {
  WindowHandle hwnd = 0;
  int32_t x = 0;
  int32_t y = 0;
  int32_t cx = 0;
  int32_t cy = 0;
  uint32_t flags = 0;
};

struct Message {
  uint32_t msg = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  intptr_t result = 0;
};

// Mouse position in a message's lParam (client coordinates), as MAKELPARAM.
constexpr intptr_t MakePointParam(int32_t x, int32_t y) {
  return static_cast<intptr_t>((static_cast<uint32_t>(y & 0xFFFF) << 16) | static_cast<uint32_t>(x & 0xFFFF));
}
constexpr int32_t PointParamX(intptr_t lParam) { return static_cast<int16_t>(lParam & 0xFFFF); }
constexpr int32_t PointParamY(intptr_t lParam) { return static_cast<int16_t>((lParam >> 16) & 0xFFFF); }

// A window procedure: the control's own handler or a hook that replaced it.
using WndMethod = std::function<void(Message&)>;

// ---------------------------------------------------------------- events

class Component;
class Control;
class Form;

enum class MouseButton { Left, Right, Middle };
using ShiftState = uint32_t;  // the toolkit's TShiftState bits
constexpr ShiftState kSsShift = 1;

enum class CloseAction { None, Hide, Free, Minimize };
enum class Alignment { LeftJustify, RightJustify, Center };
enum class TextLayout { Top, Center, Bottom };
enum class BorderStyle { None, Single, Sizeable, Dialog };
// What a control is to accessibility tools (screen readers).
enum class AccessibleRole { None, PushButton, CheckBox, RadioButton, List, Text };

using NotifyEvent = std::function<void(Component* sender)>;
using MouseEvent = std::function<void(Component* sender, MouseButton button, ShiftState shift, int32_t x, int32_t y)>;
using CloseQueryEvent = std::function<void(Component* sender, bool& canClose)>;
using CloseEvent = std::function<void(Component* sender, CloseAction& action)>;
using MouseWheelUpDownEvent = std::function<void(Component* sender, ShiftState shift, Point mousePos, bool& handled)>;
using PositionChangedEvent = std::function<void(Component* sender, int32_t position)>;

// Modal results.
constexpr int kMrNone = 0;
constexpr int kMrOk = 1;
constexpr int kMrCancel = 2;
constexpr int kMrYes = 6;
constexpr int kMrNo = 7;

// ---------------------------------------------------------------- components

// A named object owned by another; the owner keeps what it owns in creation
// order and frees it with itself. ClassName is the exact run-time class name
// the toolkit reports ("TLabel"); a subclass sets its own.
class Component {
 public:
  explicit Component(Component* owner, StringView className = u"TComponent");
  virtual ~Component();
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  const String& ClassName() const { return className_; }
  const String& Name() const { return name_; }
  void SetName(StringView name) { name_ = String(name); }
  Component* Owner() const { return owner_; }
  int32_t Tag() const { return tag_; }
  void SetTag(int32_t tag) { tag_ = tag; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  Component* Components(int index) const { return components_[index].get(); }
  // By name, letter case ignored (as the toolkit's FindComponent); null if none.
  Component* FindComponent(StringView name) const;

  // Creates a component owned by this one, last in the component order. A
  // control created by a control gets it as parent too (change it with
  // SetParent).
  template <class T, class... Args>
  T* Create(StringView name, Args&&... args) {
    auto object = std::make_unique<T>(this, std::forward<Args>(args)...);
    T* raw = object.get();
    raw->SetName(name);
    Adopt(std::move(object));
    return raw;
  }
  // Takes ownership of a component made elsewhere (last in the order).
  void Adopt(std::unique_ptr<Component> component);

 protected:
  void SetClassName(StringView className) { className_ = String(className); }
  // Called by Adopt once the component has its owner and name.
  virtual void Adopted() {}

 private:
  Component* owner_;
  String className_;
  String name_;
  int32_t tag_ = 0;
  std::vector<std::unique_ptr<Component>> components_;
};

// A visual control. Every control owns a window (Handle) and a window
// procedure; labels and images are drawn on their parent (no surface of their
// own) as the toolkit's graphic controls are. Setting the caption sends
// WM_SETTEXT and enabling sends WM_ENABLE through the window procedure, so
// hooks see them.
// What a window's place can be: Windows keeps positions and sizes in 16 bits
// in its messages. Values from files are brought into this range before any
// arithmetic, so that no sum of them can overflow.
constexpr int32_t kMinWindowCoordinate = -32768;
constexpr int32_t kMaxWindowCoordinate = 32767;
constexpr int32_t ClampCoordinate(int64_t value) {
  return static_cast<int32_t>(value < kMinWindowCoordinate   ? kMinWindowCoordinate
                              : value > kMaxWindowCoordinate ? kMaxWindowCoordinate
                                                             : value);
}
constexpr int32_t ClampExtent(int64_t value) {
  return static_cast<int32_t>(value < 0 ? 0 : value > kMaxWindowCoordinate ? kMaxWindowCoordinate : value);
}

class Control : public Component {
 public:
  Control(Component* owner, StringView className);
  ~Control() override;

  WindowHandle Handle() const { return handle_; }
  virtual bool IsWindowed() const { return true; }
  virtual bool IsForm() const { return false; }
  Form* ParentForm();  // the form this control sits on (itself for a form)
  const Form* ParentForm() const;

  Control* Parent() const { return parent_; }
  void SetParent(Control* parent);
  const std::vector<Control*>& Children() const { return children_; }

  int32_t Left() const { return bounds_.left; }
  int32_t Top() const { return bounds_.top; }
  int32_t Width() const { return bounds_.Width(); }
  int32_t Height() const { return bounds_.Height(); }
  void SetLeft(int32_t value) { SetBounds(value, Top(), Width(), Height()); }
  void SetTop(int32_t value) { SetBounds(Left(), value, Width(), Height()); }
  void SetWidth(int32_t value) { SetBounds(Left(), Top(), value, Height()); }
  void SetHeight(int32_t value) { SetBounds(Left(), Top(), Width(), value); }
  virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  Rect BoundsRect() const { return bounds_; }
  Rect ClientRect() const { return Rect{0, 0, Width(), Height()}; }
  // Position of this control's top-left corner inside its form.
  Point FormOffset() const;
  // The size of the pictures the control is drawn into: its own, but never
  // larger than its form, whatever size a layout file gave it.
  Size DrawingExtent() const;

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, with every parent visible and the form's window on the screen.
  bool Showing() const;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  const String& Caption() const { return caption_; }
  void SetCaption(StringView caption);
  const String& Hint() const { return hint_; }
  void SetHint(StringView hint) { hint_ = String(hint); }

  win::Font& GetFont() { return font_; }
  const win::Font& GetFont() const { return font_; }
  void SetFont(const win::Font& font) { font_ = font; }
  COLORREF Color() const { return color_; }
  void SetColor(COLORREF color) { color_ = color; }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent) { transparent_ = transparent; }

  // The window procedure (the toolkit's WindowProc property). Hooks save the
  // current one, install their own and chain to the saved one.
  const WndMethod& WindowProc() const { return windowProc_; }
  void SetWindowProc(WndMethod proc);
  // Sends a message through the window procedure; returns its result.
  intptr_t Perform(uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0);

  // BitBlt SRCCOPY of a picture onto this control's window at (x, y). What
  // was put there stays until the next WM_PAINT's default drawing.
  void BlitToWindow(const Bitmap& picture, int32_t x = 0, int32_t y = 0);
  // SetWindowRgn: the window shows only the points of the region (in its own
  // coordinates). ResetWindowRgn removes it (the whole window shows).
  void SetWindowRgn(const Region& region, bool redraw = true);
  void ResetWindowRgn();
  const Region* WindowRgn() const { return hasRegion_ ? &region_ : nullptr; }

  // Invalidate + update: sends WM_PAINT (hooks repaint their look).
  void Repaint();
  void Invalidate() { Repaint(); }

  // Draws this control's standard look (what the system draws before any
  // hook paints over it) with its top-left corner at the canvas origin.
  virtual void PaintDefault(Canvas& canvas);
  // The picture of the window: standard look plus whatever was blitted.
  const Bitmap& WindowSurface() const { return surface_; }

  NotifyEvent OnClick;
  MouseEvent OnMouseDown;
  MouseEvent OnMouseUp;
  NotifyEvent OnMouseEnter;
  NotifyEvent OnMouseLeave;

  // Fires OnClick (buttons: what a click or the space key does).
  virtual void Click();

  // Keyboard focus. Buttons, check boxes and radio buttons are tab stops;
  // any other control becomes one with SetTabStop; the form keeps which
  // control has the focus (Form::ActiveControl).
  virtual bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value) { tabStop_ = value; }
  // A tab stop that shows and is enabled, with every parent enabled.
  bool CanFocus() const;
  bool Focused() const;
  void SetFocus();  // does nothing when it cannot take the focus

  // The thumb of the scroll bar this control shows, in its own coordinates
  // (empty when it shows none): where a person grabs it to drag.
  virtual Rect ScrollThumb() { return Rect{}; }
  // What accessibility tools say of the control: its role and its name. The
  // name is the caption unless one was set (a skinned button carries its
  // words in a picture and has an empty caption).
  AccessibleRole Role() const { return role_; }
  void SetRole(AccessibleRole role) { role_ = role; }
  String AccessibleName() const { return accessibleName_.empty() ? caption_ : accessibleName_; }
  void SetAccessibleName(StringView name) { accessibleName_ = String(name); }

  // Expires when the control is freed: an object that may outlive it (a
  // skin's hook freed after the form) asks this before touching the control.
  std::weak_ptr<const void> Lifetime() const { return lifetime_; }

 protected:
  // A top-level window (a form's) is published so other programs find it.
  Control(Component* owner, StringView className, bool topLevel);
  // The control's own message handling (the end of every hook chain).
  virtual void WndProc(Message& message);
  // After the caption changed.
  virtual void TextChanged() {}
  void Adopted() override;
  Bitmap& Surface() { return surface_; }

 private:
  friend class Application;
  void RemoveChild(Control* child);
  void PaintSurface();

  WindowHandle handle_ = 0;
  Control* parent_ = nullptr;
  std::vector<Control*> children_;
  Rect bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  bool transparent_ = false;
  String caption_;
  String hint_;
  win::Font font_;
  COLORREF color_ = kClBtnFace;
  WndMethod windowProc_;
  Bitmap surface_;
  Region region_;
  bool hasRegion_ = false;
  bool mouseCaptured_ = false;
  bool tabStop_ = false;
  AccessibleRole role_ = AccessibleRole::None;
  String accessibleName_;
  std::shared_ptr<const void> lifetime_ = std::make_shared<char>(0);
};

// A hook in front of a control's window procedure (a skin's, a screen's):
// once installed it sees every message first and chains to the procedure it
// replaced through CallSaved; the control gets that procedure back when the
// hook goes. Either may be freed first: a hook that outlives its control
// leaves the freed control alone.
class WindowProcHook {
 public:
  explicit WindowProcHook(Control& control) : control_(&control), controlLifetime_(control.Lifetime()) {}
  ~WindowProcHook() {
    if (installed_ && !controlLifetime_.expired()) control_->SetWindowProc(saved_);
  }
  WindowProcHook(const WindowProcHook&) = delete;
  WindowProcHook& operator=(const WindowProcHook&) = delete;

  // Puts proc in front of the control's window procedure; later calls
  // change nothing.
  void Install(WndMethod proc) {
    if (installed_) return;
    saved_ = control_->WindowProc();
    control_->SetWindowProc(std::move(proc));
    installed_ = true;
  }
  bool Installed() const { return installed_; }
  // The procedure the hook replaced (nothing before it is installed).
  void CallSaved(Message& message) const {
    if (saved_) saved_(message);
  }

 private:
  Control* control_;
  std::weak_ptr<const void> controlLifetime_;
  WndMethod saved_;
  bool installed_ = false;
};

// ---------------------------------------------------------------- controls

// A label. With AutoSize (off unless set) it takes the size of its caption
// whenever the caption changes: the text's width and height, or with
// WordWrap only the height of the wrapped lines.
class Label : public Control {
 public:
  explicit Label(Component* owner);
  bool IsWindowed() const override { return false; }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  void AdjustBounds();
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value) { wordWrap_ = value; }
  Alignment GetAlignment() const { return alignment_; }
  void SetAlignment(Alignment value) { alignment_ = value; }
  TextLayout Layout() const { return layout_; }
  void SetLayout(TextLayout value) { layout_ = value; }
  void PaintDefault(Canvas& canvas) override;

 protected:
  void TextChanged() override { AdjustBounds(); }

 private:
  bool autoSize_ = false;
  bool wordWrap_ = false;
  Alignment alignment_ = Alignment::LeftJustify;
  TextLayout layout_ = TextLayout::Top;
};

// What push buttons, check boxes and radio buttons share, as the system's
// buttons do: the mouse button presses it (and gives it the focus), releasing
// it over the control clicks; Space pressed and released on the focused
// control does the same. Each step tells the control its state with
// BM_SETSTATE, so hooks see it.
class PressableControl : public Control {
 public:
  PressableControl(Component* owner, StringView className);
  bool TabStop() const override { return true; }
  bool Pressed() const { return pressed_; }  // BM_SETSTATE

 protected:
  void WndProc(Message& message) override;

 private:
  bool pressed_ = false;
};

// A push button; Enter clicks it too when it has the focus. The form's
// Default button is clicked by Enter while the focus is on no other push
// button, its Cancel button by Escape (as the toolkit's Default and Cancel).
class Button : public PressableControl {
 public:
  explicit Button(Component* owner);
  void PaintDefault(Canvas& canvas) override;
  bool Default() const { return default_; }
  void SetDefault(bool value) { default_ = value; }
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }

 protected:
  void WndProc(Message& message) override;

 private:
  bool default_ = false;
  bool cancel_ = false;
};

// Check boxes and radio buttons: Checked sends BM_SETCHECK and fires OnClick
// when the state changes (as the toolkit does); a click toggles a check box
// and ticks a radio button, which unticks the radio buttons of its parent.
class ButtonControl : public PressableControl {
 public:
  ButtonControl(Component* owner, StringView className);
  bool Checked() const { return checked_; }
  virtual void SetChecked(bool checked);

 protected:
  void WndProc(Message& message) override;
  void SetCheckedQuietly(bool checked);

 private:
  bool checked_ = false;
};

class CheckBox : public ButtonControl {
 public:
  explicit CheckBox(Component* owner);
  void Click() override;  // toggles, then OnClick through SetChecked
  void PaintDefault(Canvas& canvas) override;
};

class RadioButton : public ButtonControl {
 public:
  explicit RadioButton(Component* owner);
  void SetChecked(bool checked) override;
  void Click() override;  // ticks
  void PaintDefault(Canvas& canvas) override;
};

class Image : public Control {
 public:
  explicit Image(Component* owner);
  bool IsWindowed() const override { return false; }
  // The picture (the toolkit's Picture.Bitmap); its object stays the same
  // for the life of the control, so others may keep a pointer to it.
  const Bitmap& Picture() const { return picture_; }
  Bitmap& Picture() { return picture_; }
  // Assigns a picture; with AutoSize the control takes its size.
  void SetPicture(const Bitmap& picture);
  void ClearPicture() { SetPicture(Bitmap()); }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value) { autoSize_ = value; }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value) { stretch_ = value; }
  bool Center() const { return center_; }
  void SetCenter(bool value) { center_ = value; }
  bool Proportional() const { return proportional_; }
  void SetProportional(bool value) { proportional_ = value; }
  // With Transparent, pixels of the picture's bottom-left colour are not drawn.
  void PaintDefault(Canvas& canvas) override;

 private:
  Bitmap picture_;
  bool autoSize_ = false;
  bool stretch_ = false;
  bool center_ = false;
  bool proportional_ = false;
};

class ProgressBar : public Control {
 public:
  explicit ProgressBar(Component* owner);
  int32_t Min() const { return min_; }
  int32_t Max() const { return max_; }
  int32_t Position() const { return position_; }
  void SetRange(int32_t min, int32_t max);
  void SetPosition(int32_t position);  // kept within Min and Max
  void PaintDefault(Canvas& canvas) override;

 private:
  int32_t min_ = 0;
  int32_t max_ = 100;
  int32_t position_ = 0;
};

class GroupBox : public Control {
 public:
  explicit GroupBox(Component* owner);
  void PaintDefault(Canvas& canvas) override;
};

// The parts of a drawn vertical scroll bar: an arrow at each end, the track
// between them and the thumb, whose length is the share of the whole that
// is in view (page of min..max+page) and whose place is the position.
struct ScrollBarParts {
  Rect lineUp;
  Rect lineDown;
  Rect track;
  Rect thumb;
};
ScrollBarParts LayoutScrollBar(const Rect& bar, int32_t min, int32_t max, int32_t page, int32_t position);
// What a press at (x, y) does: kSbLineUp, kSbLineDown, kSbPageUp, kSbPageDown,
// kSbThumbTrack (on the thumb), or -1 outside the bar.
int HitScrollBar(const ScrollBarParts& parts, int32_t x, int32_t y);
// The position a thumb dragged to thumbTop stands for (kept within min..max).
int32_t ScrollPositionAt(const ScrollBarParts& parts, int32_t min, int32_t max, int32_t thumbTop);
void PaintScrollBar(Canvas& canvas, const ScrollBarParts& parts, const Rect& bar);

// Dragging a thumb: where it was grabbed, so it follows the mouse.
struct ThumbDrag {
  bool active = false;
  int32_t grabOffset = 0;  // from the thumb's top to the press
};

// A vertical scroll bar. Position stays within Min and Max; every change
// that is accepted is reported through OnPositionChanged. The mouse works it
// as the system's bar: an arrow moves one step, the track one page toward
// the press, the thumb follows a drag.
class ScrollBar : public Control {
 public:
  explicit ScrollBar(Component* owner, StringView className = u"TScrollBar");
  int32_t Min() const { return min_; }
  int32_t Max() const { return max_; }
  int32_t Position() const { return position_; }
  void SetMin(int32_t value);
  void SetMax(int32_t value);
  void SetPosition(int32_t position);
  // The steps in view at once: the thumb's share of the track and what a
  // press on the track moves (positions still run from Min to Max).
  int32_t PageSize() const { return pageSize_; }
  void SetPageSize(int32_t value);
  PositionChangedEvent OnPositionChanged;
  Rect ScrollThumb() override { return Parts().thumb; }
  void PaintDefault(Canvas& canvas) override;

 protected:
  void WndProc(Message& message) override;

 private:
  ScrollBarParts Parts() const;
  int32_t min_ = 0;
  int32_t max_ = 100;
  int32_t position_ = 0;
  int32_t pageSize_ = 1;
  ThumbDrag drag_;
};

// A rich-text view, read-only. It keeps the rich text it loaded (for the
// system's own rich-edit control on Windows) and its plain text, which it
// draws and prints; formatting is not drawn. The view scrolls by whole
// lines: the wheel (three lines a notch, small turns adding up), a scroll
// bar shown while the text is longer than the view, and, with the focus,
// Up, Down, Page Up, Page Down, Home and End.
class RichEdit : public Control {
 public:
  explicit RichEdit(Component* owner);
  void Clear();
  // Rich text as bytes ("{\rtf..."), or UTF-16LE rich text with or without
  // a byte-order mark; anything that is not rich text is taken as plain
  // text. False (and the view empty) when nothing could be read.
  [[nodiscard]] bool LoadFromBytes(const std::string& bytes);
  [[nodiscard]] bool LoadFromFile(const String& path);
  const String& Text() const { return text_; }
  void SetText(StringView text);
  // The rich text loaded (8-bit, characters beyond ASCII as \u escapes);
  // empty for plain text.
  const std::string& RichText() const { return rtf_; }
  // Prints the text as one job with the given title through the system's
  // printer; false when no printer took it.
  [[nodiscard]] bool Print(StringView jobTitle);
  bool TabStop() const override { return true; }

  // The first line in view, the number of lines and how many fit in view.
  int32_t TopLine() const { return topLine_; }
  int32_t LineCount();
  int32_t PageLines() const;
  int32_t MaxTopLine() { return std::max(LineCount() - PageLines(), 0); }
  bool ScrollBarShown() { return LineCount() > PageLines(); }
  // Scrolls so that `line` is the first in view (kept within the text).
  void ScrollTo(int32_t line);
  // What the view's own window shows (Windows: the system's control scrolled
  // itself); the model follows without checking.
  void SetTopLine(int32_t line);
  Rect ScrollThumb() override;
  void PaintDefault(Canvas& canvas) override;

 protected:
  void WndProc(Message& message) override;

 private:
  const StringList& Lines();
  Rect BarRect() const;
  ScrollBarParts Parts();
  void Scroll(uint16_t code, int32_t thumbLine);
  void TextLoaded();

  String text_;
  std::string rtf_;
  int32_t topLine_ = 0;
  int32_t wheelRest_ = 0;  // wheel turns not yet a whole line
  ThumbDrag drag_;
  // The lines as last laid out, and for which width and font.
  StringList lines_;
  bool linesValid_ = false;
  int32_t linesWidth_ = 0;
  int32_t linesHeight_ = 0;
  Font linesFont_;
};

// The lines a text is drawn as with word wrap in the given width (labels
// with WordWrap, the rich-text view): line breaks kept, then breaks at
// blanks or between Chinese, Japanese and Korean characters.
StringList WordWrapLines(const Font& font, StringView text, int32_t width);

// Rich text to plain text: groups, control words, \par and \line as line
// breaks, \tab, \'hh in the document's code page, \uN with its fallback
// skipped; destinations that are not body text (font and colour tables,
// pictures, \* groups) are left out.
String RtfToPlainText(const std::string& rtf);

class Timer : public Component {
 public:
  explicit Timer(Component* owner);
  ~Timer() override;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  uint32_t Interval() const { return interval_; }
  void SetInterval(uint32_t milliseconds);
  NotifyEvent OnTimer;

 private:
  friend class Application;
  void Arm();
  bool enabled_ = true;
  uint32_t interval_ = 1000;
  uint64_t dueAt_ = 0;   // application clock, milliseconds
  uint64_t sequence_ = 0;
};

// The standard printer choice. Execute shows it modally; true when the user
// confirmed.
class PrintDialog : public Component {
 public:
  explicit PrintDialog(Component* owner);
  uint32_t options = 0;
  bool printRangeAll = true;
  bool Execute(Form* ownerForm = nullptr);
};

// ---------------------------------------------------------------- forms

class Form : public Control {
 public:
  explicit Form(Component* owner, StringView className = u"TForm");
  ~Form() override;
  bool IsForm() const override { return true; }

  BorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(BorderStyle style) { borderStyle_ = style; }
  // poScreenCenter: centred on the screen when first shown.
  bool CenterOnScreen() const { return centerOnScreen_; }
  void SetCenterOnScreen(bool value) { centerOnScreen_ = value; }
  int32_t ClientWidth() const { return Width(); }
  int32_t ClientHeight() const { return Height(); }
  void SetClientSize(int32_t width, int32_t height) { SetBounds(Left(), Top(), width, height); }

  // Show: the form becomes visible (OnShow) and active (OnActivate). Its
  // window appears unless a hook clears SWP_SHOWWINDOW in
  // WM_WINDOWPOSCHANGING (WindowShown() then stays false).
  void SetVisible(bool visible) override;
  bool WindowShown() const { return windowShown_; }
  bool Active() const;
  void Activate();  // makes it the active form (OnActivate), when visible

  // Shows the form modally and runs the message loop until ModalResult is
  // set (a button or Close) or the application terminates; then hides it.
  int ShowModal();
  bool Modal() const { return modal_; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }

  // A close request: OnCloseQuery may refuse; otherwise OnClose decides
  // (hide by default; the main form ends the application).
  void Close();
  bool CloseQuery();

  // The control with the keyboard focus (null for none). Changing it sends
  // WM_KILLFOCUS to the one that had it and WM_SETFOCUS to the new one. When
  // the form shows, the focus goes to its default button (else its first tab
  // stop) unless a control that can take it has it already.
  Control* ActiveControl() const { return activeControl_; }
  void SetActiveControl(Control* control);
  // Tab and Shift+Tab: the next (or previous) control that can take the
  // focus, in creation order through the form's controls, round and round.
  void SelectNext(bool forward);
  // Keys typed while the form is active: Tab moves the focus; Escape clicks
  // the Cancel button; Enter clicks the focused push button, else the
  // Default one; the arrows move the choice between radio buttons of one
  // parent; any other key goes to the focused control as WM_KEYDOWN /
  // WM_KEYUP (a button clicks on Space released; a check box or radio button
  // on Space).
  void KeyDown(uint16_t key, ShiftState shift);
  void KeyUp(uint16_t key, ShiftState shift);
  // The Default (Cancel) push button that shows and is enabled; null if none.
  Button* DefaultButton() const;
  Button* CancelButton() const;
  // Focus cues (the frame on the focused control) are hidden until the
  // keyboard is first used on the form, as on Windows.
  bool ShowFocusCues() const { return showFocusCues_; }
  void SetShowFocusCues(bool value);

  bool AlphaBlend() const { return alphaBlend_; }
  void SetAlphaBlend(bool value) { alphaBlend_ = value; }
  uint8_t AlphaBlendValue() const { return alphaBlendValue_; }
  void SetAlphaBlendValue(uint8_t value) { alphaBlendValue_ = value; }

  // Runs OnCreate (the application calls it once the form is constructed).
  void DoCreate();

  NotifyEvent OnCreate;
  NotifyEvent OnShow;
  NotifyEvent OnHide;
  NotifyEvent OnActivate;
  NotifyEvent OnDeactivate;
  NotifyEvent OnDestroy;
  CloseQueryEvent OnCloseQuery;
  CloseEvent OnClose;
  // The wheel (WM_MOUSEWHEEL, screen coordinates): a turn over a control
  // that scrolls itself (the rich-text view) goes to that control; the rest
  // add up on the form, and each whole notch (WHEEL_DELTA) fires one of
  // these, so a touchpad's small turns move as far as a wheel's notches.
  MouseWheelUpDownEvent OnMouseWheelUp;
  MouseWheelUpDownEvent OnMouseWheelDown;

  void PaintDefault(Canvas& canvas) override;

 protected:
  void WndProc(Message& message) override;

 private:
  friend class Application;
  friend class Control;
  void ShowWindowNow(bool show);

  BorderStyle borderStyle_ = BorderStyle::Sizeable;
  bool centerOnScreen_ = false;
  bool windowShown_ = false;
  bool modal_ = false;
  int modalResult_ = kMrNone;
  bool alphaBlend_ = false;
  uint8_t alphaBlendValue_ = 255;
  bool created_ = false;
  bool shownBefore_ = false;
  Control* activeControl_ = nullptr;
  int32_t wheelRest_ = 0;  // wheel turns not yet a whole notch
  bool showFocusCues_ = false;
};

// Draws a form as it shows on the screen: background, graphic controls, then
// windowed controls (each after a WM_PAINT through its window procedure),
// labels with their font and colour; pixels outside the form's window region
// show the desktop colour.
Bitmap RenderForm(Form& form);
constexpr COLORREF kDesktopColor = RGB(58, 110, 165);

// ---------------------------------------------------------------- message boxes

constexpr uint32_t kMbOk = 0x00000000;
constexpr uint32_t kMbOkCancel = 0x00000001;
constexpr uint32_t kMbYesNo = 0x00000004;
constexpr uint32_t kMbYesNoCancel = 0x00000003;
constexpr uint32_t kMbIconError = 0x00000010;
constexpr uint32_t kMbIconQuestion = 0x00000020;
constexpr uint32_t kMbIconWarning = 0x00000030;
constexpr uint32_t kMbIconInformation = 0x00000040;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// ---------------------------------------------------------------- application

class Application {
 public:
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Creates a form owned by the application; the first one becomes the main
  // form. The form has its name from the start of its constructor (as a
  // designed form has); OnCreate runs once the constructor has finished.
  template <class T, class... Args>
  T* CreateForm(StringView name, Args&&... args) {
    SetPendingFormName(name);
    auto form = std::make_unique<T>(nullptr, std::forward<Args>(args)...);
    SetPendingFormName(u"");
    T* raw = form.get();
    raw->SetName(name);
    AddForm(std::move(form));
    raw->DoCreate();
    return raw;
  }
  Form* MainForm() const { return mainForm_; }
  const std::vector<Form*>& Forms() const { return formList_; }
  Form* FindForm(StringView name) const;
  Form* ActiveForm() const { return activeForm_; }
  // The innermost form shown modally (null when none): while it is up the
  // other forms take no input.
  Form* ModalForm() const { return modalForms_.empty() ? nullptr : modalForms_.back(); }
  // The name the next form constructed takes (CreateForm sets it).
  static void SetPendingFormName(StringView name);
  static String TakePendingFormName();
  // Whether Run shows the main form (the toolkit's ShowMainForm).
  bool showMainForm = true;
  // The program's title (the caption of ShowMessage): the executable's name
  // without its extension unless set.
  String Title() const;
  void SetTitle(StringView title) { title_ = String(title); }

  // Shows the main form (unless showMainForm is false) and runs the message
  // loop until Terminate.
  void Run();
  void Terminate();
  bool Terminated() const;
  // Handles everything waiting (posted messages, due timers, requests) and
  // returns.
  void ProcessMessages();
  // Waits for at most timeoutMs for something to handle and handles it; true
  // when something was handled.
  bool HandleMessage(uint32_t timeoutMs = 50);

  // PostMessage / RegisterWindowMessage of the platform (process.h); posts
  // to this program's own windows are queued here, in order.
  [[nodiscard]] bool PostMessage(WindowHandle window, uint32_t msg, uintptr_t wParam, intptr_t lParam);
  uint32_t RegisterWindowMessage(StringView name);
  // Runs a function on the user-interface thread, in order with posted
  // messages (used by workers' progress adapters); any thread may call it.
  void Queue(std::function<void()> work);
  bool IsUiThread() const;
  // The thread that runs the loop from now on (the one that calls Run).
  void BindToCurrentThread();

  // The toolkit's simple message dialog (OK button, program title).
  void ShowMessage(StringView text);
  // A system message box: owner window (0 or the desktop for none), text,
  // caption, kMb* flags; returns the kId* of the button pressed.
  int MessageBox(WindowHandle owner, StringView text, StringView caption, uint32_t flags);
  // Hands the caption and text of every later message box (ShowMessage's
  // too) to log; with `instead` no box is shown and each answers OK, for a
  // run without screens. An empty log ends both.
  void LogMessageBoxes(std::function<void(StringView caption, StringView text)> log, bool instead);

  // Milliseconds of the application clock (steady, from start).
  uint64_t Now() const;

  // Internal: used by the model and the backend.
  Control* FindControl(WindowHandle handle) const;
  void RegisterControl(Control* control);
  void UnregisterControl(Control* control);
  // Queues a message for one of this program's windows (any thread).
  void EnqueuePosted(WindowHandle window, uint32_t msg, uintptr_t wParam, intptr_t lParam);
  // Waits at most timeoutMs until something is queued; true when it is.
  bool WaitForQueue(uint32_t timeoutMs);
  void Wake();
  // Milliseconds until the next timer is due (UINT32_MAX when none).
  uint32_t NextTimerDelay() const;
  void TimerChanged(Timer* timer);
  void TimerGone(Timer* timer);
  // Lists a form the application does not own (system dialogs) while it is up.
  void ListForm(Form* form);
  void UnlistForm(Form* form);
  void FormShown(Form* form);
  void FormHidden(Form* form);
  void SetActiveForm(Form* form);
  void ModalStarted(Form* form) { modalForms_.push_back(form); }
  void ModalEnded(Form* form);
  void ControlGone(Control* control);
  // The control the (simulated) mouse is over.
  Control* MouseControl() const { return mouseControl_; }
  void SetMouseControl(Control* control);
  uint64_t StateVersion() const { return stateVersion_; }
  void StateChanged() { ++stateVersion_; }
  // The wait cursor over the program's windows (the toolkit's
  // Screen.Cursor = crHourGlass), while the program waits and takes no answer.
  bool WaitCursor() const { return waitCursor_; }
  void SetWaitCursor(bool wait) {
    if (waitCursor_ == wait) return;
    waitCursor_ = wait;
    StateChanged();
  }

 private:
  struct Impl;
  void AddForm(std::unique_ptr<Form> form);
  bool RunDueTimers();
  bool RunQueued();

  std::unique_ptr<Impl> impl_;
  std::vector<std::unique_ptr<Form>> forms_;
  std::vector<Form*> formList_;
  Form* mainForm_ = nullptr;
  Form* activeForm_ = nullptr;
  Control* mouseControl_ = nullptr;
  bool waitCursor_ = false;
  std::vector<Form*> modalForms_;
  String title_;
  uint64_t stateVersion_ = 0;
};

// The application object of this program (the toolkit's Application).
Application& GetApplication();
// Tests: frees every form and starts over with a fresh application object.
void ResetApplication();

// ---------------------------------------------------------------- workers

// Progress outputs over a label and a bar for a worker: every write is posted
// to the user-interface thread and applied there in order. The bar adapter
// answers Position() from the last value written through it, so a worker
// reads back what it wrote even before the screen has applied it.
class LabelStatusLine : public StatusLine {
 public:
  explicit LabelStatusLine(Label& label) : label_(&label) {}
  void SetStatusText(const String& text) override;

 private:
  Label* label_;
};

class BarProgressIndicator : public ProgressIndicator {
 public:
  explicit BarProgressIndicator(ProgressBar& bar);
  int Position() const override;
  void SetPosition(int position) override;

 private:
  ProgressBar* bar_;
  std::atomic<int> shadow_;
  int min_;
  int max_;
};

}  // namespace win
