// Shared pieces of the fuzz targets: a throwaway simulated machine, cutting an
// input into fields, and a check that stops the run with a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/strings.h"

namespace fuzz {

// A fresh simulated machine in a temporary folder, made on the first call and
// selected for the process; removed when the process ends. Returns its host
// folder.
const std::string& ScratchMachine(const std::vector<std::string>& overrides = {});

// Cuts an input into `count` fields at NUL bytes; the last field takes the
// rest (NUL bytes included), missing fields are empty.
std::vector<std::string> Fields(const uint8_t* data, size_t size, size_t count);

// A field as program text: UTF-8, or UTF-16 LE code units (any of them, lone
// surrogates too) when the field starts with the UTF-16 LE byte-order mark.
String Text(std::string_view field);

[[noreturn]] void Fail(const char* file, int line, const char* what);

}  // namespace fuzz

// A property the target asserts; a failure is a finding, like a crash.
#define FUZZ_CHECK(condition) \
  ((condition) ? (void)0 : ::fuzz::Fail(__FILE__, __LINE__, #condition))
