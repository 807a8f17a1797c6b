#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "platform/sim/file_hooks.h"
#include "platform/sim/machine.h"
#include "support/sim_machine.h"

using namespace win;
using zxtest::TempMachine;

namespace {

std::vector<FindData> FindAll(const String& pattern, uint32_t* error = nullptr) {
  std::vector<FindData> out;
  FindFile find;
  FindData data;
  if (!find.First(pattern, data)) {
    if (error) *error = GetLastError();
    return out;
  }
  do out.push_back(data);
  while (find.Next(data));
  if (error) *error = GetLastError();
  return out;
}

std::vector<String> Names(const std::vector<FindData>& entries) {
  std::vector<String> names;
  for (const auto& e : entries) names.push_back(e.name);
  return names;
}

TEST(FileAttributes, AreReportedAsWindowsReportsThem) {
  TempMachine m;
  m.WriteFile(u"C:\\D\\f.txt", "x");
  m.MakeFolder(u"C:\\D\\Sub");
  EXPECT_EQ(GetFileAttributes(u"C:\\D\\f.txt"), kFileAttributeArchive);  // as freshly created
  EXPECT_EQ(GetFileAttributes(u"c:\\d\\SUB"), kFileAttributeDirectory);
  EXPECT_EQ(GetFileAttributes(u"C:\\"), kFileAttributeDirectory);

  struct Case {
    uint32_t set, expectFile, expectFolder;
  } cases[] = {
      {kFileAttributeNormal, kFileAttributeNormal, kFileAttributeDirectory},
      {kFileAttributeReadOnly | kFileAttributeHidden, 0x3, 0x13},
      {kFileAttributeSystem | kFileAttributeArchive, 0x24, 0x34},
      {kFileAttributeCompressed | kFileAttributeHidden, kFileAttributeHidden, 0x12},  // compression is not settable
      {0, kFileAttributeNormal, kFileAttributeDirectory},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(SetFileAttributes(u"C:\\D\\f.txt", c.set));
    EXPECT_TRUE(SetFileAttributes(u"C:\\D\\Sub", c.set));
    EXPECT_EQ(GetFileAttributes(u"C:\\D\\F.TXT"), c.expectFile) << c.set;
    EXPECT_EQ(GetFileAttributes(u"C:\\D\\Sub"), c.expectFolder) << c.set;
  }
  // A file in a compressed folder may carry none of the low attribute bits.
  ASSERT_TRUE(sim::SetFileAttributesRaw(u"C:\\D\\f.txt", kFileAttributeCompressed));
  EXPECT_EQ(GetFileAttributes(u"C:\\D\\f.txt"), kFileAttributeCompressed);
  EXPECT_TRUE(FileExists(u"C:\\D\\f.txt"));

  EXPECT_EQ(GetFileAttributes(u"C:\\D\\missing.txt"), kInvalidFileAttributes);
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);
  EXPECT_EQ(GetFileAttributes(u"C:\\Nowhere\\missing.txt"), kInvalidFileAttributes);
  EXPECT_EQ(GetLastError(), kErrorPathNotFound);
  EXPECT_FALSE(SetFileAttributes(u"C:\\Nowhere\\x", kFileAttributeNormal));
  EXPECT_EQ(GetLastError(), kErrorPathNotFound);
}

TEST(FileAttributes, ReadOnlyRefusesDeleteAndOverwriteUntilCleared) {
  TempMachine m;
  m.WriteFile(u"C:\\D\\ro.txt", "old");
  m.WriteFile(u"C:\\D\\new.txt", "new");
  m.MakeFolder(u"C:\\D\\RoFolder");
  ASSERT_TRUE(SetFileAttributes(u"C:\\D\\ro.txt", kFileAttributeReadOnly));
  ASSERT_TRUE(SetFileAttributes(u"C:\\D\\RoFolder", kFileAttributeReadOnly));

  EXPECT_FALSE(DeleteFile(u"C:\\D\\ro.txt"));
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);
  EXPECT_FALSE(CopyFile(u"C:\\D\\new.txt", u"C:\\D\\ro.txt", false));
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);
  EXPECT_FALSE(WriteFileBytes(u"C:\\D\\ro.txt", "new"));
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);
  EXPECT_EQ(m.ReadFile(u"C:\\D\\ro.txt"), "old");
  EXPECT_FALSE(RemoveDirectory(u"C:\\D\\RoFolder"));
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);
  // Files may still be created inside a read-only folder, as on Windows.
  EXPECT_TRUE(WriteFileBytes(u"C:\\D\\RoFolder\\inside.txt", "ok"));

  ASSERT_TRUE(SetFileAttributes(u"C:\\D\\ro.txt", kFileAttributeNormal));
  EXPECT_TRUE(CopyFile(u"C:\\D\\new.txt", u"C:\\D\\ro.txt", false));
  EXPECT_EQ(m.ReadFile(u"C:\\D\\ro.txt"), "new");
  EXPECT_TRUE(DeleteFile(u"C:\\D\\ro.txt"));
  EXPECT_FALSE(m.Exists(u"C:\\D\\ro.txt"));
}

TEST(CopyFile, KeepsTimeAttributesAndModeAndHonoursFailIfExists) {
  TempMachine m;
  m.WriteFile(u"C:\\Src\\Setup.exe", "program");
  std::string host = m.HostPath(u"C:\\Src\\Setup.exe");
  ASSERT_EQ(chmod(host.c_str(), 0755), 0);
  struct timespec times[2] = {{0, UTIME_OMIT}, {981173106, 789000000}};  // 2001-02-03 04:05:06.789 UTC
  ASSERT_EQ(utimensat(AT_FDCWD, host.c_str(), times, 0), 0);
  ASSERT_TRUE(SetFileAttributes(u"C:\\Src\\Setup.exe", kFileAttributeReadOnly | kFileAttributeHidden));
  m.MakeFolder(u"C:\\Dst");

  ASSERT_TRUE(CopyFile(u"c:\\src\\setup.exe", u"C:\\Dst\\Setup.exe", true));
  EXPECT_EQ(m.ReadFile(u"C:\\Dst\\Setup.exe"), "program");
  EXPECT_EQ(GetFileAttributes(u"C:\\Dst\\Setup.exe"), kFileAttributeReadOnly | kFileAttributeHidden);
  SystemTime t;
  ASSERT_TRUE(GetFileLastWriteTime(u"C:\\Dst\\Setup.exe", t));
  EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.dayOfWeek, t.hour, t.minute, t.second, t.milliseconds}),
            std::vector<int>({2001, 2, 3, 6, 4, 5, 6, 789}));
  struct stat st;
  ASSERT_EQ(stat(m.HostPath(u"C:\\Dst\\Setup.exe").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);  // the copy still runs on the machine

  m.WriteFile(u"C:\\Dst\\plain.txt", "keep");
  m.WriteFile(u"C:\\Dst\\other.txt", "other");
  m.MakeFolder(u"C:\\Dst\\Folder");
  struct Case {
    const char16_t *from, *to;
    bool failIfExists;
    uint32_t error;
  } failures[] = {
      {u"C:\\Dst\\other.txt", u"C:\\Dst\\PLAIN.txt", true, kErrorFileExists},
      {u"C:\\Src\\missing.exe", u"C:\\Dst\\x.exe", false, kErrorFileNotFound},
      {u"C:\\Nowhere\\a.exe", u"C:\\Dst\\x.exe", false, kErrorPathNotFound},
      {u"C:\\Dst\\other.txt", u"C:\\Nowhere\\x.txt", false, kErrorPathNotFound},
      {u"C:\\Dst\\Folder", u"C:\\Dst\\x.txt", false, kErrorAccessDenied},
      {u"C:\\Dst\\other.txt", u"C:\\Dst\\Folder", false, kErrorAccessDenied},
      {u"C:\\Dst\\other.txt", u"C:\\Dst\\OTHER.TXT", false, kErrorSharingViolation},
  };
  for (const Case& c : failures) {
    EXPECT_FALSE(CopyFile(c.from, c.to, c.failIfExists)) << ToUtf8(c.to);
    EXPECT_EQ(GetLastError(), c.error) << ToUtf8(c.from) << " -> " << ToUtf8(c.to);
  }
  EXPECT_EQ(m.ReadFile(u"C:\\Dst\\plain.txt"), "keep");
  EXPECT_EQ(m.ReadFile(u"C:\\Dst\\other.txt"), "other");
  EXPECT_EQ(SysErrorMessage(kErrorFileExists), u"The file exists.");
}

TEST(LockedFiles, RefuseEveryOpenUntilReleased) {
  TempMachine m;
  m.WriteFile(u"C:\\D\\busy.dll", "busy");
  m.WriteFile(u"C:\\D\\new.dll", "new");
  m.MakeFolder(u"C:\\D\\Cwd");
  ASSERT_TRUE(sim::SetFileLocked(u"C:\\D\\busy.dll", true));
  ASSERT_TRUE(sim::SetFileLocked(u"C:\\D\\Cwd", true));
  std::string bytes;
  SystemTime t;
  EXPECT_FALSE(CopyFile(u"C:\\D\\busy.dll", u"C:\\D\\copy.dll", false));
  EXPECT_EQ(GetLastError(), kErrorSharingViolation);
  EXPECT_FALSE(CopyFile(u"C:\\D\\new.dll", u"C:\\D\\busy.dll", false));
  EXPECT_EQ(GetLastError(), kErrorSharingViolation);
  EXPECT_FALSE(DeleteFile(u"C:\\D\\busy.dll"));
  EXPECT_EQ(GetLastError(), kErrorSharingViolation);
  EXPECT_FALSE(ReadFileBytes(u"C:\\D\\busy.dll", bytes));
  EXPECT_FALSE(GetFileLastWriteTime(u"C:\\D\\busy.dll", t));
  EXPECT_FALSE(RemoveDirectory(u"C:\\D\\Cwd"));
  EXPECT_EQ(GetLastError(), kErrorSharingViolation);
  EXPECT_TRUE(FileExists(u"C:\\D\\busy.dll"));  // attributes stay readable
  EXPECT_EQ(SysErrorMessage(kErrorSharingViolation),
            u"The process cannot access the file because it is being used by another process.");

  ASSERT_TRUE(sim::SetFileLocked(u"C:\\D\\busy.dll", false));
  EXPECT_TRUE(CopyFile(u"C:\\D\\new.dll", u"C:\\D\\busy.dll", false));
  EXPECT_TRUE(DeleteFile(u"C:\\D\\busy.dll"));
}

TEST(LockedFiles, KeepTheirAttributesAndLeaveTheLockBehindInACopy) {
  TempMachine m;
  m.WriteFile(u"C:\\D\\plain.cfg", "a");
  m.WriteFile(u"C:\\D\\hidden.cfg", "b");
  ASSERT_TRUE(SetFileAttributes(u"C:\\D\\hidden.cfg", kFileAttributeHidden | kFileAttributeReadOnly));
  m.MakeFolder(u"C:\\Copy");
  struct Case {
    const char16_t* file;
    uint32_t attributes;
  } cases[] = {
      {u"C:\\D\\plain.cfg", kFileAttributeArchive},  // never given any
      {u"C:\\D\\hidden.cfg", kFileAttributeHidden | kFileAttributeReadOnly},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(sim::SetFileLocked(c.file, true));
    EXPECT_EQ(GetFileAttributes(c.file), c.attributes) << ToUtf8(c.file);
    // Attributes are no data: a locked file takes them, and stays locked.
    EXPECT_TRUE(SetFileAttributes(c.file, c.attributes)) << ToUtf8(c.file);
    std::string held;
    EXPECT_FALSE(ReadFileBytes(c.file, held)) << ToUtf8(c.file);
    ASSERT_TRUE(sim::SetFileLocked(c.file, false));
    EXPECT_EQ(GetFileAttributes(c.file), c.attributes) << ToUtf8(c.file);

    // The lock belongs to the open file, not to its contents: a copy made
    // once it is released carries the attributes and no lock.
    const String copy = u"C:\\Copy\\" + ExtractFileName(c.file);
    ASSERT_TRUE(sim::SetFileLocked(c.file, true));
    EXPECT_FALSE(CopyFile(c.file, copy, true));
    ASSERT_TRUE(sim::SetFileLocked(c.file, false));
    ASSERT_TRUE(CopyFile(c.file, copy, true));
    EXPECT_EQ(GetFileAttributes(copy), c.attributes) << ToUtf8(copy);
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(copy, bytes)) << ToUtf8(copy);
  }
}

TEST(Folders, AFolderReplacedByAnotherProgramIsFoundAgain) {
  TempMachine m;
  m.WriteFile(u"C:\\Games\\Data\\old.dat", "old");
  EXPECT_TRUE(FileExists(u"C:\\Games\\Data\\old.dat"));
  EXPECT_FALSE(FileExists(u"C:\\Games\\Data\\new.dat"));
  // Another program removes the folder and makes it anew, with other
  // contents and another spelling; nothing here hears of it.
  const std::string games = m.HostPath(u"C:\\Games");
  std::filesystem::remove_all(games + "/Data");
  std::filesystem::create_directories(games + "/DATA");
  { std::ofstream(games + "/DATA/new.dat") << "new"; }

  EXPECT_FALSE(FileExists(u"C:\\Games\\Data\\old.dat"));
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);
  EXPECT_TRUE(FileExists(u"C:\\Games\\Data\\new.dat"));
  EXPECT_TRUE(CopyFile(u"C:\\Games\\Data\\new.dat", u"C:\\Games\\Data\\copy.dat", true));
  EXPECT_EQ(m.ReadFile(u"C:\\Games\\DATA\\copy.dat"), "new");
  // And once it is gone, the path is missing rather than the file.
  std::filesystem::remove_all(games + "/DATA");
  EXPECT_FALSE(FileExists(u"C:\\Games\\Data\\new.dat"));
  EXPECT_EQ(GetLastError(), kErrorPathNotFound);
  EXPECT_FALSE(CopyFile(u"C:\\Games\\old.dat", u"C:\\Games\\Data\\x.dat", false));
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);
}

TEST(Folders, CreateAndRemoveFollowWindowsRules) {
  TempMachine m;
  m.WriteFile(u"C:\\D\\Full\\f.txt", "x");
  m.WriteFile(u"C:\\D\\file.txt", "x");
  EXPECT_TRUE(CreateDirectory(u"C:\\D\\\x65B0\x5EFA"));  // 新建
  EXPECT_TRUE(DirectoryExists(u"c:\\d\\\x65B0\x5EFA"));
  struct Case {
    bool (*call)(const String&);
    String path;
    uint32_t error;
  } cases[] = {
      {CreateDirectory, u"C:\\d", kErrorAlreadyExists},
      {CreateDirectory, u"C:\\D\\file.txt", kErrorAlreadyExists},
      {CreateDirectory, u"C:\\Nowhere\\New", kErrorPathNotFound},
      {CreateDirectory, u"C:\\" + String(245, u'n'), kErrorFilenameExcedRange},
      {RemoveDirectory, u"C:\\D\\Full", kErrorDirNotEmpty},
      {RemoveDirectory, u"C:\\D\\file.txt", kErrorDirectory},
      {RemoveDirectory, u"C:\\D\\Missing", kErrorFileNotFound},
      {RemoveDirectory, u"C:\\", kErrorAccessDenied},
      {DeleteFile, u"C:\\D\\Full", kErrorAccessDenied},
      {DeleteFile, u"C:\\D\\missing.txt", kErrorFileNotFound},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(c.call(c.path)) << ToUtf8(c.path);
    EXPECT_EQ(GetLastError(), c.error) << ToUtf8(c.path);
  }
  EXPECT_TRUE(DeleteFile(u"C:\\D\\FULL\\F.TXT"));
  EXPECT_TRUE(RemoveDirectory(u"C:\\D\\Full\\"));
  EXPECT_FALSE(DirectoryExists(u"C:\\D\\Full"));
}

TEST(WholeFiles, RoundTripAndRespectThePathLimit) {
  TempMachine m;
  m.MakeFolder(u"C:\\ProgramData\\\x4E2D\x6587");
  const String path = u"C:\\ProgramData\\\x4E2D\x6587\\Installed.log";
  std::string bytes;
  EXPECT_FALSE(ReadFileBytes(path, bytes));
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);
  ASSERT_TRUE(WriteFileBytes(path, std::string("a\0b\xFF", 4)));
  ASSERT_TRUE(WriteFileBytes(u"C:\\PROGRAMDATA\\\x4E2D\x6587\\INSTALLED.LOG", "second"));
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  EXPECT_EQ(bytes, "second");
  EXPECT_EQ(Names(FindAll(u"C:\\ProgramData\\\x4E2D\x6587\\*")),
            (std::vector<String>{u".", u"..", u"Installed.log"}));  // the first-created name stays

  String deep = u"C:\\ProgramData\\" + String(240, u'd') + u"\\file.txt";
  EXPECT_FALSE(WriteFileBytes(deep, "x"));
  EXPECT_EQ(GetLastError(), kErrorPathNotFound);
  EXPECT_FALSE(WriteFileBytes(u"C:\\Nowhere\\x.txt", "x"));
  EXPECT_EQ(GetLastError(), kErrorPathNotFound);
}

TEST(FullDisk, WritesBeyondTheFreeBytesFailWithDiskFullAndLeaveWhatWindowsLeaves) {
  TempMachine m({"freeBytes=100"});
  m.WriteFile(u"C:\\D\\big.bin", std::string(150, 'b'));  // laid in by the test: not counted
  m.WriteFile(u"C:\\D\\small.bin", std::string(60, 's'));
  m.WriteFile(u"C:\\D\\kept.ini", "old");
  EXPECT_EQ(sim::FreeDiskBytes(), 100);

  // A copy that does not fit fails whole: no target, no leftover beside it.
  EXPECT_FALSE(CopyFile(u"C:\\D\\big.bin", u"C:\\E.bin", false));
  EXPECT_EQ(GetLastError(), 112u);
  EXPECT_EQ(SysErrorMessage(112), u"There is not enough space on the disk.");
  EXPECT_FALSE(m.Exists(u"C:\\E.bin"));
  for (const auto& entry : std::filesystem::directory_iterator(m.Dir() + "/drive_c"))
    EXPECT_NE(entry.path().filename().string().rfind(".zxtmp", 0), 0u) << "nothing of the copy is left";
  ASSERT_TRUE(CopyFile(u"C:\\D\\small.bin", u"C:\\E.bin", false));
  EXPECT_EQ(sim::FreeDiskBytes(), 40);
  // Replacing a file needs the new copy's full size while the old one stands.
  EXPECT_FALSE(CopyFile(u"C:\\D\\small.bin", u"C:\\E.bin", false));
  EXPECT_EQ(GetLastError(), 112u);
  EXPECT_EQ(m.ReadFile(u"C:\\E.bin"), std::string(60, 's'));

  // A write in place fails as a whole: an existing file keeps its bytes, a new
  // one is left empty, as CreateFile made it before WriteFile failed.
  EXPECT_FALSE(WriteFileBytes(u"C:\\D\\kept.ini", std::string(50, 'n')));
  EXPECT_EQ(GetLastError(), 112u);
  EXPECT_EQ(m.ReadFile(u"C:\\D\\kept.ini"), "old");
  EXPECT_FALSE(WriteFileBytes(u"C:\\D\\new.ini", std::string(50, 'n')));
  EXPECT_EQ(GetLastError(), 112u);
  EXPECT_TRUE(FileExists(u"C:\\D\\new.ini"));
  EXPECT_EQ(m.ReadFile(u"C:\\D\\new.ini"), "");
  EXPECT_TRUE(WriteFileBytes(u"C:\\D\\kept.ini", std::string(40, 'n')));  // grows by 37
  EXPECT_EQ(sim::FreeDiskBytes(), 3);

  // Deleting and shrinking give the space back; folders take none.
  EXPECT_TRUE(DeleteFile(u"C:\\E.bin"));
  EXPECT_TRUE(WriteFileBytes(u"C:\\D\\kept.ini", "x"));
  EXPECT_TRUE(CreateDirectory(u"C:\\F"));
  EXPECT_EQ(sim::FreeDiskBytes(), 3 + 60 + 39);

  // Other processes on the machine count from the same bytes; the limit can
  // be changed or lifted.
  ASSERT_TRUE(sim::SetFreeDiskBytes(0));
  EXPECT_FALSE(WriteFileBytes(u"C:\\D\\kept.ini", "xy"));
  EXPECT_EQ(GetLastError(), 112u);
  EXPECT_TRUE(WriteFileBytes(u"C:\\D\\kept.ini", "y")) << "a write that does not grow the file fits";
  ASSERT_TRUE(sim::SetFreeDiskBytes(-1));
  EXPECT_TRUE(CopyFile(u"C:\\D\\big.bin", u"C:\\E.bin", false));
  EXPECT_EQ(sim::FreeDiskBytes(), -1);
}

TEST(FullDisk, IsAMachineSettingWithoutALimitByDefault) {
  TempMachine plain;
  EXPECT_EQ(sim::FreeDiskBytes(), -1);
  EXPECT_EQ(sim::CurrentMachine().Config().freeBytes, -1);
  TempMachine limited({"freeBytes=123456789012"});
  EXPECT_EQ(sim::CurrentMachine().Config().freeBytes, 123456789012);
  EXPECT_EQ(sim::FreeDiskBytes(), 123456789012);
}

TEST(FindFile, ListsDotsFirstThenInNtfsOrder) {
  TempMachine m;
  for (const char16_t* name : {u"b.txt", u"_x", u"Zeta", u"a1", u"A.txt", u"\x00E4.txt", u"\x4E2D.txt"}) {
    m.WriteFile(String(u"C:\\D\\") + name, "x");
  }
  m.MakeFolder(u"C:\\D\\Sub");
  ASSERT_TRUE(SetFileAttributes(u"C:\\D\\_x", kFileAttributeHidden | kFileAttributeSystem));

  auto all = FindAll(u"C:\\D\\*.*");
  EXPECT_EQ(Names(all), (std::vector<String>{u".", u"..", u"A.txt", u"a1", u"b.txt", u"Sub", u"Zeta", u"_x",
                                             u"\x00E4.txt", u"\x4E2D.txt"}));
  ASSERT_EQ(all.size(), 10u);
  EXPECT_EQ(all[0].attributes, kFileAttributeDirectory);
  EXPECT_EQ(all[5].attributes, kFileAttributeDirectory);
  EXPECT_EQ(all[7].attributes, kFileAttributeHidden | kFileAttributeSystem);

  struct Case {
    const char16_t* pattern;
    std::vector<String> names;
    uint32_t endError;
  } cases[] = {
      {u"C:\\D\\*.TXT", {u"A.txt", u"b.txt", u"\x00E4.txt", u"\x4E2D.txt"}, kErrorNoMoreFiles},
      {u"C:\\D\\a?", {u"a1"}, kErrorNoMoreFiles},
      {u"C:\\D\\zeta.*", {u"Zeta"}, kErrorNoMoreFiles},
      {u"C:\\D\\*.", {u".", u"..", u"a1", u"Sub", u"Zeta", u"_x"}, kErrorNoMoreFiles},
      {u"c:\\d\\SUB", {u"Sub"}, kErrorNoMoreFiles},
      {u"C:\\*", {u"ProgramData", u"Program Files", u"Program Files (x86)", u"D", u"Users", u"Windows"},
       kErrorNoMoreFiles},
      {u"C:\\D\\*.xlsx", {}, kErrorFileNotFound},
      {u"C:\\Nowhere\\*.*", {}, kErrorPathNotFound},
      {u"C:\\D\\a1\\*.*", {}, kErrorDirectory},
  };
  for (const Case& c : cases) {
    uint32_t error = 0;
    auto found = Names(FindAll(c.pattern, &error));
    if (String(c.pattern) == u"C:\\*") {
      std::sort(found.begin(), found.end());
      std::vector<String> expected = c.names;
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(found, expected);
    } else {
      EXPECT_EQ(found, c.names) << ToUtf8(c.pattern);
    }
    EXPECT_EQ(error, c.endError) << ToUtf8(c.pattern);
  }
  FindFile closed;
  FindData data;
  EXPECT_FALSE(closed.Next(data));
  EXPECT_EQ(GetLastError(), kErrorInvalidHandle);
}

TEST(Junctions, AreReparsePointsRemovedWithoutTheirTarget) {
  TempMachine m;
  m.WriteFile(u"C:\\Target\\keep.txt", "keep");
  m.WriteFile(u"C:\\Data\\real.txt", "real");
  std::string drive = m.Dir() + "/drive_c";
  ASSERT_EQ(symlink("../Target", (drive + "/Data/Link").c_str()), 0);
  ASSERT_EQ(symlink("real.txt", (drive + "/Data/file.lnk").c_str()), 0);
  ASSERT_EQ(symlink("/nonexistent/zx", (drive + "/Data/Dangling").c_str()), 0);
  std::string outside = m.Dir() + "/outside";
  std::filesystem::create_directories(outside);
  ASSERT_EQ(system(("echo secret > '" + outside + "/secret.txt'").c_str()), 0);
  ASSERT_EQ(symlink(outside.c_str(), (drive + "/Data/Out").c_str()), 0);

  EXPECT_EQ(GetFileAttributes(u"C:\\Data\\link"), kFileAttributeReparsePoint | kFileAttributeDirectory);
  EXPECT_EQ(GetFileAttributes(u"C:\\Data\\file.lnk"), kFileAttributeReparsePoint | kFileAttributeArchive);
  EXPECT_TRUE(DirectoryExists(u"C:\\Data\\Link"));
  EXPECT_EQ(Names(FindAll(u"C:\\Data\\Link\\*")), (std::vector<String>{u".", u"..", u"keep.txt"}));
  auto entries = FindAll(u"C:\\Data\\*");
  ASSERT_EQ(entries.size(), 7u);
  EXPECT_EQ(entries[4].name, u"Link");
  EXPECT_EQ(entries[4].attributes, kFileAttributeReparsePoint | kFileAttributeDirectory);

  // Nothing leads out of the machine through a link.
  std::string bytes;
  EXPECT_FALSE(ReadFileBytes(u"C:\\Data\\Out\\secret.txt", bytes));
  EXPECT_FALSE(FindAll(u"C:\\Data\\Out\\*").size());
  EXPECT_FALSE(CopyFile(u"C:\\Data\\real.txt", u"C:\\Data\\Out\\x.txt", false));

  EXPECT_TRUE(RemoveDirectory(u"C:\\Data\\Link"));
  EXPECT_TRUE(DeleteFile(u"C:\\Data\\file.lnk"));
  EXPECT_TRUE(RemoveDirectory(u"C:\\Data\\Dangling"));
  EXPECT_TRUE(RemoveDirectory(u"C:\\Data\\Out"));
  EXPECT_EQ(m.ReadFile(u"C:\\Target\\keep.txt"), "keep");
  EXPECT_EQ(m.ReadFile(u"C:\\Data\\real.txt"), "real");
  EXPECT_TRUE(std::filesystem::exists(outside + "/secret.txt"));
  EXPECT_EQ(Names(FindAll(u"C:\\Data\\*")), (std::vector<String>{u".", u"..", u"real.txt"}));
}

TEST(RunningProgram, ReportsItsPathAndArgumentsOrTheOverrides) {
  TempMachine m;
  EXPECT_EQ(ExecutablePath(), u"");  // this test program lives outside the machine
  sim::SetExecutablePath(u"C:\\Package\\Setup.exe");
  sim::SetCommandLineArguments({u"uninstall", u"x y"});
  EXPECT_EQ(ExecutablePath(), u"C:\\Package\\Setup.exe");
  EXPECT_EQ(ExecutableFolder(), u"C:\\Package\\");
  EXPECT_EQ(CommandLineArguments(), (StringList{u"uninstall", u"x y"}));
}

TEST(SystemMessages, AreWordedAsWindowsWordsThem) {
  struct Case {
    uint32_t code;
    const char16_t* text;
  } cases[] = {
      {kErrorFileNotFound, u"The system cannot find the file specified."},
      {kErrorPathNotFound, u"The system cannot find the path specified."},
      {kErrorAccessDenied, u"Access is denied."},
      {kErrorDirNotEmpty, u"The directory is not empty."},
      {kErrorAlreadyExists, u"Cannot create a file when that file already exists."},
  };
  for (const Case& c : cases) EXPECT_EQ(SysErrorMessage(c.code), c.text) << c.code;
  EXPECT_FALSE(SysErrorMessage(99999).empty());
}

}  // namespace
