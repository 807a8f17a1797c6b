// Folder tree copies, emptying, counting, listing, folder chains and the bar.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/files.h"
#include "platform/sim/file_hooks.h"
#include "support/sim_machine.h"
#include "util/folder_links.h"
#include "util/xfunctions.h"
#include "util_recorders.h"

namespace {

namespace fs = std::filesystem;
using zxtest::BarRecorder;
using zxtest::StatusRecorder;
using zxtest::TempMachine;

const String kExists = u"The file exists.";

std::string Narrow(const String& text) { return win::ToUtf8(text); }

class FolderTreeTest : public ::testing::Test {
 protected:
  // A junction or symbolic link on the machine: link -> target (both Windows paths).
  void MakeLink(const String& link, const String& target) {
    const std::string hostLink = machine.HostPath(link);
    fs::create_symlink(machine.HostPath(target), hostLink);
    ASSERT_NE(win::GetFileAttributes(link) & win::kFileAttributeReparsePoint, 0u);
  }
  uint32_t Attributes(const String& path) { return win::GetFileAttributes(path); }

  TempMachine machine;
};

TEST_F(FolderTreeTest, CopyMirrorsTheTreeWithEmptyFoldersAndReportsEachFile) {
  machine.WriteFile(u"C:\\Src\\top.txt", "top");
  machine.WriteFile(u"C:\\Src\\a\\b\\deep.bin", "deep");
  machine.MakeFolder(u"C:\\Src\\empty");
  machine.MakeFolder(u"C:\\Src\\a\\emptier");
  machine.MakeFolder(u"C:\\Dst");
  machine.WriteFile(u"C:\\Dst\\top.txt", "older and longer");  // overwritten
  StatusRecorder status;
  BarRecorder bar;

  CopyFolderTree(u"C:\\Src\\", u"C:\\Dst\\", &status, false, u"", &bar);

  EXPECT_EQ(machine.ReadFile(u"C:\\Dst\\top.txt"), "top");
  EXPECT_EQ(machine.ReadFile(u"C:\\Dst\\a\\b\\deep.bin"), "deep");
  EXPECT_TRUE(win::DirectoryExists(u"C:\\Dst\\empty"));
  EXPECT_TRUE(win::DirectoryExists(u"C:\\Dst\\a\\emptier"));
  StringList shown = status.texts;
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ(shown, (StringList{u"C:\\Dst\\a\\b\\deep.bin", u"C:\\Dst\\top.txt"}));
  EXPECT_EQ(bar.position, 2);
}

TEST_F(FolderTreeTest, SkipNameLeavesOutThatFolderAtEveryDepthButNotAFileOrOtherCase) {
  machine.WriteFile(u"C:\\Src\\DefaultLog\\log1.txt", "x");
  machine.WriteFile(u"C:\\Src\\a\\DefaultLog\\log2.txt", "x");
  machine.WriteFile(u"C:\\Src\\b\\DefaultLog", "a file of that name");
  machine.WriteFile(u"C:\\Src\\c\\defaultlog\\kept.txt", "x");
  machine.MakeFolder(u"C:\\Dst");

  CopyFolderTree(u"C:\\Src\\", u"C:\\Dst\\", nullptr, false, u"DefaultLog", nullptr);

  EXPECT_FALSE(machine.Exists(u"C:\\Dst\\DefaultLog"));
  EXPECT_FALSE(machine.Exists(u"C:\\Dst\\a\\DefaultLog"));
  EXPECT_TRUE(win::DirectoryExists(u"C:\\Dst\\a"));
  EXPECT_EQ(machine.ReadFile(u"C:\\Dst\\b\\DefaultLog"), "a file of that name");
  EXPECT_EQ(machine.ReadFile(u"C:\\Dst\\c\\defaultlog\\kept.txt"), "x");
}

TEST_F(FolderTreeTest, CopiesHaveNormalAttributesWhateverTheSourceHad) {
  machine.WriteFile(u"C:\\Src\\ro.txt", "ro");
  machine.WriteFile(u"C:\\Src\\hidden.txt", "h");
  // A file in a compressed folder reports none of the low attribute bits.
  machine.WriteFile(u"C:\\Src\\packed.txt", "p");
  ASSERT_TRUE(win::SetFileAttributes(u"C:\\Src\\ro.txt", win::kFileAttributeReadOnly));
  ASSERT_TRUE(win::SetFileAttributes(u"C:\\Src\\hidden.txt",
                                     win::kFileAttributeHidden | win::kFileAttributeSystem));
  ASSERT_TRUE(sim::SetFileAttributesRaw(u"C:\\Src\\packed.txt", win::kFileAttributeCompressed));
  machine.MakeFolder(u"C:\\Dst");
  BarRecorder bar;

  CopyFolderTree(u"C:\\Src\\", u"C:\\Dst\\", nullptr, false, u"", &bar);

  for (const String name : {u"ro.txt", u"hidden.txt"}) {
    EXPECT_EQ(Attributes(u"C:\\Dst\\" + name), win::kFileAttributeNormal) << Narrow(name);
  }
  EXPECT_EQ(machine.ReadFile(u"C:\\Dst\\packed.txt"), "p");
  EXPECT_EQ(Attributes(u"C:\\Src\\ro.txt") & win::kFileAttributeReadOnly, 1u);
  EXPECT_EQ(bar.position, 3);
  EXPECT_EQ(CountFolderEntries(u"C:\\Src"), 3);
}

// Source tree of the failure tests (the machine lists names in upper-case
// ordinal order): a.txt, b.txt, sub\x.txt, sub\y.txt, z.txt.
class CopyFailureTest : public FolderTreeTest {
 protected:
  void SetUp() override {
    for (const String name : {u"a.txt", u"b.txt", u"sub\\x.txt", u"sub\\y.txt", u"z.txt"})
      machine.WriteFile(u"C:\\Src\\" + name, "new");
    machine.MakeFolder(u"C:\\Dst\\sub");
  }
  bool Copied(const String& name) { return machine.ReadFile(u"C:\\Dst\\" + name) == "new"; }
};

TEST_F(CopyFailureTest, ListFailuresListsEveryExistingFileAtAnyDepthAndCopiesTheRest) {
  machine.WriteFile(u"C:\\Dst\\a.txt", "old");
  machine.WriteFile(u"C:\\Dst\\sub\\y.txt", "old");
  StringList failures{u"earlier line"};
  BarRecorder bar;

  CopyFolderTreeListFailures(u"C:\\Src\\", u"C:\\Dst\\", nullptr, failures, true, u"", &bar);

  EXPECT_EQ(failures, (StringList{u"earlier line", u"C:\\Src\\a.txt,C:\\Dst\\a.txt",
                                  u"C:\\Src\\sub\\y.txt,C:\\Dst\\sub\\y.txt"}));
  EXPECT_EQ(machine.ReadFile(u"C:\\Dst\\a.txt"), "old");
  EXPECT_TRUE(Copied(u"b.txt") && Copied(u"sub\\x.txt") && Copied(u"z.txt"));
  EXPECT_EQ(bar.position, 5);  // failed copies still step the bar
}

TEST_F(CopyFailureTest, StopOnErrorStopsTheLevelAtTheFirstFailure) {
  machine.WriteFile(u"C:\\Dst\\b.txt", "old");
  String error = u"left over from an earlier call";
  BarRecorder bar;

  CopyFolderTreeStopOnError(u"C:\\Src\\", u"C:\\Dst\\", nullptr, error, true, u"", &bar);

  EXPECT_EQ(error, kExists);
  EXPECT_TRUE(Copied(u"a.txt"));
  EXPECT_EQ(machine.ReadFile(u"C:\\Dst\\b.txt"), "old");
  EXPECT_FALSE(Copied(u"sub\\x.txt") || Copied(u"z.txt"));
  EXPECT_EQ(bar.position, 1);  // no step for the failed file
}

TEST_F(CopyFailureTest, StopOnErrorReportsANestedFailureAndKeepsTheFirst) {
  machine.WriteFile(u"C:\\Dst\\sub\\x.txt", "old");
  ASSERT_TRUE(sim::SetFileLocked(u"C:\\Src\\z.txt", true));  // a second, different failure
  String error;

  CopyFolderTreeStopOnError(u"C:\\Src\\", u"C:\\Dst\\", nullptr, error, true, u"", nullptr);

  EXPECT_EQ(error, kExists);
  EXPECT_FALSE(Copied(u"sub\\y.txt"));  // the sub-folder level stopped
  EXPECT_TRUE(Copied(u"a.txt") && Copied(u"b.txt"));
  EXPECT_FALSE(Copied(u"z.txt"));
}

TEST_F(CopyFailureTest, StopOnErrorLeavesTheTextEmptyOnSuccess) {
  String error = u"stale";
  CopyFolderTreeStopOnError(u"C:\\Src\\", u"C:\\Dst\\", nullptr, error, false, u"", nullptr);
  EXPECT_EQ(error, u"");
  EXPECT_TRUE(Copied(u"sub\\y.txt") && Copied(u"z.txt"));
}

TEST_F(FolderTreeTest, MissingSourceCopiesNothingAndReportsNothing) {
  machine.MakeFolder(u"C:\\Dst");
  String error;
  StringList failures;
  CopyFolderTreeStopOnError(u"C:\\Nowhere\\", u"C:\\Dst\\", nullptr, error, false, u"", nullptr);
  CopyFolderTreeListFailures(u"C:\\Nowhere\\", u"C:\\Dst\\", nullptr, failures, false, u"",
                             nullptr);
  EXPECT_EQ(error, u"");
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(CountFolderEntries(u"C:\\Dst"), 0);
}

TEST(StepProgressTest, StepsByOneAndWrapsFromHundredToOne) {
  struct Case {
    int start;
    std::vector<int> history;
  };
  for (const Case& c : {Case{0, {1}}, Case{99, {100}}, Case{100, {0, 1}}, Case{42, {43}}}) {
    BarRecorder bar(c.start);
    StepProgress(&bar);
    EXPECT_EQ(bar.history, c.history) << "from " << c.start;
  }
  StepProgress(nullptr);
}

TEST_F(FolderTreeTest, CopyStepsTheBarAroundTheTop) {
  for (const String name : {u"1", u"2", u"3"}) machine.WriteFile(u"C:\\Src\\" + name, "x");
  machine.MakeFolder(u"C:\\Dst");
  BarRecorder bar(99);
  CopyFolderTree(u"C:\\Src\\", u"C:\\Dst\\", nullptr, false, u"", &bar);
  EXPECT_EQ(bar.history, (std::vector<int>{100, 0, 1, 2}));
}

TEST_F(FolderTreeTest, DeleteFolderContentsEmptiesTheTreeAndKeepsTheFolder) {
  machine.WriteFile(u"C:\\X\\one.txt", "1");
  machine.WriteFile(u"C:\\X\\two.txt", "2");
  machine.WriteFile(u"C:\\X\\sub\\deeper\\three.txt", "3");
  machine.WriteFile(u"C:\\X\\sub\\secret.txt", "4");
  machine.MakeFolder(u"C:\\X\\empty");
  ASSERT_TRUE(win::SetFileAttributes(u"C:\\X\\sub\\secret.txt",
                                     win::kFileAttributeHidden | win::kFileAttributeSystem));
  ASSERT_TRUE(sim::SetFileAttributesRaw(u"C:\\X\\two.txt", win::kFileAttributeEncrypted));
  StatusRecorder status;
  BarRecorder bar;

  DeleteFolderContents(u"C:\\X\\", &status, &bar);

  EXPECT_TRUE(win::DirectoryExists(u"C:\\X"));
  EXPECT_EQ(CountFolderEntries(u"C:\\X\\"), 0);
  // Only the files directly in X show up and move the bar.
  StringList shown = status.texts;
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ(shown, (StringList{u"C:\\X\\one.txt", u"C:\\X\\two.txt"}));
  EXPECT_EQ(bar.position, 2);
}

TEST_F(FolderTreeTest, DeleteFolderContentsRemovesLinksButNeverWhatTheyPointAt) {
  machine.WriteFile(u"C:\\Keep\\inside\\precious.txt", "mine");
  machine.WriteFile(u"C:\\Keep\\single.txt", "mine too");
  machine.WriteFile(u"C:\\X\\own.txt", "x");
  machine.MakeFolder(u"C:\\X\\nested");
  MakeLink(u"C:\\X\\junction", u"C:\\Keep");
  MakeLink(u"C:\\X\\nested\\filelink.txt", u"C:\\Keep\\single.txt");

  DeleteFolderContents(u"C:\\X\\", nullptr, nullptr);

  EXPECT_EQ(CountFolderEntries(u"C:\\X"), 0);
  EXPECT_EQ(machine.ReadFile(u"C:\\Keep\\inside\\precious.txt"), "mine");
  EXPECT_EQ(machine.ReadFile(u"C:\\Keep\\single.txt"), "mine too");
}

TEST_F(FolderTreeTest, DeleteFolderContentsLeavesAReadOnlyFileAndItsFolder) {
  machine.WriteFile(u"C:\\X\\sub\\ro.txt", "ro");
  machine.WriteFile(u"C:\\X\\gone.txt", "x");
  ASSERT_TRUE(win::SetFileAttributes(u"C:\\X\\sub\\ro.txt", win::kFileAttributeReadOnly));

  DeleteFolderContents(u"C:\\X\\", nullptr, nullptr);

  EXPECT_EQ(machine.ReadFile(u"C:\\X\\sub\\ro.txt"), "ro");
  EXPECT_FALSE(machine.Exists(u"C:\\X\\gone.txt"));
}

TEST_F(FolderTreeTest, CountFolderEntriesCountsOneLevelWithOrWithoutSeparator) {
  machine.WriteFile(u"C:\\C\\a.txt", "");
  machine.WriteFile(u"C:\\C\\.hidden", "");
  machine.WriteFile(u"C:\\C\\sub\\deep.txt", "");
  EXPECT_EQ(CountFolderEntries(u"C:\\C"), 3);
  EXPECT_EQ(CountFolderEntries(u"C:\\C\\"), 3);
  EXPECT_EQ(CountFolderEntries(u"C:\\C\\sub"), 1);
  EXPECT_EQ(CountFolderEntries(u"C:\\Missing"), 0);
}

TEST_F(FolderTreeTest, ListFolderEntriesByKindExtensionAndExclusion) {
  machine.WriteFile(u"C:\\L\\a.xlsx", "");
  machine.WriteFile(u"C:\\L\\B.XLSX", "");
  machine.WriteFile(u"C:\\L\\c.xls", "");
  machine.WriteFile(u"C:\\L\\noext", "");
  machine.MakeFolder(u"C:\\L\\sheets.xlsx");
  machine.MakeFolder(u"C:\\L\\English");
  struct Case {
    const char16_t* folder;
    const char16_t* kind;
    const char16_t* extension;
    const char16_t* exclude;
    StringList expected;
  };
  const Case cases[] = {
      {u"C:\\L", u"File", u".XLSX", u"", {u"a.xlsx", u"B.XLSX", u"sheets.xlsx"}},
      {u"C:\\L\\", u"File", u".xlsx", u"B.XLSX", {u"a.xlsx", u"sheets.xlsx"}},
      {u"C:\\L", u"File", u"", u"", {u"English", u"noext"}},
      {u"C:\\L", u"Folder", u".xlsx", u"", {u"English", u"sheets.xlsx"}},
      {u"C:\\L", u"Folder", u"", u"English", {u"sheets.xlsx"}},
      {u"C:\\L", u"file", u".xlsx", u"", {}},
      {u"C:\\Missing", u"Folder", u"", u"", {}},
  };
  for (const Case& c : cases) {
    StringList list{u"kept"};
    const int added = ListFolderEntries(c.folder, c.kind, c.extension, list, c.exclude);
    StringList expected{u"kept"};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    std::sort(list.begin() + 1, list.end());
    std::sort(expected.begin() + 1, expected.end());
    EXPECT_EQ(added, static_cast<int>(c.expected.size())) << Narrow(c.kind) << Narrow(c.extension);
    EXPECT_EQ(list, expected) << Narrow(c.kind) << " " << Narrow(c.extension);
  }
}

TEST(ForceFolderChainTest, CreatesExactlyTheMissingFolders) {
  struct Case {
    const char16_t* path;
    const char16_t* base;
    StringList existing;  // made first
    StringList expected;  // folders that must exist afterwards
    StringList absent;    // folders that must not
  };
  const Case cases[] = {
      // A path naming a file: its folder is the end of the chain.
      {u"C:\\A\\B\\C\\file.txt", u"C:\\A", {u"C:\\A"}, {u"C:\\A\\B\\C"}, {u"C:\\A\\B\\C\\file.txt"}},
      {u"C:\\A\\B\\C\\", u"C:\\A\\", {u"C:\\A"}, {u"C:\\A\\B\\C"}, {}},
      // The base folder itself is created when the walk reaches it missing.
      {u"C:\\A\\B", u"C:\\A", {}, {u"C:\\A\\B"}, {}},
      // A base that is not an ancestor: up to the first existing folder.
      {u"C:\\P\\Q\\R", u"C:\\Elsewhere", {u"C:\\P"}, {u"C:\\P\\Q\\R"}, {u"C:\\Elsewhere"}},
      {u"C:\\New\\Chain", u"D:\\Other", {}, {u"C:\\New\\Chain"}, {}},
  };
  for (const Case& c : cases) {
    TempMachine fresh;
    for (const String& folder : c.existing) fresh.MakeFolder(folder);
    ForceFolderChain(c.path, c.base, false);
    for (const String& folder : c.expected)
      EXPECT_TRUE(win::DirectoryExists(folder)) << Narrow(c.path) << ": " << Narrow(folder);
    for (const String& folder : c.absent)
      EXPECT_FALSE(fresh.Exists(folder)) << Narrow(c.path) << ": " << Narrow(folder);
  }
}

TEST_F(FolderTreeTest, ForceFolderChainEmptyFirstEmptiesTheFolderOrCreatesTheChain) {
  machine.WriteFile(u"C:\\Data\\Zorvex\\Templates\\old\\device.dat", "old");
  machine.WriteFile(u"C:\\Data\\Zorvex\\sibling.txt", "stays");

  ForceFolderChain(u"C:\\Data\\Zorvex\\Templates\\", u"C:\\Data", true);
  ForceFolderChain(u"C:\\Data\\Other\\Uninst\\", u"C:\\Data\\", true);

  EXPECT_TRUE(win::DirectoryExists(u"C:\\Data\\Zorvex\\Templates"));
  EXPECT_EQ(CountFolderEntries(u"C:\\Data\\Zorvex\\Templates"), 0);
  EXPECT_EQ(machine.ReadFile(u"C:\\Data\\Zorvex\\sibling.txt"), "stays");
  EXPECT_TRUE(win::DirectoryExists(u"C:\\Data\\Other\\Uninst"));
}

TEST_F(FolderTreeTest, ForceFolderChainNeverEmptiesOrWalksPastTheDriveRoot) {
  machine.WriteFile(u"C:\\marker.txt", "root file");
  machine.WriteFile(u"C:\\Folder\\inner.txt", "inner");
  for (const char16_t* path : {u"C:\\", u"C:", u""}) {
    ForceFolderChain(path, u"C:\\Base", true);
    ForceFolderChain(path, u"D:\\Base", true);
  }
  EXPECT_EQ(machine.ReadFile(u"C:\\marker.txt"), "root file");
  EXPECT_EQ(machine.ReadFile(u"C:\\Folder\\inner.txt"), "inner");
  EXPECT_FALSE(machine.Exists(u"C:\\Base"));
}

// A folder handed over as a link, or reached through one on the way from the
// base, is left as it is: nothing below its target is emptied or created.
TEST_F(FolderTreeTest, AFolderThatIsOrLiesBehindALinkIsNeitherEmptiedNorCreated) {
  machine.WriteFile(u"C:\\Users\\Bob\\Documents\\letter.txt", "dear");
  machine.MakeFolder(u"C:\\Data\\Real");
  MakeLink(u"C:\\Data\\Zorvex", u"C:\\Users\\Bob\\Documents");
  MakeLink(u"C:\\Data\\Real\\Templates", u"C:\\Users\\Bob\\Documents");

  DeleteFolderContents(u"C:\\Data\\Zorvex\\", nullptr, nullptr);
  ForceFolderChain(u"C:\\Data\\Real\\Templates\\", u"C:\\Data", true);
  ForceFolderChain(u"C:\\Data\\Zorvex\\bin\\uninst\\", u"C:\\Data", false);
  ForceFolderChain(u"C:\\Data\\Zorvex\\bin\\uninst\\", u"C:\\Data", true);

  EXPECT_EQ(machine.ReadFile(u"C:\\Users\\Bob\\Documents\\letter.txt"), "dear");
  EXPECT_FALSE(machine.Exists(u"C:\\Users\\Bob\\Documents\\bin"));
  EXPECT_NE(Attributes(u"C:\\Data\\Zorvex") & win::kFileAttributeReparsePoint, 0u);
}

TEST_F(FolderTreeTest, LinkOnFolderChainNamesTheFirstLinkBelowTheBase) {
  machine.MakeFolder(u"C:\\Base\\A\\B");
  machine.MakeFolder(u"C:\\Elsewhere\\B");
  MakeLink(u"C:\\Base\\L", u"C:\\Elsewhere");
  MakeLink(u"C:\\LinkedBase", u"C:\\Base");
  struct Case {
    const char16_t* folder;
    const char16_t* base;
    const char16_t* link;
  } cases[] = {
      {u"C:\\Base\\A\\B\\", u"C:\\Base", u""},
      {u"C:\\Base\\L\\B", u"C:\\Base", u"C:\\Base\\L"},
      {u"C:\\Base\\L", u"C:\\Base\\", u"C:\\Base\\L"},
      {u"C:\\Base\\L\\B\\missing\\", u"C:\\Base", u"C:\\Base\\L"},
      // The base itself is not looked at; a base that is no ancestor checks
      // the whole way up.
      {u"C:\\LinkedBase\\A", u"C:\\LinkedBase", u""},
      {u"C:\\LinkedBase\\A", u"C:\\Other", u"C:\\LinkedBase"},
      {u"C:\\base\\l\\B", u"C:\\BASE", u"C:\\base\\l"},
  };
  for (const Case& c : cases) EXPECT_EQ(Narrow(LinkOnFolderChain(c.folder, c.base)), Narrow(c.link)) << Narrow(c.folder);
}

TEST_F(FolderTreeTest, RemoveLinksInTreeRemovesEveryLinkAndNothingOfTheirTargets) {
  machine.WriteFile(u"C:\\Other\\App\\app.exe", "app");
  machine.WriteFile(u"C:\\Root\\keep.txt", "keep");
  machine.MakeFolder(u"C:\\Root\\deep\\er");
  MakeLink(u"C:\\Root\\evil", u"C:\\Other\\App");
  MakeLink(u"C:\\Root\\deep\\er\\file.lnk", u"C:\\Other\\App\\app.exe");

  RemoveLinksInTree(u"C:\\Root");

  EXPECT_FALSE(machine.Exists(u"C:\\Root\\evil"));
  EXPECT_FALSE(machine.Exists(u"C:\\Root\\deep\\er\\file.lnk"));
  EXPECT_EQ(machine.ReadFile(u"C:\\Root\\keep.txt"), "keep");
  EXPECT_EQ(machine.ReadFile(u"C:\\Other\\App\\app.exe"), "app");
}

// The trace names a link as removed only when it is gone; one the account may
// not delete is named as left, with the system's reason.
TEST_F(FolderTreeTest, RemoveLinksInTreeTellsALinkItCouldNotRemoveFromOneItRemoved) {
  machine.WriteFile(u"C:\\Other\\App\\app.exe", "app");
  machine.MakeFolder(u"C:\\Root");
  MakeLink(u"C:\\Root\\evil", u"C:\\Other\\App");
  {
    // A standard user may read C:\Root but delete nothing in it.
    zxtest::RunAsUser alice(u"Alice");
    RemoveLinksInTree(u"C:\\Root");
  }
  EXPECT_TRUE(machine.Exists(u"C:\\Root\\evil"));
  const std::string log = machine.ToolLog();
  EXPECT_EQ(log.find("Removed a link"), std::string::npos) << log;
  EXPECT_NE(log.find("debug: Could not remove a link inside a folder whose rights are set: C:\\Root\\evil ("),
            std::string::npos)
      << log;

  RemoveLinksInTree(u"C:\\Root");
  EXPECT_FALSE(machine.Exists(u"C:\\Root\\evil"));
  EXPECT_NE(machine.ToolLog().find("debug: Removed a link inside a folder whose rights are set: C:\\Root\\evil"),
            std::string::npos);
}

// A half-made copy that a killed process left under its temporary name is no
// data: copies and listings pass it by, emptying the folder removes it.
TEST_F(FolderTreeTest, ALeftoverCopyIsNeverCopiedOrListedAndGoesWithItsFolder) {
  machine.WriteFile(u"C:\\Saved\\Profile1.ini", "p1");
  machine.WriteFile(u"C:\\Saved\\.zxtmp-1234-7", "half");
  machine.WriteFile(u"C:\\Saved\\sub\\.zxtmp-AbC123", "half");
  machine.MakeFolder(u"C:\\Restored");

  CopyFolderTree(u"C:\\Saved\\", u"C:\\Restored\\", nullptr, false, u"", nullptr);
  StringList files;
  ListFolderEntries(u"C:\\Saved", u"File", u"", files, u"");

  EXPECT_TRUE(machine.Exists(u"C:\\Restored\\Profile1.ini"));
  EXPECT_FALSE(machine.Exists(u"C:\\Restored\\.zxtmp-1234-7"));
  EXPECT_FALSE(machine.Exists(u"C:\\Restored\\sub\\.zxtmp-AbC123"));
  EXPECT_EQ(CountFolderEntries(u"C:\\Saved"), 2);  // Profile1.ini and sub
  DeleteFolderContents(u"C:\\Saved\\", nullptr, nullptr);
  EXPECT_FALSE(machine.Exists(u"C:\\Saved\\.zxtmp-1234-7"));
  EXPECT_FALSE(machine.Exists(u"C:\\Saved\\sub"));
}

TEST_F(FolderTreeTest, FindInSubfoldersPrefersTheFirstSubfolder) {
  machine.WriteFile(u"C:\\Base\\First\\both.ini", "1");
  machine.WriteFile(u"C:\\Base\\Second\\both.ini", "2");
  machine.WriteFile(u"C:\\Base\\Second\\only2.ini", "2");
  machine.MakeFolder(u"C:\\Base\\First\\folder.ini");
  struct Case {
    const char16_t* name;
    const char16_t* expected;
  };
  for (const Case& c : {Case{u"both.ini", u"C:\\Base\\First\\both.ini"},
                        Case{u"only2.ini", u"C:\\Base\\Second\\only2.ini"},
                        Case{u"folder.ini", u""}, Case{u"none.ini", u""}}) {
    EXPECT_EQ(FindInSubfolders(u"C:\\Base\\", u"Second", u"First", c.name), c.expected)
        << Narrow(c.name);
  }
}

}  // namespace
