#include "fuzz_support.h"

#include <filesystem>

#include "platform/sim/machine.h"

namespace fuzz {

namespace {

struct Scratch {
  std::string dir;
  ~Scratch() {
    std::error_code ignored;
    if (!dir.empty()) std::filesystem::remove_all(dir, ignored);
  }
};

}  // namespace

const std::string& ScratchMachine(const std::vector<std::string>& overrides) {
  static Scratch scratch;
  if (!scratch.dir.empty()) return scratch.dir;
  std::string pattern = (std::filesystem::temp_directory_path() / "zxfuzz.XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) Fail(__FILE__, __LINE__, "mkdtemp");
  const std::string dir = pattern + "/machine";
  std::string error;
  if (!sim::CreateMachine(dir, overrides, error)) {
    fprintf(stderr, "cannot make a machine in %s: %s\n", dir.c_str(), error.c_str());
    abort();
  }
  scratch.dir = pattern;
  sim::UseMachine(dir);
  return scratch.dir;
}

std::vector<std::string> Fields(const uint8_t* data, size_t size, size_t count) {
  std::vector<std::string> fields;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  while (fields.size() + 1 < count) {
    size_t nul = rest.find('\0');
    if (nul == std::string_view::npos) break;
    fields.emplace_back(rest.substr(0, nul));
    rest.remove_prefix(nul + 1);
  }
  fields.emplace_back(rest);
  fields.resize(count);
  return fields;
}

String Text(std::string_view field) {
  if (field.size() >= 2 && field.substr(0, 2) == "\xFF\xFE") {
    String units;
    for (size_t i = 2; i + 1 < field.size(); i += 2)
      units.push_back(static_cast<char16_t>(static_cast<unsigned char>(field[i]) |
                                            static_cast<unsigned char>(field[i + 1]) << 8));
    return units;
  }
  return win::FromUtf8(field);
}

void Fail(const char* file, int line, const char* what) {
  fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what);
  abort();
}

}  // namespace fuzz
