// Starting programs and stopping running ones.
#include <gtest/gtest.h>

#include "support/sim_machine.h"
#include "util/cmnfileexecuate.h"

namespace {

using zxtest::TempMachine;

TEST(RunAndWaitTest, MissingProgramFailsWithTheSystemTextOnTheDebugger) {
  TempMachine machine;
  EXPECT_FALSE(RunAndWait(u"\"C:\\Program Files\\Old\\unins000.exe\" /SILENT", 0x10));
  EXPECT_NE(machine.ToolLog().find("The system cannot find the file specified."),
            std::string::npos)
      << machine.ToolLog();
}

}  // namespace
