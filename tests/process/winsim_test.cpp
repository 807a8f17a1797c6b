// The winsim tool: a machine made, a program run on it, what is on it shown;
// every error one line on stderr and a non-zero exit.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "process/process_fixture.h"
#include "support/sim_machine.h"

namespace {

namespace fs = std::filesystem;

struct Result {
  int code = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

class Winsim : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kTool)) << kTool << " is not built";
    char pattern[] = "/tmp/zxwinsim-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }

  Result Call(const std::vector<std::string>& args) const {
    std::string command = ShellQuote(kTool);
    for (const std::string& a : args) command += " " + ShellQuote(a);
    command += " >" + dir_ + "/out.txt 2>" + dir_ + "/err.txt";
    Result r;
    int status = std::system(command.c_str());
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Slurp(dir_ + "/out.txt");
    r.err = Slurp(dir_ + "/err.txt");
    std::cerr << r.err;  // passed on, so that a sanitizer's report in it is seen
    return r;
  }

  const std::string kTool = std::string(ZX_BINARY_DIR) + "/tools/winsim";
  std::string dir_;
};

TEST_F(Winsim, MakesAMachineRunsAProgramAndShowsWhatItDid) {
  const std::string m = dir_ + "/m";
  ASSERT_EQ(Call({"new", m, "codePage=936", "everyone=Jeder"}).code, 0);
  EXPECT_NE(Slurp(m + "/machine.ini").find("everyone=Jeder"), std::string::npos);
  fs::create_directories(m + "/drive_c/Tools");
  fs::create_directories(m + "/drive_c/out");
  fs::copy_file(std::string(ZX_TEST_PROGRAMS_DIR) + "/proc_helper", m + "/drive_c/Tools/Helper.exe");

  EXPECT_EQ(Call({"run", m, "C:\\Tools\\Helper.exe", "exit", "42"}).code, 42);
  EXPECT_EQ(Call({"run", m, "C:\\tools\\helper.exe", "write", "C:\\out\\a b.txt", "x y"}).code, 0);
  EXPECT_EQ(Slurp(m + "/drive_c/out/a b.txt"), "x y");

  Result log = Call({"log", m});
  EXPECT_EQ(log.code, 0);
  EXPECT_NE(log.out.find("run \"C:\\tools\\helper.exe\" write \"C:\\out\\a b.txt\" \"x y\"\n"), std::string::npos);

  Result files = Call({"files", m, "C:\\OUT"});
  EXPECT_EQ(files.code, 0);
  EXPECT_NE(files.out.find("<DIR>  C:\\out\n"), std::string::npos) << files.out;
  EXPECT_NE(files.out.find(" 3  C:\\out\\a b.txt\n"), std::string::npos) << files.out;

  Result reg = Call({"reg", m});
  EXPECT_EQ(reg.code, 0);
  EXPECT_EQ(reg.out.rfind("Windows Registry Editor Version 5.00\n", 0), 0u) << reg.out;
}

TEST_F(Winsim, ErrorsAreOneLineAndANonZeroExit) {
  const std::string m = dir_ + "/m";
  ASSERT_EQ(Call({"new", m}).code, 0);
  const std::string broken = dir_ + "/broken";
  ASSERT_EQ(Call({"new", broken}).code, 0);
  std::ofstream(broken + "/machine.ini", std::ios::trunc) << "[machine]\nosMajor=ten\n";
  std::ofstream(broken + "/registry.reg", std::ios::trunc) << "REGEDIT4\n";
  const std::string badReg = dir_ + "/badreg";
  ASSERT_EQ(Call({"new", badReg}).code, 0);
  std::ofstream(badReg + "/registry.reg", std::ios::trunc) << "\xFF\xFE" << "x";

  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{"reg", dir_ + "/none"}, "no machine"},
      {{"log", dir_}, "no machine"},
      {{"files", broken}, "osMajor"},
      {{"reg", badReg}, "registry"},
      {{"files", m, "D:\\Data"}, "outside the machine"},
      {{"files", m, "C:\\..\\..\\etc"}, "outside the machine"},
      {{"files", m, "C:\\Nothing\\here"}, "no such file"},
      {{"run", m, "C:\\Tools\\missing.exe"}, "cannot find the file"},
      {{"run", m, "D:\\Setup.exe"}, "outside the machine"},
      {{"run", m}, "program"},
      {{"run", "--fly", m, "C:\\x.exe"}, "unknown option"},
      {{"new", m}, "already"},
      {{"new", dir_ + "/other", "colour=blue"}, "colour"},
      {{"frobnicate"}, "unknown command"},
  };
  for (const Case& c : cases) {
    Result r = Call(c.args);
    std::string what = c.args[0] + " " + (c.args.size() > 1 ? c.args.back() : "");
    EXPECT_NE(r.code, 0) << what;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << what << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << what << ": " << r.err;
  }
  Result usage = Call({});
  EXPECT_NE(usage.code, 0);
  EXPECT_NE(usage.err.find("usage: winsim"), std::string::npos);
}

TEST_F(Winsim, RunsAProgramAsAStandardUser) {
  const std::string m = dir_ + "/m";
  ASSERT_EQ(Call({"new", m}).code, 0);
  fs::create_directories(m + "/drive_c/Tools");
  fs::copy_file(std::string(ZX_TEST_PROGRAMS_DIR) + "/proc_helper", m + "/drive_c/Tools/Helper.exe");

  EXPECT_EQ(Call({"run", m, "C:\\Tools\\Helper.exe", "write", "C:\\Tools\\admin.txt", "a"}).code, 0);
  EXPECT_EQ(Call({"run", "--user", "Alice", m, "C:\\Tools\\Helper.exe", "write", "C:\\Tools\\alice.txt", "a"}).code, 1);
  EXPECT_FALSE(fs::exists(m + "/drive_c/Tools/alice.txt"));
  EXPECT_EQ(Call({"run", "--user", "Alice", m, "C:\\Tools\\Helper.exe", "write",
                  "C:\\Users\\Alice\\AppData\\Local\\Temp\\t.txt", "t"}).code, 0)
      << "the user gets a profile of its own";
  EXPECT_EQ(Call({"run", "--user", "Alice", m, "C:\\Tools\\Helper.exe", "write", "C:\\ProgramData\\p.txt", "p"}).code, 0);
  EXPECT_NE(Slurp(m + "/acl.tsv").find("C:\\ProgramData\\p.txt\t-\towner\tAlice\n"), std::string::npos)
      << Slurp(m + "/acl.tsv");

  // On a machine without administrators its own user is a standard user.
  const std::string standard = dir_ + "/standard";
  ASSERT_EQ(Call({"new", standard, "admin=0"}).code, 0);
  fs::create_directories(standard + "/drive_c/Tools");
  fs::copy_file(std::string(ZX_TEST_PROGRAMS_DIR) + "/proc_helper", standard + "/drive_c/Tools/Helper.exe");
  EXPECT_EQ(Call({"run", standard, "C:\\Tools\\Helper.exe", "write", "C:\\Tools\\x.txt", "x"}).code, 1);
  EXPECT_EQ(Call({"run", "--user", "", m, "C:\\Tools\\Helper.exe", "exit", "0"}).code, 1);
}

}  // namespace
