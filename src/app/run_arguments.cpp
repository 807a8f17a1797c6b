#include "app/run_arguments.h"

namespace {

// The value of an argument "name=value" when its name matches; false otherwise.
bool NamedValue(const String& argument, StringView name, String& value) {
  const size_t equals = argument.find(u'=');
  if (equals == String::npos || win::LowerCase(argument.substr(0, equals)) != name) return false;
  value = argument.substr(equals + 1);
  return true;
}

}  // namespace

RunArguments ReadRunArguments(const StringList& arguments) {
  RunArguments run;
  if (arguments.empty()) return run;
  run.modeWord = win::LowerCase(arguments.front());
  // A plain install has no mode word, so log= may come first.
  for (size_t i = 0; i < arguments.size(); ++i) {
    String value;
    if (NamedValue(arguments[i], u"log", value)) {
      run.logPath = value;
    } else if (NamedValue(arguments[i], u"lang", value)) {
      run.language = value;
    }
  }
  return run;
}

bool IsSilentModeWord(const String& modeWord) {
  return modeWord == u"silentinstall" || modeWord == u"silentuninstall";
}
