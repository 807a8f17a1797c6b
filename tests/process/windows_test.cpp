// Top-level windows shared by the programs on a machine: FindWindow by title,
// PostMessage across processes and within one, registered message numbers.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/sim/process_sim.h"
#include "platform/sim/windows_table.h"
#include "process/process_fixture.h"
#include "support/sim_machine.h"
#include "util/cmnfileexecuate.h"

namespace {

using zxtest::InstallHelper;
using zxtest::TempMachine;
using zxtest::WaitUntil;

const String kUpdater = u"C:\\Program Files (x86)\\Updater\\Updater.exe";

uint32_t StartWindow(const String& title) {
  return win::CreateProcessNoWait(u"\"" + kUpdater + u"\" window \"" + title + u"\" 20", 0);
}

TEST(Windows, CloseRequestReachesTheWindowOfAnotherProgram) {
  TempMachine machine;
  InstallHelper(machine, kUpdater);
  const String title = u"Zorvex Updater 更新";
  uint32_t pid = StartWindow(title);
  ASSERT_NE(pid, 0u);
  ASSERT_TRUE(WaitUntil([&] { return win::FindWindow(title) != 0; }));
  win::WindowHandle window = win::FindWindow(title);
  EXPECT_EQ(win::GetWindowThreadProcessId(window), pid);
  EXPECT_EQ(win::FindWindow(u"zorvex updater 更新"), 0u) << "titles compare exactly";
  EXPECT_EQ(win::FindWindow(u"Zorvex Updater"), 0u);

  CloseWindowByTitle(title);
  uint32_t code = 99;
  ASSERT_TRUE(sim::WaitForProcess(pid, code));
  EXPECT_EQ(code, 0u) << "the program saw WM_CLOSE";
  EXPECT_EQ(win::FindWindow(title), 0u);
}

TEST(Windows, WindowsOfEndedProgramsAreNotFound) {
  TempMachine machine;
  InstallHelper(machine, kUpdater);
  uint32_t pid = StartWindow(u"CMLibraryIOForm");
  ASSERT_NE(pid, 0u);
  ASSERT_TRUE(WaitUntil([] { return win::FindWindow(u"CMLibraryIOForm") != 0; }));
  win::WindowHandle window = win::FindWindow(u"CMLibraryIOForm");

  TerminateWindowProcess(u"CMLibraryIOForm");  // killed: its entry stays behind
  uint32_t code = 0;
  ASSERT_TRUE(sim::WaitForProcess(pid, code));
  EXPECT_EQ(win::FindWindow(u"CMLibraryIOForm"), 0u);
  EXPECT_EQ(win::GetWindowThreadProcessId(window), 0u);
  win::SetLastError(0);
  EXPECT_FALSE(win::PostMessage(window, win::kWmClose, 0, 0));
  EXPECT_EQ(win::GetLastError(), 1400u);
}

TEST(Windows, MessagesToOwnWindowsGoToTheHookOrWaitInTheQueue) {
  TempMachine machine;
  win::WindowHandle window = sim::PublishWindow(u"FInstall");
  ASSERT_NE(window, 0u);
  EXPECT_EQ(win::FindWindow(u"FInstall"), window);
  EXPECT_EQ(win::GetWindowThreadProcessId(window), win::GetCurrentProcessId());

  ASSERT_TRUE(win::PostMessage(window, win::kWmUser, 1, -2));
  EXPECT_TRUE(sim::HasPostedMessages());
  std::vector<sim::PostedMessage> taken = sim::TakePostedMessages();
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].window, window);
  EXPECT_EQ(taken[0].message, win::kWmUser);
  EXPECT_EQ(taken[0].wParam, 1u);
  EXPECT_EQ(taken[0].lParam, -2);
  EXPECT_FALSE(sim::HasPostedMessages());

  std::vector<uint32_t> delivered;
  sim::SetLocalDeliveryHook([&](const sim::PostedMessage& m) {
    delivered.push_back(m.message);
    return true;
  });
  const uint32_t finished = win::RegisterWindowMessage(u"INSTALL_THREAD_FINISHED");
  // Whether it arrived is what the test looks at below.
  std::thread worker([&] { (void)win::PostMessage(window, finished, 0, 0); });
  worker.join();
  sim::SetLocalDeliveryHook(nullptr);
  EXPECT_EQ(delivered, std::vector<uint32_t>{finished});
  EXPECT_TRUE(sim::TakePostedMessages().empty());

  sim::RenameWindow(window, u"FFinish");
  EXPECT_EQ(win::FindWindow(u"FInstall"), 0u);
  EXPECT_EQ(win::FindWindow(u"FFinish"), window);
  sim::UnpublishWindow(window);
  EXPECT_EQ(win::FindWindow(u"FFinish"), 0u);
  EXPECT_NE(win::GetDesktopWindow(), 0u);
}

TEST(Windows, RegisteredMessagesAreTheSameInEveryProcess) {
  TempMachine machine;
  InstallHelper(machine, kUpdater);
  machine.MakeFolder(u"C:\\out");
  const uint32_t install = win::RegisterWindowMessage(u"INSTALL_THREAD_FINISHED");
  const uint32_t uninstall = win::RegisterWindowMessage(u"UNINSTALL_THREAD_FINISHED");
  EXPECT_GE(install, 0xC000u);
  EXPECT_LE(install, 0xFFFFu);
  EXPECT_NE(install, uninstall);
  EXPECT_EQ(win::RegisterWindowMessage(u"install_thread_finished"), install);
  EXPECT_EQ(win::RegisterWindowMessage(u""), 0u);

  ASSERT_TRUE(win::CreateProcessAndWait(
      u"\"" + kUpdater + u"\" message UNINSTALL_THREAD_FINISHED C:\\out\\n.txt", 0));
  EXPECT_EQ(machine.ReadFile(u"C:\\out\\n.txt"), std::to_string(uninstall));
}

}  // namespace

namespace {

TEST(Windows, DamagedTableFilesAreSkipped) {
  TempMachine machine;
  const std::string dir = machine.Dir() + "/windows/";
  std::ofstream(dir + "counter") << "zz";
  std::ofstream(dir + "00020010.win") << "garbage";
  std::ofstream(dir + "messages.tsv") << "\x01\x02\nabc\n70000\tX\n";
  win::WindowHandle window = sim::PublishWindow(u"garbage");
  EXPECT_NE(window, 0x20010u) << "an existing entry keeps its handle";
  EXPECT_EQ(win::FindWindow(u"garbage"), window);
  const uint32_t number = win::RegisterWindowMessage(u"X");
  EXPECT_GE(number, 0xC000u);
  EXPECT_LE(number, 0xFFFFu);
}

}  // namespace
