// The widget model on real windows. Each form is a top-level window that
// shows the model's own drawing of the form (RenderForm), so every screen
// looks as the model paints it, skins and window outlines included. Controls
// inside a form are drawn by the model and get their mouse input from the
// form's window, hit-tested in the model; each still owns a real window
// handle (a message-only window), so handles are unique system-wide and a
// message posted to any of them by PostMessageW reaches the model's queue.
// The one exception is the rich-text view: the system's rich-edit control, a
// real child window of its form (ui_richedit.cpp).
#include "platform/win32/winapi.h"
#include "platform/win32/gdi.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "platform/ui.h"
#include "platform/ui_backend.h"
#include "platform/ui_state.h"
#include "platform/win32/ui_richedit.h"
#include "platform/win32/ui_accessible.h"

namespace win::w32 {

namespace {

constexpr wchar_t kFormClass[] = L"ZorvexSetupForm";
constexpr wchar_t kControlClass[] = L"ZorvexSetupControl";
// Other programs' posts and the workers' queued work are looked for at least
// this often while the loop waits for input.
constexpr DWORD kQueuePollMs = 10;

struct WindowRecord {
  Control* control = nullptr;
  bool topLevel = false;
  bool trackingLeave = false;
  std::vector<HWND> disabledForModal;  // windows a modal form switched off
};

struct UiState {
  Application* app = nullptr;
  std::unordered_map<HWND, WindowRecord> windows;
  Control* captured = nullptr;  // the control that got the button press
  bool painting = false;        // inside our own WM_PAINT rendering
  bool showing = false;         // inside ShowWindow on the model's behalf
  bool syncingBounds = false;   // applying the model's bounds to a window
  uint64_t invalidatedVersion = UINT64_MAX;
  // Handles handed out when the system refused to make a window.
  uintptr_t nextSpareHandle = 0xFFFF0000u;
};

// Never destroyed: controls of the application object give their windows
// back during the program's exit, after ordinary statics may be gone.
UiState& Ui() {
  static UiState* state = new UiState;
  return *state;
}

HWND ToHwnd(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }

WindowRecord* Record(HWND hwnd) {
  auto found = Ui().windows.find(hwnd);
  return found == Ui().windows.end() ? nullptr : &found->second;
}

Form* FormOf(Control& control) {
  for (Control* c = &control; c != nullptr; c = c->Parent()) {
    WindowRecord* record = Record(ToHwnd(c->Handle()));
    if (record != nullptr && record->topLevel) return static_cast<Form*>(c);
  }
  return nullptr;
}

void Invalidate(Form* form) {
  if (form == nullptr || Ui().painting) return;
  HWND hwnd = ToHwnd(form->Handle());
  if (Record(hwnd) != nullptr) ::InvalidateRect(hwnd, nullptr, FALSE);
}

DWORD StyleFor(const Form& form) {
  switch (form.GetBorderStyle()) {
    case BorderStyle::None: return WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
    case BorderStyle::Sizeable:
      return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
             WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
    case BorderStyle::Single:
      return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    case BorderStyle::Dialog:
    default: return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  }
}

// The model's bounds of a form are its client area; the window is larger by
// its frame.
RECT OuterRect(const Form& form, DWORD style) {
  RECT rect{form.Left(), form.Top(), form.Left() + form.Width(), form.Top() + form.Height()};
  ::AdjustWindowRectEx(&rect, style, FALSE, 0);
  return rect;
}

void ApplyStyle(HWND hwnd, const Form& form) {
  const DWORD wanted = StyleFor(form);
  const DWORD current = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE));
  const DWORD kept = current & (WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE);
  if ((current & ~kept) != wanted) {
    ::SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(wanted | kept));
    ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
}

void ApplyBounds(HWND hwnd, const Form& form) {
  const RECT outer = OuterRect(form, static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE)));
  RECT current{};
  ::GetWindowRect(hwnd, &current);
  if (::EqualRect(&current, &outer)) return;
  Ui().syncingBounds = true;
  ::SetWindowPos(hwnd, nullptr, outer.left, outer.top, outer.right - outer.left,
                 outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Ui().syncingBounds = false;
}

void ApplyTitle(HWND hwnd, const String& caption) {
  const int length = ::GetWindowTextLengthW(hwnd);
  std::vector<wchar_t> current(static_cast<size_t>(length) + 1, L'\0');
  ::GetWindowTextW(hwnd, current.data(), length + 1);
  if (FromWide(current.data()) != caption) ::SetWindowTextW(hwnd, Wide(caption));
}

// A region of the model as a system region (one call, whatever its size).
HRGN CreateSystemRegion(const Region& region) {
  const auto& rects = region.Rects();
  std::vector<BYTE> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = static_cast<DWORD>(rects.size());
  header->nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  const Rect box = region.BoundingBox();
  header->rcBound = RECT{box.left, box.top, box.right, box.bottom};
  auto* out = reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER));
  for (size_t i = 0; i < rects.size(); ++i) {
    out[i] = RECT{rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
  }
  HRGN made = ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                                reinterpret_cast<const RGNDATA*>(data.data()));
  return made != nullptr ? made : ::CreateRectRgn(0, 0, 0, 0);
}

// ---------------------------------------------------------------- painting

void PaintForm(HWND hwnd, Form& form) {
  PAINTSTRUCT paint{};
  HDC dc = ::BeginPaint(hwnd, &paint);
  if (dc == nullptr) return;
  UiState& ui = Ui();
  ui.painting = true;
  const Bitmap picture = RenderForm(form);
  ui.painting = false;
  // Drawing may have moved the model's state on (hooks repaint their look);
  // that is what is on the screen now.
  if (ui.app != nullptr) ui.invalidatedVersion = ui.app->StateVersion();
  if (!picture.Empty()) {
    std::vector<uint32_t> pixels(static_cast<size_t>(picture.Width()) * picture.Height());
    for (int32_t y = 0; y < picture.Height(); ++y) {
      const COLORREF* row = picture.Row(y);
      uint32_t* out = pixels.data() + static_cast<size_t>(y) * picture.Width();
      for (int32_t x = 0; x < picture.Width(); ++x) out[x] = DibPixel(row[x]);
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = picture.Width();
    info.bmiHeader.biHeight = -picture.Height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ::SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(picture.Width()),
                        static_cast<DWORD>(picture.Height()), 0, 0, 0,
                        static_cast<UINT>(picture.Height()), pixels.data(), &info, DIB_RGB_COLORS);
  }
  ::EndPaint(hwnd, &paint);
}

// ---------------------------------------------------------------- mouse

bool Hits(const Control& control, int32_t x, int32_t y) {
  if (!control.Visible() || !control.Enabled()) return false;
  if (!control.BoundsRect().Contains(x, y)) return false;
  const Region* region = control.WindowRgn();
  return region == nullptr || region->Contains(x - control.Left(), y - control.Top());
}

// The control under a point of parent's client area: windowed children lie
// over graphic ones, later children over earlier ones; a disabled control
// takes no mouse input.
Control* HitTest(Control& parent, int32_t x, int32_t y) {
  const auto& children = parent.Children();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    Control* child = *it;
    if (child->IsWindowed() && Hits(*child, x, y)) {
      return HitTest(*child, x - child->Left(), y - child->Top());
    }
  }
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    Control* child = *it;
    if (!child->IsWindowed() && Hits(*child, x, y)) return child;
  }
  return &parent;
}

intptr_t LocalPoint(Form& form, Control& control, int32_t x, int32_t y) {
  if (&control == &form) return MakePointParam(x, y);
  const Point offset = control.FormOffset();
  return MakePointParam(x - offset.x, y - offset.y);
}

// The mouse moves onto another control: the one it leaves hears the leave
// notices, the new one the enter notice.
void MoveMouseTo(Control* target) {
  Application* app = Ui().app;
  if (app == nullptr) return;
  Control* previous = app->MouseControl();
  if (previous == target) return;
  app->SetMouseControl(nullptr);
  if (previous != nullptr) {
    previous->Perform(kWmMouseLeave);
    previous->Perform(kCmMouseLeave);
  }
  if (target != nullptr) {
    app->SetMouseControl(target);
    target->Perform(kCmMouseEnter);
  }
}

bool CursorOverRichView() {
  POINT cursor{};
  return ::GetCursorPos(&cursor) && IsRichViewWindow(::WindowFromPoint(cursor));
}

void OnMouseMove(HWND hwnd, WindowRecord& record, Form& form, WPARAM keys, int32_t x, int32_t y) {
  if (!record.trackingLeave) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = hwnd;
    record.trackingLeave = ::TrackMouseEvent(&track) != FALSE;
  }
  Control* hit = HitTest(form, x, y);
  MoveMouseTo(hit);
  Control* target = Ui().captured != nullptr ? Ui().captured : hit;
  if (target != nullptr) target->Perform(kWmMouseMove, keys, LocalPoint(form, *target, x, y));
}

void OnButtonDown(HWND hwnd, Form& form, WPARAM keys, int32_t x, int32_t y) {
  Control* hit = HitTest(form, x, y);
  MoveMouseTo(hit);
  ::SetCapture(hwnd);
  Ui().captured = hit;
  hit->Perform(kWmLButtonDown, keys, LocalPoint(form, *hit, x, y));
}

void OnButtonUp(Form& form, WPARAM keys, int32_t x, int32_t y) {
  Control* target = Ui().captured != nullptr ? Ui().captured : HitTest(form, x, y);
  Ui().captured = nullptr;
  if (::GetCapture() != nullptr) ::ReleaseCapture();
  target->Perform(kWmLButtonUp, keys, LocalPoint(form, *target, x, y));
}

// ---------------------------------------------------------------- window procedures

// An application message that reached a window procedure: sent from another
// thread, it is answered at once; dispatched by a modal loop of the system
// (a message box), it joins the model's queue in order.
LRESULT ForwardToModel(HWND hwnd, Control& control, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (::InSendMessage()) {
    return static_cast<LRESULT>(control.Perform(msg, wParam, lParam));
  }
  if (Ui().app != nullptr) {
    Ui().app->EnqueuePosted(reinterpret_cast<WindowHandle>(hwnd), msg, wParam, lParam);
  }
  return 0;
}

bool IsApplicationMessage(UINT msg) { return msg >= WM_USER; }

// Anyone may ask what the program shows (the names, states and places that
// accessibility tools read too): the registered message "ZorvexSetupDescribe"
// sent to any form's window, wParam the asking window. The answer is the
// state text (ui_state.h) in UTF-8, sent back to that window as WM_COPYDATA
// with dwData kDescribeAnswer, while the asker still waits for its send.
constexpr ULONG_PTR kDescribeAnswer = 0x5A585549;  // "ZXUI"

UINT DescribeMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"ZorvexSetupDescribe");
  return message;
}

LRESULT AnswerDescribe(HWND form, HWND asker) {
  if (Ui().app == nullptr || asker == nullptr || !::IsWindow(asker)) return 0;
  const std::string text = DescribeUi(*Ui().app);
  COPYDATASTRUCT data{};
  data.dwData = kDescribeAnswer;
  data.cbData = static_cast<DWORD>(text.size());
  data.lpData = const_cast<char*>(text.data());
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(asker, WM_COPYDATA, reinterpret_cast<WPARAM>(form),
                        reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 2000, &result);
  return 1;
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowRecord* record = Record(hwnd);
  if (record == nullptr || record->control == nullptr) {
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  if (msg != 0 && msg == DescribeMessage()) return AnswerDescribe(hwnd, reinterpret_cast<HWND>(wParam));
  Form& form = *static_cast<Form*>(record->control);
  const int32_t x = static_cast<int16_t>(LOWORD(lParam));
  const int32_t y = static_cast<int16_t>(HIWORD(lParam));
  switch (msg) {
    case WM_PAINT:
      PaintForm(hwnd, form);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && Ui().app != nullptr && Ui().app->WaitCursor()) {
        ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
        return TRUE;
      }
      break;
    case WM_GETOBJECT: {
      // Screen readers: the controls are no windows they could see, so the
      // form's client area answers for them.
      LRESULT answer = 0;
      if (AnswerGetObject(hwnd, wParam, lParam, answer)) return answer;
      break;
    }
    case WM_CLOSE:
      // The model decides: the close query may refuse, the main form ends
      // the program. The window is never destroyed here.
      form.Perform(kWmClose);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(hwnd, *record, form, wParam, x, y);
      return 0;
    case WM_LBUTTONDOWN:
      OnButtonDown(hwnd, form, wParam, x, y);
      return 0;
    case WM_LBUTTONUP:
      OnButtonUp(form, wParam, x, y);
      return 0;
    case WM_MOUSELEAVE:
      record->trackingLeave = false;
      // Onto the licence view's own window: that window tells the model.
      if (Ui().captured == nullptr && !CursorOverRichView()) MoveMouseTo(nullptr);
      return 0;
    case WM_CAPTURECHANGED:
      Ui().captured = nullptr;
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP: {
      // The form is one window: keys go to the model, which knows the
      // focused control.
      const ShiftState shift = ::GetKeyState(VK_SHIFT) < 0 ? kSsShift : 0;
      const auto key = static_cast<uint16_t>(wParam);
      // Enter held down clicks once: its repeats would otherwise press on
      // through every screen that comes up next.
      const bool repeat = (lParam & (LPARAM{1} << 30)) != 0;
      if (msg == WM_KEYUP) form.KeyUp(key, shift);
      else if (!(repeat && key == kVkReturn)) form.KeyDown(key, shift);
      return 0;
    }
    case WM_MOUSEWHEEL:
      // Screen coordinates, as the model's forms expect them.
      form.Perform(kWmMouseWheel, wParam, lParam);
      return 0;
    case WM_ACTIVATE:
      // The user switched to this window: the model's active form follows.
      if (LOWORD(wParam) != WA_INACTIVE && !Ui().showing && form.Visible() &&
          form.WindowShown() && !form.Active()) {
        form.Activate();
      }
      break;
    case WM_WINDOWPOSCHANGED: {
      // A window the user moved keeps the model's bounds in step.
      if (!Ui().syncingBounds && !Ui().showing && !::IsIconic(hwnd)) {
        RECT client{};
        ::GetClientRect(hwnd, &client);
        POINT origin{0, 0};
        ::ClientToScreen(hwnd, &origin);
        RECT outer{};
        ::GetWindowRect(hwnd, &outer);
        if (form.Left() != outer.left || form.Top() != outer.top ||
            form.Width() != client.right || form.Height() != client.bottom) {
          Ui().syncingBounds = true;
          form.SetBounds(outer.left, outer.top, client.right, client.bottom);
          Ui().syncingBounds = false;
        }
      }
      break;
    }
    default:
      if (IsApplicationMessage(msg)) return ForwardToModel(hwnd, form, msg, wParam, lParam);
      break;
  }
  return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowRecord* record = Record(hwnd);
  if (record != nullptr && record->control != nullptr &&
      (IsApplicationMessage(msg) || msg == WM_CLOSE)) {
    return ForwardToModel(hwnd, *record->control, msg, wParam, lParam);
  }
  return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool RegisterClasses() {
  static bool registered = false;
  if (registered) return true;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW form{};
  form.cbSize = sizeof(form);
  form.lpfnWndProc = FormProc;
  form.hInstance = instance;
  form.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  form.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  if (form.hIcon == nullptr) form.hIcon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  form.lpszClassName = kFormClass;
  WNDCLASSEXW control{};
  control.cbSize = sizeof(control);
  control.lpfnWndProc = ControlProc;
  control.hInstance = instance;
  control.lpszClassName = kControlClass;
  registered = ::RegisterClassExW(&form) != 0 && ::RegisterClassExW(&control) != 0;
  return registered;
}

// Takes the system's messages waiting for this thread. Messages posted to
// this program's windows join the model's queue; input goes to the windows.
bool PumpSystemMessages(Application& app) {
  bool arrived = false;
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    arrived = true;
    if (message.message == WM_QUIT) {
      app.Terminate();
      break;
    }
    if (message.hwnd != nullptr && Record(message.hwnd) != nullptr &&
        (message.message == WM_CLOSE || IsApplicationMessage(message.message))) {
      app.EnqueuePosted(reinterpret_cast<WindowHandle>(message.hwnd), message.message,
                        message.wParam, message.lParam);
      continue;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return arrived;
}

}  // namespace

void MouseEntered(Control& control) { MoveMouseTo(&control); }

}  // namespace win::w32

namespace win::backend {

using w32::Ui;

WindowHandle CreateControlWindow(Control& control, bool topLevel) {
  w32::UiState& ui = Ui();
  HWND hwnd = nullptr;
  if (w32::RegisterClasses()) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (topLevel) {
      hwnd = ::CreateWindowExW(0, w32::kFormClass, Wide(control.Caption()),
                               WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0, nullptr, nullptr, instance,
                               nullptr);
    } else {
      hwnd = ::CreateWindowExW(0, w32::kControlClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               instance, nullptr);
    }
  }
  if (hwnd == nullptr) {
    // Out of window handles: the control still works in the model.
    return static_cast<WindowHandle>(ui.nextSpareHandle++);
  }
  w32::WindowRecord record;
  record.control = &control;
  record.topLevel = topLevel;
  ui.windows[hwnd] = record;
  return reinterpret_cast<WindowHandle>(hwnd);
}

void DestroyControlWindow(Control& control) {
  w32::UiState& ui = Ui();
  if (ui.captured == &control) ui.captured = nullptr;
  w32::DestroyRichView(control);
  HWND hwnd = w32::ToHwnd(control.Handle());
  auto found = ui.windows.find(hwnd);
  if (found == ui.windows.end()) return;
  for (HWND other : found->second.disabledForModal) ::EnableWindow(other, TRUE);
  ui.windows.erase(found);
  ::DestroyWindow(hwnd);
}

void ControlChanged(Control& control) {
  HWND hwnd = w32::ToHwnd(control.Handle());
  w32::WindowRecord* record = w32::Record(hwnd);
  if (record != nullptr && record->topLevel) {
    Form& form = static_cast<Form&>(control);
    w32::ApplyTitle(hwnd, form.Caption());
    if (!Ui().syncingBounds) w32::ApplyBounds(hwnd, form);
    const bool enabled = form.Enabled();
    if ((::IsWindowEnabled(hwnd) != FALSE) != enabled && record->disabledForModal.empty()) {
      ::EnableWindow(hwnd, enabled ? TRUE : FALSE);
    }
    w32::Invalidate(&form);
    return;
  }
  Form* form = w32::FormOf(control);
  if (auto* view = dynamic_cast<RichEdit*>(&control)) {
    w32::SyncRichView(*view, form != nullptr ? w32::ToHwnd(form->Handle()) : nullptr);
  }
  w32::Invalidate(form);
}

void ShowFormWindow(Form& form, bool show) {
  HWND hwnd = w32::ToHwnd(form.Handle());
  w32::WindowRecord* record = w32::Record(hwnd);
  if (record == nullptr) return;
  w32::UiState& ui = Ui();
  ui.showing = true;
  if (show) {
    w32::ApplyStyle(hwnd, form);
    w32::ApplyTitle(hwnd, form.Caption());
    w32::ApplyBounds(hwnd, form);
    if (const Region* region = form.WindowRgn()) {
      ::SetWindowRgn(hwnd, w32::CreateSystemRegion(*region), FALSE);
    }
    if (form.Modal()) {
      // A modal form switches the program's other windows off until it hides.
      record->disabledForModal.clear();
      for (auto& [other, otherRecord] : ui.windows) {
        if (other != hwnd && otherRecord.topLevel && ::IsWindowVisible(other) &&
            ::IsWindowEnabled(other)) {
          ::EnableWindow(other, FALSE);
          record->disabledForModal.push_back(other);
        }
      }
    }
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetForegroundWindow(hwnd);
    ::InvalidateRect(hwnd, nullptr, FALSE);
  } else {
    // Windows switched off by this form come back before it hides, so the
    // system activates one of them and not another program.
    std::vector<HWND> disabled;
    disabled.swap(record->disabledForModal);
    for (HWND other : disabled) {
      if (w32::Record(other) != nullptr) ::EnableWindow(other, TRUE);
    }
    ::ShowWindow(hwnd, SW_HIDE);
  }
  ui.showing = false;
}

void WindowRegionChanged(Control& control, const Region* region) {
  HWND hwnd = w32::ToHwnd(control.Handle());
  w32::WindowRecord* record = w32::Record(hwnd);
  if (record != nullptr && record->topLevel) {
    // The system owns the region once SetWindowRgn accepted it.
    HRGN systemRegion = region ? w32::CreateSystemRegion(*region) : nullptr;
    if (!::SetWindowRgn(hwnd, systemRegion, TRUE) && systemRegion != nullptr) {
      ::DeleteObject(systemRegion);
    }
    return;
  }
  w32::Invalidate(w32::FormOf(control));
}

void BlitToWindow(Control& control, const Bitmap&, int32_t, int32_t) {
  w32::Invalidate(w32::FormOf(control));
}

void AttachApplication(Application& application) { Ui().app = &application; }

void DetachApplication(Application& application) {
  if (Ui().app == &application) Ui().app = nullptr;
}

bool WaitForEvents(Application& application, uint32_t timeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  for (;;) {
    if (w32::PumpSystemMessages(application)) return true;
    if (application.WaitForQueue(0)) return true;
    if (application.Terminated()) return false;
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) return false;
    const DWORD slice = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, w32::kQueuePollMs));
    ::MsgWaitForMultipleObjectsEx(0, nullptr, slice, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

void AfterDispatch(Application& application) {
  w32::UiState& ui = Ui();
  if (application.StateVersion() == ui.invalidatedVersion) return;
  ui.invalidatedVersion = application.StateVersion();
  for (auto& [hwnd, record] : ui.windows) {
    if (record.topLevel && ::IsWindowVisible(hwnd)) ::InvalidateRect(hwnd, nullptr, FALSE);
  }
}

}  // namespace win::backend
