// One small, non-copyable owner per operating-system object: the destructor
// gives the object back, so every early return of the backend frees what it
// took. Each keeps the thread's last error intact while closing, so a caller
// that reads GetLastError after a failed call sees the failure, not the close.
#pragma once

#include "platform/win32/winapi.h"

namespace win::w32 {

// Keeps the thread's last error across a cleanup call.
class PreserveLastError {
 public:
  PreserveLastError() : error_(::GetLastError()) {}
  ~PreserveLastError() { ::SetLastError(error_); }
  PreserveLastError(const PreserveLastError&) = delete;
  PreserveLastError& operator=(const PreserveLastError&) = delete;

 private:
  DWORD error_;
};

// An owned system object of one kind. Traits names the kind: its type, the
// value that means "none", whether a value is a live object and how it is
// given back.
template <class Traits>
class UniqueObject {
 public:
  using Type = typename Traits::Type;
  UniqueObject() = default;
  explicit UniqueObject(Type value) : value_(value) {}
  ~UniqueObject() { Close(); }
  UniqueObject(const UniqueObject&) = delete;
  UniqueObject& operator=(const UniqueObject&) = delete;

  bool IsValid() const { return Traits::IsValid(value_); }
  explicit operator bool() const { return IsValid(); }
  Type Get() const { return value_; }
  void Attach(Type value) {
    Close();
    value_ = value;
  }
  // Gives up ownership (SetWindowRgn takes a region over).
  Type Release() {
    const Type value = value_;
    value_ = Traits::None();
    return value;
  }
  void Close() {
    if (IsValid()) {
      PreserveLastError keep;
      Traits::Close(value_);
    }
    value_ = Traits::None();
  }

 private:
  Type value_ = Traits::None();
};

// A kernel HANDLE (file, process, thread, snapshot). Null and
// INVALID_HANDLE_VALUE both mean "none".
struct KernelHandleTraits {
  using Type = HANDLE;
  static HANDLE None() { return nullptr; }
  static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
using Handle = UniqueObject<KernelHandleTraits>;

// A FindFirstFileW search handle.
struct FindHandleTraits {
  using Type = HANDLE;
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::FindClose(h); }
};
using FindHandle = UniqueObject<FindHandleTraits>;

// The traits of an object that null means "none" for; Close is the
// object's own.
template <typename T>
struct NullIsNoneTraits {
  using Type = T;
  static T None() { return nullptr; }
  static bool IsValid(T value) { return value != nullptr; }
};

// Memory the system allocated with LocalAlloc (a converted SID, an argv array).
struct LocalMemoryTraits : NullIsNoneTraits<void*> {
  static void Close(void* p) { ::LocalFree(p); }
};
using LocalMemory = UniqueObject<LocalMemoryTraits>;

// A GDI object (font, bitmap, brush, region) owned by us: DeleteObject.
struct GdiObjectTraits : NullIsNoneTraits<HGDIOBJ> {
  static void Close(HGDIOBJ o) { ::DeleteObject(o); }
};
using GdiObject = UniqueObject<GdiObjectTraits>;

// An open registry key. A predefined root (HKEY_LOCAL_MACHINE ...) is borrowed,
// never closed.
class RegKey {
 public:
  RegKey() = default;
  ~RegKey() { Close(); }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  bool IsOpen() const { return key_ != nullptr; }
  HKEY Get() const { return key_; }
  void Attach(HKEY key, bool owned) {
    Close();
    key_ = key;
    owned_ = owned;
  }
  void Close() {
    if (key_ != nullptr && owned_) {
      PreserveLastError keep;
      ::RegCloseKey(key_);
    }
    key_ = nullptr;
    owned_ = false;
  }

 private:
  HKEY key_ = nullptr;
  bool owned_ = false;
};

// COM for the calling thread (apartment model, as CoInitialize gives). Paired
// with CoUninitialize whenever the call succeeded (S_OK or S_FALSE).
class ComInit {
 public:
  ComInit() = default;
  ~ComInit() { Uninitialize(); }
  ComInit(const ComInit&) = delete;
  ComInit& operator=(const ComInit&) = delete;

  void Initialize() {
    if (!initialized_) initialized_ = SUCCEEDED(::CoInitialize(nullptr));
  }
  void Uninitialize() {
    if (initialized_) ::CoUninitialize();
    initialized_ = false;
  }

 private:
  bool initialized_ = false;
};

// An owned COM interface pointer; Release on destruction.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  T* Get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  // For the out parameter of CoCreateInstance / QueryInterface.
  void** Receive() {
    Reset();
    return reinterpret_cast<void**>(&ptr_);
  }
  // For the out parameter of factory methods that return T**.
  T** Out() {
    Reset();
    return &ptr_;
  }
  void Reset() {
    if (ptr_ != nullptr) ptr_->Release();
    ptr_ = nullptr;
  }

 private:
  T* ptr_ = nullptr;
};

// The screen's device context (GetDC(nullptr)), given back with ReleaseDC.
struct ScreenDCTraits : NullIsNoneTraits<HDC> {
  static void Close(HDC dc) { ::ReleaseDC(nullptr, dc); }
};
class ScreenDC : public UniqueObject<ScreenDCTraits> {
 public:
  ScreenDC() : UniqueObject(::GetDC(nullptr)) {}
};

// A device context we created (a memory or printer DC): DeleteDC.
struct CreatedDCTraits : NullIsNoneTraits<HDC> {
  static void Close(HDC dc) { ::DeleteDC(dc); }
};
using CreatedDC = UniqueObject<CreatedDCTraits>;

// A memory device context (CreateCompatibleDC).
class MemoryDC : public CreatedDC {
 public:
  explicit MemoryDC(HDC compatibleWith = nullptr) : CreatedDC(::CreateCompatibleDC(compatibleWith)) {}
};

// An object selected into a DC for one scope; the previous one is put back.
class SelectObjectScope {
 public:
  SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectObjectScope() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace win::w32
