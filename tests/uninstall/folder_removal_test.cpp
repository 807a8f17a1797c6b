// The install folder's contents removed by the product's keep rules.
#include <gtest/gtest.h>

#include <filesystem>

#include "install/package_fixture.h"
#include "uninstall/folder_removal.h"

namespace {

using namespace zxtest;

const String kRoot = u"C:\\Program Files (x86)\\Zorvex7\\";

// An install folder after some use: the program folder repeats the root's
// name, user data folders at the top and one level down, a log folder with a
// kept name inside, markers at two depths, the updater.
const std::vector<std::string> kTree = {
    "CopiedLastZorvexVersion.txt",
    "CopiedLastMarbekVersion.txt",
    "readme.txt",
    "ScriptsMacros\\top.mcr",
    "UserLog\\top.log",
    "Updater\\ZorvexMouseUpdater.exe",
    "Zorvex7\\Zorvex7.exe",
    "Zorvex7\\CopiedLastZorvexVersion.txt",
    "Zorvex7\\ScriptsMacros\\m.mcr",
    "Zorvex7\\userlog\\u.log",
    "Zorvex7\\SLED\\s.cfg",
    "Zorvex7\\defaultLog\\d.log",
    "Zorvex7\\defaultLog\\UserLog\\x.log",
    "Zorvex7\\Data\\Zorvex7\\y.dat",
};

// What is left below the install folder, folders ending in "\".
std::set<std::string> Remaining(const TempMachine& m) {
  std::set<std::string> left;
  const std::string prefix = U(kRoot);
  for (const std::string& entry : DriveEntries(m))
    if (entry.size() > prefix.size() && entry.rfind(prefix, 0) == 0) left.insert(entry.substr(prefix.size()));
  return left;
}

std::set<std::string> WithFolders(const std::vector<std::string>& paths) {
  std::set<std::string> all;
  for (const std::string& p : paths) {
    size_t slash = 0;
    while ((slash = p.find('\\', slash)) != std::string::npos) all.insert(p.substr(0, ++slash));
    all.insert(p);
  }
  return all;
}

TEST(FolderRemoval, EveryProductAndBothChoices) {
  const std::vector<std::string> fullClear = {"CopiedLastZorvexVersion.txt", "Zorvex7\\Data\\Zorvex7\\"};
  const std::vector<std::string> keepList = {
      "CopiedLastZorvexVersion.txt", "ScriptsMacros\\top.mcr", "UserLog\\top.log",
      "Zorvex7\\CopiedLastZorvexVersion.txt", "Zorvex7\\ScriptsMacros\\m.mcr", "Zorvex7\\userlog\\u.log",
      "Zorvex7\\SLED\\s.cfg", "Zorvex7\\Data\\Zorvex7\\"};
  std::vector<std::string> keepListUpdater = keepList;
  keepListUpdater.push_back("Updater\\");
  const std::vector<std::string> tonalix = {"CopiedLastZorvexVersion.txt", "ScriptsMacros\\top.mcr",
                                            "Zorvex7\\ScriptsMacros\\m.mcr", "Zorvex7\\Data\\Zorvex7\\"};
  const std::vector<std::string> drevanixOn = {"CopiedLastMarbekVersion.txt", "Zorvex7\\Data\\Zorvex7\\"};
  const std::vector<std::string> drevanixOff = {
      "CopiedLastMarbekVersion.txt", "ScriptsMacros\\top.mcr", "UserLog\\top.log",
      "Zorvex7\\ScriptsMacros\\m.mcr", "Zorvex7\\userlog\\u.log", "Zorvex7\\Data\\Zorvex7\\"};

  struct Case {
    const char* product;
    bool deleteUserData;
    FolderRemoval variant;
    const std::vector<std::string>& left;
  } cases[] = {
      {"Zorvex3", true, FolderRemoval::kFullClear, fullClear},
      {"Zorvex3", false, FolderRemoval::kKeepListClearWithUpdater, keepListUpdater},
      {"ZorvexTonalix", true, FolderRemoval::kFullClear, tonalix},
      {"ZorvexTonalix", false, FolderRemoval::kFullClear, tonalix},
      {"ZorvexKeyboard", true, FolderRemoval::kFullClear, fullClear},
      {"ZorvexKeyboard", false, FolderRemoval::kKeepListClear, keepList},
      {"Drevanix", true, FolderRemoval::kFullClear, drevanixOn},
      {"Drevanix", false, FolderRemoval::kKeepListClear, drevanixOff},
      {"ZorvexPad", true, FolderRemoval::kFullClear, fullClear},
      {"ZorvexPad", false, FolderRemoval::kKeepListClear, keepList},
      {"ZorvexEsport", true, FolderRemoval::kFullClear, fullClear},
      {"ZorvexEsport", false, FolderRemoval::kKeepListClearWithUpdater, keepListUpdater},
      {"zorvex3", true, FolderRemoval::kNothing, kTree},
      {"Zorvex7", false, FolderRemoval::kNothing, kTree},
      {"", true, FolderRemoval::kNothing, kTree},
  };
  for (const Case& c : cases) {
    TempMachine m;
    for (const std::string& path : kTree) m.WriteFile(kRoot + W(path), "data");
    const FolderRemovalPlan plan = FolderRemovalFor(W(c.product), c.deleteUserData);
    EXPECT_EQ(plan.variant, c.variant) << c.product << " " << c.deleteUserData;
    Recorder recorder;
    WorkerOutputs out;
    out.status = &recorder;
    out.bar = &recorder;
    RemoveInstallFolder(win::ExcludeTrailingBackslash(kRoot), plan, out);
    std::set<std::string> expected = WithFolders(c.left);
    expected.insert("Zorvex7\\");  // named like the install folder: emptied, never removed
    EXPECT_EQ(Remaining(m), expected) << c.product << " " << c.deleteUserData;
    EXPECT_TRUE(m.Exists(kRoot)) << c.product;
    // Each deleted file was shown and stepped the bar once.
    const size_t files = kTree.size() - std::count_if(c.left.begin(), c.left.end(), [](auto& p) { return p.back() != '\\'; });
    EXPECT_EQ(recorder.Texts().size(), plan.variant == FolderRemoval::kNothing ? 0u : files) << c.product;
    EXPECT_EQ(recorder.Bars().size(), recorder.Texts().size()) << c.product;
  }
}

TEST(FolderRemoval, LinksAreRemovedThemselvesAndNeverFollowed) {
  namespace fs = std::filesystem;
  TempMachine m;
  m.WriteFile(kRoot + u"Zorvex7\\Zorvex7.exe", "program");
  m.WriteFile(u"C:\\Users\\Player\\Documents\\Macros\\mine.mcr", "the player's own");
  m.WriteFile(u"C:\\Users\\Player\\Documents\\notes.txt", "the player's own");
  std::error_code ec;
  fs::create_directory_symlink(m.HostPath(u"C:\\Users\\Player\\Documents\\Macros"),
                               m.HostPath(kRoot + u"Zorvex7\\Macros"), ec);
  ASSERT_FALSE(ec) << ec.message();
  fs::create_symlink(m.HostPath(u"C:\\Users\\Player\\Documents\\notes.txt"), m.HostPath(kRoot + u"notes.txt"), ec);
  ASSERT_FALSE(ec) << ec.message();

  RemoveInstallFolder(kRoot, FolderRemovalFor(u"Zorvex3", true), WorkerOutputs());
  EXPECT_EQ(Remaining(m), (std::set<std::string>{"Zorvex7\\"}));
  EXPECT_EQ(m.ReadFile(u"C:\\Users\\Player\\Documents\\Macros\\mine.mcr"), "the player's own");
  EXPECT_EQ(m.ReadFile(u"C:\\Users\\Player\\Documents\\notes.txt"), "the player's own");
}

TEST(FolderRemoval, FoldersThatAreNotOursAreNeverCleared) {
  namespace fs = std::filesystem;
  TempMachine m;
  m.WriteFile(kRoot + u"Zorvex7\\Zorvex7.exe", "program");
  m.WriteFile(u"C:\\Windows\\win.ini", "system");
  m.WriteFile(u"C:\\Users\\Player\\Documents\\notes.txt", "the player's own");
  m.MakeFolder(u"C:\\ProgramData\\Zorvex7");
  m.MakeFolder(u"C:\\Games");
  std::error_code ec;
  fs::create_directory_symlink(m.HostPath(u"C:\\Users\\Player"), m.HostPath(u"C:\\Games\\Linked"), ec);
  ASSERT_FALSE(ec) << ec.message();

  struct Case {
    const char16_t* folder;
    bool removable;
  } cases[] = {
      {u"", false},
      {u"C:", false},
      {u"C:\\", false},
      {u"c:\\windows", false},
      {u"C:\\Windows\\", false},
      {u"C:\\Program Files", false},
      {u"C:\\Program Files (x86)", false},
      {u"C:\\PROGRAM FILES (X86)\\", false},
      {u"D:\\Program Files", false},
      {u"C:\\ProgramData", false},
      {u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs", false},
      {u"C:\\Users", false},
      {u"C:\\Users\\Player", false},
      {u"C:\\Users\\Public\\Desktop", false},
      {u"C:\\Program Files (x86)\\..\\Windows", false},
      {u"C:\\Program Files (x86)\\.\\Zorvex7", false},
      {u"C:\\Program Files (x86)\\\\Zorvex7", false},
      {u"C:/Program Files (x86)/Zorvex7", false},
      {u"\\\\server\\share\\Zorvex7", false},
      {u"Zorvex7", false},
      {u"C:\\Program Files (x86)\\Missing", false},
      {u"C:\\Program Files (x86)\\Zorvex7\\Zorvex7\\Zorvex7.exe", false},
      {u"C:\\Games\\Linked", false},
      {u"C:\\Program Files (x86)\\Zorvex7", true},
      {u"C:\\Program Files (x86)\\Zorvex7\\", true},
      {u"C:\\ProgramData\\Zorvex7\\", true},
      {u"C:\\Games", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsRemovableInstallFolder(c.folder), c.removable) << U(c.folder);

  for (const char16_t* folder : {u"C:\\", u"C:\\Windows", u"C:\\Users\\Player", u"C:\\Games\\Linked"})
    RemoveInstallFolder(folder, FolderRemovalFor(u"Zorvex3", true), WorkerOutputs());
  EXPECT_EQ(m.ReadFile(u"C:\\Windows\\win.ini"), "system");
  EXPECT_EQ(m.ReadFile(u"C:\\Users\\Player\\Documents\\notes.txt"), "the player's own");
  EXPECT_TRUE(m.Exists(kRoot + u"Zorvex7\\Zorvex7.exe"));
}

}  // namespace
