// National language, version, account name, debugger output, code pages and
// the screen of the simulated machine (all from machine.ini).
#include "platform/system.h"

#include <iconv.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/sim/machine.h"

namespace win {

namespace {

const sim::MachineConfig& Config() { return sim::CurrentMachine().Config(); }

// iconv names of the Windows code pages, the closest first.
std::vector<const char*> CharsetNames(uint32_t codePage) {
  switch (codePage) {
    case 932: return {"CP932", "SHIFT_JIS"};
    case 936: return {"CP936", "GBK"};
    case 949: return {"CP949", "EUC-KR"};
    case 950: return {"CP950", "BIG5"};
    case 54936: return {"GB18030"};
    case 20127: return {"ASCII"};
    case 20866: return {"KOI8-R"};
    case 21866: return {"KOI8-U"};
    case 51932: return {"EUC-JP"};
    case 51949: return {"EUC-KR"};
  }
  if ((codePage >= 1250 && codePage <= 1258) || codePage == 437 || codePage == 850 || codePage == 852 ||
      codePage == 866 || codePage == 874) {
    static thread_local std::string name;
    name = "CP" + std::to_string(codePage);
    return {name.c_str()};
  }
  if (codePage >= 28591 && codePage <= 28605) {
    static thread_local std::string name;
    name = "ISO-8859-" + std::to_string(codePage - 28590);
    return {name.c_str()};
  }
  return {};
}

// An iconv descriptor between UTF-16LE and a code page; 1252 stands in for a
// code page this host does not know.
class Converter {
 public:
  Converter(uint32_t codePage, bool toUnicode) {
    for (int round = 0; round < 2 && cd_ == reinterpret_cast<iconv_t>(-1); ++round) {
      for (const char* name : CharsetNames(round == 0 ? codePage : 1252)) {
        cd_ = toUnicode ? iconv_open("UTF-16LE", name) : iconv_open(name, "UTF-16LE");
        if (cd_ != reinterpret_cast<iconv_t>(-1)) {
          codePage_ = round == 0 ? codePage : 1252;
          break;
        }
      }
    }
  }
  ~Converter() {
    if (Ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t Get() const { return cd_; }
  uint32_t CodePage() const { return codePage_; }

 private:
  iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
  uint32_t codePage_ = 0;
};

uint32_t Effective(uint32_t codePage) { return codePage == 0 ? GetACP() : codePage; }

String DecodeUtf16Le(std::string_view bytes) {
  String out;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  if (bytes.size() % 2) out.push_back(0xFFFD);
  return out;
}

}  // namespace

uint16_t GetUserDefaultLangID() { return Config().userLangId; }
uint16_t GetSystemDefaultLangID() { return Config().systemLangId; }

bool GetVersionEx(OsVersion& version) {
  version.major = Config().osMajor;
  version.minor = Config().osMinor;
  version.build = Config().osBuild;
  return true;
}

String EveryoneAccountName() { return Config().everyone; }

void OutputDebugString(const String& text) {
  sim::CurrentMachine().AppendToolLog("debug: " + ToUtf8(text));
}

void Sleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint32_t GetACP() { return Config().codePage; }

String DecodeCodePage(std::string_view bytes, uint32_t codePage) {
  codePage = Effective(codePage);
  if (codePage == 65001) return FromUtf8(bytes);
  if (codePage == 1200) return DecodeUtf16Le(bytes);
  Converter conv(codePage, true);
  if (!conv.Ok()) return FromUtf8(bytes);
  String out;
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char16_t buffer[1024];
  while (inLeft > 0) {
    char* outPtr = reinterpret_cast<char*>(buffer);
    size_t outLeft = sizeof buffer;
    size_t r = iconv(conv.Get(), &in, &inLeft, &outPtr, &outLeft);
    int error = r == static_cast<size_t>(-1) ? errno : 0;
    out.append(buffer, (sizeof buffer - outLeft) / sizeof(char16_t));
    if (error == E2BIG || error == 0) continue;
    // An undefined byte: Windows maps the five holes of 1252 to the C1
    // controls of the same number; anything else becomes U+FFFD.
    unsigned char bad = static_cast<unsigned char>(*in);
    out.push_back(conv.CodePage() == 1252 ? static_cast<char16_t>(bad) : char16_t{0xFFFD});
    ++in;
    --inLeft;
    if (error == EINVAL) {  // a lead byte without its trail at the end
      in += inLeft;
      inLeft = 0;
    }
    iconv(conv.Get(), nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

std::string EncodeCodePage(StringView text, uint32_t codePage) {
  codePage = Effective(codePage);
  if (codePage == 65001) return ToUtf8(text);
  if (codePage == 1200) {
    std::string out;
    for (char16_t c : text) {
      out.push_back(static_cast<char>(c & 0xFF));
      out.push_back(static_cast<char>(c >> 8));
    }
    return out;
  }
  Converter conv(codePage, false);
  if (!conv.Ok()) return ToUtf8(text);
  std::string units;
  for (char16_t c : text) {
    units.push_back(static_cast<char>(c & 0xFF));
    units.push_back(static_cast<char>(c >> 8));
  }
  std::string out;
  char* in = units.data();
  size_t inLeft = units.size();
  char buffer[1024];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    size_t r = iconv(conv.Get(), &in, &inLeft, &outPtr, &outLeft);
    int error = r == static_cast<size_t>(-1) ? errno : 0;
    out.append(buffer, sizeof buffer - outLeft);
    if (error == E2BIG || error == 0) continue;
    // Not in the code page: the system's default character. A surrogate pair
    // is one character.
    out.push_back('?');
    size_t skip = 2;
    char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(in[0]) | (static_cast<unsigned char>(in[1]) << 8));
    if (unit >= 0xD800 && unit <= 0xDBFF && inLeft >= 4) skip = 4;
    if (inLeft < skip) skip = inLeft;
    in += skip;
    inLeft -= skip;
    iconv(conv.Get(), nullptr, nullptr, nullptr, nullptr);
  }
  // Flush a stateful encoder's closing sequence.
  char* outPtr = buffer;
  size_t outLeft = sizeof buffer;
  iconv(conv.Get(), nullptr, nullptr, &outPtr, &outLeft);
  out.append(buffer, sizeof buffer - outLeft);
  return out;
}

void InitializeProcess() {}

int ScreenWidth() { return Config().screenWidth; }
int ScreenHeight() { return Config().screenHeight; }
int ScreenPixelsPerInch() { return Config().dpi; }

}  // namespace win
