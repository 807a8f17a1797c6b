// The simulated machine's registry file (registry.reg) of any bytes: what the
// reader keeps is written out and read back to the same tree, in every
// encoding the reader accepts.
#include "fuzz_support.h"
#include "platform/sim/registry_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (fuzz::ScratchMachine(), true);
  (void)ready;
  sim::RegTree tree;
  sim::ParseRegText(std::string(reinterpret_cast<const char*>(data), size), tree);
  const std::string text = sim::FormatRegText(tree);
  FUZZ_CHECK(text.compare(0, 2, "\xFF\xFE") == 0);

  sim::RegTree again;
  sim::ParseRegText(text, again);
  FUZZ_CHECK(sim::FormatRegText(again) == text);
  return 0;
}
