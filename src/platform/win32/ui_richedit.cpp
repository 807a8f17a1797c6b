// The rich-text view on Windows: the system's rich-edit control (RICHEDIT50W
// of msftedit.dll), a real child window inside the form's window at the
// view's place, read-only, with a vertical scroll bar while the text is
// longer than the view, filled with the view's rich text. The model keeps its
// own text (printing) and follows the first line the control shows.
//
// Keys typed in the control go to the form's window, so the model's keyboard
// handling (Tab, Enter, Escape, and the scroll keys through the view) stays
// the one path; the view scrolls the control through ScrollRichView.
#include "platform/win32/ui_richedit.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

#include "platform/ui_backend.h"

namespace win::w32 {

namespace {

constexpr wchar_t kRichEditLibrary[] = L"msftedit.dll";
constexpr wchar_t kRichEditClass[] = L"RICHEDIT50W";

struct NativeView {
  HWND hwnd = nullptr;
  HWND form = nullptr;
  WNDPROC saved = nullptr;
};

// Never destroyed, as the backend's window table: views give their windows
// back during the program's exit.
std::unordered_map<Control*, NativeView>& Views() {
  static auto* views = new std::unordered_map<Control*, NativeView>;
  return *views;
}

// msftedit.dll from the system folder by its full path, never by its bare
// name: a DLL of that name beside Setup.exe must never load. Loaded once and
// kept for the program's life (its window class lives in it).
bool RichEditLibraryLoaded() {
  static const bool loaded = LoadSystemLibrary(kRichEditLibrary) != nullptr;
  return loaded;
}

RichEdit* ViewOf(HWND hwnd) {
  for (auto& [control, native] : Views())
    if (native.hwnd == hwnd) return static_cast<RichEdit*>(control);
  return nullptr;
}

// The model follows the first line the control shows.
void FollowControl(RichEdit& view, HWND hwnd) {
  view.SetTopLine(static_cast<int32_t>(::SendMessageW(hwnd, EM_GETFIRSTVISIBLELINE, 0, 0)));
}

bool IsTypingMessage(UINT msg) {
  return msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR || msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP;
}

LRESULT CALLBACK ViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  RichEdit* view = ViewOf(hwnd);
  if (view == nullptr) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  const NativeView native = Views()[view];
  // Keys belong to the form (the model knows the focus); Ctrl keys (copy,
  // select all) stay with the control.
  if (IsTypingMessage(msg) && ::GetKeyState(VK_CONTROL) >= 0) {
    if (msg == WM_CHAR) return 0;
    return ::SendMessageW(native.form, msg, wParam, lParam);
  }
  if (msg == WM_SETFOCUS) view->SetFocus();
  if (msg == WM_MOUSEMOVE) MouseEntered(*view);
  const LRESULT result = ::CallWindowProcW(native.saved, hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_KEYDOWN:
      FollowControl(*view, hwnd);
      break;
    default:
      break;
  }
  return result;
}

// EM_STREAMIN reads the rich text from memory in the pieces it asks for.
struct StreamSource {
  const std::string* text;
  size_t offset;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  const size_t left = source->text->size() - source->offset;
  const size_t count = std::min(left, static_cast<size_t>(wanted < 0 ? 0 : wanted));
  std::memcpy(buffer, source->text->data() + source->offset, count);
  source->offset += count;
  *given = static_cast<LONG>(count);
  return 0;
}

void FillControl(RichEdit& view, HWND hwnd) {
  // No limit below the licence's length.
  ::SendMessageW(hwnd, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  if (!view.RichText().empty()) {
    StreamSource source{&view.RichText(), 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadStream;
    ::SendMessageW(hwnd, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  } else {
    ::SetWindowTextW(hwnd, Wide(view.Text()));
  }
  ::SendMessageW(hwnd, EM_SETSEL, 0, 0);
  ::SendMessageW(hwnd, WM_VSCROLL, SB_TOP, 0);
  FollowControl(view, hwnd);
}

// Shown while the view and every control it sits on (up to the form) are.
bool ShownInForm(const Control& control) {
  for (const Control* c = &control; c != nullptr && !c->IsForm(); c = c->Parent())
    if (!c->Visible()) return false;
  return true;
}

void Place(RichEdit& view, HWND hwnd) {
  const Point offset = view.FormOffset();
  ::SetWindowPos(hwnd, HWND_TOP, offset.x, offset.y, view.Width(), view.Height(), SWP_NOACTIVATE);
  const bool show = ShownInForm(view);
  if (((::GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0) != show) ::ShowWindow(hwnd, show ? SW_SHOWNA : SW_HIDE);
  ::EnableWindow(hwnd, view.Enabled() ? TRUE : FALSE);
}

HWND MakeControl(RichEdit& view, HWND form) {
  if (!RichEditLibraryLoaded()) return nullptr;
  const Point offset = view.FormOffset();
  HWND hwnd = ::CreateWindowExW(0, kRichEditClass, L"",
                                WS_CHILD | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                                offset.x, offset.y, view.Width(), view.Height(), form, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  if (hwnd == nullptr) return nullptr;
  NativeView native;
  native.hwnd = hwnd;
  native.form = form;
  native.saved = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ViewProc)));
  Views()[&view] = native;
  return hwnd;
}

}  // namespace

void SyncRichView(RichEdit& view, HWND form) {
  auto found = Views().find(&view);
  if (found != Views().end() && found->second.form != form) {
    ::DestroyWindow(found->second.hwnd);
    Views().erase(found);
    found = Views().end();
  }
  HWND hwnd = nullptr;
  if (found == Views().end()) {
    if (form == nullptr) return;
    hwnd = MakeControl(view, form);
    if (hwnd == nullptr) return;  // the model draws the view itself
    FillControl(view, hwnd);
  } else {
    hwnd = found->second.hwnd;
  }
  Place(view, hwnd);
}

void DestroyRichView(Control& control) {
  auto found = Views().find(&control);
  if (found == Views().end()) return;
  const HWND hwnd = found->second.hwnd;
  Views().erase(found);
  ::DestroyWindow(hwnd);
}

bool IsRichViewWindow(HWND hwnd) { return ViewOf(hwnd) != nullptr; }

}  // namespace win::w32

namespace win::backend {

void RichTextChanged(RichEdit& view) {
  auto found = w32::Views().find(&view);
  if (found != w32::Views().end()) w32::FillControl(view, found->second.hwnd);
}

bool ScrollRichView(RichEdit& view, uint16_t code, int32_t line) {
  auto found = w32::Views().find(&view);
  if (found == w32::Views().end()) return false;
  const HWND hwnd = found->second.hwnd;
  if (code == kSbThumbPosition || code == kSbThumbTrack) {
    const LRESULT first = ::SendMessageW(hwnd, EM_GETFIRSTVISIBLELINE, 0, 0);
    ::SendMessageW(hwnd, EM_LINESCROLL, 0, static_cast<LPARAM>(line - first));
  } else {
    ::SendMessageW(hwnd, WM_VSCROLL, code, 0);
  }
  w32::FollowControl(view, hwnd);
  return true;
}

bool RichViewThumb(RichEdit& view, Rect& thumb) {
  auto found = w32::Views().find(&view);
  if (found == w32::Views().end()) return false;
  const HWND hwnd = found->second.hwnd;
  thumb = Rect{};
  SCROLLBARINFO info{};
  info.cbSize = sizeof(info);
  RECT window{};
  if (!::GetScrollBarInfo(hwnd, OBJID_VSCROLL, &info) || !::GetWindowRect(hwnd, &window)) return true;
  if ((info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE)) != 0) return true;
  // The bar's rectangle and the thumb's run are in screen coordinates.
  const int32_t left = info.rcScrollBar.left - window.left, right = info.rcScrollBar.right - window.left;
  const int32_t top = info.rcScrollBar.top - window.top;
  thumb = Rect{left, top + info.xyThumbTop, right, top + info.xyThumbBottom};
  return true;
}

}  // namespace win::backend
