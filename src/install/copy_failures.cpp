#include "install/copy_failures.h"

StringList FailedDestinations(const StringList& failures, const String& source,
                              const String& destination) {
  StringList result;
  const size_t fixed = source.size() + 1 + destination.size();
  for (const String& line : failures) {
    if (line.size() < fixed || (line.size() - fixed) % 2 != 0) continue;
    const size_t relativeLength = (line.size() - fixed) / 2;
    const String relative = line.substr(source.size(), relativeLength);
    if (line.compare(0, source.size(), source) != 0 ||
        line.compare(source.size() + relativeLength, 1, u",") != 0 ||
        line.compare(source.size() + relativeLength + 1, String::npos, destination + relative) != 0)
      continue;
    result.push_back(destination + relative);
  }
  return result;
}
