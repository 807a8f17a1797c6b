// Status line and bar recorders for the folder operation tests.
#pragma once

#include <vector>

#include "platform/status.h"
#include "platform/strings.h"

namespace zxtest {

class StatusRecorder : public win::StatusLine {
 public:
  void SetStatusText(const String& text) override { texts.push_back(text); }
  StringList texts;
};

class BarRecorder : public win::ProgressIndicator {
 public:
  explicit BarRecorder(int start = 0) : position(start) {}
  int Position() const override { return position; }
  void SetPosition(int value) override {
    position = value;
    history.push_back(value);
  }
  int position;
  std::vector<int> history;  // every position set, in order
};

}  // namespace zxtest
