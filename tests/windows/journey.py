#!/usr/bin/env python3
"""The Windows end-to-end journey: the win32 build's sample package run by its
real Setup.exe under Wine (a fresh 64-bit Windows 10 prefix), driven through
real window input, and the same journey on the simulated machine.

    journey.py --host-build build/host --win32-build build/win32 --out DIR [--docs DIR]

Phases (scripts in journey/, the same text on both machines):
  0. Cancel on the welcome screen: the cancelled notice, nothing installed;
  1. install: welcome, a switch to German, series, the licence scrolled and
     agreed, install, finish (which starts the product);
  2. the Add/Remove Programs entry's UninstallString: confirmation, finish;
  3. a second install, then 4. "silentuninstall";
  5. an install and a same-version reinstall through the question screen.
After each phase the effects are checked on Wine (files, the registry's 32-bit
view, shortcuts read with lnkinfo, the Run value, what an uninstall leaves),
never Wine's exit codes; then both machines' effects are compared as lists
(files with size and hash, registry values, shortcut fields, the command lines
of the programs started). Every difference is listed; those in NATURAL below
are the machines' own, each with its reason; any other fails the test.

Before the journey, a DLL that leaves a mark when loaded is laid beside a copy
of Setup.exe under five system DLL names: none may be loaded while the welcome
screen shows (a careless probe program shows that Wine would load them).

Screenshots of every screen land in OUT/wine and OUT/simulated (and in the
--docs folder when given). Exit code 0 when all holds, 1 otherwise.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "windrive"))
import wine_machine as wm  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
PLANTED = ["version.dll", "uxtheme.dll", "dwmapi.dll", "msftedit.dll", "windowscodecs.dll", "oleacc.dll"]

def _started_by_the_shell(a, b, sim_entries):
    if b is not None or a is None or not a.startswith('run "'):
        return False
    program, _, rest = a[5:].partition('"')
    return ("ShellExecute open " + program + rest) in sim_entries


# Differences that come from the machines themselves, not from the program.
# Each: (the list it concerns or None for any, a test on the simulated and
# the Wine entry (None where one has none) and the simulated list, the reason).
NATURAL = [
    ("files", lambda a, b, _: a and b and a.split("\t")[0].lower().endswith(".exe")
     and a.split("\t")[0] == b.split("\t")[0],
     "programs are built for each machine (host programs on the simulated machine, Windows programs "
     "under Wine): same paths, other sizes and contents"),
    (None, lambda a, b, _: a and b and a.replace("C:\\Users\\", "C:\\users\\") == b,
     "Wine spells the profiles folder C:\\users where Windows and the simulated machine spell it C:\\Users "
     "(the shell hands the program that spelling)"),
    ("registry", lambda a, b, _: a and b and "\\EstimatedSize = dword:" in a
     and a.split(" = ")[0] == b.split(" = ")[0],
     "the program folder's size in KB counts its programs, which are built for each machine"),
    ("commands", _started_by_the_shell,
     "the simulated machine also writes the program that ShellExecute starts as a run line; on Windows "
     "the shell starts it, out of the program's sight"),
]


def log(message):
    print(message, flush=True)


class Failures:
    def __init__(self):
        self.items = []

    def check(self, ok, what):
        if not ok:
            self.items.append(what)
            log("FAIL " + what)
        return ok


def setup_value(package, name):
    with open(os.path.join(package, "Setup.ini"), encoding="utf-8-sig", errors="replace") as f:
        for line in f:
            if line.startswith(name + "="):
                return line.split("=", 1)[1].strip()
    raise SystemExit("journey: Setup.ini has no %s" % name)


def split_command(command):
    command = command.strip()
    if command.startswith('"'):
        end = command.index('"', 1)
        return command[1:end], command[end + 1:].split()
    program, _, rest = command.partition(" ")
    return program, rest.split()


# ---------------------------------------------------------------- the two machines

class Product:
    def __init__(self, package):
        self.name = setup_value(package, "%PROGRAM_FILES")
        self.entry = setup_value(package, "%REG_FODLER_PROGNAME")
        self.publisher = setup_value(package, "%PUBLISHER")
        self.onboot = setup_value(package, "%PROGRAM_ONBOOT")
        self.folders = ["C:\\Program Files (x86)\\" + self.name, "C:\\ProgramData\\" + self.name,
                        "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\" + self.publisher,
                        "C:\\Users\\Public\\Desktop"]
        # The 32-bit view's keys, as the program names them.
        self.keys = ["HKEY_LOCAL_MACHINE\\Software\\" + self.publisher,
                     "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + self.entry,
                     "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"]

    def wanted_value(self, key, name):
        if key.lower().endswith("\\run"):
            return name.lower() == self.onboot.lower()
        return True


def normalise_command(line):
    # The profile folder carries the account's name, which the machines do
    # not share.
    return re.sub(r"(?i)C:\\Users\\[^\\]+\\", r"C:\\Users\\<user>\\", line)


class SimSide:
    def __init__(self, build, folder, product):
        self.winsim = os.path.abspath(os.path.join(build, "tools", "winsim"))
        self.folder = os.path.abspath(folder)
        self.machine = os.path.join(self.folder, "machine")
        self.product = product
        self.log_lines = 0

    def create(self, package):
        if os.path.exists(self.folder):
            shutil.rmtree(self.folder)
        os.makedirs(self.folder)
        subprocess.run([self.winsim, "new", self.machine], check=True, stdout=subprocess.DEVNULL)
        shutil.copytree(package, os.path.join(self.machine, "drive_c", "ZorvexDemo"))

    def run_script(self, script, program, args, shots):
        os.makedirs(shots, exist_ok=True)
        started = time.monotonic()
        r = subprocess.run([self.winsim, "run", "--script", script, self.machine, program] + args, cwd=shots,
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=600)
        if r.returncode != 0:
            raise wm.Failure(r.stdout.decode("utf-8", "replace").strip())
        return time.monotonic() - started

    def registry(self):
        text = subprocess.run([self.winsim, "reg", self.machine], check=True, stdout=subprocess.PIPE).stdout
        values = wm.parse_reg(text.decode("utf-8-sig"))
        out = {}
        for (key, name), (k, n, v) in values.items():
            # The machine keeps a 32-bit program's HKLM\Software where 64-bit
            # Windows does: below WOW6432Node.
            k32 = re.sub(r"(?i)^HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\", r"HKEY_LOCAL_MACHINE\\Software\\", k)
            out[(k32.lower(), name)] = (k32, n, v)
        return out

    def commands(self):
        text = subprocess.run([self.winsim, "log", self.machine], check=True,
                              stdout=subprocess.PIPE).stdout.decode("utf-8", "replace")
        lines = text.splitlines()
        new = lines[self.log_lines:]
        self.log_lines = len(lines)
        out = []
        for line in new:
            if line.startswith("run "):
                out.append(normalise_command(line))
            elif line.startswith("ShellExecute open "):
                out.append(normalise_command(line))
        # The first is the script runner's own start of the program.
        return out[1:]

    def drive_c(self):
        return os.path.join(self.machine, "drive_c")


class WineSide:
    def __init__(self, machine, product):
        self.m = machine
        self.product = product
        self.debug_log = None

    def run_script(self, script, program, args, shots, name):
        os.makedirs(shots, exist_ok=True)
        with open(script, encoding="utf-8") as f:
            text = f.read()
        self.debug_log = os.path.join(os.path.dirname(shots), "wine-debug-%s.log" % name)
        if os.path.exists(self.debug_log):
            os.unlink(self.debug_log)
        started = time.monotonic()
        times = self.m.run_script(text, program, args, shots=shots, log_path=self.debug_log, name=name)
        return time.monotonic() - started, times

    def registry(self):
        out = {}
        for key in self.product.keys:
            target = os.path.join(self.m.folder, "export.reg")
            if os.path.exists(target):
                os.unlink(target)
            r = self.m.run_wine(["wine", "reg", "export", key, "Z:" + target.replace("/", "\\"), "/reg:32", "/y"],
                                check=False)
            if r.returncode != 0 or not os.path.exists(target):
                continue
            with open(target, "rb") as f:
                raw = f.read()
            text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("utf-8-sig")
            for (k, name), value in wm.parse_reg(text).items():
                out[(k, name)] = value
        return out

    def commands(self):
        out = []
        if not self.debug_log or not os.path.exists(self.debug_log):
            return out
        with open(self.debug_log, "rb") as f:
            for raw in f.read().decode("utf-8", "replace").splitlines():
                at = raw.find('OutputDebugStringA "')
                if at < 0:
                    continue
                text = raw[at + len('OutputDebugStringA "'):].rstrip()
                if text.endswith('"'):
                    text = text[:-1]
                text = bytes(text, "utf-8").decode("unicode_escape").encode("latin-1").decode("utf-8", "replace")
                if text.startswith("run ") or text.startswith("ShellExecute open "):
                    out.append(normalise_command(text))
        return out

    def drive_c(self):
        return self.m.drive_c


def effects(side, product):
    """The lists that are compared: {kind: {key: entry}}."""
    files = {}
    for entry in wm.file_list(side.drive_c(), product.folders):
        path = entry.split("\t")[0]
        files[path.lower()] = entry
    registry = {}
    for (key, name), (k, n, v) in side.registry().items():
        if not any(key.lower() == w.lower() or key.lower().startswith(w.lower() + "\\") for w in product.keys):
            continue
        if not product.wanted_value(k, n):
            continue
        registry[(k + "\\" + n).lower()] = "%s\\%s = %s" % (k, n or "@", v)
    shortcuts = {}
    for path, entry in files.items():
        if path.endswith(".lnk"):
            parts = entry.split("\t")[0][3:].split("\\")
            host = os.path.join(wm.case_insensitive(side.drive_c(), parts[:-1]), parts[-1])
            for field, value in sorted(wm.shortcut_fields(host).items()):
                shortcuts[(path + " " + field).lower()] = "%s: %s = %s" % (entry.split("\t")[0], field, value)
    commands = {}
    for i, line in enumerate(side.commands()):
        commands["%03d" % i] = line
    return {"files": files, "registry": registry, "shortcuts": shortcuts, "commands": commands}


def compare(phase, sim, wine, failures):
    """Lists every difference; fails on those that are not named."""
    named_seen = set()
    for kind in ("files", "registry", "shortcuts", "commands"):
        a, b = sim[kind], wine[kind]
        if kind == "commands":
            # Order matters little between two runs of workers; compare as lists.
            a = {"%s" % v: v for v in a.values()}
            b = {"%s" % v: v for v in b.values()}
        for key in sorted(set(a) | set(b)):
            left, right = a.get(key), b.get(key)
            if left == right:
                continue
            # Shortcuts differ in shortcut files' hashes too (below).
            if kind == "files" and left and right and key.endswith(".lnk"):
                continue
            reason = None
            for nkind, test, why in NATURAL:
                if nkind in (None, kind) and test(left, right, a):
                    reason = why
            line = "%s %s:\n      simulated: %s\n      wine:      %s" % (phase, kind, left, right)
            if reason:
                named_seen.add(reason)
                continue
            failures.check(False, "difference " + line)
    for reason in named_seen:
        log("  named difference (%s): %s" % (phase, reason))


# ---------------------------------------------------------------- checks on Wine by effects

def registry_value(effects_, key_suffix, name):
    for entry in effects_["registry"].values():
        k, _, rest = entry.partition(" = ")
        if k.lower().endswith((key_suffix + "\\" + name).lower()):
            return rest
    return None


def has_file(effects_, suffix):
    return any(p.endswith(suffix.lower()) for p in effects_["files"])


def check_installed(phase, e, product, failures):
    pf = ("c:\\program files (x86)\\%s\\" % product.name).lower()
    failures.check(any(p.startswith(pf) and p.endswith("installed.log") for p in e["files"]),
                   "%s: Installed.log under %s" % (phase, pf))
    failures.check(has_file(e, "\\bin\\uninst\\setup.exe"), "%s: the uninstaller copy" % phase)
    failures.check(registry_value(e, "\\Uninstall\\" + product.entry, "UninstallString") is not None,
                   "%s: the Add/Remove Programs entry" % phase)
    failures.check(registry_value(e, "\\Run", product.onboot) is not None, "%s: the Run value" % phase)
    lnks = [p for p in e["files"] if p.endswith(".lnk")]
    failures.check(len(lnks) >= 2, "%s: shortcuts (found %d)" % (phase, len(lnks)))
    targets = [v for k, v in e["shortcuts"].items() if k.endswith("local path")]
    failures.check(any(pf in t.lower() for t in targets), "%s: a shortcut to the product (%s)" % (phase, targets))


def check_removed(phase, e, product, failures):
    failures.check(registry_value(e, "\\Uninstall\\" + product.entry, "UninstallString") is None,
                   "%s: no Add/Remove Programs entry left" % phase)
    failures.check(registry_value(e, "\\Run", product.onboot) is None, "%s: no Run value left" % phase)
    failures.check(not any(p.endswith(".lnk") for p in e["files"]), "%s: no shortcut left" % phase)
    failures.check(not has_file(e, "\\installed.log"), "%s: no Installed.log left" % phase)


# ---------------------------------------------------------------- planted DLLs

def check_planted_dlls(machine, tools, package, failures, figures):
    """No DLL laid beside Setup.exe under a system DLL's name is loaded.

    Wine prefers its own copy of a system DLL wherever another lies, where
    Windows looks beside the program first for every DLL outside KnownDLLs;
    native first ("=n,b") makes Wine search as Windows does. Three programs
    run beside the planted DLLs:
      - the careless probe loads each by name: all must be marked, or the
        check would prove nothing;
      - the baseline, linked as Setup.exe and hardened as it should be, one
        DLL at a time: what it still takes from its folder, Wine's own system
        DLLs import (Windows takes a KnownDLL's dependencies from the system
        folder). Those stay Wine's choice for Setup.exe (native first would
        stop any program at its start) and are checked by Setup.exe's import
        table alone;
      - Setup.exe, to its welcome screen, asked by a screen reader (which
        makes it load oleacc.dll): no mark may appear.
    """
    folder = machine.host_path("C:\\Planted")
    shutil.copytree(package, folder)
    for program in ("dll_probe.exe", "dll_baseline.exe"):
        shutil.copy(os.path.join(tools, program), folder)
    for name in PLANTED:
        shutil.copy(os.path.join(tools, "dll_marker.dll"), os.path.join(folder, name))

    def marks():
        found = [n for n in PLANTED if os.path.exists(os.path.join(folder, n + ".loaded"))]
        for n in found:
            os.unlink(os.path.join(folder, n + ".loaded"))
        return found

    def native_first(names):
        return "mscoree,mshtml=" + (";" + ",".join(n[:-4] for n in names) + "=n,b" if names else "")

    saved = machine.env["WINEDLLOVERRIDES"]
    try:
        machine.env["WINEDLLOVERRIDES"] = native_first(PLANTED)
        machine.run_wine(["wine", "C:\\Planted\\dll_probe.exe"] + PLANTED, check=False, timeout=120)
        probed = marks()
        failures.check(len(probed) == len(PLANTED),
                       "the careless probe loads every planted DLL (so that the check means something): %s"
                       % probed)
        wines_own = []
        for name in PLANTED:
            machine.env["WINEDLLOVERRIDES"] = native_first([name])
            r = machine.run_wine(["wine", "C:\\Planted\\dll_baseline.exe"], check=False, timeout=120)
            if marks() or b"ready" not in r.stdout:
                wines_own.append(name)
        if wines_own:
            log("  named: Wine's own system DLLs import %s; laid beside Setup.exe with Wine's load order, "
                "checked by its import table" % ", ".join(wines_own))
        machine.env["WINEDLLOVERRIDES"] = native_first([n for n in PLANTED if n not in wines_own])
        times = machine.run_script("timeout 60\nwait FWelcome\nnames planted-names.txt\n",
                                   "C:\\Planted\\Setup.exe", (),
                                   shots=folder, name="planted")
        figures["wine welcome (warm prefix)"] = times.get("FWelcome")
        time.sleep(1.0)
        loaded = marks()
        failures.check(not loaded, "Setup.exe loaded none of the planted DLLs (loaded: %s)" % loaded)
        log("planted DLLs: the probe loaded %d of %d, the baseline %d (Wine's own), Setup.exe %d" % (
            len(probed), len(PLANTED), len(wines_own), len(loaded)))
    except wm.Failure as e:
        failures.check(False, "planted DLLs: %s" % e)
    finally:
        machine.end_programs()
        machine.env["WINEDLLOVERRIDES"] = saved
    imports = subprocess.run(["i686-w64-mingw32-objdump", "-p", os.path.join(folder, "Setup.exe")],
                             stdout=subprocess.PIPE).stdout.decode("utf-8", "replace").lower()
    imported = [n for n in PLANTED if "dll name: " + n in imports]
    failures.check(not imported, "Setup.exe imports none of the planted DLLs (imports: %s)" % imported)
    shutil.rmtree(folder)


# ---------------------------------------------------------------- main

# What a screen reader must hear on the welcome screen: (role, name, state
# word that must be there or None), in English and after the switch to German.
WELCOME_NAMES = {
    "english": [("button", "Next", "focused"), ("button", "Cancel", None),
                ("list", "Select the setup language:", None)],
    "german": [("button", "Weiter", None), ("button", "Abbrechen", None),
               ("list", "Wählen Sie die Sprache der Installation:", "focused")],
}


def check_screen_reader(machine, wine, out, failures):
    """The welcome screen's controls tell their names to accessibility tools
    (read back through the system's own AccessibleObjectFromWindow)."""
    if not os.path.exists(os.path.join(machine.drive_c, "zxtools", "zxnames.exe")):
        failures.check(False, "screen reader: zxnames.exe is missing")
        return
    shots = os.path.join(out, "wine")
    try:
        wine.run_script(os.path.join(HERE, "journey", "6-screen-reader.script"), "C:\\ZorvexDemo\\Setup.exe", [],
                        shots, "screen-reader")
    except wm.Failure as e:
        failures.check(False, "screen reader: %s" % e)
        return
    for language, wanted in WELCOME_NAMES.items():
        path = os.path.join(shots, "names-%s.txt" % language)
        lines = open(path, encoding="utf-8").read().splitlines() if os.path.exists(path) else []
        elements = [line.split("\t")[1:] for line in lines if line.startswith("element\t")]
        for role, name, state in wanted:
            found = [e for e in elements if len(e) >= 3 and e[0] == role and e[1] == name]
            failures.check(bool(found) and (state is None or state in found[0][2].split()),
                           "screen reader (%s): %s \"%s\"%s" % (language, role, name,
                                                              " " + state if state else ""))


# A long licence for the rich-edit check: a bold title, sixty clauses, and a
# bordered two-row table at its end.
def long_licence():
    border = "".join("\\clbrdr%s\\brdrs\\brdrw10" % side for side in "tlbr")
    row = "\\trowd\\trgaph108\\trleft0" + border + "\\cellx3000" + border + "\\cellx6000"
    rtf = ["{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Tahoma;}}\\f0\\fs18 ",
           "{\\b\\fs24 Licence agreement}\\par "]
    rtf += ["%d. Clause %d of the agreement.\\par " % (i, i) for i in range(1, 61)]
    rtf += [row + "\\pard\\intbl Item\\cell Terms\\cell\\row ",
            row + "\\pard\\intbl Support\\cell Two years\\cell\\row ", "\\pard End of the licence.\\par }"]
    return "".join(rtf)


# The licence view's place on its screen (the layout's re_EULA).
LICENCE_VIEW = (192, 72, 192 + 416, 72 + 262)


def grid_lines(path):
    """Rows of the licence view in a screenshot that hold a dark horizontal
    line of at least 200 pixels: the table's borders."""
    from PIL import Image  # noqa: E402 (only the Windows suite needs it)
    view = Image.open(path).convert("L").crop(LICENCE_VIEW)
    width, height = view.size
    pixels = view.load()
    rows = []
    for y in range(height):
        run = longest = 0
        for x in range(width - 20):  # not the scroll bar
            run = run + 1 if pixels[x, y] < 96 else 0
            longest = max(longest, run)
        if longest >= 200:
            rows.append(y)
    return rows


def check_licence(machine, wine, package, out, failures):
    """A long licence is read to its end in the system's rich-edit control,
    by the thumb and by the End key, and its table is drawn as a grid."""
    copy = machine.host_path("C:\\LicenceCheck")
    shutil.copytree(package, copy)
    for language in os.listdir(os.path.join(copy, "EULA")):
        with open(os.path.join(copy, "EULA", language, "Service.rtf"), "w", encoding="ascii") as f:
            f.write(long_licence())
    shots = os.path.join(out, "wine")
    try:
        wine.run_script(os.path.join(HERE, "journey", "7-licence.script"), "C:\\LicenceCheck\\Setup.exe", [],
                        shots, "licence")
    except wm.Failure as e:
        failures.check(False, "licence: %s" % e)
        return
    finally:
        shutil.rmtree(copy, ignore_errors=True)
    lines = {name: grid_lines(os.path.join(shots, "licence-%s.png" % name))
             for name in ("top", "dragged", "home", "end")}
    log("   licence view, rows with a table border: %s" % lines)
    failures.check(not lines["top"], "licence: no table at the top")
    failures.check(not lines["home"], "licence: Home goes back to the top")
    failures.check(len(lines["dragged"]) >= 3, "licence: the thumb dragged to the end shows the table's grid")
    failures.check(len(lines["end"]) >= 3, "licence: End shows the table's grid")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host-build", required=True)
    parser.add_argument("--win32-build", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--docs", help="also copy the screenshots here")
    args = parser.parse_args()

    for tool in ("wine", "wineserver", "Xvfb", "xdotool", "lnkinfo"):
        if shutil.which(tool) is None:
            log("journey: %s is missing (scripts/install-deps.sh installs it)" % tool)
            return 1
    win_package = os.path.join(args.win32_build, "packages", "ZorvexDemo")
    sim_package = os.path.join(args.host_build, "packages", "ZorvexDemo")
    tools = os.path.join(args.win32_build, "tools")
    for needed in (win_package, sim_package, os.path.join(tools, "zxdrive.exe")):
        if not os.path.exists(needed):
            log("journey: %s is missing (make host win32 builds it)" % needed)
            return 1
    out = os.path.abspath(args.out)
    if os.path.exists(out):
        shutil.rmtree(out)
    os.makedirs(out)
    product = Product(win_package)
    failures = Failures()
    figures = {}

    display = wm.VirtualDisplay()
    machine = wm.WineMachine(os.path.join(out, "prefix"), display, tools)
    try:
        started = time.monotonic()
        machine.create()
        figures["prefix made"] = time.monotonic() - started
        shutil.copytree(win_package, machine.host_path("C:\\ZorvexDemo"))
        check_planted_dlls(machine, tools, win_package, failures, figures)

        sim = SimSide(args.host_build, os.path.join(out, "sim"), product)
        sim.create(sim_package)
        # Launch to the welcome screen on the simulated machine, for the figures.
        welcome = os.path.join(out, "welcome.script")
        with open(welcome, "w", encoding="utf-8") as f:
            f.write("timeout 60\nwait FWelcome\n")
        figures["simulated welcome"] = sim.run_script(welcome, "C:\\ZorvexDemo\\Setup.exe", [],
                                                      os.path.join(out, "simulated"))
        sim.commands()  # that run is not part of the journey
        wine = WineSide(machine, product)
        setup = "C:\\ZorvexDemo\\Setup.exe"

        def phase(name, script, program_of, args_, expect):
            log("== %s" % name)
            script_path = os.path.join(HERE, "journey", script)
            w_program, w_args = program_of(wine, machine.drive_c)
            s_program, s_args = program_of(sim, sim.drive_c())
            try:
                seconds, times = wine.run_script(script_path, w_program, w_args + args_,
                                                 os.path.join(out, "wine"), name)
                figures["wine " + name] = seconds
                if "FWelcome" in times:
                    figures.setdefault("wine welcome (" + name + ")", times["FWelcome"])
            except wm.Failure as e:
                failures.check(False, "wine %s: %s" % (name, e))
            try:
                figures["simulated " + name] = sim.run_script(script_path, s_program, s_args + args_,
                                                              os.path.join(out, "simulated"))
            except wm.Failure as e:
                failures.check(False, "simulated %s: %s" % (name, e))
            e_wine = effects(wine, product)
            e_sim = effects(sim, product)
            expect(name, e_wine, product, failures)
            compare(name, e_sim, e_wine, failures)
            log("   wine: %d files, %d registry values, %d shortcut fields, %d programs started" % (
                len(e_wine["files"]), len(e_wine["registry"]), len(e_wine["shortcuts"]), len(e_wine["commands"])))

        def package_setup(side, _drive):
            return setup, []

        def uninstall_string(side, _drive):
            value = registry_value({"registry": {k: "%s\\%s = %s" % (v[0], v[1], v[2])
                                                 for k, v in side.registry().items()}},
                                   "\\Uninstall\\" + product.entry, "UninstallString")
            if value is None or not value.startswith("sz:"):
                return "C:\\missing-uninstall-entry.exe", []
            return split_command(value[3:])

        def uninstaller(side, drive):
            program, _ = uninstall_string(side, drive)
            return program, []

        phase("cancel", "0-cancel.script", package_setup, [], check_removed)
        # While no copy is installed, so the welcome screen comes first.
        log("== screen reader")
        check_screen_reader(machine, wine, out, failures)
        log("== licence")
        check_licence(machine, wine, win_package, out, failures)
        phase("install", "1-install.script", package_setup, [], check_installed)
        phase("uninstall", "2-uninstall.script", uninstall_string, [], check_removed)
        phase("second-install", "3-install-plain.script", package_setup, [], check_installed)
        phase("silentuninstall", "4-silent-uninstall.script", uninstaller, ["silentuninstall"], check_removed)
        phase("third-install", "3-install-plain.script", package_setup, [], check_installed)
        phase("reinstall", "5-reinstall.script", package_setup, [], check_installed)
    finally:
        try:
            machine.stop_session()
        finally:
            display.stop()

    if args.docs:
        for side in ("wine", "simulated"):
            target = os.path.join(args.docs, side)
            os.makedirs(target, exist_ok=True)
            for name in sorted(os.listdir(os.path.join(out, side))):
                if name.endswith(".png"):
                    shutil.copy(os.path.join(out, side, name), target)
    log("figures (seconds): " + ", ".join("%s %.1f" % (k, v) for k, v in figures.items() if v is not None))
    if failures.items:
        log("journey: %d failures" % len(failures.items))
        return 1
    log("journey: all held")
    return 0


if __name__ == "__main__":
    sys.exit(main())
