// Command lines as Windows splits and quotes them.
#include "platform/sim/process_sim.h"

namespace sim {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Everything after the program, as CommandLineToArgvW reads it: blanks
// separate outside quotes; 2n backslashes before a quote give n backslashes
// and the quote opens or closes a quoted part, 2n+1 give n and a literal
// quote; inside quotes a doubled quote gives one literal quote and ends the
// quoted part; other backslashes are literal.
void SplitRest(StringView text, size_t pos, StringList& out) {
  while (true) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos >= text.size()) return;
    String arg;
    bool quoted = false;
    while (pos < text.size()) {
      char16_t c = text[pos];
      if (!quoted && IsBlank(c)) break;
      if (c == u'\\') {
        size_t count = 0;
        while (pos < text.size() && text[pos] == u'\\') {
          ++count;
          ++pos;
        }
        if (pos < text.size() && text[pos] == u'"') {
          arg.append(count / 2, u'\\');
          if (count % 2 == 1) {
            arg.push_back(u'"');
            ++pos;
          }
        } else {
          arg.append(count, u'\\');
        }
        continue;
      }
      if (c == u'"') {
        if (quoted && pos + 1 < text.size() && text[pos + 1] == u'"') {
          arg.push_back(u'"');
          pos += 2;
          quoted = false;
          continue;
        }
        quoted = !quoted;
        ++pos;
        continue;
      }
      arg.push_back(c);
      ++pos;
    }
    out.push_back(arg);
  }
}

// The program element: quoted up to the next quote, or up to the first blank.
size_t SplitProgram(StringView text, String& program) {
  size_t pos = 0;
  if (!text.empty() && text[0] == u'"') {
    size_t close = text.find(u'"', 1);
    if (close == StringView::npos) close = text.size();
    program = String(text.substr(1, close - 1));
    return close < text.size() ? close + 1 : close;
  }
  while (pos < text.size() && !IsBlank(text[pos])) ++pos;
  program = String(text.substr(0, pos));
  return pos;
}

}  // namespace

StringList SplitCommandLine(StringView commandLine) {
  StringList out;
  if (commandLine.empty()) return out;
  String program;
  size_t pos = SplitProgram(commandLine, program);
  out.push_back(program);
  SplitRest(commandLine, pos, out);
  return out;
}

StringList SplitArguments(StringView commandLine) {
  StringList all = SplitCommandLine(commandLine);
  if (!all.empty()) all.erase(all.begin());
  return all;
}

String QuoteArgument(StringView argument) {
  if (!argument.empty() && argument.find_first_of(u" \t\n\v\"") == StringView::npos) {
    return String(argument);
  }
  String out = u"\"";
  size_t backslashes = 0;
  for (char16_t c : argument) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    if (c == u'"') {
      out.append(backslashes * 2 + 1, u'\\');
    } else {
      out.append(backslashes, u'\\');
    }
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, u'\\');
  out.push_back(u'"');
  return out;
}

}  // namespace sim
