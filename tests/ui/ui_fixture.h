// Runs a fresh application's message loop on a thread of its own, as the
// program does, so a test can act on it from outside like a person.
#pragma once

#include <functional>
#include <future>
#include <thread>

#include "platform/graphics.h"
#include "platform/ui.h"
#include "platform/ui_call.h"

namespace uitest {

class UiThread {
 public:
  // build runs on the user-interface thread before the loop starts.
  explicit UiThread(std::function<void()> build, bool fixedMetrics = true) {
    win::SetFixedTextMetrics(fixedMetrics);
    win::ResetApplication();
    std::promise<void> ready;
    auto built = ready.get_future();
    thread_ = std::thread([build = std::move(build), &ready] {
      win::Application& app = win::GetApplication();
      app.BindToCurrentThread();
      build();
      ready.set_value();
      app.Run();
    });
    built.wait();
  }
  ~UiThread() {
    win::GetApplication().Terminate();
    thread_.join();
    win::ResetApplication();
    win::SetFixedTextMetrics(false);
  }
  UiThread(const UiThread&) = delete;
  UiThread& operator=(const UiThread&) = delete;

  // Runs a function on the user-interface thread and waits for it.
  template <class F>
  auto Call(F f) -> decltype(f()) {
    return win::CallOnUiThread(std::move(f));
  }

 private:
  std::thread thread_;
};

}  // namespace uitest
