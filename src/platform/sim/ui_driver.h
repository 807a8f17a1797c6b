// Driving the headless screens as a person would: click a control by name,
// tick a box, turn the mouse wheel over a control, send a close request,
// wait for a form to show or the program to end, save a form as PNG.
//
// The program side executes requests on its user-interface thread
// (ExecuteUiRequest). Two drivers use it:
//  - UiDriver, in the same process (tests): the application runs its loop on
//    another thread; requests travel through Application::Queue.
//  - the machine tool's script runner (winsim run --script), from another
//    process: through files in <machine>/ui/ (formats below).
//
// Files in <machine>/ui/ (UTF-8):
//   <pid>.state  what the program shows (platform/ui_state.h), rewritten
//                (atomically) whenever it changes
//   <pid>.req    requests, appended under flock: "<id>\t<action>\t<arg>..."
//   <pid>.rep    replies, appended: "<id>\tok" or "<id>\terror\t<message>"
// Actions: click FORM CONTROL | tick FORM CONTROL 0|1 |
//          wheel FORM CONTROL N [DELTA] (N turns of DELTA, 120 a notch) |
//          drag FORM CONTROL DX DY (press on the control's scroll bar thumb,
//          move by DX, DY pixels, let go) |
//          key FORM KEY (Tab, Shift+Tab, Space, Enter, Escape, Up, Down,
//          Left, Right, Home, End, PgUp, PgDn: pressed and
//          released on the form, the focused control gets it) |
//          close FORM | snapshot FORM HOSTPATH | state
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "platform/ui_state.h"

namespace sim {

using win::DescribeUi;
using win::EscapeField;
using win::FindStateLine;
using win::SplitTabs;
using win::StateField;
using win::UnescapeField;

// Executes one request on the user-interface thread. reply is called exactly
// once, with "" for success or an error message, before the action's effects
// go on (a click may open a modal box that waits for the next request), and
// with the state text as the second argument for "state".
using UiReply = std::function<void(const std::string& error, const std::string& data)>;
void ExecuteUiRequest(win::Application& application, const std::vector<std::string>& words, const UiReply& reply);

// The folder of the state and request files ("" without a machine).
std::string UiFolder();

// Every message box is written to the machine's tool log as one line,
//   messagebox <error|question|warning|information|none> <desktop|none|handle> <caption>: <text>
// (caption and text escaped as state fields), then shown as the form
// "MessageBox" (label "Message", buttons "OK", "Cancel", "Yes", "No").
// Message boxes without a person: when set, a message box asks this function
// for the button instead of showing a modal form (tests).
struct MessageBoxInfo {
  win::WindowHandle owner = 0;
  String text;
  String caption;
  uint32_t flags = 0;
};
void SetMessageBoxAnswer(std::function<int(const MessageBoxInfo&)> answer);

// Printing on the host: every job is written to the machine's tool log as
// "print <title>" and kept here for tests.
struct PrintJob {
  String title;
  String text;
};
std::vector<PrintJob> PrintedJobs();
void ClearPrintedJobs();

// The in-process driver. Every call waits at most the step timeout and
// returns "" on success or a message that says what was missing.
class UiDriver {
 public:
  explicit UiDriver(win::Application& application,
                    std::chrono::milliseconds stepTimeout = std::chrono::seconds(10));

  void SetStepTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }

  std::string WaitForm(const std::string& form);    // until it is shown
  std::string WaitEnd();                            // until the application terminates
  std::string Click(const std::string& form, const std::string& control);
  std::string Key(const std::string& form, const std::string& key);
  std::string Tick(const std::string& form, const std::string& control, bool checked);
  // Turns of `delta` each (a wheel notch is 120; a touchpad turns less).
  std::string Wheel(const std::string& form, const std::string& control, int notches, int delta = win::kWheelDelta);
  // Presses on the control's scroll bar thumb, moves by (dx, dy), lets go.
  std::string Drag(const std::string& form, const std::string& control, int dx, int dy);
  std::string Close(const std::string& form);
  std::string Snapshot(const std::string& form, const std::string& hostPath);
  // Until the control's property (caption, checked, enabled, visible,
  // position) has the value; the message names the last value seen.
  std::string Expect(const std::string& form, const std::string& control, const std::string& property,
                     const std::string& value);
  std::string State();

 private:
  std::string Request(const std::vector<std::string>& words, std::string* data = nullptr);
  win::Application* app_;
  std::chrono::milliseconds timeout_;
};

}  // namespace sim
