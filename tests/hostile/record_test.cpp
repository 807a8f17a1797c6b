// A hostile registry: the installed copy's record and its uninstall entry
// hold values 32 KB long or with control characters. Neither the set-up
// program nor the uninstaller may act outside the product's places on them.
#include "hostile_fixture.h"

namespace hostile {
namespace {

// Rewrites the values of a key of HKEY_LOCAL_MACHINE with `damage`, all but
// those named in `spared`.
void DamageValues(const String& key, const std::function<String(const String&)>& damage,
                  const StringList& spared = {}) {
  win::Registry registry;
  registry.SetRootKey(win::RootKey::LocalMachine);
  ASSERT_TRUE(registry.OpenKey(key, false)) << win::ToUtf8(key);
  for (const String& name : registry.GetValueNames()) {
    if (std::find(spared.begin(), spared.end(), name) != spared.end()) continue;
    ASSERT_TRUE(registry.WriteString(name, damage(registry.ReadString(name)))) << win::ToUtf8(name);
  }
}

struct RecordDamage {
  const char* name;
  std::function<String(const String&)> apply;
};

const RecordDamage kDamages[] = {
    {"values 32 KB long", [](const String& v) { return v + u"\\" + String(32 * 1024, u'x'); }},
    {"values with control characters",
     [](const String& v) {
       String out;
       for (char16_t c : v) out += c == u'\\' ? String(u"\\\x01\t") : String(1, c);
       return out + u"\r\n\x1b\x7f";
     }},
};

TEST_F(HostileMachine, ADamagedRecordIsNeverActedOnOutsideTheProduct) {
  const std::string notRemoved =
      "Zorvex7 Gaming Mouse: The previous version could not be removed. Please uninstall it in the Control Panel "
      "and run Setup again.";
  struct Runner {
    const char* name;
    StringList spared;   // values of the uninstall entry left as they are
    std::string script;  // the run as the player answers it
    String program, mode;
    std::vector<std::string> boxes;
  } runners[] = {
      // The same version again: the question, then the hand-over to the
      // installed copy, whose damaged uninstaller command cannot be run (too
      // long for a command line, or the program it names is not there).
      {"set-up program", {u"DisplayVersion"},
       "timeout 30\nwait FAsk\nclick FAsk.bt_OK\nwait MessageBox\nclick MessageBox.OK\nwait end\n", String(), u"",
       {notRemoved}},
      // Versions compare as strings: the damaged one is taken for a newer one.
      {"set-up program, version damaged too", {}, "timeout 30\nwait MessageBox\nclick MessageBox.OK\nwait end\n",
       String(), u"",
       {"Zorvex7 Gaming Mouse: A newer version of the Zorvex7 Gaming Mouse software is already installed. Setup will "
        "close. (102)"}},
      {"silent uninstall", {}, "timeout 30\nwait end\n", e2e::kUninstaller, u"silentuninstall", {}},
  };
  for (const RecordDamage& damage : kDamages) {
    for (const Runner& run : runners) {
      SCOPED_TRACE(std::string(damage.name) + ", " + run.name);
      Prepare();
      ASSERT_EQ(e2e::EndToEnd::Run(InstallScript(0, true), Setup()).code, 0);
      DamageValues(e2e::kProductKey, damage.apply);
      DamageValues(kUninstallEntryKey, damage.apply, run.spared);
      Snapshot();
      const RunResult r = e2e::EndToEnd::Run(run.script, run.program.empty() ? Setup() : run.program,
                                             win::ToUtf8(run.mode));
      EXPECT_EQ(r.code, 0) << r.error;
      EXPECT_EQ(MessageBoxes(), run.boxes);
      EXPECT_TRUE(Exists(e2e::kProgramFolder + u"Zorvex7.exe")) << "the record names no folder that is there";
      EXPECT_EQ(Damage(), std::vector<std::string>{});
    }
  }
}

}  // namespace
}  // namespace hostile
