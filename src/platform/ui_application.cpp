// The application object: forms, the message queue, timers, message boxes.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "platform/files.h"
#include "platform/ui.h"
#include "platform/ui_backend.h"

namespace win {

struct Application::Impl {
  struct Posted {
    WindowHandle window = 0;
    uint32_t msg = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    std::function<void()> work;
  };

  mutable std::mutex mutex;
  std::condition_variable changed;
  std::deque<Posted> queue;
  std::unordered_map<WindowHandle, Control*> controls;
  bool terminated = false;
  std::thread::id uiThread = std::this_thread::get_id();
  bool attached = false;
  std::vector<Timer*> timers;
  uint64_t timerSequence = 0;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  std::vector<Form*> shownOrder;  // visible forms, most recently shown last
  std::function<void(StringView caption, StringView text)> messageLog;
  bool messagesOnlyLogged = false;
};

Application::Application() : impl_(std::make_unique<Impl>()) {}

Application::~Application() {
  if (impl_->attached) backend::DetachApplication(*this);
  // Forms go in reverse creation order; the main form last.
  while (!forms_.empty()) {
    formList_.erase(std::remove(formList_.begin(), formList_.end(), forms_.back().get()), formList_.end());
    forms_.pop_back();
  }
}

void Application::AddForm(std::unique_ptr<Form> form) {
  Form* raw = form.get();
  forms_.push_back(std::move(form));
  formList_.push_back(raw);
  if (!mainForm_) mainForm_ = raw;
  StateChanged();
}

namespace {
thread_local String pendingFormName;
}

void Application::SetPendingFormName(StringView name) { pendingFormName = String(name); }

String Application::TakePendingFormName() {
  String name = std::move(pendingFormName);
  pendingFormName.clear();
  return name;
}

String Application::Title() const {
  if (!title_.empty()) return title_;
  String name = ExtractFileName(ExecutablePath());
  const String ext = ExtractFileExt(name);
  return name.substr(0, name.size() - ext.size());
}

Form* Application::FindForm(StringView name) const {
  for (Form* f : formList_)
    if (SameText(f->Name(), name)) return f;
  return nullptr;
}

// ---------------------------------------------------------------- loop

void Application::BindToCurrentThread() {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->uiThread = std::this_thread::get_id();
  }
  if (!impl_->attached) {
    impl_->attached = true;
    backend::AttachApplication(*this);
  }
}

bool Application::IsUiThread() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->uiThread == std::this_thread::get_id();
}

void Application::Run() {
  BindToCurrentThread();
  if (showMainForm && mainForm_ && !Terminated()) mainForm_->Show();
  while (!Terminated()) HandleMessage(100);
  backend::AfterDispatch(*this);
}

void Application::Terminate() {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->terminated = true;
  }
  impl_->changed.notify_all();
}

bool Application::Terminated() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->terminated;
}

void Application::ProcessMessages() {
  if (!impl_->attached) BindToCurrentThread();
  backend::WaitForEvents(*this, 0);
  while (RunQueued() || RunDueTimers()) {
  }
  backend::AfterDispatch(*this);
}

bool Application::HandleMessage(uint32_t timeoutMs) {
  if (!impl_->attached) BindToCurrentThread();
  bool handled = RunQueued() || RunDueTimers();
  if (!handled) {
    const uint32_t wait = std::min(timeoutMs, NextTimerDelay());
    backend::WaitForEvents(*this, wait);
    handled = RunQueued() || RunDueTimers();
  }
  backend::AfterDispatch(*this);
  return handled;
}

bool Application::RunQueued() {
  Impl::Posted item;
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->queue.empty()) return false;
    item = std::move(impl_->queue.front());
    impl_->queue.pop_front();
  }
  if (item.work) {
    item.work();
  } else if (Control* target = FindControl(item.window)) {
    target->Perform(item.msg, item.wParam, item.lParam);
  }
  return true;
}

bool Application::WaitForQueue(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(impl_->mutex);
  impl_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [this] { return !impl_->queue.empty() || impl_->terminated; });
  return !impl_->queue.empty();
}

void Application::Wake() { impl_->changed.notify_all(); }

uint64_t Application::Now() const {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - impl_->start)
                                   .count());
}

// ---------------------------------------------------------------- posting

void Application::EnqueuePosted(WindowHandle window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->queue.push_back(Impl::Posted{window, msg, wParam, lParam, {}});
  }
  impl_->changed.notify_all();
}

bool Application::PostMessage(WindowHandle window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  if (FindControl(window)) {
    EnqueuePosted(window, msg, wParam, lParam);
    return true;
  }
  return win::PostMessage(window, msg, wParam, lParam);
}

uint32_t Application::RegisterWindowMessage(StringView name) { return win::RegisterWindowMessage(String(name)); }

void Application::Queue(std::function<void()> work) {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->queue.push_back(Impl::Posted{0, 0, 0, 0, std::move(work)});
  }
  impl_->changed.notify_all();
}

// ---------------------------------------------------------------- controls

Control* Application::FindControl(WindowHandle handle) const {
  if (handle == 0) return nullptr;
  std::lock_guard<std::mutex> lock(impl_->mutex);
  auto it = impl_->controls.find(handle);
  return it == impl_->controls.end() ? nullptr : it->second;
}

void Application::RegisterControl(Control* control) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->controls[control->Handle()] = control;
}

void Application::UnregisterControl(Control* control) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  auto it = impl_->controls.find(control->Handle());
  if (it != impl_->controls.end() && it->second == control) impl_->controls.erase(it);
}

void Application::ControlGone(Control* control) {
  if (mouseControl_ == control) mouseControl_ = nullptr;
  if (control->IsForm()) {
    auto* form = static_cast<Form*>(control);
    auto& order = impl_->shownOrder;
    order.erase(std::remove(order.begin(), order.end(), form), order.end());
    if (activeForm_ == form) activeForm_ = nullptr;
    modalForms_.erase(std::remove(modalForms_.begin(), modalForms_.end(), form), modalForms_.end());
    if (mainForm_ == form) mainForm_ = nullptr;
  }
}

void Application::ListForm(Form* form) {
  if (std::find(formList_.begin(), formList_.end(), form) == formList_.end()) formList_.push_back(form);
  StateChanged();
}

void Application::UnlistForm(Form* form) {
  formList_.erase(std::remove(formList_.begin(), formList_.end(), form), formList_.end());
  StateChanged();
}

void Application::ModalEnded(Form* form) {
  modalForms_.erase(std::remove(modalForms_.begin(), modalForms_.end(), form), modalForms_.end());
}

void Application::SetMouseControl(Control* control) { mouseControl_ = control; }

// ---------------------------------------------------------------- activation

void Application::FormShown(Form* form) {
  auto& order = impl_->shownOrder;
  order.erase(std::remove(order.begin(), order.end(), form), order.end());
  order.push_back(form);
}

void Application::FormHidden(Form* form) {
  auto& order = impl_->shownOrder;
  order.erase(std::remove(order.begin(), order.end(), form), order.end());
  if (activeForm_ != form) return;
  if (form->OnDeactivate) form->OnDeactivate(form);
  activeForm_ = nullptr;
  // The system activates the window that was shown before it.
  for (auto it = order.rbegin(); it != order.rend(); ++it)
    if ((*it)->WindowShown()) {
      SetActiveForm(*it);
      break;
    }
  StateChanged();
}

void Application::SetActiveForm(Form* form) {
  if (activeForm_ == form) return;
  Form* previous = activeForm_;
  activeForm_ = form;
  if (previous && previous->OnDeactivate) previous->OnDeactivate(previous);
  StateChanged();
  if (form && form->OnActivate) form->OnActivate(form);
}

// ---------------------------------------------------------------- timers

void Application::TimerChanged(Timer* timer) {
  auto& timers = impl_->timers;
  if (std::find(timers.begin(), timers.end(), timer) == timers.end()) timers.push_back(timer);
  timer->sequence_ = ++impl_->timerSequence;
  Wake();
}

void Application::TimerGone(Timer* timer) {
  auto& timers = impl_->timers;
  timers.erase(std::remove(timers.begin(), timers.end(), timer), timers.end());
}

uint32_t Application::NextTimerDelay() const {
  const uint64_t now = Now();
  uint64_t best = UINT32_MAX;
  for (const Timer* t : impl_->timers) {
    if (!t->enabled_ || t->interval_ == 0 || !t->OnTimer) continue;
    best = std::min<uint64_t>(best, t->dueAt_ <= now ? 0 : t->dueAt_ - now);
  }
  return static_cast<uint32_t>(best);
}

bool Application::RunDueTimers() {
  const uint64_t now = Now();
  Timer* next = nullptr;
  for (Timer* t : impl_->timers) {
    if (!t->enabled_ || t->interval_ == 0 || !t->OnTimer || t->dueAt_ > now) continue;
    if (!next || t->dueAt_ < next->dueAt_ || (t->dueAt_ == next->dueAt_ && t->sequence_ < next->sequence_))
      next = t;
  }
  if (!next) return false;
  // One timer per round, earliest first; it is due again one interval on.
  next->dueAt_ = now + next->interval_;
  next->OnTimer(next);
  return true;
}

// ---------------------------------------------------------------- dialogs

void Application::ShowMessage(StringView text) {
  MessageBox(0, text, Title(), kMbOk);
}

void Application::LogMessageBoxes(std::function<void(StringView caption, StringView text)> log, bool instead) {
  impl_->messageLog = std::move(log);
  impl_->messagesOnlyLogged = instead && impl_->messageLog != nullptr;
}

int Application::MessageBox(WindowHandle owner, StringView text, StringView caption, uint32_t flags) {
  if (impl_->messageLog) impl_->messageLog(caption, text);
  if (impl_->messagesOnlyLogged) return kIdOk;
  if (!impl_->attached) BindToCurrentThread();
  return backend::ShowMessageBox(*this, owner, text, caption, flags);
}

// ---------------------------------------------------------------- the one application

namespace {
// The current application stays reachable while it is being destroyed: its
// forms' controls unregister themselves from it.
struct ApplicationHolder {
  Application* current = nullptr;
  ~ApplicationHolder() {
    delete current;
    current = nullptr;
  }
};
ApplicationHolder& Holder() {
  static ApplicationHolder holder;
  return holder;
}
}  // namespace

Application& GetApplication() {
  ApplicationHolder& holder = Holder();
  if (!holder.current) holder.current = new Application();
  return *holder.current;
}

void ResetApplication() {
  ApplicationHolder& holder = Holder();
  delete holder.current;
  holder.current = new Application();
}

// ---------------------------------------------------------------- worker adapters

void LabelStatusLine::SetStatusText(const String& text) {
  Label* label = label_;
  GetApplication().Queue([label, text] { label->SetCaption(text); });
}

BarProgressIndicator::BarProgressIndicator(ProgressBar& bar)
    : bar_(&bar), shadow_(bar.Position()), min_(bar.Min()), max_(bar.Max()) {}

int BarProgressIndicator::Position() const { return shadow_; }

void BarProgressIndicator::SetPosition(int position) {
  position = std::clamp(position, min_, max_);
  shadow_ = position;
  ProgressBar* bar = bar_;
  GetApplication().Queue([bar, position] { bar->SetPosition(position); });
}

}  // namespace win
