#include "text/lookup_record.h"

#include <atomic>
#include <mutex>

namespace lookup_record {

namespace {

std::atomic<bool> recording{false};
std::mutex mutex;
Recorded recorded;
thread_local int asideDepth = 0;

bool Records() { return recording.load(std::memory_order_relaxed) && asideDepth == 0; }

}  // namespace

void Start() {
  std::lock_guard<std::mutex> lock(mutex);
  recorded = Recorded();
  recording = true;
}

Recorded Stop() {
  std::lock_guard<std::mutex> lock(mutex);
  recording = false;
  return std::exchange(recorded, Recorded());
}

void Text(const String& section, const String& key) {
  if (!Records()) return;
  std::lock_guard<std::mutex> lock(mutex);
  recorded.texts.emplace(section, key);
}

void Picture(const String& name) {
  if (!Records()) return;
  std::lock_guard<std::mutex> lock(mutex);
  recorded.pictures.insert(name);
}

Aside::Aside() { ++asideDepth; }
Aside::~Aside() { --asideDepth; }

}  // namespace lookup_record
