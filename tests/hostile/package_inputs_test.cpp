// Hostile packages: damaged pictures, empty and huge language files, a huge
// layout file. The wizard still goes from its first screen to its last and
// installs; a damaged input falls back as a missing one does. Big inputs are
// made here at run time.
#include <chrono>

#include "hostile_fixture.h"

namespace hostile {
namespace {

const String kEnglishTexts = u"Texts\\LanguageIni\\English\\Install_English.ini";

std::vector<fs::path> Pictures(const fs::path& package) {
  std::vector<fs::path> pictures;
  for (const auto& entry : fs::recursive_directory_iterator(package)) {
    const std::string ext = entry.path().extension().string();
    if (entry.is_regular_file() && (ext == ".bmp" || ext == ".png")) pictures.push_back(entry.path());
  }
  return pictures;
}

void Truncate(const fs::path& file, uintmax_t size) {
  fs::resize_file(file, std::min(size, fs::file_size(file)));
}

// The language file as UTF-8 with its byte-order mark.
std::string Utf8Texts(const std::string& utf16) {
  String text;
  for (size_t i = 2; i + 1 < utf16.size(); i += 2)
    text += static_cast<char16_t>(static_cast<unsigned char>(utf16[i]) | (static_cast<unsigned char>(utf16[i + 1]) << 8));
  return "\xEF\xBB\xBF" + win::ToUtf8(text);
}

TEST_F(HostileMachine, DamagedPackageInputsStillInstall) {
  struct Case {
    const char* name;
    std::function<void(HostileMachine&, const fs::path&)> damage;
    std::vector<std::string> alsoWritten;  // places the texts of a damaged language file name
  } cases[] = {
      {"every picture cut in half",
       [](HostileMachine&, const fs::path& package) {
         for (const fs::path& p : Pictures(package)) Truncate(p, fs::file_size(p) / 2);
       }, {}},
      {"every picture cut after its signature",
       [](HostileMachine&, const fs::path& package) {
         for (const fs::path& p : Pictures(package)) Truncate(p, p.extension() == ".png" ? 8 : 2);
       }, {}},
      {"every picture cut inside its header",
       [](HostileMachine&, const fs::path& package) {
         for (const fs::path& p : Pictures(package)) Truncate(p, p.extension() == ".png" ? 30 : 20);
       }, {}},
      {"an empty language file",
       [](HostileMachine& t, const fs::path&) { t.Machine().WriteFile(t.Package() + kEnglishTexts, ""); },
       // Every text reads as not found, and the shortcuts take that name.
       {"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\@@\\", "C:\\Users\\Public\\Desktop\\@@.lnk"}},
      {"a language file of 50 MB",
       [](HostileMachine& t, const fs::path&) {
         std::string text = Utf8Texts(t.Bytes(t.Package() + kEnglishTexts));
         std::string filler = "[Filler]\r\n";
         for (int i = 0; filler.size() < 50u << 20; ++i)
           filler += "Key" + std::to_string(i) + "=" + std::string(100, 'x') + "\r\n";
         t.Machine().WriteFile(t.Package() + kEnglishTexts, text + filler);
       }, {}},
      {"a layout file of 100,000 lines",
       [](HostileMachine& t, const fs::path&) {
         std::string layout = t.Bytes(t.Package() + u"UI.txt");
         layout += "\r\n[Filler]\r\n";
         for (int i = 0; i < 100000; ++i)
           layout += "FWelcome->Control" + std::to_string(i) + "->Position=rectp,1,2,3,4\r\n";
         t.Machine().WriteFile(t.Package() + u"UI.txt", layout);
       }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Prepare();
    c.damage(*this, Machine().HostPath(Package()));
    sim::ForgetFolderListings();
    Snapshot();
    const auto start = std::chrono::steady_clock::now();
    const RunResult r = Run(InstallScript(0, true), Setup());
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(r.code, 0) << r.error;
    std::printf("[ hostile  ] %s: installed in %.1f s\n", c.name, seconds);
    EXPECT_EQ(MessageBoxes(), std::vector<std::string>{});
    EXPECT_TRUE(Exists(e2e::kProgramFolder + u"Zorvex7.exe"));
    EXPECT_EQ(Value(e2e::kUninstallEntry, u"UninstallString"), u"\"" + e2e::kUninstaller + u"\" uninstall");
    EXPECT_EQ(Damage(c.alsoWritten), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace hostile
