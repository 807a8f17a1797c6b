// The install and the uninstall with the keyboard alone, as a person who
// uses no mouse does them, with the focus frame in the saved screens.
#include "e2e_fixture.h"

#include "platform/picture.h"

namespace e2e {
namespace {

// Whether two saved screens differ, and only inside the rectangle.
struct Difference {
  bool any = false;
  bool outside = false;
};

Difference Compare(const std::string& a, const std::string& b, const win::Rect& inside) {
  win::Bitmap first, second;
  Difference d;
  std::string error;
  if (!win::DecodePng(Slurp(a), first, error) || !win::DecodePng(Slurp(b), second, error) ||
      first.Width() != second.Width() || first.Height() != second.Height()) {
    d.any = d.outside = true;
    return d;
  }
  for (int32_t y = 0; y < first.Height(); ++y)
    for (int32_t x = 0; x < first.Width(); ++x)
      if (first.Pixel(x, y) != second.Pixel(x, y)) {
        d.any = true;
        if (!inside.Contains(x, y)) d.outside = true;
      }
  return d;
}

TEST_F(EndToEnd, InstallAndUninstallWithTheKeyboardAlone) {
  const RunResult install = Run(
      "timeout 30\n"
      "wait FWelcome\n"
      "expect FWelcome.bt_Next focused 1\n"
      "expect FWelcome.bt_Next accname Next\n"
      "expect FWelcome.bt_Next bounds 221,395,96,25\n"
      "snapshot FWelcome keyboard-01-welcome-no-cue.png\n"
      // There and back: the focus is where it was, and now it shows.
      "key FWelcome Tab\n"
      "key FWelcome Shift+Tab\n"
      "expect FWelcome.bt_Next focused 1\n"
      "snapshot FWelcome keyboard-02-welcome-cue.png\n"
      "key FWelcome Tab\n"
      "key FWelcome Tab\n"
      "expect FWelcome.gb_Languages focused 1\n"
      "key FWelcome Down\n"
      "expect FWelcome.lb_Welcome caption Willkommen beim Installations-Assistenten für Zorvex7 Gaming-Maus\n"
      "expect FWelcome.bt_Next accname Weiter\n"
      "expect FWelcome.gb_Languages accname Wählen Sie die Sprache der Installation:\n"
      "snapshot FWelcome keyboard-03-welcome-german.png\n"
      "key FWelcome Enter\n"
      "wait FSeriesSelect\n"
      "expect FSeriesSelect.bt_Next focused 1\n"
      "key FSeriesSelect Enter\n"
      "wait FEULA\n"
      "expect FEULA.bt_Next focused 1\n"
      "key FEULA Shift+Tab\n"
      "key FEULA Shift+Tab\n"
      "expect FEULA.rb_AgreeEULA focused 1\n"
      "key FEULA Down\n"
      "expect FEULA.bt_Next enabled 0\n"
      "key FEULA Up\n"
      "expect FEULA.rb_AgreeEULA checked 1\n"
      "snapshot FEULA keyboard-04-licence.png\n"
      "key FEULA Enter\n"
      "wait FFinish\n"
      "expect FFinish.bt_Finish focused 1\n"
      "key FFinish Tab\n"
      "expect FFinish.ck_StartProgram focused 1\n"
      "key FFinish Space\n"
      "expect FFinish.ck_StartProgram checked 0\n"
      "snapshot FFinish keyboard-05-finish.png\n"
      "key FFinish Enter\n"
      "wait end 0\n");
  ASSERT_EQ(install.code, 0) << install.error;
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"19.02.0005");
  EXPECT_NE(Machine().ReadFile(kProgramFolder + u"ini\\AppConfig.ini").find("German"), std::string::npos);
  // The start box was unticked with Space: nothing was started.
  EXPECT_EQ(ToolLog().find("DozadoZoZizo.exe"), std::string::npos);

  // The first key shows the frame on the focused button and changes nothing else.
  const Difference cue = Compare(ArtifactPath("keyboard-01-welcome-no-cue.png"),
                                 ArtifactPath("keyboard-02-welcome-cue.png"), win::Rect{221, 395, 317, 420});
  EXPECT_TRUE(cue.any);
  EXPECT_FALSE(cue.outside);

  const RunResult uninstall = Run(
      "timeout 30\n"
      "wait FUninstallConfirm\n"
      "expect FUninstallConfirm.bt_OK focused 1\n"
      "key FUninstallConfirm Shift+Tab\n"
      "expect FUninstallConfirm.ck_DeleteUserLog focused 1\n"
      "key FUninstallConfirm Space\n"
      "expect FUninstallConfirm.ck_DeleteUserLog checked 1\n"
      "snapshot FUninstallConfirm keyboard-06-uninstall-confirm.png\n"
      "key FUninstallConfirm Enter\n"
      "wait FFinish\n"
      "expect FFinish.bt_Finish focused 1\n"
      "key FFinish Enter\n"
      "wait end 0\n",
      kUninstaller, "uninstall");
  ASSERT_EQ(uninstall.code, 0) << uninstall.error;
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"<no key>");
  EXPECT_FALSE(Exists(kProgramFolder + u"Zorvex7.exe"));
}

TEST_F(EndToEnd, EscapeCancelsTheInstallAndEnterClosesTheNotice) {
  const RunResult r = Run(
      "timeout 30\n"
      "wait FWelcome\n"
      "key FWelcome Escape\n"
      "wait FCancel\n"
      "key FCancel Escape\n"  // the notice has no Cancel: Escape does nothing
      "expect FCancel.bt_OK focused 1\n"
      "key FCancel Enter\n"
      "wait end\n");
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"<no key>");
}

}  // namespace
}  // namespace e2e
