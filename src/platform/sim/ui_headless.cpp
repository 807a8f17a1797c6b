// The headless backend of the widget model: windows without a display. Forms
// are published in the machine's window table; messages from other programs
// and driver requests come in through the message loop's waits; the state
// of the screens is published in <machine>/ui/<pid>.state for drivers.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <set>
#include <unordered_map>

#include "platform/sim/machine.h"
#include "platform/sim/ui_driver.h"
#include "platform/sim/windows_table.h"
#include "platform/ui.h"
#include "platform/ui_backend.h"

namespace sim {

namespace {

struct Headless {
  std::mutex mutex;
  std::unordered_map<win::WindowHandle, String> topLevelTitles;
  std::function<int(const MessageBoxInfo&)> messageBoxAnswer;
  std::vector<PrintJob> printed;
  uint64_t publishedVersion = UINT64_MAX;
  std::chrono::steady_clock::time_point lastPublish;
  std::string lastState;
};

Headless& State() {
  static Headless headless;
  return headless;
}

std::atomic<uint64_t> childHandles{0};
// Handles of child windows lie above every handle of the window table.
constexpr uint64_t kFirstChildHandle = 0x100000000ULL;
static_assert(sizeof(win::WindowHandle) >= 8, "the host build is 64-bit");

std::string PidText() { return std::to_string(win::GetCurrentProcessId()); }

bool WriteAtomically(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".tmp";
  FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !ok) {
    std::remove(temporary.c_str());
    return false;
  }
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

// Takes the pending request lines (read and emptied under the file lock).
std::vector<std::string> TakeRequests() {
  const std::string folder = UiFolder();
  if (folder.empty()) return {};
  const std::string path = folder + "/" + PidText() + ".req";
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || st.st_size == 0) return {};
  const int fd = open(path.c_str(), O_RDWR);
  if (fd < 0) return {};
  std::string text;
  if (flock(fd, LOCK_EX) == 0) {
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    if (ftruncate(fd, 0) != 0) text.clear();
    flock(fd, LOCK_UN);
  }
  close(fd);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) break;  // a line still being written is not taken
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

void AppendReply(const std::string& line) {
  const std::string folder = UiFolder();
  if (folder.empty()) return;
  const std::string path = folder + "/" + PidText() + ".rep";
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd < 0) return;
  if (flock(fd, LOCK_EX) == 0) {
    const std::string text = line + "\n";
    if (write(fd, text.data(), text.size()) < 0) {
    }
    flock(fd, LOCK_UN);
  }
  close(fd);
}

// Driver requests become queued work on the user-interface thread.
bool QueueRequests(win::Application& app) {
  const auto lines = TakeRequests();
  for (const std::string& line : lines) {
    auto fields = SplitTabs(line);
    const std::string id = fields[0];
    std::vector<std::string> words;
    for (size_t i = 1; i < fields.size(); ++i) words.push_back(UnescapeField(fields[i]));
    app.Queue([&app, id, words] {
      ExecuteUiRequest(app, words, [id](const std::string& error, const std::string&) {
        AppendReply(error.empty() ? id + "\tok" : id + "\terror\t" + EscapeField(error));
      });
    });
  }
  return !lines.empty();
}

void PublishState(win::Application& app, bool force) {
  Headless& h = State();
  if (!force && app.StateVersion() == h.publishedVersion) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - h.lastPublish < std::chrono::milliseconds(25)) return;
  h.publishedVersion = app.StateVersion();
  h.lastPublish = now;
  const std::string folder = UiFolder();
  if (folder.empty()) return;
  std::string text = DescribeUi(app);
  if (text == h.lastState) return;
  h.lastState = text;
  WriteAtomically(folder + "/" + PidText() + ".state", text);
}

const char* IconName(uint32_t flags) {
  switch (flags & 0xF0) {
    case win::kMbIconError: return "error";
    case win::kMbIconQuestion: return "question";
    case win::kMbIconWarning: return "warning";
    case win::kMbIconInformation: return "information";
    default: return "none";
  }
}

// The system's message box as a form the driver can see and answer: the
// label "Message" and one button per answer, named as their words.
class MessageBoxForm : public win::Form {
 public:
  MessageBoxForm(win::Component* owner, StringView text, StringView caption, uint32_t flags)
      : Form(owner, u"TMessageForm") {
    SetBorderStyle(win::BorderStyle::Dialog);
    SetCaption(caption);
    SetColor(win::kClWindow);
    auto* message = Create<win::Label>(u"Message");
    message->SetCaption(text);
    message->GetFont().color = win::kClWindowText;
    const win::Size extent = win::MeasureText(message->GetFont(), text);
    const int32_t width = std::max(240, std::min(extent.cx + 48, 600));
    message->SetBounds(24, 20, width - 48, extent.cy);
    message->SetWordWrap(true);
    message->SetAutoSize(true);  // as many lines as the text needs
    struct Choice {
      const char16_t* name;
      int id;
    };
    std::vector<Choice> choices;
    switch (flags & 0x0F) {
      case win::kMbOkCancel: choices = {{u"OK", win::kIdOk}, {u"Cancel", win::kIdCancel}}; break;
      case win::kMbYesNoCancel:
        choices = {{u"Yes", win::kIdYes}, {u"No", win::kIdNo}, {u"Cancel", win::kIdCancel}};
        break;
      case win::kMbYesNo: choices = {{u"Yes", win::kIdYes}, {u"No", win::kIdNo}}; break;
      default: choices = {{u"OK", win::kIdOk}};
    }
    const int32_t top = 20 + message->Height() + 20;
    int32_t left = width - 12 - static_cast<int32_t>(choices.size()) * 87;
    for (const Choice& choice : choices) {
      auto* button = Create<win::Button>(choice.name);
      button->SetCaption(choice.name);
      button->SetBounds(left, top, 75, 23);
      // Enter presses the first button, Escape what the close button means.
      button->SetDefault(&choice == &choices.front());
      button->SetCancel(choice.id == win::kIdCancel || (choices.size() == 1 && choice.id == win::kIdOk));
      const int id = choice.id;
      button->OnClick = [this, id](win::Component*) {
        answeredByButton_ = true;
        SetModalResult(id);
      };
      left += 87;
    }
    SetClientSize(width, top + 23 + 12);
    SetCenterOnScreen(true);
    // The close button answers Cancel, or OK when OK is the only button; a
    // Yes/No box cannot be closed without an answer.
    closeAnswer_ = choices.back().id == win::kIdCancel ? win::kIdCancel
                 : choices.size() == 1               ? win::kIdOk
                                                     : 0;
    OnCloseQuery = [this](win::Component*, bool& canClose) { canClose = closeAnswer_ != 0; };
  }
  // The button pressed, or what closing the box means (0 when the
  // program ended with a Yes/No box unanswered).
  int Answer() const { return answeredByButton_ ? ModalResult() : closeAnswer_; }

 private:
  bool answeredByButton_ = false;
  int closeAnswer_ = win::kIdCancel;
};

int RunMessageForm(win::Application& app, StringView name, StringView text, StringView caption, uint32_t flags) {
  MessageBoxForm form(nullptr, text, caption, flags);
  form.SetName(name);
  app.ListForm(&form);
  form.ShowModal();
  app.UnlistForm(&form);
  return form.Answer();
}

}  // namespace

std::string UiFolder() {
  Machine& machine = CurrentMachine();
  if (!machine.Found()) return "";
  const std::string folder = machine.Root() + "/ui";
  mkdir(folder.c_str(), 0755);
  return folder;
}

void SetMessageBoxAnswer(std::function<int(const MessageBoxInfo&)> answer) {
  std::lock_guard<std::mutex> lock(State().mutex);
  State().messageBoxAnswer = std::move(answer);
}

std::vector<PrintJob> PrintedJobs() {
  std::lock_guard<std::mutex> lock(State().mutex);
  return State().printed;
}

void ClearPrintedJobs() {
  std::lock_guard<std::mutex> lock(State().mutex);
  State().printed.clear();
}

}  // namespace sim

namespace win::backend {

using sim::State;

WindowHandle CreateControlWindow(Control& control, bool topLevel) {
  if (topLevel) {
    const WindowHandle handle = sim::PublishWindow(control.Caption());
    std::lock_guard<std::mutex> lock(State().mutex);
    State().topLevelTitles[handle] = control.Caption();
    return handle;
  }
  return static_cast<WindowHandle>(sim::kFirstChildHandle + ++sim::childHandles);
}

void DestroyControlWindow(Control& control) {
  bool topLevel;
  {
    std::lock_guard<std::mutex> lock(State().mutex);
    topLevel = State().topLevelTitles.erase(control.Handle()) > 0;
  }
  if (topLevel) sim::UnpublishWindow(control.Handle());
}

void ControlChanged(Control& control) {
  bool rename = false;
  {
    std::lock_guard<std::mutex> lock(State().mutex);
    auto it = State().topLevelTitles.find(control.Handle());
    if (it != State().topLevelTitles.end() && it->second != control.Caption()) {
      it->second = control.Caption();
      rename = true;
    }
  }
  if (rename) sim::RenameWindow(control.Handle(), control.Caption());
}

void ShowFormWindow(Form&, bool) {}
void WindowRegionChanged(Control&, const Region*) {}
void BlitToWindow(Control&, const Bitmap&, int32_t, int32_t) {}

// Headless, the model lays out, draws and scrolls the rich-text view itself.
void RichTextChanged(RichEdit&) {}
bool ScrollRichView(RichEdit&, uint16_t, int32_t) { return false; }
bool RichViewThumb(RichEdit&, Rect&) { return false; }

void AttachApplication(Application& application) {
  Application* app = &application;
  sim::SetLocalDeliveryHook([app](const sim::PostedMessage& m) {
    app->EnqueuePosted(m.window, m.message, m.wParam, m.lParam);
    return true;
  });
  // Messages posted before the hook was set.
  for (const auto& m : sim::TakePostedMessages()) application.EnqueuePosted(m.window, m.message, m.wParam, m.lParam);
}

void DetachApplication(Application& application) {
  sim::SetLocalDeliveryHook({});
  const std::string folder = sim::UiFolder();
  (void)application;
  if (!folder.empty()) {
    const std::string base = folder + "/" + sim::PidText();
    std::remove((base + ".state").c_str());
    std::remove((base + ".req").c_str());
  }
}

bool WaitForEvents(Application& application, uint32_t timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    bool arrived = false;
    if (sim::HasPostedMessages()) {
      for (const auto& m : sim::TakePostedMessages())
        application.EnqueuePosted(m.window, m.message, m.wParam, m.lParam);
      arrived = true;
    }
    if (sim::QueueRequests(application)) arrived = true;
    if (arrived) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    // The queue wakes the wait at once; other programs' posts and driver
    // requests are looked for every few milliseconds.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
    sim::PublishState(application, false);
    if (application.WaitForQueue(static_cast<uint32_t>(std::min<int64_t>(left, 10)))) return true;
  }
}

void AfterDispatch(Application& application) { sim::PublishState(application, application.Terminated()); }

int ShowMessageBox(Application& application, WindowHandle owner, StringView text, StringView caption,
                   uint32_t flags) {
  const std::string ownerName = owner == 0                    ? "none"
                                : owner == GetDesktopWindow() ? "desktop"
                                                              : std::to_string(owner);
  sim::CurrentMachine().AppendToolLog("messagebox " + std::string(sim::IconName(flags)) + " " + ownerName + " " +
                                      sim::EscapeField(ToUtf8(caption)) + ": " + sim::EscapeField(ToUtf8(text)));
  std::function<int(const sim::MessageBoxInfo&)> answer;
  {
    std::lock_guard<std::mutex> lock(State().mutex);
    answer = State().messageBoxAnswer;
  }
  if (answer) return answer(sim::MessageBoxInfo{owner, String(text), String(caption), flags});
  return sim::RunMessageForm(application, u"MessageBox", text, caption, flags);
}

bool RunPrintDialog(Application& application, PrintDialog&, Form*) {
  return sim::RunMessageForm(application, u"PrintDialog", u"Print to the default printer?", u"Print", kMbOkCancel) ==
         kIdOk;
}

bool PrintText(StringView jobTitle, StringView text) {
  sim::CurrentMachine().AppendToolLog("print " + ToUtf8(jobTitle));
  std::lock_guard<std::mutex> lock(State().mutex);
  State().printed.push_back(sim::PrintJob{String(jobTitle), String(text)});
  return true;
}

}  // namespace win::backend
