// The drive fills up while the install run saves the device data of a copy
// already in the program folder: whatever could not be saved stays where the
// player left it, in the current place as in the older products' Data\RES\.
#include <gtest/gtest.h>

#include "../install/package_fixture.h"
#include "platform/sim/file_hooks.h"

namespace {

using namespace zxtest;

TEST(FullDiskBackup, NoDeviceFileIsLostWhenTheBackupRunsOutOfSpace) {
  struct Case {
    const char* product;
    String deviceFolder;  // below the program folder
  } cases[] = {
      {"Zorvex7", u"Data\\Device\\"},
      {"Zorvex6", u"Data\\RES\\"},  // the older products' place
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.product);
    PackageSpec spec;
    spec.Set("%PROGRAM_FILES", c.product);
    spec.Set("%PROGRAM_EXEC", std::string(c.product) + ".exe");
    InstallRig rig(spec, {"freeBytes=0"});
    const String device = rig.ProgramFolder() + u"\\" + c.deviceFolder;
    const std::vector<std::pair<String, std::string>> own = {
        {u"English\\Profile2.cfg", std::string(1000, 'a')},
        {u"English\\Macros\\m1.mcr", std::string(1000, 'b')},
        {u"Calibration.dat", std::string(1000, 'c')},
    };
    for (const auto& [path, bytes] : own) rig.m.WriteFile(device + path, bytes);
    ASSERT_TRUE(sim::SetFreeDiskBytes(1500));
    rig.Install();
    for (const auto& [path, bytes] : own) EXPECT_EQ(rig.m.ReadFile(device + path), bytes) << U(path);
  }
}

}  // namespace
