#include "screens/program_end.h"

#include <utility>

namespace {

std::function<void()>& ProgramEnd() {
  static std::function<void()> end;
  return end;
}

}  // namespace

void SetProgramEnd(std::function<void()> end) { ProgramEnd() = std::move(end); }

void EndProgram() {
  // A copy: ending may replace the action while it runs.
  const std::function<void()> end = ProgramEnd();
  if (end) end();
}
