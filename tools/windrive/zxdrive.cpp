// zxdrive: what the set-up program's screens show, read from a running
// Windows (or Wine) session, for drivers that act on the screen as a person
// would (tests/windows). It never touches the program's widgets: it asks.
//
//   zxdrive state     the state text (platform/ui_state.h) of every program
//                     with a form window, got through the registered message
//                     "ZorvexSetupDescribe"; then every system message box on
//                     the screen as the form "MessageBox" (label "Message",
//                     buttons OK, Cancel, Yes, No, Abort, Retry, Ignore)
//   zxdrive programs  the programs running from outside the Windows folder,
//                     "<pid>\t<path>" a line (this one left out)
//
// Output is UTF-8. Exit code 0, or 1 with a message on stderr.
#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "platform/ui_state.h"

namespace {

constexpr ULONG_PTR kDescribeAnswer = 0x5A585549;  // "ZXUI", as the program sends it
std::string answer;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
  return out;
}

void Write(HANDLE out, const std::string& text) {
  DWORD written = 0;
  if (!text.empty()) ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

int Fail(const std::string& message) {
  Write(::GetStdHandle(STD_ERROR_HANDLE), "zxdrive: " + message + "\n");
  return 1;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = L"";
  ::GetClassNameW(window, name, 64);
  return name;
}

// The text the system keeps for a window, read without sending it a message,
// so that a program that does not answer cannot hold the driver up.
std::wstring TextOf(HWND window) {
  std::wstring text(4096, L'\0');
  const int got = ::InternalGetWindowText(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

std::string Rect4(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right - r.left) + "," +
         std::to_string(r.bottom - r.top);
}

LRESULT CALLBACK AnswerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data != nullptr && data->dwData == kDescribeAnswer && data->lpData != nullptr) {
      answer.assign(static_cast<const char*>(data->lpData), data->cbData);
      return TRUE;
    }
    return FALSE;
  }
  return ::DefWindowProcW(window, msg, wParam, lParam);
}

struct Windows {
  std::map<DWORD, HWND> formByProcess;  // one form window of each program
  std::vector<HWND> messageBoxes;
};

BOOL CALLBACK Collect(HWND window, LPARAM param) {
  auto& found = *reinterpret_cast<Windows*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  const std::wstring cls = ClassOf(window);
  if (cls == L"ZorvexSetupForm") {
    found.formByProcess.emplace(pid, window);
  } else if (cls == L"#32770" && ::IsWindowVisible(window)) {
    found.messageBoxes.push_back(window);
  }
  return TRUE;
}

// A system message box as the simulated machine shows one.
std::string DescribeMessageBox(HWND box) {
  static const std::map<int, const char*> kButtons = {{IDOK, "OK"},       {IDCANCEL, "Cancel"}, {IDYES, "Yes"},
                                                      {IDNO, "No"},       {IDABORT, "Abort"},   {IDRETRY, "Retry"},
                                                      {IDIGNORE, "Ignore"}};
  RECT client{};
  ::GetClientRect(box, &client);
  POINT origin{0, 0};
  ::ClientToScreen(box, &origin);
  const RECT onScreen{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  std::string text = "form\tname=MessageBox\tclass=TMessageForm\thandle=" +
                     std::to_string(reinterpret_cast<uintptr_t>(box)) + "\tvisible=1\tshown=1\tactive=" +
                     (::GetForegroundWindow() == box ? "1" : "0") + "\tmodal=1\tcaption=" + win::EscapeField(Utf8(TextOf(box))) +
                     "\tbounds=" + Rect4(onScreen) + "\talpha=255\n";
  for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    const int id = ::GetDlgCtrlID(child);
    std::string name;
    const std::wstring cls = ClassOf(child);
    if (_wcsicmp(cls.c_str(), L"Static") == 0 && id == 0xFFFF) name = "Message";
    else if (_wcsicmp(cls.c_str(), L"Button") == 0 && kButtons.count(id) != 0) name = kButtons.at(id);
    if (name.empty()) continue;
    RECT r{};
    ::GetWindowRect(child, &r);
    RECT local = r;
    ::MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&local), 2);
    const bool visible = ::IsWindowVisible(child) != FALSE;
    text += "control\tform=MessageBox\tname=" + name + "\tclass=" + (name == "Message" ? "TLabel" : "TButton") +
            "\thandle=" + std::to_string(reinterpret_cast<uintptr_t>(child)) + "\tvisible=" + (visible ? "1" : "0") +
            "\tshowing=" + (visible ? "1" : "0") + "\tenabled=" + (::IsWindowEnabled(child) ? "1" : "0") +
            "\tfocused=" + (::GetFocus() == child ? "1" : "0") + "\tcaption=" + win::EscapeField(Utf8(TextOf(child))) +
            "\tbounds=" + Rect4(local) + "\tscreen=" + Rect4(r) + "\n";
  }
  return text;
}

int State() {
  const UINT describe = ::RegisterWindowMessageW(L"ZorvexSetupDescribe");
  if (describe == 0) return Fail("cannot register the describe message");
  WNDCLASSW cls{};
  cls.lpfnWndProc = AnswerProc;
  cls.hInstance = ::GetModuleHandleW(nullptr);
  cls.lpszClassName = L"ZxDriveAnswer";
  if (::RegisterClassW(&cls) == 0) return Fail("cannot register a window class");
  HWND self = ::CreateWindowExW(0, cls.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance,
                                nullptr);
  if (self == nullptr) return Fail("cannot make a window for the answers");
  Windows found;
  ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
  std::string out;
  for (const auto& [pid, form] : found.formByProcess) {
    answer.clear();
    DWORD_PTR result = 0;
    // Not SMTO_BLOCK: the answer arrives as a message sent to us while we wait.
    if (::SendMessageTimeoutW(form, describe, reinterpret_cast<WPARAM>(self), 0, SMTO_ABORTIFHUNG, 3000,
                              &result) != 0 &&
        result == 1) {
      out += answer;
      if (!out.empty() && out.back() != '\n') out += '\n';
    }
  }
  // Only the message boxes of the set-up programs (not a crash report of
  // another program, say).
  for (HWND box : found.messageBoxes) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(box, &pid);
    if (found.formByProcess.count(pid) != 0) out += DescribeMessageBox(box);
  }
  Write(::GetStdHandle(STD_OUTPUT_HANDLE), out);
  ::DestroyWindow(self);
  return 0;
}

int Programs() {
  wchar_t windowsFolder[MAX_PATH] = L"";
  ::GetWindowsDirectoryW(windowsFolder, MAX_PATH);
  std::wstring prefix = std::wstring(windowsFolder) + L"\\";
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return Fail("cannot list the processes");
  std::string out;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == ::GetCurrentProcessId() || entry.th32ProcessID == 0) continue;
    std::wstring path = entry.szExeFile;
    if (HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID)) {
      wchar_t full[32768];
      DWORD size = 32768;
      if (::QueryFullProcessImageNameW(process, 0, full, &size)) path.assign(full, size);
      ::CloseHandle(process);
    }
    if (path.size() >= prefix.size() && _wcsnicmp(path.c_str(), prefix.c_str(), prefix.size()) == 0) continue;
    if (path.find(L'\\') == std::wstring::npos) continue;  // a system process whose image is not known
    out += std::to_string(entry.th32ProcessID) + "\t" + Utf8(path) + "\n";
  }
  ::CloseHandle(snapshot);
  Write(::GetStdHandle(STD_OUTPUT_HANDLE), out);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"state") return State();
  if (command == L"programs") return Programs();
  return Fail("usage: zxdrive state | zxdrive programs");
}
