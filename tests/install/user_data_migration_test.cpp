// Carrying user data over from the newest older version on the disk, once.
#include <gtest/gtest.h>

#include "install/package_fixture.h"
#include "install/user_data_migration.h"
#include "platform/files.h"

namespace {

using namespace zxtest;

PackageSpec Product(const std::string& name, const std::string& registryName = "Zorvex3") {
  PackageSpec spec;
  spec.Set("%PROGRAM_FILES", name);
  spec.Set("%PROGRAM_EXEC", name + ".exe");
  spec.Set("%REG_FODLER_PROGNAME", registryName);
  // The new version brings English and ChineseS device folders, no ChineseT.
  spec.extraProgramFiles.push_back({"Data\\Device\\ChineseS\\Keys.cfg", "package keys cn"});
  return spec;
}

// An older version's program folder with device data in every language and a
// user log; the device folder is DEV, or Data\RES\ for the oldest layout.
void LayOldVersion(InstallRig& rig, const std::string& old, bool oldLayout = false) {
  const String program = kProgramFiles + u"\\" + W(old) + u"\\" + W(old) + u"\\";
  const String device = program + (oldLayout ? u"Data\\RES\\" : u"Data\\Device\\");
  for (const char* language : {"ChineseT", "ChineseS", "English"}) {
    rig.m.WriteFile(device + W(language) + u"\\Profile.cfg", old + " profile " + language);
    rig.m.WriteFile(device + W(language) + u"\\Keys.cfg", old + " keys");
  }
  rig.m.WriteFile(program + u"UserLog\\2024.log", old + " log");
}

// The folders whose rights were opened to Everyone, in order.
std::vector<std::string> GrantedFolders(const TempMachine& m) {
  std::vector<std::string> folders;
  const std::string grant = "\" /grant \"Everyone\":(OI)(CI)F /T";
  for (const std::string& line : RunLines(m)) {
    const size_t end = line.find(grant);
    if (line.rfind("icacls.exe \"", 0) == 0 && end != std::string::npos) folders.push_back(line.substr(12, end - 12));
  }
  return folders;
}

String Marker(const InstallRig& rig) {
  return kProgramFiles + u"\\" + W(rig.spec.Product()) + u"\\" + kMigrationMarker;
}

TEST(UserDataMigration, NewestOlderVersionOnlyAndOnlyOnce) {
  InstallRig rig(Product("Zorvex7"));
  LayOldVersion(rig, "Zorvex6");
  LayOldVersion(rig, "Zorvex5");
  rig.Install();

  const String device = rig.DeviceFolder();
  EXPECT_EQ(rig.m.ReadFile(device + u"English\\Profile.cfg"), "Zorvex6 profile English");
  EXPECT_EQ(rig.m.ReadFile(device + u"ChineseS\\Profile.cfg"), "Zorvex6 profile ChineseS");
  // The new version's own files stay; a folder it lacks gets nothing.
  EXPECT_EQ(rig.m.ReadFile(device + u"English\\Keys.cfg"), "package keys");
  EXPECT_FALSE(rig.m.Exists(device + u"ChineseT"));
  EXPECT_EQ(rig.m.ReadFile(rig.ProgramFolder() + u"\\UserLog\\2024.log"), "Zorvex6 log");
  EXPECT_TRUE(rig.m.Exists(Marker(rig)));
  EXPECT_EQ(rig.m.ReadFile(Marker(rig)), "");

  // Rights: the install root (program files copy), each language folder and
  // the user logs carried into (migration), then the user logs again (run).
  const String root = kProgramFiles + u"\\Zorvex7";
  const std::vector<std::string> expected = {
      U(root),
      U(device + u"ChineseT"),
      U(device + u"ChineseS"),
      U(device + u"English"),
      U(rig.ProgramFolder() + u"\\UserLog"),
      U(rig.ProgramFolder() + u"\\UserLog")};
  EXPECT_EQ(GrantedFolders(rig.m), expected);

  // Zorvex5 stays as it was.
  EXPECT_EQ(rig.m.ReadFile(kProgramFiles + u"\\Zorvex5\\Zorvex5\\UserLog\\2024.log"), "Zorvex5 log");

  // The same version installed again finds the marker and copies nothing.
  rig.m.WriteFile(kProgramFiles + u"\\Zorvex6\\Zorvex6\\Data\\Device\\English\\New.cfg", "later");
  ASSERT_TRUE(win::DeleteFile(device + u"English\\Profile.cfg"));
  rig.Install();
  EXPECT_FALSE(rig.m.Exists(device + u"English\\New.cfg"));
  EXPECT_FALSE(rig.m.Exists(device + u"English\\Profile.cfg"));
}

}  // namespace

namespace {

TEST(UserDataMigration, WhichOldVersionsAreSources) {
  struct Case {
    const char* name;
    std::string product, registryName;
    std::vector<std::string> onDisk;
    bool oldLayout;
    std::string expectedFrom;  // "" when nothing is carried over
    bool marker;
  } cases[] = {
      {"only a version below the lowest", "Zorvex7", "Zorvex3", {"Zorvex2"}, false, "", false},
      {"Zorvex6 over Zorvex4: the general branch", "Zorvex6", "Zorvex3", {"Zorvex4"}, false, "Zorvex4", true},
      {"device data in Data\\RES", "Zorvex7", "Zorvex3", {"Zorvex6"}, true, "Zorvex6", true},
      {"keyboard Vantorix2 over Vantorix1", "Vantorix2", "ZorvexKeyboard", {"Vantorix1"}, false, "Vantorix1", true},
      {"keyboard Vantorix itself runs nothing", "Vantorix", "ZorvexKeyboard", {"Vantorix1"}, false, "", false},
      {"keyboard: the first version is no source", "Vantorix2", "ZorvexKeyboard", {"Vantorix"}, false, "", false},
      {"mouse migration only for the mouse product", "Zorvex7", "ZorvexPad", {"Zorvex6"}, false, "", false},
      {"keyboard migration only for the keyboard product", "Vantorix2", "Zorvex3", {"Vantorix1"}, false, "", false},
      {"a name without a number", "ZorvexX", "Zorvex3", {"Zorvex6"}, false, "", false},
      {"a huge number is bounded by the disk", "Zorvex2147483647", "Zorvex3", {"Zorvex9"}, false, "Zorvex9", true},
  };
  for (const Case& c : cases) {
    InstallRig rig(Product(c.product, c.registryName));
    for (const std::string& old : c.onDisk) LayOldVersion(rig, old, c.oldLayout);
    rig.Install();
    const String profile = rig.DeviceFolder() + u"English\\Profile.cfg";
    if (c.expectedFrom.empty())
      EXPECT_FALSE(rig.m.Exists(profile)) << c.name;
    else
      EXPECT_EQ(rig.m.ReadFile(profile), c.expectedFrom + " profile English") << c.name;
    EXPECT_EQ(rig.m.Exists(Marker(rig)), c.marker) << c.name;
  }
}

TEST(UserDataMigration, Zorvex5OverZorvex4TakesTheGunMacroLibrariesOnly) {
  PackageSpec spec = Product("Zorvex5");
  for (const char* language : {"ChineseS", "ChineseT", "English"})
    spec.extraProgramFiles.push_back(
        {std::string("Data\\Device\\") + language + "\\ScriptsMacros\\GunLib\\Readme.txt", "package"});
  InstallRig rig(spec);
  LayOldVersion(rig, "Zorvex4");
  const String old = kProgramFiles + u"\\Zorvex4\\Zorvex4\\Data\\Zorvex4\\";
  for (const char* language : {"ChineseS", "ChineseT", "English"})
    rig.m.WriteFile(old + W(language) + u"\\ScriptsMacros\\MacroGunLibrary\\AK.mcr", std::string("gun ") + language);
  rig.Install();

  for (const char* language : {"ChineseS", "ChineseT", "English"})
    EXPECT_EQ(rig.m.ReadFile(rig.DeviceFolder() + W(language) + u"\\ScriptsMacros\\GunLib\\AK.mcr"),
              std::string("gun ") + language);
  EXPECT_FALSE(rig.m.Exists(rig.DeviceFolder() + u"English\\Profile.cfg"));
  EXPECT_FALSE(rig.m.Exists(rig.ProgramFolder() + u"\\UserLog"));
  EXPECT_TRUE(rig.m.Exists(Marker(rig)));
  // No rights for the carried libraries: only the install root's.
  EXPECT_EQ(GrantedFolders(rig.m), std::vector<std::string>{U(kProgramFiles + u"\\Zorvex5")});
}

}  // namespace
