// The two progress outputs the folder operations and workers write to: a status
// line that takes a text and a bar with a position from 0 to 100. The screens'
// label and progress bar implement them; tests use plain recorders.
#pragma once

#include "platform/strings.h"

namespace win {

class StatusLine {
 public:
  virtual ~StatusLine() = default;
  virtual void SetStatusText(const String& text) = 0;
};

class ProgressIndicator {
 public:
  virtual ~ProgressIndicator() = default;
  virtual int Position() const = 0;
  virtual void SetPosition(int position) = 0;
};

}  // namespace win
