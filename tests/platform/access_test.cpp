// The machine is as strict as Windows about folder rights: every file call
// checks what the running account may do there, owners keep the right to
// change the rights, and icacls changes only what the account may change.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/sim/tools.h"
#include "support/sim_machine.h"

namespace {

using zxtest::RunAsUser;
using zxtest::TempMachine;

constexpr uint32_t kOk = 0;
constexpr uint32_t kDenied = win::kErrorAccessDenied;

uint32_t Icacls(const String& arguments) { return sim::RunSystemTool(sim::SystemTool::kIcacls, arguments); }

// 0 when the call succeeds, else the error it leaves.
uint32_t Outcome(bool ok) { return ok ? kOk : win::GetLastError(); }

// ---- one table: operation x account x rights ------------------------------

enum Op { kRead, kList, kCreate, kMakeFolder, kOverwrite, kCopyOver, kDelete, kRemoveFolder, kRename, kAttributes, kLastWrite, kOps };
const char* const kOpNames[kOps] = {"read",   "list",       "create", "make folder", "overwrite", "copy over",
                                    "delete", "remove dir", "rename", "attributes",  "last write"};

// Each operation on its own object in folder `d`, so one machine serves a row.
uint32_t Perform(Op op, const String& d) {
  std::string bytes;
  win::FindData found;
  win::FindFile find;
  win::SystemTime time;
  switch (op) {
    case kRead: return Outcome(win::ReadFileBytes(d + u"\\read.txt", bytes));
    case kList: return Outcome(find.First(d + u"\\*", found));
    case kCreate: return Outcome(win::WriteFileBytes(d + u"\\new.txt", "n"));
    case kMakeFolder: return Outcome(win::CreateDirectory(d + u"\\NewFolder"));
    case kOverwrite: return Outcome(win::WriteFileBytes(d + u"\\write.txt", "w"));
    case kCopyOver: return Outcome(win::CopyFile(u"C:\\Source\\src.txt", d + u"\\copy.txt", false));
    case kDelete: return Outcome(win::DeleteFile(d + u"\\delete.txt"));
    case kRemoveFolder: return Outcome(win::RemoveDirectory(d + u"\\Empty"));
    case kRename: return Outcome(win::MoveFile(d + u"\\rename.txt", d + u"\\renamed.txt"));
    case kAttributes: return Outcome(win::SetFileAttributes(d + u"\\attrs.txt", win::kFileAttributeHidden));
    case kLastWrite: return Outcome(win::GetFileLastWriteTime(d + u"\\read.txt", time));
    case kOps: break;
  }
  return 0xFFFF;
}

void MakeObjects(const TempMachine& m, const String& d) {
  m.WriteFile(u"C:\\Source\\src.txt", "s");
  for (const char16_t* name : {u"read.txt", u"write.txt", u"copy.txt", u"delete.txt", u"rename.txt", u"attrs.txt"}) {
    m.WriteFile(d + u"\\" + name, "x");
  }
  m.MakeFolder(d + u"\\Empty");
}

TEST(AccessChecks, EachFileCallNeedsItsRight) {
  const String programFiles = u"C:\\Program Files (x86)\\App";
  const String programData = u"C:\\ProgramData\\App";
  struct Row {
    const char* state;
    String folder;
    StringList icacls;  // run by the elevated administrator after the objects exist
    bool standardUser;
    uint32_t expected[kOps];  // in the order of Op
  };
  const uint32_t D = kDenied;
  const Row rows[] = {
      {"fresh Program Files", programFiles, {}, false, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"fresh Program Files", programFiles, {}, true, {0, 0, D, D, D, D, D, D, D, D, 0}},
      // Users may add to a folder under ProgramData, not touch what others made.
      {"admin's folder in ProgramData", programData, {}, true, {0, 0, 0, 0, D, D, D, D, D, D, 0}},
      {"Users granted modify", programFiles, {u"\"" + programFiles + u"\" /grant Users:(OI)(CI)M /T"}, true,
       {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      // Read and execute for everyone, full control for SYSTEM alone: even the
      // elevated administrator may only read.
      {"locked down", programData,
       {u"\"" + programData + u"\" /reset /T", u"\"" + programData + u"\" /inheritance:r /T",
        u"\"" + programData + u"\" /grant *S-1-1-0:(OI)(CI)RX /T", u"\"" + programData + u"\" /grant SYSTEM:(OI)(CI)F /T"},
       false, {0, 0, D, D, D, D, D, D, D, D, 0}},
      {"locked down", programData,
       {u"\"" + programData + u"\" /inheritance:r /T", u"\"" + programData + u"\" /grant *S-1-1-0:(OI)(CI)RX /T"},
       true, {0, 0, D, D, D, D, D, D, D, D, 0}},
      {"nothing for anyone", programFiles, {u"\"" + programFiles + u"\" /inheritance:r /T"}, false,
       {D, D, D, D, D, D, D, D, D, D, D}},
  };
  for (const Row& row : rows) {
    TempMachine m;
    MakeObjects(m, row.folder);
    for (const String& line : row.icacls) ASSERT_EQ(Icacls(line), 0u) << win::ToUtf8(line);
    std::unique_ptr<RunAsUser> user;
    if (row.standardUser) user = std::make_unique<RunAsUser>(u"Alice");
    for (int op = 0; op < kOps; ++op) {
      EXPECT_EQ(Perform(static_cast<Op>(op), row.folder), row.expected[op])
          << row.state << (row.standardUser ? ", standard user: " : ", administrator: ") << kOpNames[op];
    }
  }
}

// What is known without opening the file stays open to everybody.
TEST(AccessChecks, AttributesNeedNoRight) {
  TempMachine m;
  const String folder = u"C:\\Closed";
  m.WriteFile(folder + u"\\a.txt", "x");
  ASSERT_EQ(Icacls(u"\"" + folder + u"\" /inheritance:r /T"), 0u);
  RunAsUser user(u"Alice");
  EXPECT_TRUE(win::FileExists(folder + u"\\a.txt"));
  EXPECT_TRUE(win::DirectoryExists(folder));
}

TEST(Accounts, AStandardUserIsNoAdministratorAnywhere) {
  TempMachine m;
  EXPECT_TRUE(win::IsUserAnAdmin());
  {
    RunAsUser user(u"Alice");
    EXPECT_FALSE(win::IsUserAnAdmin());
    win::Registry hklm;
    hklm.SetRootKey(win::RootKey::LocalMachine);
    EXPECT_FALSE(hklm.OpenKey(u"Software\\Zorvex", true));
    EXPECT_EQ(win::SHGetSpecialFolderPath(0x1A), u"C:\\Users\\Alice\\AppData\\Roaming");
    // Its own profile is its own.
    EXPECT_TRUE(win::WriteFileBytes(u"C:\\Users\\Alice\\AppData\\Local\\Temp\\t.txt", "t"));
    EXPECT_FALSE(win::WriteFileBytes(u"C:\\Users\\Player\\AppData\\Roaming\\t.txt", "t"));
    EXPECT_EQ(win::GetLastError(), kDenied);
  }
  EXPECT_TRUE(win::IsUserAnAdmin()) << "the administrator is back";

  TempMachine standard({"admin=0"});
  EXPECT_FALSE(win::IsUserAnAdmin());
  EXPECT_FALSE(win::CreateDirectory(u"C:\\Program Files (x86)\\App"));
  EXPECT_EQ(win::GetLastError(), kDenied);
  EXPECT_TRUE(win::WriteFileBytes(u"C:\\Users\\Player\\AppData\\Roaming\\t.txt", "t"));
}

// ---- owners ---------------------------------------------------------------

TEST(Owners, TheOwnerMayAlwaysChangeTheRights) {
  TempMachine m;
  const String mine = u"C:\\ProgramData\\Mine";
  {
    RunAsUser alice(u"Alice");
    ASSERT_TRUE(win::CreateDirectory(mine));
    EXPECT_EQ(sim::GetOwner(mine), u"Alice");
    // Cutting the inheritance leaves it with no entry at all.
    ASSERT_EQ(Icacls(u"\"" + mine + u"\" /inheritance:r"), 0u);
    EXPECT_FALSE(win::WriteFileBytes(mine + u"\\a.txt", "a"));
    EXPECT_EQ(win::GetLastError(), kDenied);
    win::FindFile find;
    win::FindData data;
    EXPECT_FALSE(find.First(mine + u"\\*", data));
    // Reading and changing the rights stay the owner's.
    EXPECT_EQ(Icacls(u"\"" + mine + u"\" /reset"), 0u);
    EXPECT_TRUE(win::WriteFileBytes(mine + u"\\a.txt", "a"));
  }
  {
    RunAsUser bob(u"Bob");
    EXPECT_EQ(Icacls(u"\"" + mine + u"\" /grant Bob:(OI)(CI)F"), kDenied);
    EXPECT_EQ(Icacls(u"\"" + mine + u"\" /setowner Bob"), kDenied);
    EXPECT_EQ(sim::GetOwner(mine), u"Alice");
  }
  // The elevated administrator owns what it makes and may hand anything over.
  m.MakeFolder(u"C:\\Tools");
  EXPECT_EQ(sim::GetOwner(u"C:\\Tools"), u"Administrators");
  EXPECT_EQ(Icacls(u"\"" + mine + u"\" /setowner *S-1-5-18"), 0u);
  EXPECT_EQ(sim::GetOwner(mine), u"SYSTEM");
}

TEST(Owners, TakingOwnershipNeedsTheWriteOwnerRight) {
  TempMachine m;
  const String folder = u"C:\\Shared";
  m.MakeFolder(folder);
  {
    RunAsUser alice(u"Alice");
    EXPECT_EQ(Icacls(u"\"" + folder + u"\" /setowner Alice"), kDenied);
  }
  ASSERT_EQ(Icacls(u"\"" + folder + u"\" /grant Users:(WO)"), 0u);
  RunAsUser alice(u"Alice");
  EXPECT_EQ(Icacls(u"\"" + folder + u"\" /setowner Administrators"), kDenied) << "only itself";
  EXPECT_EQ(Icacls(u"\"" + folder + u"\" /setowner Alice"), 0u);
  EXPECT_EQ(sim::GetOwner(folder), u"Alice");
  // Now the owner, it may give itself whatever it likes.
  EXPECT_EQ(Icacls(u"\"" + folder + u"\" /grant Alice:(OI)(CI)F"), 0u);
  EXPECT_TRUE(win::WriteFileBytes(folder + u"\\a.txt", "a"));
}

// ---- deleting -------------------------------------------------------------

TEST(Deleting, NeedsDeleteOnTheObjectOrDeleteChildOnItsFolder) {
  TempMachine m;
  struct Case {
    const char* what;
    StringList icacls;  // on the folder C:\D or its files
    bool deletes;
  } cases[] = {
      {"read and execute only", {}, false},
      {"DELETE on the file", {u"C:\\D\\f.txt /grant Users:(D)", u"C:\\D\\g.txt /grant Users:(D)"}, true},
      {"delete-child on the folder", {u"C:\\D /grant Users:(DC)"}, true},
      {"DELETE on the folder, not on the file", {u"C:\\D /grant Users:(D)"}, false},
      {"write on the folder", {u"C:\\D /grant Users:(W)"}, false},
  };
  for (const Case& c : cases) {
    TempMachine machine;
    machine.WriteFile(u"C:\\D\\f.txt", "f");
    machine.WriteFile(u"C:\\D\\g.txt", "g");
    for (const String& line : c.icacls) ASSERT_EQ(Icacls(line), 0u) << c.what;
    RunAsUser alice(u"Alice");
    EXPECT_EQ(win::DeleteFile(u"C:\\D\\f.txt"), c.deletes) << c.what;
    EXPECT_EQ(win::MoveFile(u"C:\\D\\g.txt", u"C:\\Users\\Alice\\g.txt"), c.deletes) << c.what << " (rename)";
    if (!c.deletes) {
      EXPECT_EQ(win::GetLastError(), kDenied) << c.what;
    }
  }
}

TEST(Renaming, FailsOnAnExistingTargetAndMovesTheRecords) {
  TempMachine m;
  m.WriteFile(u"C:\\D\\a.txt", "a");
  m.WriteFile(u"C:\\D\\b.txt", "b");
  EXPECT_FALSE(win::MoveFile(u"C:\\D\\a.txt", u"C:\\D\\B.TXT"));
  EXPECT_EQ(win::GetLastError(), win::kErrorAlreadyExists);
  EXPECT_FALSE(win::MoveFile(u"C:\\D\\none.txt", u"C:\\D\\c.txt"));
  EXPECT_EQ(win::GetLastError(), win::kErrorFileNotFound);

  m.MakeFolder(u"C:\\D\\Sub\\Deep");
  ASSERT_EQ(Icacls(u"C:\\D\\Sub\\Deep /grant Users:(OI)(CI)M"), 0u);
  ASSERT_TRUE(win::MoveFile(u"C:\\D\\Sub", u"C:\\D\\Moved"));
  EXPECT_TRUE(sim::MayWrite(u"C:\\D\\Moved\\Deep", u"Users"));
  // A new folder of the old name starts afresh.
  ASSERT_TRUE(win::CreateDirectory(u"C:\\D\\Sub"));
  ASSERT_TRUE(win::CreateDirectory(u"C:\\D\\Sub\\Deep"));
  EXPECT_FALSE(sim::MayWrite(u"C:\\D\\Sub\\Deep", u"Users"));
}

// ---- ProgramData and CREATOR OWNER -----------------------------------------

TEST(ProgramData, WhatAUserCreatesThereIsItsOwn) {
  TempMachine m;
  const String app = u"C:\\ProgramData\\AliceApp";
  {
    RunAsUser alice(u"Alice");
    ASSERT_TRUE(win::CreateDirectory(app));
    ASSERT_TRUE(win::WriteFileBytes(app + u"\\settings.ini", "1"));
    EXPECT_EQ(sim::GetOwner(app + u"\\settings.ini"), u"Alice");
    std::vector<sim::AccessEntry> entries;
    ASSERT_TRUE(sim::GetAccess(app, entries));
    bool aliceFull = false;
    for (const sim::AccessEntry& e : entries) aliceFull = aliceFull || (e.account == u"Alice" && e.rights == u"F");
    EXPECT_TRUE(aliceFull) << "CREATOR OWNER stands for Alice on her folder";
    EXPECT_TRUE(win::WriteFileBytes(app + u"\\settings.ini", "2"));
  }
  {
    RunAsUser bob(u"Bob");
    EXPECT_FALSE(win::WriteFileBytes(app + u"\\settings.ini", "3"));
    EXPECT_EQ(win::GetLastError(), kDenied);
    EXPECT_FALSE(win::DeleteFile(app + u"\\settings.ini"));
    EXPECT_TRUE(win::WriteFileBytes(app + u"\\bob.ini", "b")) << "Users may add files there";
    std::string bytes;
    EXPECT_TRUE(win::ReadFileBytes(app + u"\\settings.ini", bytes));
  }
  {
    RunAsUser alice(u"Alice");
    EXPECT_FALSE(win::WriteFileBytes(app + u"\\bob.ini", "a")) << "Bob's file is Bob's";
    EXPECT_TRUE(win::DeleteFile(app + u"\\settings.ini"));
  }
  // The administrator's own folders there give CREATOR OWNER's rights to Administrators.
  ASSERT_TRUE(win::CreateDirectory(u"C:\\ProgramData\\Admin"));
  std::vector<sim::AccessEntry> entries;
  ASSERT_TRUE(sim::GetAccess(u"C:\\ProgramData\\Admin", entries));
  for (const sim::AccessEntry& e : entries) EXPECT_NE(e.account, u"CREATOR OWNER");
}

TEST(ProgramData, AnAdministratorTakesOverAUsersFolderAndLocksItOut) {
  TempMachine m;
  const String folder = u"C:\\ProgramData\\Zorvex";
  {
    RunAsUser alice(u"Alice");
    ASSERT_TRUE(win::CreateDirectory(folder));
    ASSERT_TRUE(win::CreateDirectory(folder + u"\\Data"));
    ASSERT_TRUE(win::WriteFileBytes(folder + u"\\Data\\device.dat", "d"));
    ASSERT_TRUE(win::WriteFileBytes(folder + u"\\a.txt", "a"));
  }
  for (const String& line :
       {u"\"" + folder + u"\" /setowner *S-1-5-32-544 /T", u"\"" + folder + u"\" /inheritance:r /T",
        u"\"" + folder + u"\" /grant *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX /T"}) {
    ASSERT_EQ(Icacls(line), 0u) << win::ToUtf8(line);
  }
  EXPECT_EQ(sim::GetOwner(folder + u"\\Data\\device.dat"), u"Administrators");
  RunAsUser alice(u"Alice");
  std::string bytes;
  EXPECT_TRUE(win::ReadFileBytes(folder + u"\\Data\\device.dat", bytes));
  const std::pair<const char*, std::function<bool()>> denied[] = {
      {"write", [&] { return win::WriteFileBytes(folder + u"\\a.txt", "x"); }},
      {"create", [&] { return win::WriteFileBytes(folder + u"\\Data\\new.dat", "x"); }},
      {"make folder", [&] { return win::CreateDirectory(folder + u"\\New"); }},
      {"delete", [&] { return win::DeleteFile(folder + u"\\Data\\device.dat"); }},
      {"rename", [&] { return win::MoveFile(folder + u"\\a.txt", folder + u"\\b.txt"); }},
      {"remove folder", [&] { return win::RemoveDirectory(folder + u"\\Data"); }},
      {"change rights", [&] { return Icacls(u"\"" + folder + u"\" /grant Alice:(OI)(CI)F /T") == 0; }},
      {"take it back", [&] { return Icacls(u"\"" + folder + u"\" /setowner Alice /T") == 0; }},
  };
  for (const auto& [what, call] : denied) {
    win::SetLastError(0);
    EXPECT_FALSE(call()) << what;
  }
}

// ---- icacls ---------------------------------------------------------------

TEST(Icacls, StopsAtTheFirstObjectItMayNotChangeUnlessToldToGoOn) {
  TempMachine m;
  m.MakeFolder(u"C:\\ProgramData\\Tree\\A");
  m.MakeFolder(u"C:\\ProgramData\\Tree\\B");
  RunAsUser alice(u"Alice");
  ASSERT_TRUE(win::CreateDirectory(u"C:\\ProgramData\\Tree\\A\\Mine"));
  // Alice owns only Mine: the walk fails on Tree itself.
  EXPECT_EQ(Icacls(u"C:\\ProgramData\\Tree /grant Alice:(OI)(CI)F /T"), kDenied);
  std::vector<sim::AccessEntry> entries;
  ASSERT_TRUE(sim::GetAccess(u"C:\\ProgramData\\Tree\\A\\Mine", entries));
  for (const sim::AccessEntry& e : entries) EXPECT_TRUE(e.inherited) << "not reached";
  // With /C it changes what it may and still reports the failure.
  EXPECT_EQ(Icacls(u"C:\\ProgramData\\Tree /grant Alice:(OI)(CI)M /T /C"), kDenied);
  ASSERT_TRUE(sim::GetAccess(u"C:\\ProgramData\\Tree\\A\\Mine", entries));
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries[0].account, u"Alice");
  EXPECT_FALSE(entries[0].inherited);
}

TEST(Icacls, EntersJunctionsAndRecordsTheRealFolder) {
  TempMachine m;
  m.MakeFolder(u"C:\\Data\\Inner");
  m.MakeFolder(u"C:\\Program Files (x86)\\App");
  const std::string outside = m.Dir() + "/outside";
  std::filesystem::create_directories(outside);
  std::filesystem::create_directory_symlink(m.HostPath(u"C:\\Data"), m.HostPath(u"C:\\Program Files (x86)\\App") + "/Link");
  std::filesystem::create_directory_symlink(outside, m.HostPath(u"C:\\Program Files (x86)\\App") + "/Out");
  ASSERT_EQ(Icacls(u"\"C:\\Program Files (x86)\\App\" /grant Users:(OI)(CI)M /T"), 0u);

  std::vector<sim::AccessEntry> entries;
  ASSERT_TRUE(sim::GetAccess(u"C:\\Data\\Inner", entries));
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries[0].account, u"Users");
  EXPECT_EQ(entries[0].rights, u"M");
  EXPECT_FALSE(entries[0].inherited) << "recorded under the real folder";
  EXPECT_EQ(sim::GetOwner(u"C:\\Data"), u"Administrators");

  RunAsUser alice(u"Alice");
  EXPECT_TRUE(win::WriteFileBytes(u"C:\\Program Files (x86)\\App\\Link\\Inner\\a.txt", "a"));
  EXPECT_TRUE(win::WriteFileBytes(u"C:\\Data\\Inner\\b.txt", "b")) << "the same folder by its real path";
  EXPECT_TRUE(win::WriteFileBytes(u"C:\\Data\\c.txt", "c")) << "the link is C:\\Data itself";
  EXPECT_FALSE(win::CreateDirectory(u"C:\\Program Files (x86)\\Other")) << "nothing beside it";
  std::ifstream store(m.Dir() + "/acl.tsv");
  std::string records((std::istreambuf_iterator<char>(store)), std::istreambuf_iterator<char>());
  EXPECT_NE(records.find("C:\\Data\tUsers\tM"), std::string::npos) << records;
  EXPECT_EQ(records.find("Out"), std::string::npos) << "a link out of the machine is not followed";
}

TEST(Icacls, AcceptsTheWellKnownIdentifiers) {
  struct Case {
    const char16_t* sid;
    const char16_t* account;
  } cases[] = {{u"*S-1-5-32-544", u"Administrators"}, {u"*S-1-5-18", u"SYSTEM"},
               {u"*S-1-1-0", u"Jeder"},               {u"*S-1-5-32-545", u"Users"},
               {u"*S-1-5-11", u"Authenticated Users"}, {u"*S-1-3-0", u"CREATOR OWNER"}};
  TempMachine m({"everyone=Jeder"});
  for (const Case& c : cases) {
    m.MakeFolder(u"C:\\Sid");
    ASSERT_EQ(Icacls(u"C:\\Sid /inheritance:r /grant " + String(c.sid) + u":(OI)(CI)RX"), 0u) << win::ToUtf8(c.sid);
    std::vector<sim::AccessEntry> entries;
    ASSERT_TRUE(sim::GetAccess(u"C:\\Sid", entries));
    bool found = false;
    for (const sim::AccessEntry& e : entries) found = found || e.account == c.account;
    EXPECT_TRUE(found) << win::ToUtf8(c.account);
    ASSERT_EQ(Icacls(u"C:\\Sid /reset"), 0u);
  }
}

}  // namespace
