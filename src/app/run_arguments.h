// What the command line asks of a run besides its mode word: the first
// argument is the mode word; any argument may be "log=<path>" (where the run's
// log goes) or "lang=<Language>" (the language of a silent install), the first
// too, since a plain install has no mode word ("log=..." is none). The names
// before "=" are compared in any letter case; other arguments are ignored.
#pragma once

#include "platform/strings.h"

struct RunArguments {
  String modeWord;  // the first argument, lower-cased; "" when there is none
  String logPath;   // "" when not given
  String language;  // "" when not given
};

RunArguments ReadRunArguments(const StringList& arguments);

// The modes that show no screen and end with an exit code.
bool IsSilentModeWord(const String& modeWord);
