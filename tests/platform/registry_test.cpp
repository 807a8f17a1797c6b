#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/registry.h"
#include "platform/sim/machine.h"
#include "platform/sim/registry_store.h"
#include "support/sim_machine.h"

using namespace win;
using zxtest::TempMachine;

namespace {

std::string RegFileText(const TempMachine& m) {
  std::ifstream in(m.Dir() + "/registry.reg", std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  std::string bytes = all.str();
  std::string ascii;  // the UTF-16LE text with the high bytes dropped (tests use ASCII names)
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) ascii.push_back(bytes[i]);
  return ascii;
}

String Read(RootKey root, const String& key, const String& name) {
  Registry reg(kKeyRead);
  reg.SetRootKey(root);
  return reg.OpenKey(key, false) ? reg.ReadString(name) : u"<no key>";
}

TEST(Registry, OpensCreatesReadsAndWritesLikeTRegistry) {
  TempMachine m;
  Registry reg;
  reg.SetRootKey(RootKey::LocalMachine);
  EXPECT_FALSE(reg.OpenKey(u"Software\\Zorvex\\Zorvex7", false));
  ASSERT_TRUE(reg.OpenKey(u"\\Software\\Zorvex\\Zorvex7\\", true));
  EXPECT_EQ(reg.CurrentPath(), u"Software\\Zorvex\\Zorvex7");
  EXPECT_TRUE(reg.WriteString(u"InstallDir", u"C:\\Program Files (x86)\\Zorvex7"));
  EXPECT_TRUE(reg.WriteString(u"ExecOnBoot", u""));
  EXPECT_TRUE(reg.WriteString(u"INSTALLDIR", u"C:\\Other"));  // value names are case-blind
  EXPECT_EQ(reg.GetValueNames(), (StringList{u"InstallDir", u"ExecOnBoot"}));
  EXPECT_TRUE(reg.ValueExists(u"execonboot"));
  EXPECT_EQ(reg.ReadString(u"Missing"), u"");
  EXPECT_FALSE(reg.DeleteValue(u"Missing"));
  EXPECT_TRUE(reg.DeleteValue(u"ExecOnBoot"));
  reg.CloseKey();

  // Key names are case-blind and keep the name they were created with.
  EXPECT_EQ(Read(RootKey::LocalMachine, u"SOFTWARE\\zorvex\\ZORVEX7", u"installdir"), u"C:\\Other");
  Registry names;
  names.SetRootKey(RootKey::LocalMachine);
  ASSERT_TRUE(names.OpenKey(u"software", false));
  EXPECT_EQ(names.GetKeyNames(), (StringList{u"Zorvex"}));
  EXPECT_TRUE(names.HasSubKeys());
  EXPECT_TRUE(names.KeyExists(u"ZORVEX\\Zorvex7"));
  EXPECT_FALSE(names.KeyExists(u"Zorvex\\Zorvex6"));
  // The other hive is separate.
  EXPECT_EQ(Read(RootKey::CurrentUser, u"Software\\Zorvex\\Zorvex7", u"InstallDir"), u"<no key>");
}

TEST(Registry, RefusesWritesAtTheRootAndThroughReadAccess) {
  TempMachine m;
  Registry reg;
  reg.SetRootKey(RootKey::CurrentUser);
  ASSERT_TRUE(reg.OpenKey(u"", false));  // the root itself
  EXPECT_TRUE(reg.HasOpenKey());
  EXPECT_FALSE(reg.WriteString(u"x", u"y"));
  EXPECT_FALSE(reg.DeleteKey(u""));
  ASSERT_TRUE(reg.OpenKey(u"Software\\A", true));
  ASSERT_TRUE(reg.WriteString(u"v", u"1"));

  Registry readOnly(kKeyRead);
  readOnly.SetRootKey(RootKey::CurrentUser);
  ASSERT_TRUE(readOnly.OpenKey(u"Software\\A", false));
  EXPECT_FALSE(readOnly.WriteString(u"v", u"2"));
  EXPECT_FALSE(readOnly.DeleteValue(u"v"));
  EXPECT_EQ(readOnly.ReadString(u"v"), u"1");
  Registry other;
  other.SetRootKey(RootKey::CurrentUser);
  ASSERT_TRUE(other.OpenKeyReadOnly(u"Software\\A"));
  EXPECT_FALSE(other.WriteString(u"v", u"3"));
  EXPECT_EQ(Read(RootKey::CurrentUser, u"Software\\A", u"v"), u"1");
}

TEST(Registry, DeleteKeyNeverRecursesNorTakesTheRoot) {
  TempMachine m;
  {
    Registry reg;
    reg.SetRootKey(RootKey::LocalMachine);
    ASSERT_TRUE(reg.OpenKey(u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zorvex7\\Sub", true));
  }
  Registry reg(kKeyWrite);
  reg.SetRootKey(RootKey::LocalMachine);
  const String uninstall = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  EXPECT_FALSE(reg.DeleteKey(uninstall + u"\\Zorvex7"));  // has a sub-key
  EXPECT_TRUE(reg.KeyExists(uninstall + u"\\Zorvex7\\Sub"));
  EXPECT_FALSE(reg.DeleteKey(u"\\"));
  ASSERT_TRUE(reg.OpenKey(uninstall, false));
  EXPECT_TRUE(reg.DeleteKey(u"Zorvex7\\Sub"));  // relative to the open key
  EXPECT_TRUE(reg.DeleteKey(u"zorvex7"));
  EXPECT_FALSE(reg.DeleteKey(u"Zorvex7"));
  EXPECT_FALSE(reg.KeyExists(u"Zorvex7"));
  EXPECT_TRUE(reg.KeyExists(u"\\Software\\Microsoft"));
}

TEST(Registry, A32BitProgramsMachineSoftwareLandsInWow6432Node) {
  struct Case {
    std::vector<std::string> machine;
    RootKey root;
    const char* expectedHeader;
  } cases[] = {
      {{}, RootKey::LocalMachine, "[HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Zorvex\\Zorvex7]"},
      {{"is64Bit=0"}, RootKey::LocalMachine, "[HKEY_LOCAL_MACHINE\\Software\\Zorvex\\Zorvex7]"},
      {{}, RootKey::CurrentUser, "[HKEY_CURRENT_USER\\Software\\Zorvex\\Zorvex7]"},
  };
  for (const Case& c : cases) {
    TempMachine m(c.machine);
    Registry reg;
    reg.SetRootKey(c.root);
    ASSERT_TRUE(reg.OpenKey(u"Software\\Zorvex\\Zorvex7", true));
    ASSERT_TRUE(reg.WriteString(u"Product", u"Zorvex7"));
    EXPECT_EQ(reg.CurrentPath(), u"Software\\Zorvex\\Zorvex7");
    EXPECT_EQ(Read(c.root, u"Software\\Zorvex\\Zorvex7", u"Product"), u"Zorvex7");
    EXPECT_NE(RegFileText(m).find(c.expectedHeader), std::string::npos) << RegFileText(m);
  }
}

TEST(Registry, ReadsWhatAnotherProcessWroteAndLosesNoConcurrentWrite) {
  TempMachine m;
  EXPECT_EQ(Read(RootKey::LocalMachine, u"Software\\Zorvex", u"a0"), u"<no key>");  // cached empty
  const std::string program = std::string(ZX_TEST_PROGRAMS_DIR) + "/regwrite";
  auto run = [&](const std::string& args) { return std::system((program + " '" + m.Dir() + "' " + args).c_str()); };
  int results[2] = {-1, -1};
  std::thread first([&] { results[0] = run("HKLM 'Software\\Zorvex' a x 40"); });
  std::thread second([&] { results[1] = run("HKLM 'Software\\Zorvex' b y 40"); });
  first.join();
  second.join();
  ASSERT_EQ(results[0], 0);
  ASSERT_EQ(results[1], 0);
  Registry reg(kKeyRead);
  reg.SetRootKey(RootKey::LocalMachine);
  ASSERT_TRUE(reg.OpenKey(u"Software\\Zorvex", false));
  EXPECT_EQ(reg.GetValueNames().size(), 80u);
  EXPECT_EQ(reg.ReadString(u"a39"), u"x");
  EXPECT_EQ(reg.ReadString(u"b0"), u"y");
  // No temporary file is left beside the store.
  EXPECT_EQ(std::system(("test -z \"$(ls '" + m.Dir() + "' | grep 'registry.reg.')\"").c_str()), 0);
}

TEST(RegFile, RoundTripsEscapesAndOtherValueTypes) {
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
      "@=\"default\"\r\n"
      "\"Path \\\"quoted\\\"\"=\"C:\\\\Program Files\\\\\"\r\n"
      "\"Count\"=dword:0000002a\r\n"
      "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\r\n"
      "\"Multi\"=hex(7):61,00,00,00,\\\r\n  00,00\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Test\\Empty]\r\n\r\n"
      "[HKEY_CLASSES_ROOT\\Ignored]\r\n\"x\"=\"y\"\r\n"
      "broken line\r\n";
  sim::RegTree tree;
  sim::ParseRegText(text, tree);
  sim::RegKey* key = tree.currentUser.Find(u"software")->Find(u"TEST");
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(key->values.size(), 5u);
  EXPECT_EQ(key->values[0].name, u"");
  EXPECT_EQ(key->values[1].name, u"Path \"quoted\"");
  EXPECT_EQ(key->values[1].data, u"C:\\Program Files\\");
  EXPECT_EQ(key->values[2].data, u"dword:0000002a");
  EXPECT_EQ(key->values[3].type, sim::kRegExpandSz);
  EXPECT_EQ(key->values[3].data, u"%A%");
  EXPECT_EQ(key->values[4].data, u"hex(7):61,00,00,00,00,00");
  key->values.push_back({u"Lines", sim::kRegSz, u"one\r\ntwo \x4E2D"});
  ASSERT_NE(key->Find(u"Empty"), nullptr);

  sim::RegTree again;
  sim::ParseRegText(sim::FormatRegText(tree), again);
  EXPECT_EQ(sim::FormatRegText(again), sim::FormatRegText(tree));
  sim::RegKey* back = again.currentUser.Find(u"Software")->Find(u"Test");
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->FindValue(u"lines")->data, u"one\r\ntwo \x4E2D");
  EXPECT_EQ(back->FindValue(u"path \"QUOTED\"")->data, u"C:\\Program Files\\");
  EXPECT_NE(back->Find(u"Empty"), nullptr);
  std::string bytes = sim::FormatRegText(again);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFEW\0", 4));
}

// A string read from the file ends at its first NUL, as Windows' string
// readers take it, whichever way the file writes it; so the file reads back
// to the same tree.
TEST(RegFile, StringsEndAtTheirFirstNul) {
  using namespace std::string_literals;
  const std::string text = "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Test]\r\n"
                           "\"Quoted\"=\"x\0y\"\r\n"
                           "\"Hex\"=hex(1):78,00,00,00,79,00,00,00\r\n"s;
  sim::RegTree tree;
  sim::ParseRegText(text, tree);
  sim::RegKey* key = tree.currentUser.Find(u"Software")->Find(u"Test");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->FindValue(u"Quoted")->data, u"x");
  EXPECT_EQ(key->FindValue(u"Hex")->data, u"x");
  sim::RegTree again;
  sim::ParseRegText(sim::FormatRegText(tree), again);
  EXPECT_EQ(sim::FormatRegText(again), sim::FormatRegText(tree));
}

TEST(Registry, WritesNothingUnderLocalMachineWithoutAdministratorRights) {
  TempMachine m({"admin=0"});
  Registry reg;
  reg.SetRootKey(RootKey::LocalMachine);
  EXPECT_FALSE(reg.OpenKey(u"Software\\Zorvex", true));
  reg.SetRootKey(RootKey::CurrentUser);
  ASSERT_TRUE(reg.OpenKey(u"Software\\Zorvex", true));
  EXPECT_TRUE(reg.WriteString(u"v", u"1"));
}

TEST(Registry, WithoutAMachineEveryCallFails) {
  sim::UseMachine(std::string());
  Registry reg;
  EXPECT_FALSE(reg.OpenKey(u"Software", true));
  EXPECT_FALSE(reg.KeyExists(u"Software"));
  EXPECT_EQ(reg.ReadString(u"x"), u"");
}

}  // namespace
