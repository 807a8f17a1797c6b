// Driving a program's screens from another process: winsim run --script.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "platform/process.h"
#include "platform/sim/machine.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct Result {
  int code = -1;
  std::string err;
};

class Script : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kTool)) << kTool << " is not built";
    char pattern[] = "/tmp/zxscript-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ASSERT_EQ(std::system((ShellQuote(kTool) + " new " + ShellQuote(machine()) + " >/dev/null").c_str()), 0);
    fs::create_directories(machine() + "/drive_c/Demo");
    fs::copy_file(std::string(ZX_TEST_PROGRAMS_DIR) + "/ui_demo", machine() + "/drive_c/Demo/Demo.exe");
  }
  void TearDown() override {
    std::error_code ec;
    if (!dir_.empty() && !std::getenv("ZX_KEEP_MACHINES")) fs::remove_all(dir_, ec);
  }
  std::string machine() const { return dir_ + "/m"; }

  Result Run(const std::string& script, const std::string& arguments = "") {
    const std::string file = dir_ + "/script.txt";
    std::ofstream(file, std::ios::binary) << script;
    const std::string command = "cd " + ShellQuote(dir_) + " && " + ShellQuote(kTool) + " run --script " +
                                ShellQuote(file) + " " + ShellQuote(machine()) + " 'C:\\Demo\\Demo.exe' " + arguments + " 2>" +
                                ShellQuote(dir_ + "/err.txt");
    Result r;
    const int status = std::system(command.c_str());
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = Slurp(dir_ + "/err.txt");
    std::cerr << r.err;  // passed on, so that a sanitizer's report in it is seen
    return r;
  }

  const std::string kTool = std::string(ZX_BINARY_DIR) + "/tools/winsim";
  std::string dir_;
};

TEST_F(Script, DrivesTheScreensAsAPersonWould) {
  const Result r = Run(
      "# a whole visit\n"
      "wait FFirst\n"
      "expect FFirst.lb_Row0 caption Item 0\n"
      "tick FFirst.ck_Option\n"
      "tick FFirst.ck_Option\n"
      "wheel FFirst.lb_Row1 -3\n"
      "wheel FFirst.sb_List 1\n"
      "expect FFirst.lb_Row0 caption Item 2\n"
      "# the bar's thumb dragged past its end, a touchpad's half notches, back\n"
      "drag FFirst.sb_List 0 100\n"
      "expect FFirst.sb_List position 7\n"
      "wheel FFirst.lb_Row1 2 60\n"
      "expect FFirst.sb_List position 6\n"
      "drag FFirst.sb_List 0 -100\n"
      "wheel FFirst.lb_Row1 -2\n"
      "expect FFirst.lb_Row0 caption Item 2\n"
      "click FFirst.bt_Ask\n"
      "wait MessageBox\n"
      "expect MessageBox.Message caption Go on?\n"
      "click MessageBox.Yes\n"
      "snapshot FFirst first.png\n"
      "\n"
      "# the clicked button has the focus; back one and on with Enter\n"
      "expect FFirst.bt_Ask focused 1\n"
      "key FFirst Shift+Tab\n"
      "expect FFirst.bt_Next focused 1\n"
      "key FFirst Enter\n"
      "wait FSecond\n"
      "expect FSecond.lb_Result caption option=1 row=Item 2 answer=6\n"
      "click FSecond.bt_Finish\n"
      "wait end 3\n");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(fs::file_size(dir_ + "/first.png") > 100);
  // The message box is on record in the machine's log.
  EXPECT_NE(Slurp(machine() + "/tools.log").find("messagebox question desktop Demo: Go on?"), std::string::npos);
}

TEST_F(Script, CloseRequestEndsTheProgram) {
  const Result r = Run("wait FFirst\nclose FFirst\nwait end 0\n");
  EXPECT_EQ(r.code, 0) << r.err;
}

TEST_F(Script, AnotherProgramClosesAScreenFoundByItsTitle) {
  // As the hand-over closes the updater: FindWindow by title, then WM_CLOSE.
  std::thread closer([this] {
    sim::UseMachine(machine());
    win::WindowHandle window = 0;
    for (int i = 0; i < 500 && window == 0; ++i) {
      window = win::FindWindow(u"Demo first screen");
      if (window == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(win::PostMessage(window, win::kWmClose, 0, 0));
  });
  // The close may come before the screen shows: the script only waits for the end.
  const Result r = Run("wait end 0\n");
  closer.join();
  EXPECT_EQ(r.code, 0) << r.err;
}

TEST_F(Script, FailuresNameTheLine) {
  struct Case {
    const char* script;
    const char* line;
    const char* message;
  };
  const Case cases[] = {
      {"wait FFirst\n# comment\nclick FFirst.bt_Nope\n", "line 3", "has no control named bt_Nope"},
      {"timeout 0.5\nwait FNever\n", "line 2", "timeout after 0.5 s: form FNever was not shown"},
      {"timeout 0.3\nwait FFirst\nexpect FFirst.lb_Row0 caption Item 9\n", "line 3",
       "expected FFirst.lb_Row0 caption \"Item 9\", found \"Item 0\""},
      {"wait FFirst\nclick FSecond.bt_Finish\n", "line 2", "form FSecond is not shown"},
      {"wait FFirst\njump FFirst.bt_Next\n", "line 2", "unknown action"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    const Result r = Run(c.script);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(c.line), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

TEST_F(Script, AFailedScriptStopsWhatTheProgramStarted) {
  fs::copy_file(std::string(ZX_TEST_PROGRAMS_DIR) + "/proc_helper", machine() + "/drive_c/Demo/Helper.exe");
  const std::string helper = fs::canonical(machine() + "/drive_c/Demo/Helper.exe").string();
  auto helpersRunning = [&helper] {
    int running = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
      std::error_code ec;
      const fs::path exe = fs::read_symlink(entry.path() / "exe", ec);
      if (!ec && exe.string() == helper) ++running;
    }
    return running;
  };
  const Result r = Run("wait FFirst\ntimeout 0.3\nwait FNever\n", "start 'C:\\Demo\\Helper.exe sleep 60'");
  EXPECT_EQ(r.code, 1) << r.err;
  int running = helpersRunning();
  for (int i = 0; i < 100 && running > 0; ++i) {  // the kill is sent; its end is the host's
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    running = helpersRunning();
  }
  EXPECT_EQ(running, 0);
}

}  // namespace
