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

// A kernel HANDLE (file, process, thread, snapshot). Null and
// INVALID_HANDLE_VALUE both mean "none".
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  bool IsValid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  void Attach(HANDLE handle) {
    Close();
    handle_ = handle;
  }
  void Close() {
    if (IsValid()) {
      PreserveLastError keep;
      ::CloseHandle(handle_);
    }
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

// A FindFirstFileW search handle.
class FindHandle {
 public:
  FindHandle() = default;
  ~FindHandle() { Close(); }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  void Attach(HANDLE handle) {
    Close();
    handle_ = handle;
  }
  void Close() {
    if (IsValid()) {
      PreserveLastError keep;
      ::FindClose(handle_);
    }
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

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

// Memory the system allocated with LocalAlloc (a converted SID, an argv array).
class LocalMemory {
 public:
  LocalMemory() = default;
  explicit LocalMemory(void* memory) : memory_(memory) {}
  ~LocalMemory() {
    if (memory_ != nullptr) {
      PreserveLastError keep;
      ::LocalFree(memory_);
    }
  }
  LocalMemory(const LocalMemory&) = delete;
  LocalMemory& operator=(const LocalMemory&) = delete;

 private:
  void* memory_ = nullptr;
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
  void Reset() {
    if (ptr_ != nullptr) ptr_->Release();
    ptr_ = nullptr;
  }

 private:
  T* ptr_ = nullptr;
};

// The screen's device context (GetDC(nullptr)).
class ScreenDC {
 public:
  ScreenDC() : dc_(::GetDC(nullptr)) {}
  ~ScreenDC() {
    if (dc_ != nullptr) ::ReleaseDC(nullptr, dc_);
  }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;

  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace win::w32
