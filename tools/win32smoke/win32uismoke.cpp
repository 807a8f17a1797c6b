// win32uismoke: exercises the Windows backend of the widget model on a real
// display (or Wine with a virtual one): GDI text, PNG through WIC, forms on
// real windows, mouse input, posted messages from other threads, modal forms,
// window regions and the system message box. One line per check; exit code:
// the number of failed checks.
#include "platform/win32/winapi.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/picture.h"
#include "platform/process.h"
#include "platform/strings.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace {

int failures = 0;

void Check(bool ok, const char* what, const std::string& detail = std::string()) {
  if (!ok) ++failures;
  std::printf("%-4s %s%s%s\n", ok ? "ok" : "FAIL", what, detail.empty() ? "" : ": ",
              detail.c_str());
  std::fflush(stdout);
}

#define CHECK(expr, ...)     \
  do {                       \
    bool ok_ = (expr);       \
    Check(ok_, __VA_ARGS__); \
  } while (0)

HWND Hwnd(const win::Control& control) { return reinterpret_cast<HWND>(control.Handle()); }

// Runs the loop for a while (the model's and the system's messages).
void Pump(win::Application& app, int milliseconds) {
  const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
  while (::GetTickCount64() < end && !app.Terminated()) app.HandleMessage(10);
}

// Clicks at a point of a form's client area as the mouse would.
void ClickAt(const win::Form& form, int x, int y) {
  const LPARAM point = MAKELPARAM(x, y);
  ::PostMessageW(Hwnd(form), WM_MOUSEMOVE, 0, point);
  ::PostMessageW(Hwnd(form), WM_LBUTTONDOWN, MK_LBUTTON, point);
  ::PostMessageW(Hwnd(form), WM_LBUTTONUP, 0, point);
}

void CheckText() {
  std::printf("-- text\n");
  win::Font font;
  const win::Size hello = win::MeasureText(font, u"Hello");
  const win::Size longer = win::MeasureText(font, u"Hello, world");
  CHECK(hello.cx > 10 && hello.cy >= 10 && hello.cy <= 20, "MeasureText Tahoma 8 pt",
        std::to_string(hello.cx) + "x" + std::to_string(hello.cy));
  CHECK(longer.cx > hello.cx && longer.cy == hello.cy, "a longer text is wider, as high");
  const win::Size chinese = win::MeasureText(font, u"\u4E2D\u6587\u5B89\u88DD");
  CHECK(chinese.cx > 0, "MeasureText of Chinese text", std::to_string(chinese.cx));

  win::Bitmap picture(60, 20, win::kClWhite);
  win::Canvas canvas(picture);
  canvas.font = font;
  canvas.font.color = win::kClBlack;
  canvas.transparent = true;
  canvas.clip = win::Rect{0, 0, 30, 20};
  canvas.TextOut(2, 2, u"MMMMMMMM");
  int inside = 0;
  int outside = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 60; ++x) {
      if (picture.Pixel(x, y) != win::kClWhite) (x < 30 ? inside : outside)++;
    }
  }
  CHECK(inside > 20 && outside == 0, "DrawFontText draws only inside the clip",
        std::to_string(inside) + " pixels inside, " + std::to_string(outside) + " outside");
}

void CheckPictures(const String& scratch) {
  std::printf("-- pictures\n");
  win::Bitmap picture(3, 2);
  picture.SetPixel(0, 0, win::RGB(255, 0, 0));
  picture.SetPixel(1, 0, win::RGB(0, 255, 0));
  picture.SetPixel(2, 0, win::RGB(0, 0, 255));
  picture.SetPixel(0, 1, win::RGB(1, 2, 3));
  picture.SetPixel(1, 1, win::RGB(250, 251, 252));
  picture.SetPixel(2, 1, win::kClWhite);
  const String path = scratch + u"smoke \u56FE.png";
  CHECK(win::SavePng(picture, win::ToUtf8(path)), "SavePng through WIC");
  std::string bytes;
  CHECK(win::ReadFileBytes(path, bytes) && bytes.size() > 8, "the PNG file exists",
        std::to_string(bytes.size()) + " bytes");
  win::Bitmap back;
  std::string error;
  CHECK(win::DecodePng(bytes, back, error) && back == picture, "DecodePng gives the same pixels",
        error);
  win::Bitmap loaded;
  CHECK(win::LoadPictureFile(path, loaded) && loaded == picture, "LoadPictureFile of a .png");
  const std::string truncated = bytes.substr(0, bytes.size() - 20);
  CHECK(!win::DecodePng(truncated, back, error), "a truncated PNG is refused", error);
  CHECK(!win::DecodePng("BM not a png at all", back, error), "a non-PNG is refused", error);
  std::string corrupt = bytes;
  corrupt[40] ^= 0x55;
  corrupt[41] ^= 0x55;
  win::Bitmap damaged;
  bool decoded = win::DecodePng(corrupt, damaged, error);
  Check(true, "a PNG with damaged pixel data does not crash",
        decoded ? "decoded anyway" : "refused: " + error);
  // Only tidying up: a picture left beside the program changes no check.
  (void)win::DeleteFile(path);
}

class RecordingForm : public win::Form {
 public:
  explicit RecordingForm(win::Component* owner) : Form(owner) {}
  std::vector<uintptr_t> received;
  uint32_t watched = 0;

 protected:
  void WndProc(win::Message& message) override {
    if (watched != 0 && message.msg == watched) received.push_back(message.wParam);
    Form::WndProc(message);
  }
};

void CheckWindows() {
  std::printf("-- windows\n");
  win::Application& app = win::GetApplication();
  auto* form = app.CreateForm<RecordingForm>(u"FSmoke");
  form->SetBorderStyle(win::BorderStyle::None);
  form->SetCaption(u"Zorvex UI smoke \u5B89\u88DD");
  form->SetBounds(120, 100, 320, 200);
  form->SetColor(win::RGB(30, 60, 90));
  auto* label = form->Create<win::Label>(u"lb_Title");
  label->SetCaption(u"Install Zorvex");
  label->SetBounds(10, 10, 200, 16);
  label->GetFont().color = win::kClWhite;
  auto* button = form->Create<win::Button>(u"bt_Next");
  button->SetCaption(u"Next");
  button->SetBounds(220, 160, 80, 25);
  int clicks = 0;
  button->OnClick = [&clicks](win::Component*) { ++clicks; };
  auto* box = form->Create<win::CheckBox>(u"ck_Agree");
  box->SetCaption(u"I agree");
  box->SetBounds(10, 160, 120, 20);
  auto* bar = form->Create<win::ProgressBar>(u"pb_Installation");
  bar->SetBounds(10, 120, 300, 16);
  int labelClicks = 0;
  label->OnClick = [&labelClicks](win::Component*) { ++labelClicks; };

  app.BindToCurrentThread();
  form->Show();
  Pump(app, 300);
  HWND hwnd = Hwnd(*form);
  CHECK(::IsWindow(hwnd) && ::IsWindowVisible(hwnd), "the form is a visible window");
  CHECK(win::FindWindow(u"Zorvex UI smoke \u5B89\u88DD") == form->Handle(),
        "FindWindow finds the form by its title");
  RECT rect{};
  ::GetWindowRect(hwnd, &rect);
  CHECK(rect.left == 120 && rect.top == 100 && rect.right - rect.left == 320 &&
            rect.bottom - rect.top == 200,
        "the window has the form's bounds",
        std::to_string(rect.left) + "," + std::to_string(rect.top) + " " +
            std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top));
  CHECK(::IsWindow(Hwnd(*button)) && Hwnd(*button) != hwnd, "controls own real handles");

  // What the screen shows is the model's drawing of the form.
  ::UpdateWindow(hwnd);
  const win::Bitmap expected = win::RenderForm(*form);
  HDC dc = ::GetDC(hwnd);
  int same = 0;
  int probed = 0;
  const int points[][2] = {{5, 5}, {300, 20}, {150, 60}, {20, 140}, {250, 170}, {310, 190}};
  for (const auto& p : points) {
    COLORREF shown = ::GetPixel(dc, p[0], p[1]);
    ++probed;
    if (shown == expected.Pixel(p[0], p[1])) ++same;
  }
  ::ReleaseDC(hwnd, dc);
  CHECK(same == probed, "the window shows the model's picture",
        std::to_string(same) + " of " + std::to_string(probed) + " probes");

  ClickAt(*form, 260, 172);
  Pump(app, 200);
  CHECK(clicks == 1, "a mouse click on the button fires OnClick", std::to_string(clicks));
  ClickAt(*form, 20, 170);
  Pump(app, 200);
  CHECK(box->Checked(), "a mouse click on the check box ticks it");
  ClickAt(*form, 30, 15);
  Pump(app, 200);
  CHECK(labelClicks == 1, "a graphic control gets its click", std::to_string(labelClicks));
  button->SetEnabled(false);
  ClickAt(*form, 260, 172);
  Pump(app, 200);
  CHECK(clicks == 1, "a disabled button takes no click");
  button->SetEnabled(true);

  // Keys typed on the form's window reach the focused control: the button
  // clicks on Space, Tab moves on to the check box, Shift+Tab back.
  const auto typeKey = [&app, hwnd](WPARAM key, bool shift = false) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(keys);
    ::PostMessageW(hwnd, WM_KEYDOWN, key, 1);
    ::PostMessageW(hwnd, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
    Pump(app, 100);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
  };
  button->SetFocus();
  typeKey(VK_SPACE);
  CHECK(clicks == 2, "Space on the focused button clicks it", std::to_string(clicks));
  typeKey(VK_TAB);
  typeKey(VK_SPACE);
  CHECK(box->Focused() && !box->Checked(), "Tab moves the focus on and Space toggles the check box");
  typeKey(VK_TAB, true);
  typeKey(VK_RETURN);
  CHECK(button->Focused() && clicks == 3, "Shift+Tab goes back and Enter clicks the button",
        std::to_string(clicks));
  // Enter held down: the first press clicks, its repeats (bit 30 set) do not.
  ::PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 1);
  ::PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, static_cast<LPARAM>(0x40000001));
  ::PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, static_cast<LPARAM>(0x40000001));
  ::PostMessageW(hwnd, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001));
  Pump(app, 100);
  CHECK(clicks == 4, "Enter held down clicks once", std::to_string(clicks));

  // Posts from a worker arrive on the loop's thread, in order: through the
  // model's queue (even numbers) and through the system's PostMessageW (odd
  // numbers); each stream keeps its order.
  form->watched = app.RegisterWindowMessage(u"INSTALL_THREAD_FINISHED");
  std::thread worker([&app, form] {
    for (uintptr_t i = 0; i < 100; ++i) {
      // What arrives, and in which order, is checked below.
      if (i % 2 == 0) {
        (void)app.PostMessage(form->Handle(), form->watched, i, 0);
      } else {
        (void)win::PostMessage(form->Handle(), form->watched, i, 0);
      }
      if (i % 10 == 0) ::Sleep(1);
    }
  });
  worker.join();
  Pump(app, 300);
  uintptr_t lastEven = 0;
  uintptr_t lastOdd = 1;
  bool inOrder = form->received.size() == 100;
  for (uintptr_t value : form->received) {
    uintptr_t& last = value % 2 == 0 ? lastEven : lastOdd;
    if (value < last) inOrder = false;
    last = value;
  }
  CHECK(inOrder, "100 posts from a worker arrive in order",
        std::to_string(form->received.size()) + " received");

  std::atomic<int> position{0};
  std::thread progress([bar, &position] {
    win::BarProgressIndicator indicator(*bar);
    for (int i = 1; i <= 80; ++i) indicator.SetPosition(i);
    position = indicator.Position();
  });
  progress.join();
  Pump(app, 200);
  CHECK(bar->Position() == 80 && position == 80, "progress from a worker reaches the bar",
        std::to_string(bar->Position()));

  // A shaped window.
  win::Region region = win::Region::CreateRect(0, 0, 320, 180);
  region.AddRect(win::Rect{20, 180, 300, 200});
  form->SetWindowRgn(region);
  Pump(app, 100);
  HRGN shown = ::CreateRectRgn(0, 0, 0, 0);
  int kind = ::GetWindowRgn(hwnd, shown);
  RECT box2{};
  ::GetRgnBox(shown, &box2);
  ::DeleteObject(shown);
  CHECK(kind == COMPLEXREGION && box2.right == 320 && box2.bottom == 200,
        "SetWindowRgn shapes the window", std::to_string(kind));

  // How long one repaint takes for a window shaped by one rectangle per row
  // (the outline of a skin picture).
  {
    win::Region outline;
    for (int y = 0; y < 200; ++y) outline.AddRect(win::Rect{y % 7, y, 320 - y % 5, y + 1});
    form->SetWindowRgn(outline);
    Pump(app, 50);
    LARGE_INTEGER frequency{}, start{}, stop{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    for (int i = 0; i < 10; ++i) {
      ::InvalidateRect(hwnd, nullptr, FALSE);
      ::UpdateWindow(hwnd);
    }
    ::QueryPerformanceCounter(&stop);
    const double ms = 1000.0 * static_cast<double>(stop.QuadPart - start.QuadPart) /
                      static_cast<double>(frequency.QuadPart) / 10.0;
    std::printf("info repaint of a 320x200 form with a 200-rectangle outline: %.1f ms\n", ms);
    form->ResetWindowRgn();
  }

  // A modal form switches the other windows off while it is up.
  auto* modal = app.CreateForm<win::Form>(u"FModal");
  modal->SetBorderStyle(win::BorderStyle::Dialog);
  modal->SetCaption(u"Zorvex modal");
  modal->SetBounds(200, 160, 200, 100);
  bool disabledWhileModal = false;
  auto* timer = form->Create<win::Timer>(u"tm_Modal");
  timer->SetInterval(150);
  timer->OnTimer = [&](win::Component*) {
    timer->SetEnabled(false);
    disabledWhileModal = !::IsWindowEnabled(hwnd);
    modal->SetModalResult(win::kMrOk);
  };
  timer->SetEnabled(true);
  const int result = modal->ShowModal();
  CHECK(result == win::kMrOk && disabledWhileModal && ::IsWindowEnabled(hwnd) &&
            !::IsWindowVisible(Hwnd(*modal)),
        "ShowModal disables the other windows and gives them back",
        "result " + std::to_string(result));

  // The system message box, answered by a helper that presses Cancel.
  std::thread answer([] {
    for (int i = 0; i < 200; ++i) {
      HWND dialog = ::FindWindowW(L"#32770", L"Zorvex box");
      if (dialog != nullptr) {
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      ::Sleep(25);
    }
  });
  const int answered = app.MessageBox(win::GetDesktopWindow(), u"Continue?", u"Zorvex box",
                                      win::kMbOkCancel | win::kMbIconQuestion);
  answer.join();
  CHECK(answered == win::kIdCancel, "MessageBox returns the button pressed",
        std::to_string(answered));

  // WM_CLOSE from another program reaches the model: the main form ends the
  // application.
  ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
  Pump(app, 300);
  CHECK(app.Terminated(), "WM_CLOSE posted by another program closes the main form");
}

}  // namespace

int main() {
  win::InitializeProcess();
  const String scratch = win::ExecutableFolder();
  CheckText();
  CheckPictures(scratch);
  CheckWindows();
  std::printf("%d check(s) failed\n", failures);
  return failures;
}
