// What every skinned control does with its window: the skin's window
// procedure goes in front of the control's own the first time a picture is
// loaded (and goes again with the skin). Painting sends messages that ask for
// painting again; such a request is served in another round once the current
// picture is finished, never nested.
#pragma once

#include <functional>

#include "platform/ui.h"

class TskinHook {
 public:
  explicit TskinHook(win::Control& control) : hook_(control) {}

  // Installs proc in front of the control's window procedure; later calls
  // change nothing.
  void Hook(win::WndMethod proc) { hook_.Install(std::move(proc)); }
  // The window procedure the skin stands in front of.
  void CallSaved(win::Message& message) const { hook_.CallSaved(message); }

  // Runs paintOnce; a repaint asked for while it runs is served by one more
  // round afterwards (three rounds at most).
  void Paint(const std::function<void()>& paintOnce) {
    if (painting_) {
      repaintPending_ = true;
      return;
    }
    painting_ = true;
    for (int round = 0; round < 3; ++round) {
      repaintPending_ = false;
      paintOnce();
      if (!repaintPending_) break;
    }
    painting_ = false;
  }

 private:
  win::WindowProcHook hook_;
  bool painting_ = false;
  bool repaintPending_ = false;
};
