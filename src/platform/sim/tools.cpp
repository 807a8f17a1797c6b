// The built-in cmd.exe, cacls.exe and icacls.exe: their command lines, read as
// the real tools read them, turned into changes of the access records.
#include "platform/sim/tools.h"

#include "platform/files.h"
#include "platform/sim/process_sim.h"
#include "platform/sim/tools_internal.h"

namespace sim {

namespace {

constexpr uint32_t kExitOk = 0;
constexpr uint32_t kExitDeclined = 1;  // cacls answered "no"
constexpr uint32_t kErrorNoneMapped = 1332;
constexpr uint32_t kCmdUnknownCommand = 9009;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

bool IsSwitch(const String& arg, StringView name) { return win::SameText(arg, name); }

// "account:perm" -> an entry; the account is everything before the first ":".
uint32_t ParseGrant(const String& text, bool cacls, acl::Ace& ace) {
  size_t colon = text.find(u':');
  if (colon == String::npos || colon == 0) return win::kErrorInvalidParameter;
  if (!acl::CanonicalAccount(StringView(text).substr(0, colon), ace.account)) return kErrorNoneMapped;
  StringView perm = StringView(text).substr(colon + 1);
  if (!cacls) {
    return acl::ParsePermission(perm, ace.rights, ace.flags) ? kExitOk : win::kErrorInvalidParameter;
  }
  // cacls: N, R, W, C (change) or F; on folders the entry is inherited by everything below.
  ace.flags = acl::kObjectInherit | acl::kContainerInherit;
  if (perm.size() != 1) return win::kErrorInvalidParameter;
  switch (win::UpperCase(perm)[0]) {
    case u'N': ace.rights = 0; break;
    case u'R': ace.rights = acl::kRead | acl::kExecute; break;
    case u'W': ace.rights = acl::kWrite; break;
    case u'C': ace.rights = acl::kModify; break;
    case u'F': ace.rights = acl::kFull; break;
    default: return win::kErrorInvalidParameter;
  }
  return kExitOk;
}

// icacls PATH [/reset] [/inheritance:e|d|r] [/grant[:r] a:p ...] [/setowner a] [/T] [/C] [/Q] [/L]
uint32_t RunIcacls(StringView arguments) {
  StringList args = SplitCommandLine(String(u"icacls ") + String(arguments));
  args.erase(args.begin());
  if (args.empty() || win::StartsWith(args[0], u"/")) return win::kErrorInvalidParameter;
  const String path = args[0];
  bool recurse = false;
  bool goOn = false;
  std::vector<acl::Change> changes;
  for (size_t i = 1; i < args.size(); ++i) {
    const String& a = args[i];
    if (IsSwitch(a, u"/T")) {
      recurse = true;
    } else if (IsSwitch(a, u"/C")) {
      goOn = true;
    } else if (IsSwitch(a, u"/Q") || IsSwitch(a, u"/L")) {
      // quiet, the link itself: nothing to do here
    } else if (IsSwitch(a, u"/setowner")) {
      if (i + 1 >= args.size()) return win::kErrorInvalidParameter;
      acl::Change change{acl::Change::kSetOwner, {}};
      if (!acl::CanonicalAccount(args[++i], change.ace.account)) return kErrorNoneMapped;
      changes.push_back(change);
    } else if (IsSwitch(a, u"/reset")) {
      changes.push_back({acl::Change::kReset, {}});
    } else if (IsSwitch(a, u"/inheritance:r")) {
      changes.push_back({acl::Change::kCutInheritance, {}});
    } else if (IsSwitch(a, u"/inheritance:d")) {
      changes.push_back({acl::Change::kCopyInheritance, {}});
    } else if (IsSwitch(a, u"/inheritance:e")) {
      changes.push_back({acl::Change::kInherit, {}});
    } else if (IsSwitch(a, u"/grant") || IsSwitch(a, u"/grant:r")) {
      auto kind = IsSwitch(a, u"/grant") ? acl::Change::kGrant : acl::Change::kGrantReplace;
      size_t first = i + 1;
      while (i + 1 < args.size() && !win::StartsWith(args[i + 1], u"/")) {
        acl::Change change{kind, {}};
        if (uint32_t error = ParseGrant(args[++i], false, change.ace)) return error;
        changes.push_back(change);
      }
      if (i + 1 == first) return win::kErrorInvalidParameter;
    } else {
      return win::kErrorInvalidParameter;
    }
  }
  // Without a change icacls only shows the rights, which needs the path.
  return acl::ApplyChanges(path, recurse, changes, goOn);
}

// cacls PATH [/T] [/E] [/C] [/G a:p ...] [/P a:p ...] [/R a ...]. Without /E
// the rights are replaced, which cacls confirms by asking on its input.
uint32_t RunCacls(StringView arguments, StringView input) {
  StringList args = SplitCommandLine(String(u"cacls ") + String(arguments));
  args.erase(args.begin());
  if (args.empty() || win::StartsWith(args[0], u"/")) return win::kErrorInvalidParameter;
  const String path = args[0];
  bool recurse = false;
  bool edit = false;
  bool goOn = false;
  std::vector<acl::Change> grants;
  for (size_t i = 1; i < args.size(); ++i) {
    const String& a = args[i];
    if (IsSwitch(a, u"/T")) {
      recurse = true;
    } else if (IsSwitch(a, u"/E")) {
      edit = true;
    } else if (IsSwitch(a, u"/C")) {
      goOn = true;
    } else if (IsSwitch(a, u"/G") || IsSwitch(a, u"/P") || IsSwitch(a, u"/R")) {
      bool revoke = IsSwitch(a, u"/R");
      size_t first = i + 1;
      while (i + 1 < args.size() && !win::StartsWith(args[i + 1], u"/")) {
        acl::Change change{revoke ? acl::Change::kRevoke : acl::Change::kGrantReplace, {}};
        const String& item = args[++i];
        uint32_t error = revoke ? (acl::CanonicalAccount(item, change.ace.account) ? kExitOk : kErrorNoneMapped)
                                : ParseGrant(item, true, change.ace);
        if (error) return error;
        if (IsSwitch(a, u"/G")) change.kind = acl::Change::kGrant;
        grants.push_back(change);
      }
      if (i + 1 == first) return win::kErrorInvalidParameter;
    } else {
      return win::kErrorInvalidParameter;
    }
  }
  if (grants.empty()) return win::kErrorInvalidParameter;
  if (!edit) {
    // "Are you sure (Y/N)?": only an answer beginning with Y goes ahead.
    String answer = win::TrimLeft(input);
    if (answer.empty() || (answer[0] != u'y' && answer[0] != u'Y')) return kExitDeclined;
    for (acl::Change& change : grants) {
      if (change.kind == acl::Change::kRevoke) return win::kErrorInvalidParameter;  // /R needs /E
    }
    grants.front().kind = acl::Change::kReplaceAll;
  }
  return acl::ApplyChanges(path, recurse, grants, goOn);
}

// The pipeline's stages, split at "|" outside quotes.
StringList SplitPipeline(StringView text) {
  StringList stages;
  String current;
  bool quoted = false;
  for (char16_t c : text) {
    if (c == u'"') quoted = !quoted;
    if (c == u'|' && !quoted) {
      stages.push_back(current);
      current.clear();
      continue;
    }
    current.push_back(c);
  }
  stages.push_back(current);
  return stages;
}

// One stage: "echo TEXT" gives TEXT to the next stage; a tool reads the
// previous stage's text as its input.
uint32_t RunStage(StringView stage, String& output, const String& input) {
  String text = win::TrimLeft(stage);
  size_t end = 0;
  String program;
  if (!text.empty() && text[0] == u'"') {
    size_t close = text.find(u'"', 1);
    program = text.substr(1, close == String::npos ? String::npos : close - 1);
    end = close == String::npos ? text.size() : close + 1;
  } else {
    while (end < text.size() && !IsBlank(text[end])) ++end;
    program = text.substr(0, end);
  }
  String rest = text.substr(end);
  output.clear();
  if (win::SameText(program, u"echo")) {
    output = rest.empty() ? String() : rest.substr(1);
    return kExitOk;
  }
  SystemTool tool = SystemToolByName(win::ExtractFileName(program));
  if (tool == SystemTool::kCacls || tool == SystemTool::kIcacls) return RunSystemTool(tool, rest, input);
  return kCmdUnknownCommand;
}

// cmd [/d] [/q] [/s] /c COMMAND
uint32_t RunCmd(StringView arguments) {
  size_t pos = 0;
  while (true) {
    while (pos < arguments.size() && IsBlank(arguments[pos])) ++pos;
    if (pos + 1 >= arguments.size() || arguments[pos] != u'/') return win::kErrorInvalidParameter;
    char16_t option = win::UpperCase(arguments.substr(pos + 1, 1))[0];
    pos += 2;
    if (option == u'C' || option == u'K') break;
    if (option != u'D' && option != u'Q' && option != u'S') return win::kErrorInvalidParameter;
  }
  String command = win::Trim(arguments.substr(pos));
  // cmd drops a quote that opens the command together with the last one.
  if (!command.empty() && command[0] == u'"') {
    size_t last = command.rfind(u'"');
    if (last > 0) command.erase(last, 1);
    command.erase(0, 1);
  }
  uint32_t code = kExitOk;
  String input;
  for (const String& stage : SplitPipeline(command)) {
    String output;
    code = RunStage(stage, output, input);
    input = output;
  }
  return code;
}

}  // namespace

SystemTool SystemToolByName(StringView fileName) {
  struct Name {
    const char16_t* name;
    SystemTool tool;
  };
  const Name names[] = {{u"cmd.exe", SystemTool::kCmd},       {u"cmd", SystemTool::kCmd},
                        {u"cacls.exe", SystemTool::kCacls},   {u"cacls", SystemTool::kCacls},
                        {u"icacls.exe", SystemTool::kIcacls}, {u"icacls", SystemTool::kIcacls}};
  for (const Name& n : names) {
    if (win::SameText(fileName, n.name)) return n.tool;
  }
  return SystemTool::kNone;
}

uint32_t RunSystemTool(SystemTool tool, StringView arguments, StringView input) {
  switch (tool) {
    case SystemTool::kCmd: return RunCmd(arguments);
    case SystemTool::kCacls: return RunCacls(arguments, input);
    case SystemTool::kIcacls: return RunIcacls(arguments);
    case SystemTool::kNone: break;
  }
  return kCmdUnknownCommand;
}

}  // namespace sim
