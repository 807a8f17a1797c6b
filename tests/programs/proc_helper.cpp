// A small program that process tests copy into a machine and start there under
// any name (Zorvex6.exe, Updater.exe ...). It finds its machine by walking up
// from its own file, as every program on the machine does.
//
//   write PATH TEXT        writes TEXT into the file PATH (a Windows path)
//   args PATH              writes the arguments it received, one a line
//   exit N                 ends with exit code N
//   sleep SECONDS          waits, so that tests can find and stop it
//   window TITLE SECONDS   publishes a top-level window and ends with 0 when
//                          WM_CLOSE arrives, with 3 when none came in time
//   message NAME PATH      writes RegisterWindowMessage(NAME) into PATH
#include <chrono>
#include <string>
#include <thread>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/sim/windows_table.h"

namespace {

int Write(const String& path, const std::string& text) { return win::WriteFileBytes(path, text) ? 0 : 1; }

int Window(const String& title, int seconds) {
  win::WindowHandle window = sim::PublishWindow(title);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    for (const sim::PostedMessage& m : sim::TakePostedMessages()) {
      if (m.window == window && m.message == win::kWmClose) {
        sim::UnpublishWindow(window);
        return 0;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return 3;
}

}  // namespace

int main() {
  StringList args = win::CommandLineArguments();
  auto arg = [&](size_t i) { return i < args.size() ? args[i] : String(); };
  auto number = [&](size_t i) {
    int32_t n = 0;
    win::TryStrToInt(arg(i), n);
    return n;
  };
  const String mode = arg(0);
  if (mode == u"write") return Write(arg(1), win::ToUtf8(arg(2)));
  if (mode == u"args") {
    std::string text;
    for (size_t i = 2; i < args.size(); ++i) text += win::ToUtf8(args[i]) + "\n";
    return Write(arg(1), text);
  }
  if (mode == u"exit") return number(1);
  if (mode == u"sleep") {
    std::this_thread::sleep_for(std::chrono::seconds(number(1)));
    return 0;
  }
  if (mode == u"window") return Window(arg(1), number(2));
  if (mode == u"message") return Write(arg(2), std::to_string(win::RegisterWindowMessage(arg(1))));
  return 2;
}
