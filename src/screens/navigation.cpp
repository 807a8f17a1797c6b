#include "screens/navigation.h"

#include "app/app.h"
#include "platform/files.h"
#include "platform/ini.h"

namespace {

constexpr char16_t kOemPublisher[] = u"OEM";
constexpr char16_t kSeriesSection[] = u"Series";

}  // namespace

bool IsOemSetup() {
  if (!win::FileExists(App->setupFilePath)) return false;
  const win::MemIniFile setup(App->setupFilePath);
  return setup.ReadString(kSetupSection, kKeyPublisher, kOemPublisher) == kOemPublisher;
}

bool SeriesScreenEnabled() {
  if (!App->settingsStore) return false;
  int32_t display = 0;
  if (!win::TryStrToInt(App->settingsStore->ReadString(kSeriesSection, u"Display", u"0"), display)) return false;
  return display != 0;
}

String SeriesCode(int index) {
  if (!App->settingsStore || index < 0) return String();
  const String codes = App->settingsStore->ReadString(kSeriesSection, u"Code", u"");
  size_t start = 0;
  for (int i = 0;; ++i) {
    const size_t comma = codes.find(u',', start);
    if (i == index) return win::Trim(StringView(codes).substr(start, comma == String::npos ? String::npos : comma - start));
    if (comma == String::npos) return String();
    start = comma + 1;
  }
}
