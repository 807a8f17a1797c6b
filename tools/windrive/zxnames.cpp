// zxnames: what a screen reader learns of the set-up program's screens. For
// every visible form window of Setup.exe it asks the system's accessibility
// layer (AccessibleObjectFromWindow, client area) and prints the form and
// each child element, one line each, tab-separated, UTF-8:
//
//   form     <name>
//   element  <role> <name> <state words>
//
// role: button, checkbox, radio, list, text or the role number; state words
// from: focused focusable checked unavailable invisible default pressed.
// Exit code 0, or 1 with a message on stderr when no form answered.
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kFormClass[] = L"ZorvexSetupForm";

std::string Utf8(const wchar_t* text, int length) {
  if (text == nullptr || length <= 0) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  return out;
}

// A name as one field: tabs and line breaks as blanks.
std::string Field(BSTR text) {
  std::string out = text ? Utf8(text, static_cast<int>(::SysStringLen(text))) : std::string();
  for (char& c : out)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return out;
}

std::string RoleWord(const VARIANT& role) {
  if (role.vt != VT_I4) return "?";
  switch (role.lVal) {
    case ROLE_SYSTEM_PUSHBUTTON: return "button";
    case ROLE_SYSTEM_CHECKBUTTON: return "checkbox";
    case ROLE_SYSTEM_RADIOBUTTON: return "radio";
    case ROLE_SYSTEM_LIST: return "list";
    case ROLE_SYSTEM_TEXT: return "text";
    default: return std::to_string(role.lVal);
  }
}

std::string StateWords(const VARIANT& state) {
  if (state.vt != VT_I4) return "?";
  static const std::pair<LONG, const char*> kWords[] = {
      {STATE_SYSTEM_FOCUSED, "focused"},         {STATE_SYSTEM_FOCUSABLE, "focusable"},
      {STATE_SYSTEM_CHECKED, "checked"},         {STATE_SYSTEM_UNAVAILABLE, "unavailable"},
      {STATE_SYSTEM_INVISIBLE, "invisible"},     {STATE_SYSTEM_DEFAULT, "default"},
      {STATE_SYSTEM_PRESSED, "pressed"}};
  std::string out;
  for (const auto& [bit, word] : kWords)
    if ((state.lVal & bit) != 0) out += (out.empty() ? "" : " ") + std::string(word);
  return out;
}

BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
  wchar_t name[64] = {};
  if (::GetClassNameW(hwnd, name, 64) > 0 && std::wstring(name) == kFormClass && ::IsWindowVisible(hwnd))
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

VARIANT Child(LONG id) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

bool PrintForm(HWND hwnd, std::string& out) {
  IAccessible* form = nullptr;
  if (FAILED(::AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&form))) ||
      form == nullptr)
    return false;
  BSTR title = nullptr;
  form->get_accName(Child(CHILDID_SELF), &title);
  out += "form\t" + Field(title) + "\n";
  ::SysFreeString(title);
  LONG count = 0;
  form->get_accChildCount(&count);
  for (LONG id = 1; id <= count; ++id) {
    BSTR name = nullptr;
    VARIANT role, state;
    ::VariantInit(&role);
    ::VariantInit(&state);
    form->get_accName(Child(id), &name);
    form->get_accRole(Child(id), &role);
    form->get_accState(Child(id), &state);
    out += "element\t" + RoleWord(role) + "\t" + Field(name) + "\t" + StateWords(state) + "\n";
    ::SysFreeString(name);
  }
  form->Release();
  return true;
}

}  // namespace

int wmain() {
  if (FAILED(::CoInitialize(nullptr))) return 1;
  std::vector<HWND> forms;
  ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&forms));
  std::string out;
  int answered = 0;
  for (HWND hwnd : forms)
    if (PrintForm(hwnd, out)) ++answered;
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
  ::CoUninitialize();
  if (answered == 0) {
    const char message[] = "zxnames: no form window of the set-up program answered\n";
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), message, sizeof(message) - 1, &written, nullptr);
    return 1;
  }
  return 0;
}
