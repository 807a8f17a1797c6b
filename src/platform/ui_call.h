// Running a piece of work on the application's user-interface thread from
// another thread and waiting for its result, as drivers and tools do that act
// on a program's screens from outside its loop.
#pragma once

#include <future>
#include <utility>

#include "platform/ui.h"

namespace win {

// Never call it on the user-interface thread itself: it would wait for ever.
template <class F>
auto CallOnUiThread(F f) -> decltype(f()) {
  std::packaged_task<decltype(f())()> task(std::move(f));
  auto result = task.get_future();
  GetApplication().Queue([&task] { task(); });
  return result.get();
}

}  // namespace win
