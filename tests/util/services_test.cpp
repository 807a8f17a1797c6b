// Registry shortcuts, shell links and special folders.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "support/sim_machine.h"
#include "util/xfunctions.h"

namespace {

using zxtest::TempMachine;

const String kProduct = u"Software\\Zorvex\\Zorvex7";

void WriteValue(win::RootKey root, const String& key, const String& name, const String& value) {
  win::Registry registry;
  registry.SetRootKey(root);
  ASSERT_TRUE(registry.OpenKey(key, true)) << win::ToUtf8(key);
  ASSERT_TRUE(registry.WriteString(name, value));
}

bool KeyExists(win::RootKey root, const String& key) {
  win::Registry registry(win::kKeyRead);
  registry.SetRootKey(root);
  return registry.KeyExists(key);
}

bool ValueExists(win::RootKey root, const String& key, const String& name) {
  win::Registry registry(win::kKeyRead);
  registry.SetRootKey(root);
  return registry.OpenKey(key, false) && registry.ValueExists(name);
}

class ServicesTest : public ::testing::Test {
 protected:
  TempMachine machine;
};

TEST_F(ServicesTest, ReadMachineStringGivesTheValueOrEmpty) {
  WriteValue(win::RootKey::LocalMachine, kProduct, u"InstallDir", u"C:\\Zorvex7");
  WriteValue(win::RootKey::CurrentUser, kProduct, u"OnlyForUser", u"user");
  EXPECT_EQ(ReadMachineString(u"InstallDir", false, kProduct), u"C:\\Zorvex7");
  EXPECT_EQ(ReadMachineString(u"InstallDir", false, kProduct + u"\\"), u"C:\\Zorvex7");
  EXPECT_EQ(ReadMachineString(u"Product", false, kProduct), u"");
  EXPECT_EQ(ReadMachineString(u"OnlyForUser", false, kProduct), u"");
  EXPECT_EQ(ReadMachineString(u"InstallDir", false, u"Software\\Zorvex\\Missing"), u"");
  EXPECT_FALSE(KeyExists(win::RootKey::LocalMachine, u"Software\\Zorvex\\Missing"));
}

TEST_F(ServicesTest, DeleteMachineKeyRemovesOnlyAKeyWithoutSubKeys) {
  const String uninstall = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  WriteValue(win::RootKey::LocalMachine, uninstall + u"\\Zorvex7", u"DisplayName", u"Zorvex7");
  WriteValue(win::RootKey::LocalMachine, uninstall + u"\\Other", u"DisplayName", u"Other");
  WriteValue(win::RootKey::LocalMachine, kProduct, u"Product", u"Zorvex7");
  WriteValue(win::RootKey::LocalMachine, u"Software\\Tree\\Leaf", u"v", u"1");

  DeleteMachineKey(uninstall, false, u"Zorvex7");
  DeleteMachineKey(u"", false, kProduct);
  DeleteMachineKey(u"", false, u"Software\\Tree");  // has a sub-key: stays
  DeleteMachineKey(uninstall, false, u"");          // never the parent itself
  DeleteMachineKey(u"Software\\Missing", false, u"Zorvex7");

  EXPECT_FALSE(KeyExists(win::RootKey::LocalMachine, uninstall + u"\\Zorvex7"));
  EXPECT_TRUE(KeyExists(win::RootKey::LocalMachine, uninstall + u"\\Other"));
  EXPECT_FALSE(KeyExists(win::RootKey::LocalMachine, kProduct));
  EXPECT_TRUE(KeyExists(win::RootKey::LocalMachine, u"Software\\Zorvex"));
  EXPECT_TRUE(KeyExists(win::RootKey::LocalMachine, u"Software\\Tree\\Leaf"));
  EXPECT_FALSE(KeyExists(win::RootKey::LocalMachine, u"Software\\Missing"));
}

TEST_F(ServicesTest, DeleteUserValueRemovesOneValueAndNeverCreatesTheKey) {
  const String run = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  WriteValue(win::RootKey::CurrentUser, run, u"Zorvex7", u"\"C:\\Zorvex7.exe\"");
  WriteValue(win::RootKey::CurrentUser, run, u"Other", u"x");

  DeleteUserValue(run, false, u"Zorvex7");
  DeleteUserValue(u"Software\\NoSuchKey", false, u"Zorvex7");

  EXPECT_FALSE(ValueExists(win::RootKey::CurrentUser, run, u"Zorvex7"));
  EXPECT_TRUE(ValueExists(win::RootKey::CurrentUser, run, u"Other"));
  EXPECT_FALSE(KeyExists(win::RootKey::CurrentUser, u"Software\\NoSuchKey"));
}

TEST_F(ServicesTest, CreateShellLinkWritesTargetFolderAndOptionalArguments) {
  const String target = u"C:\\Program Files (x86)\\Zorvex7\\Zorvex7.exe";
  const String folder = SpecialFolderPath(win::kCsidlCommonDesktopDirectory);
  ASSERT_FALSE(folder.empty());
  struct Case {
    const char16_t* file;
    const char16_t* arguments;
  };
  for (const Case& c : {Case{u"\\Zorvex7.lnk", u""}, Case{u"\\Remove.lnk", u"uninstall"}}) {
    const String link = folder + c.file;
    ASSERT_TRUE(CreateShellLink(link, target, u"Zorvex 7 settings", c.arguments,
                                u"C:\\Icons\\z.ico"));
    win::ShellLinkInfo info;
    ASSERT_TRUE(win::ReadShellLink(link, info)) << win::ToUtf8(link);
    EXPECT_EQ(info.target, target);
    EXPECT_EQ(info.arguments, c.arguments);
    EXPECT_EQ(info.workingDirectory, u"C:\\Program Files (x86)\\Zorvex7\\");
    EXPECT_EQ(info.description, u"Zorvex 7 settings");
    EXPECT_EQ(info.iconLocation, u"C:\\Icons\\z.ico");
    EXPECT_EQ(info.iconIndex, 0);
  }
}

TEST_F(ServicesTest, CreateShellLinkReportsTheObjectNotTheSave) {
  const String link = u"C:\\No\\Such\\Folder\\Zorvex7.lnk";
  EXPECT_TRUE(CreateShellLink(link, u"C:\\Zorvex7.exe", u"", u"", u""));
  EXPECT_FALSE(win::FileExists(link));
}

TEST(SpecialFolderPathTest, KnownFoldersWithoutSeparatorAndEmptyOtherwise) {
  struct Case {
    int csidl;
    const char16_t* on64;
    const char16_t* on32;
  };
  const Case cases[] = {
      {win::kCsidlProgramFiles, u"C:\\Program Files (x86)", u"C:\\Program Files"},
      {win::kCsidlCommonAppData, u"C:\\ProgramData", u"C:\\ProgramData"},
      {0x7FFF, u"", u""},
  };
  for (const bool is64 : {true, false}) {
    TempMachine machine({is64 ? "is64Bit=1" : "is64Bit=0"});
    for (const Case& c : cases)
      EXPECT_EQ(SpecialFolderPath(c.csidl), is64 ? c.on64 : c.on32) << c.csidl << " " << is64;
  }
}

}  // namespace
