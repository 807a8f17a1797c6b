// The simulated machine's table of top-level windows, for the in-process user
// interface layer: it publishes its forms here so that FindWindow,
// PostMessage and GetWindowThreadProcessId of every program on the machine
// reach them.
//
// Layout inside the machine (all text UTF-8):
//   windows/<handle, 8 hex digits>.win   "<pid> <start time> <title>\n", one
//       file per window; the start time (from /proc/<pid>/stat) tells a live
//       owner from a later process that got the same pid. Windows of processes
//       that have ended are ignored and cleared away.
//   windows/<pid>-<start time>.queue     messages posted to that process by
//       others, one per line: "<handle> <message> <wParam> <lParam>" in decimal.
//       Appended and taken under flock, so no message is torn or lost.
//   windows/messages.tsv                 "<number> TAB <name>" for every
//       RegisterWindowMessage name (names compare without regard to case).
//   windows/counter                      the next free handle.
//
// A message posted to a window of this same process never touches the disk:
// it goes to the delivery hook when one is set, and otherwise waits in memory
// for TakePostedMessages.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/process.h"
#include "platform/strings.h"

namespace sim {

struct PostedMessage {
  win::WindowHandle window = 0;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

// Publishes a top-level window of this process; never 0. Without a machine the
// window is known to this process only.
win::WindowHandle PublishWindow(const String& title);
void RenameWindow(win::WindowHandle window, const String& title);
void UnpublishWindow(win::WindowHandle window);

// Messages posted to this process's windows since the last call, oldest first
// (those from other processes, then those posted here while no hook was set).
std::vector<PostedMessage> TakePostedMessages();
// A cheap test for the message loop: whether TakePostedMessages has something.
bool HasPostedMessages();

// Set by the user interface layer: PostMessage to a window of this process,
// from any thread, calls the hook instead of queueing (the hook must be safe to
// call from a worker thread). Its result is PostMessage's. An empty function
// removes the hook.
using LocalDelivery = std::function<bool(const PostedMessage&)>;
void SetLocalDeliveryHook(LocalDelivery hook);

}  // namespace sim
