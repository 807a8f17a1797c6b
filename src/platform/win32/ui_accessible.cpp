// The IAccessible of a form's client area. Its children are simple elements
// (numbered from 1 in the form's creation order), one for every control that
// has an accessible role; each call looks the form up again by its window,
// so a tool that holds the object after the form is gone gets an error, not
// a dangling form.
#include "platform/win32/ui_accessible.h"

#include <oleacc.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "platform/ui_state.h"

namespace win::w32 {

namespace {

// oleacc.dll is not one of the system's KnownDLLs: it is loaded from the
// system folder by its full path, so a DLL of that name planted beside
// Setup.exe is never taken.
struct OleAcc {
  using LresultFromObjectProc = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
  using CreateStdAccessibleObjectProc = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
  LresultFromObjectProc lresultFromObject = nullptr;
  CreateStdAccessibleObjectProc createStdAccessibleObject = nullptr;
};

const OleAcc& LoadOleAcc() {
  static const OleAcc api = [] {
    OleAcc found;
    HMODULE module = LoadSystemLibrary(L"oleacc.dll");
    if (module == nullptr) return found;
    found.lresultFromObject = reinterpret_cast<OleAcc::LresultFromObjectProc>(
        reinterpret_cast<void (*)()>(::GetProcAddress(module, "LresultFromObject")));
    found.createStdAccessibleObject = reinterpret_cast<OleAcc::CreateStdAccessibleObjectProc>(
        reinterpret_cast<void (*)()>(::GetProcAddress(module, "CreateStdAccessibleObject")));
    return found;
  }();
  return api;
}

BSTR MakeBstr(const String& text) { return ::SysAllocStringLen(Wide(text), static_cast<UINT>(text.size())); }

void SetLong(VARIANT* out, LONG value) {
  ::VariantInit(out);
  out->vt = VT_I4;
  out->lVal = value;
}

LONG SystemRole(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::PushButton: return ROLE_SYSTEM_PUSHBUTTON;
    case AccessibleRole::CheckBox: return ROLE_SYSTEM_CHECKBUTTON;
    case AccessibleRole::RadioButton: return ROLE_SYSTEM_RADIOBUTTON;
    case AccessibleRole::List: return ROLE_SYSTEM_LIST;
    case AccessibleRole::Text: return ROLE_SYSTEM_TEXT;
    case AccessibleRole::None:
    default: return ROLE_SYSTEM_CLIENT;
  }
}

// Every reference is counted; the last Release frees the object (COM's own
// ownership, so it has no other owner).
class FormAccessible final : public IAccessible {
 public:
  explicit FormAccessible(HWND window) : window_(window) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IDispatch) ||
        ::IsEqualIID(iid, __uuidof(IAccessible))) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch: tools call the methods directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    const OleAcc& api = LoadOleAcc();
    if (api.createStdAccessibleObject == nullptr) return S_FALSE;
    return api.createStdAccessibleObject(window_, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (count == nullptr) return E_POINTER;
    Form* form = FormNow();
    if (form == nullptr) return RPC_E_DISCONNECTED;
    *count = static_cast<LONG>(Children(*form).size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT id, IDispatch** child) override {
    Control* control = nullptr;
    const HRESULT hr = ResolveFor(id, child, control);
    if (FAILED(hr)) return hr;
    return control == nullptr ? E_INVALIDARG : S_FALSE;  // children are simple elements
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* name) override {
    Control* control = nullptr;
    const HRESULT hr = ResolveFor(id, name, control);
    if (FAILED(hr)) return hr;
    const String text = control != nullptr ? control->AccessibleName() : FormNow()->Caption();
    *name = MakeBstr(text);
    return *name != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* value) override { return NoText(id, value); }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* text) override { return NoText(id, text); }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT id, BSTR* text) override { return NoText(id, text); }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT id, BSTR* text) override { return NoText(id, text); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (file != nullptr) *file = nullptr;
    if (topic != nullptr) *topic = -1;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* role) override {
    Control* control = nullptr;
    const HRESULT hr = ResolveFor(id, role, control);
    if (FAILED(hr)) return hr;
    SetLong(role, control != nullptr ? SystemRole(control->Role()) : ROLE_SYSTEM_DIALOG);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* state) override {
    Control* control = nullptr;
    const HRESULT hr = ResolveFor(id, state, control);
    if (FAILED(hr)) return hr;
    Form* form = FormNow();
    LONG bits = 0;
    if (control == nullptr) {
      if (!form->Showing()) bits |= STATE_SYSTEM_INVISIBLE;
      if (form->Active()) bits |= STATE_SYSTEM_FOCUSED;
      bits |= STATE_SYSTEM_FOCUSABLE;
    } else {
      if (!control->Showing()) bits |= STATE_SYSTEM_INVISIBLE;
      bool enabled = true;
      for (const Control* c = control; c != nullptr; c = c->Parent()) enabled = enabled && c->Enabled();
      if (!enabled) bits |= STATE_SYSTEM_UNAVAILABLE;
      if (control->CanFocus()) bits |= STATE_SYSTEM_FOCUSABLE;
      if (control->Focused() && form->Active()) bits |= STATE_SYSTEM_FOCUSED;
      if (auto* box = dynamic_cast<ButtonControl*>(control); box != nullptr && box->Checked())
        bits |= STATE_SYSTEM_CHECKED;
      if (auto* pressable = dynamic_cast<PressableControl*>(control); pressable != nullptr && pressable->Pressed())
        bits |= STATE_SYSTEM_PRESSED;
      if (auto* button = dynamic_cast<Button*>(control); button != nullptr && button->Default())
        bits |= STATE_SYSTEM_DEFAULT;
    }
    SetLong(state, bits);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_POINTER;
    ::VariantInit(focus);
    Form* form = FormNow();
    if (form == nullptr) return RPC_E_DISCONNECTED;
    if (!form->Active()) return S_FALSE;
    const std::vector<Control*> children = Children(*form);
    for (size_t i = 0; i < children.size(); ++i)
      if (children[i] == form->ActiveControl()) {
        SetLong(focus, static_cast<LONG>(i + 1));
        return S_OK;
      }
    SetLong(focus, CHILDID_SELF);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection == nullptr) return E_POINTER;
    ::VariantInit(selection);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* action) override {
    Control* control = nullptr;
    const HRESULT hr = ResolveFor(id, action, control);
    if (FAILED(hr)) return hr;
    if (control == nullptr) return S_FALSE;
    const wchar_t* word = nullptr;
    switch (control->Role()) {
      case AccessibleRole::PushButton: word = L"Press"; break;
      case AccessibleRole::CheckBox:
        word = static_cast<ButtonControl*>(control)->Checked() ? L"Uncheck" : L"Check";
        break;
      case AccessibleRole::RadioButton: word = L"Check"; break;
      default: return S_FALSE;
    }
    *action = ::SysAllocString(word);
    return *action != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT id) override {
    Control* control = nullptr;
    const HRESULT hr = Resolve(id, control);
    if (FAILED(hr)) return hr;
    if ((flags & SELFLAG_TAKEFOCUS) == 0) return S_FALSE;
    if (control == nullptr) {
      ::SetForegroundWindow(window_);
      return S_OK;
    }
    if (!control->CanFocus()) return S_FALSE;
    control->SetFocus();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT id) override {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_POINTER;
    *left = *top = *width = *height = 0;
    Control* control = nullptr;
    const HRESULT hr = Resolve(id, control);
    if (FAILED(hr)) return hr;
    const Control& target = control != nullptr ? *control : *FormNow();
    const Point offset = control != nullptr ? control->FormOffset() : Point{0, 0};
    POINT origin{offset.x, offset.y};
    ::ClientToScreen(window_, &origin);
    *left = origin.x;
    *top = origin.y;
    *width = target.Width();
    *height = target.Height();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    Control* control = nullptr;
    const HRESULT hr = ResolveFor(start, end, control);
    if (FAILED(hr)) return hr;
    const LONG count = static_cast<LONG>(Children(*FormNow()).size());
    const LONG from = control != nullptr ? start.lVal : CHILDID_SELF;
    LONG to = 0;
    if (from == CHILDID_SELF && direction == NAVDIR_FIRSTCHILD) to = 1;
    else if (from == CHILDID_SELF && direction == NAVDIR_LASTCHILD) to = count;
    else if (from != CHILDID_SELF && (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN)) to = from + 1;
    else if (from != CHILDID_SELF && (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP)) to = from - 1;
    if (to < 1 || to > count) return S_FALSE;
    SetLong(end, to);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
    if (hit == nullptr) return E_POINTER;
    ::VariantInit(hit);
    Form* form = FormNow();
    if (form == nullptr) return RPC_E_DISCONNECTED;
    POINT point{x, y};
    ::ScreenToClient(window_, &point);
    if (point.x < 0 || point.y < 0 || point.x >= form->Width() || point.y >= form->Height()) return S_FALSE;
    const std::vector<Control*> children = Children(*form);
    // The last made is drawn on top.
    for (size_t i = children.size(); i-- > 0;) {
      const Control* c = children[i];
      const Point offset = c->FormOffset();
      if (c->Showing() && point.x >= offset.x && point.y >= offset.y && point.x < offset.x + c->Width() &&
          point.y < offset.y + c->Height()) {
        SetLong(hit, static_cast<LONG>(i + 1));
        return S_OK;
      }
    }
    SetLong(hit, CHILDID_SELF);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) override {
    Control* control = nullptr;
    const HRESULT hr = Resolve(id, control);
    if (FAILED(hr)) return hr;
    if (control == nullptr || control->Role() == AccessibleRole::List) return DISP_E_MEMBERNOTFOUND;
    if (!control->CanFocus()) return S_FALSE;
    // The click runs from the program's own loop, as a click of the mouse
    // does, not inside the tool's call (a screen may open a modal box).
    const WindowHandle handle = control->Handle();
    GetApplication().Queue([handle] {
      if (Control* c = GetApplication().FindControl(handle); c != nullptr && c->CanFocus()) c->Click();
    });
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  Form* FormNow() const {
    Control* control = GetApplication().FindControl(reinterpret_cast<WindowHandle>(window_));
    return control != nullptr && control->IsForm() ? static_cast<Form*>(control) : nullptr;
  }

  static std::vector<Control*> Children(const Form& form) {
    std::vector<Control*> all;
    CollectControls(form, all);
    std::vector<Control*> named;
    for (Control* c : all)
      if (c->Role() != AccessibleRole::None) named.push_back(c);
    return named;
  }

  // The control a child id names (null for the form itself).
  HRESULT Resolve(const VARIANT& id, Control*& control) const {
    control = nullptr;
    Form* form = FormNow();
    if (form == nullptr) return RPC_E_DISCONNECTED;
    if (id.vt != VT_I4) return E_INVALIDARG;
    if (id.lVal == CHILDID_SELF) return S_OK;
    const std::vector<Control*> children = Children(*form);
    if (id.lVal < 1 || static_cast<size_t>(id.lVal) > children.size()) return E_INVALIDARG;
    control = children[static_cast<size_t>(id.lVal - 1)];
    return S_OK;
  }

  // A question about one element: its answer is checked and emptied first,
  // then the element resolved.
  template <typename Answer>
  HRESULT ResolveFor(const VARIANT& id, Answer* answer, Control*& control) const {
    if (answer == nullptr) return E_POINTER;
    Empty(answer);
    return Resolve(id, control);
  }
  static void Empty(VARIANT* answer) { ::VariantInit(answer); }
  template <typename T>
  static void Empty(T** answer) { *answer = nullptr; }

  HRESULT NoText(const VARIANT& id, BSTR* text) const {
    Control* control = nullptr;
    const HRESULT hr = ResolveFor(id, text, control);
    return FAILED(hr) ? hr : S_FALSE;
  }

  HWND window_;
  std::atomic<ULONG> references_{1};
};

}  // namespace

bool AnswerGetObject(HWND form, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT) return false;
  const OleAcc& api = LoadOleAcc();
  if (api.lresultFromObject == nullptr) return false;
  // The object is handed over through COM: the user-interface thread stays
  // in its apartment from the first request on.
  static thread_local const bool inApartment = SUCCEEDED(::CoInitialize(nullptr));
  if (!inApartment) return false;
  auto* object = new FormAccessible(form);
  result = api.lresultFromObject(__uuidof(IAccessible), wParam, object);
  object->Release();
  return result >= 0;
}

}  // namespace win::w32
