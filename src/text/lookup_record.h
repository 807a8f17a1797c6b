// A record of what the program asks of its package while it runs: every text
// key it looks up and every skin picture it asks for, as asked. Tests and
// tools switch it on to compare it with the table of keys (text_keys.def);
// the program never does, and the lookups behave the same either way.
#pragma once

#include <set>
#include <utility>

#include "platform/strings.h"

namespace lookup_record {

struct Recorded {
  std::set<std::pair<String, String>> texts;  // (section, key)
  std::set<String> pictures;                  // picture names such as "Next.bmp"
};

// Forgets what was recorded and records every thread's lookups from now on.
void Start();
// Stops recording and hands over what was recorded since Start.
Recorded Stop();

// Called by the lookups themselves.
void Text(const String& section, const String& key);
void Picture(const String& name);

// While one lives, the lookups of its thread are left out of the record: a
// text the program does without when a package lacks it (a hint, a caption
// under the control's plain name), or a tool's own look at the texts.
class Aside {
 public:
  Aside();
  ~Aside();
  Aside(const Aside&) = delete;
  Aside& operator=(const Aside&) = delete;
};

}  // namespace lookup_record
