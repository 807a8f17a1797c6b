#!/usr/bin/env python3
"""Crash campaign: the set-up program killed at random moments on simulated
machines, then run again, to see that the rerun completes and loses nothing.

    scripts/crash-campaign.py [--kills N] [--seed S] [--jobs J] [--keep] [--busy]
                              [--build DIR] [--action NAME] [--index K] [--at SECONDS]
                              [--report FILE] [--failures FILE]

Three actions, the kills spread evenly over them:

  install-over   the package's Setup.exe over an installed older copy (its
                 uninstall entry says 19.01.0001) holding files the player
                 made; the question answered with OK, the old uninstaller
                 ("uninstallanyway") run to its finish screen, then the wizard
                 to its end. The kill moment is drawn over the whole run.
  replace-phase  the same run, but the kill moment is drawn only inside its
                 first phase: until the old uninstaller has ended.
  uninstall      the installed uninstaller with "uninstall" through its
                 confirmation screen, the "delete user data" box alternately
                 unticked (even kills) and ticked (odd kills).

For each kill a prepared base machine is copied, the action is started in a
process group of its own, and after a uniformly random moment within the
time an undisturbed run of that action took, the whole group (winsim, Setup,
the old uninstaller) gets SIGKILL. The same action is then run again on that
machine. Which screen a rerun meets first depends on where the kill hit, so
the rerun tries the scripts that fit, the likeliest first (chosen from the
machine's registry), each on a fresh copy of the killed machine; the first one
that runs to its end is the rerun.

A rerun is completed when the machine reaches the action's end state: after
an install the uninstall entry says 19.02.0005 and the program folder holds
Installed.log; after an uninstall the entry is gone. Then:

  - every file the player made must be in the program folder byte for byte
    (after an install; after an uninstall without the "delete user data"
    choice, those the uninstaller keeps: ScriptsMacros, UserLog, SLED);
  - nothing outside the product's own folders, its shortcuts and %TEMP% may
    have changed on drive C: (path, size and SHA-256 of every file, and every
    folder's presence).

Most of an undisturbed run is spent waiting (the preparation screen's timer,
the screens between the clicks), so a moment drawn over the whole run seldom
lands in the middle of a copy or a removal. --busy draws the moments only
within the windows in which the measuring run was seen changing the machine.

The installed copy is made older by changing DisplayVersion in the
machine's registry file (winsim shows the registry but sets no values).

The table counts per action: kills, kills that left a half-done machine (the
machine differed from its base after the kill), reruns completed, player
files lost or changed, files outside changed, and for information completed
reruns unlike an undisturbed run (the product's folders differ from those an
undisturbed run leaves, or an install's rerun met a message box); those are
listed under "notes". Exit code 0 only when every rerun completed and nothing
was lost or changed. Every failing kill is listed with the command line that
repeats it, and added to --failures. A moment is drawn from the seed, the
action and the kill's number, scaled by the measured run time, which varies a
little between campaigns: the listed line therefore gives the moment itself.

The build's winsim, Setup and sample package are copied once at the start, so
a rebuild during the campaign does not mix programs. Machines live under /tmp
and are removed at the end unless --keep is given.
"""

import argparse
import concurrent.futures
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

PACKAGE = "C:\\Users\\Player\\Downloads\\ZorvexDemo\\"
SETUP = PACKAGE + "Setup.exe"
UNINSTALLER = "C:\\ProgramData\\Zorvex7\\bin\\uninst\\Setup.exe"
PROGRAM_FOLDER = "C:\\Program Files (x86)\\Zorvex7\\Zorvex7\\"
TEMPLATES = "C:\\ProgramData\\Zorvex7\\Templates\\"
UNINSTALL_KEY_SUFFIX = "\\microsoft\\windows\\currentversion\\uninstall\\zorvex3"
PRODUCT_KEY_SUFFIX = "\\zorvex\\zorvex3"
OLD_VERSION = "19.01.0001"
NEW_VERSION = "19.02.0005"

# Folders of drive C: that belong to the product (relative, lower case, "/").
PRODUCT_FOLDERS = [
    "program files (x86)/zorvex7",
    "program files (x86)/zorvex6",
    "programdata/zorvex7",
    "users/player/appdata/local/temp",
]

# The product's folders, compared after a rerun with an undisturbed run's.
PRODUCT_TREES = ["C:\\Program Files (x86)\\Zorvex7", "C:\\ProgramData\\Zorvex7"]

# Folders whose files the uninstaller keeps when the player does not ask for
# the user data to go (at any depth, unless below a DefaultLog folder).
KEPT_FOLDERS = {"scriptsmacros", "userlog", "sled"}

ACTIONS = ["install-over", "replace-phase", "uninstall"]
ACTION_TITLES = {
    "install-over": "install over an older copy (moment over the whole run)",
    "replace-phase": "replacement through the old uninstaller (moment until it ends)",
    "uninstall": "uninstall, keep and delete choice alternating",
}


def player_files():
    """What the player made in the installed copy: (path below the program
    folder, bytes). Calibration.dat is large enough for a kill to land in the
    middle of its copy."""
    noise = random.Random(20261201)
    calibration = bytes(noise.getrandbits(8) for _ in range(384 * 1024))
    burst = "".join("press L\r\nwait %d\r\nrelease L\r\n" % (i % 40) for i in range(2000)).encode()
    return [
        ("Data\\Device\\English\\Profile2.ini", b"[Profile]\r\nDpi=1600\r\nName=Sniper\r\n"),
        ("Data\\Device\\ChineseT\\Profile2.ini", "\ufeff[Profile]\r\nName=\u72d9\u64ca\r\n".encode("utf-16-le")),
        ("Data\\Device\\English\\Calibration.dat", calibration),
        ("Data\\Device\\English\\ScriptsMacros\\Rapid.mcr", b"press L\r\nwait 15\r\nrelease L\r\n"),
        ("Data\\Device\\English\\ScriptsMacros\\Burst.mcr", burst),
        ("Data\\Device\\English\\SLED\\Wave.led", b"wave\x00\x01\x02"),
        ("UserLog\\Session-2026-12-01.log", b"12:00 connected\r\n12:41 profile 2\r\n"),
        ("UserLog\\Session-2026-12-02.log", b"09:13 connected\r\n" * 400),
    ]


def kept_by_uninstall(path):
    """Whether an uninstall without the "delete user data" choice keeps the file."""
    for folder in path.lower().split("\\")[:-1]:
        if folder == "defaultlog":
            return False
        if folder in KEPT_FOLDERS:
            return True
    return False


# ---------------------------------------------------------------- machines


class Machine:
    """A machine folder: drive_c/, registry.reg, tools.log."""

    def __init__(self, folder):
        self.dir = folder

    def host(self, windows_path, create=False):
        """The host path of C:\\... , matched without regard to letter case as
        the machine does; new parts keep the case given."""
        assert windows_path[:3].lower() == "c:\\", windows_path
        path = os.path.join(self.dir, "drive_c")
        parts = [p for p in windows_path[3:].split("\\") if p]
        for i, part in enumerate(parts):
            found = None
            if os.path.isdir(path):
                for name in os.listdir(path):
                    if name.lower() == part.lower():
                        found = name
                        break
            path = os.path.join(path, found or part)
            if create and found is None and i < len(parts) - 1:
                os.makedirs(path, exist_ok=True)
        return path

    def exists(self, windows_path):
        return os.path.lexists(self.host(windows_path))

    def read(self, windows_path):
        try:
            with open(self.host(windows_path), "rb") as f:
                return f.read()
        except OSError:
            return None

    def write(self, windows_path, data):
        target = self.host(windows_path, create=True)
        with open(target, "wb") as f:
            f.write(data)

    def tool_log(self):
        try:
            with open(os.path.join(self.dir, "tools.log"), encoding="utf-8", errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    # The registry file: .reg export text, UTF-16LE with byte-order mark.
    def registry_text(self):
        with open(os.path.join(self.dir, "registry.reg"), "rb") as f:
            return f.read().decode("utf-16")

    def registry(self):
        """{key path: {value name: string}} for the string values."""
        keys = {}
        current = None
        for line in self.registry_text().splitlines():
            if line.startswith("[") and line.endswith("]"):
                current = keys.setdefault(line[1:-1], {})
            elif current is not None and line.startswith('"'):
                match = re.match(r'"((?:[^"\\]|\\.)*)"="((?:[^"\\]|\\.)*)"$', line)
                if match:
                    current[unescape(match.group(1))] = unescape(match.group(2))
        return keys

    def key(self, suffix):
        for path, values in self.registry().items():
            if path.lower().endswith(suffix):
                return values
        return None

    def uninstall_entry(self):
        return self.key(UNINSTALL_KEY_SUFFIX)

    def set_uninstall_value(self, name, value):
        """Changes one string value of the uninstall entry in the registry file
        (no program may run on the machine meanwhile)."""
        text = self.registry_text()
        out, inside, done = [], False, False
        for line in text.split("\n"):
            bare = line.rstrip("\r")
            if bare.startswith("[") and bare.endswith("]"):
                inside = bare[1:-1].lower().endswith(UNINSTALL_KEY_SUFFIX)
            elif inside and bare.startswith('"%s"=' % name):
                line = '"%s"="%s"' % (name, escape(value)) + line[len(bare):]
                done = True
            out.append(line)
        if not done:
            raise RuntimeError("no value %s in the uninstall entry" % name)
        data = "\n".join(out)
        temporary = os.path.join(self.dir, "registry.reg.new")
        with open(temporary, "wb") as f:
            f.write(b"\xff\xfe" + data.encode("utf-16-le"))
        os.replace(temporary, os.path.join(self.dir, "registry.reg"))


def unescape(text):
    return re.sub(r"\\(.)", r"\1", text)


def escape(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')


def copy_machine(source, target):
    subprocess.run(["cp", "-a", source, target], check=True)


def remove_tree(path):
    shutil.rmtree(path, ignore_errors=True)


# ---------------------------------------------------------------- snapshots


def outside_snapshot(machine, excluded):
    """{relative path: (kind, size, sha256)} of drive C:, without the product's
    own folders and the given shortcut files/folders (relative, lower case)."""
    root = os.path.join(machine.dir, "drive_c")
    result = {}

    def skipped(relative):
        low = relative.lower()
        for prefix in excluded:
            if low == prefix or low.startswith(prefix + "/"):
                return True
        return False

    for folder, dirs, files in os.walk(root):
        rel_folder = os.path.relpath(folder, root)
        rel_folder = "" if rel_folder == "." else rel_folder
        kept_dirs = []
        for name in sorted(dirs):
            relative = os.path.join(rel_folder, name) if rel_folder else name
            if skipped(relative):
                continue
            result[relative] = ("folder", 0, "")
            kept_dirs.append(name)
        dirs[:] = kept_dirs
        for name in sorted(files):
            relative = os.path.join(rel_folder, name) if rel_folder else name
            if skipped(relative):
                continue
            full = os.path.join(folder, name)
            digest = hashlib.sha256()
            try:
                with open(full, "rb") as f:
                    for block in iter(lambda: f.read(1 << 20), b""):
                        digest.update(block)
                result[relative] = ("file", os.path.getsize(full), digest.hexdigest())
            except OSError as error:
                result[relative] = ("unreadable", 0, str(error))
    return result


def footprint(machine):
    """Every path of drive C: with its size, and the registry text: enough to
    tell whether a killed run had changed anything yet."""
    root = os.path.join(machine.dir, "drive_c")
    paths = set()
    for folder, dirs, files in os.walk(root):
        for name in dirs + files:
            full = os.path.join(folder, name)
            try:
                paths.add((os.path.relpath(full, root), os.path.getsize(full) if name in files else -1))
            except OSError:
                pass
    return paths, machine.registry_text()


def product_tree(machine):
    """{relative path: (size, sha256) or "folder"} of the product's own folders."""
    tree = {}
    root = os.path.join(machine.dir, "drive_c")
    for windows_folder in PRODUCT_TREES:
        top = machine.host(windows_folder)
        for folder, dirs, files in os.walk(top):
            for name in dirs:
                tree[os.path.relpath(os.path.join(folder, name), root)] = "folder"
            for name in files:
                full = os.path.join(folder, name)
                try:
                    with open(full, "rb") as f:
                        tree[os.path.relpath(full, root)] = (os.path.getsize(full),
                                                             hashlib.sha256(f.read()).hexdigest())
                except OSError as error:
                    tree[os.path.relpath(full, root)] = ("unreadable", str(error))
    return tree


def busy_windows(changes, limit, margin=0.03):
    """The merged windows (start, end) around the seen changes, cut at limit."""
    windows = []
    for a, b in sorted(changes):
        a, b = max(0.0, a - margin), min(limit, b + margin)
        if a >= b:
            continue
        if windows and a <= windows[-1][1]:
            windows[-1] = (windows[-1][0], max(windows[-1][1], b))
        else:
            windows.append((a, b))
    return windows


def snapshot_changes(before, after):
    changes = []
    for path in sorted(set(before) | set(after)):
        if path not in after:
            changes.append("gone: " + path)
        elif path not in before:
            changes.append("new: " + path)
        elif before[path] != after[path]:
            changes.append("changed: " + path)
    return changes


def shortcut_exclusions(machine):
    """The shortcuts the product made (from its registry record), their
    folder and that folder's group folder, relative to drive C:, lower case."""
    record = machine.key(PRODUCT_KEY_SUFFIX) or {}
    excluded = set()
    for name, value in record.items():
        if not name.upper().startswith("LINK_") or not value.lower().startswith("c:\\"):
            continue
        relative = value[3:].replace("\\", "/").lower()
        excluded.add(relative)
        folder = os.path.dirname(relative)
        if folder.startswith("programdata/microsoft/windows/start menu/programs/"):
            excluded.add(folder)
            parent = os.path.dirname(folder)
            if parent != "programdata/microsoft/windows/start menu/programs":
                # Only the group folder's own entry: other files in it count.
                excluded.add(parent + "/.")
    return excluded


def outside_exclusions(machine):
    excluded = set(PRODUCT_FOLDERS) | shortcut_exclusions(machine)
    # A "group/." entry stands for the group folder itself, nothing below it.
    plain = {e for e in excluded if not e.endswith("/.")}
    groups = {e[:-2] for e in excluded if e.endswith("/.")}
    return plain, groups


def outside_state(machine, exclusions):
    plain, groups = exclusions
    snapshot = outside_snapshot(machine, plain)
    for group in groups:
        for path in list(snapshot):
            if path.lower() == group:
                del snapshot[path]
    return snapshot


# ---------------------------------------------------------------- scripts

# The first screen may take this long; a script that waits for a screen that
# never comes fails after it, and the next script is tried.
FIRST_SCREEN_TIMEOUT = 10
# Any later step (an undisturbed run's longest step takes about a second).
STEP_TIMEOUT = 30
# How long a message box may stay unanswered before a run is stopped.
BOX_PATIENCE = 3.0

WIZARD = (
    "wait FWelcome\nclick FWelcome.bt_Next\n"
    "timeout %d\n"
    "wait FSeriesSelect\nclick FSeriesSelect.bt_Next\n"
    "wait FEULA\nclick FEULA.bt_Next\n"
    "wait FFinish\nexpect FFinish.lb_Finish_Install visible 1\n"
    "untick FFinish.ck_StartProgram\nclick FFinish.bt_Finish\n"
    "wait end 0\n" % STEP_TIMEOUT
)

SCRIPTS = {
    "install": "timeout %d\n" % STEP_TIMEOUT + WIZARD,
    # The question about the installed copy, its uninstaller's finish screen,
    # then the wizard.
    "question": (
        "timeout %d\nwait FAsk\nclick FAsk.bt_OK\n"
        "timeout %d\n"
        "wait FFinish\nexpect FFinish.lb_Finish_Uninstall visible 1\nclick FFinish.bt_Finish\n"
        % (FIRST_SCREEN_TIMEOUT, STEP_TIMEOUT)
    ) + WIZARD,
    # The wizard straight away: no installed copy is found any more.
    "wizard": "timeout %d\n" % FIRST_SCREEN_TIMEOUT + WIZARD,
    # A message box instead of any screen: the uninstaller finds nothing to
    # remove.
    "message": "timeout %d\nwait MessageBox\nclick MessageBox.OK\nwait end\n" % FIRST_SCREEN_TIMEOUT,
    "uninstall-keep": (
        "timeout %d\nwait FUninstallConfirm\n"
        "timeout %d\n"
        "click FUninstallConfirm.bt_OK\n"
        "wait FFinish\nexpect FFinish.lb_Finish_Uninstall visible 1\nclick FFinish.bt_Finish\n"
        "wait end 0\n" % (FIRST_SCREEN_TIMEOUT, STEP_TIMEOUT)
    ),
    "uninstall-delete": (
        "timeout %d\nwait FUninstallConfirm\n"
        "timeout %d\n"
        "tick FUninstallConfirm.ck_DeleteUserLog\n"
        "click FUninstallConfirm.bt_OK\n"
        "wait FFinish\nexpect FFinish.lb_Finish_Uninstall visible 1\nclick FFinish.bt_Finish\n"
        "wait end 0\n" % (FIRST_SCREEN_TIMEOUT, STEP_TIMEOUT)
    ),
}


# ---------------------------------------------------------------- processes


def group_members(pgid):
    """[(pid, command line)] of the live processes in a process group."""
    members = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                stat = f.read()
            fields = stat[stat.rindex(")") + 2:].split()
            if int(fields[2]) != pgid or fields[0] == "Z":
                continue
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                command = f.read().replace(b"\0", b" ").decode(errors="replace").strip()
            members.append((int(entry), command))
        except (OSError, ValueError, IndexError):
            continue
    return members


def kill_group(pgid):
    """SIGKILL to the whole group, repeated until no member is left."""
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        try:
            os.killpg(pgid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        if not group_members(pgid):
            return True
        time.sleep(0.02)
    return False


class Tools:
    def __init__(self, winsim):
        self.winsim = winsim
        self.live = set()  # process groups started and not yet stopped
        self.lock = threading.Lock()
        self.stopping = False

    def stop(self, process):
        """Stops a started run's whole process group."""
        gone = kill_group(process.pid)
        process.wait()
        with self.lock:
            self.live.discard(process.pid)
        return gone

    def stop_all(self):
        """Stops every started run; none starts any more."""
        with self.lock:
            self.stopping = True
            groups = list(self.live)
        for pgid in groups:
            kill_group(pgid)

    def start(self, machine, script_name, program, arguments, tag):
        if self.stopping:
            raise RuntimeError("the campaign is stopping")
        script = os.path.join(machine.dir, "campaign-%s.txt" % tag)
        with open(script, "w", newline="\n") as f:
            f.write(SCRIPTS[script_name])
        err = open(os.path.join(machine.dir, "campaign-%s.err" % tag), "wb")
        process = subprocess.Popen(
            [self.winsim, "run", "--script", script, machine.dir, program] + arguments,
            cwd=machine.dir, stdin=subprocess.DEVNULL, stdout=err, stderr=err, start_new_session=True)
        err.close()
        with self.lock:
            self.live.add(process.pid)
        return process

    def run(self, machine, script_name, program, arguments, tag, limit=300, watch=None, poll=0.02):
        """Runs a script to its end: {"exit", "message" (winsim's), "seconds",
        "screens" (the forms seen shown, in order)}. A message box that the
        script leaves unanswered stops the run early: the program would only
        wait for it until the step's timeout."""
        started = time.monotonic()
        process = self.start(machine, script_name, program, arguments, tag)
        screens, box_since, next_look = [], None, 0.0
        code, message = None, None
        while process.poll() is None:
            now = time.monotonic() - started
            if watch:
                watch(process.pid, now)
            if now >= next_look:
                next_look = now + 0.1
                shown = shown_forms(machine)
                screens += [name for name in shown if name not in screens]
                if any(name.startswith("MessageBox") for name in shown):
                    box_since = now if box_since is None else box_since
                    if now - box_since > BOX_PATIENCE:
                        code, message = -2, "stopped by the campaign: a message box waited for an answer"
                        break
                else:
                    box_since = None
            if now > limit:
                code, message = -9, "stopped by the campaign after %d s" % limit
                break
            time.sleep(poll)
        elapsed = time.monotonic() - started
        self.stop(process)  # and anything it left behind
        if code is None:
            code = process.returncode
            with open(os.path.join(machine.dir, "campaign-%s.err" % tag), "rb") as f:
                message = f.read().decode(errors="replace").strip()
        return {"exit": code, "message": message.splitlines()[-1] if message else "",
                "seconds": round(elapsed, 2), "screens": screens}


def shown_forms(machine):
    """The names of the forms the machine's running programs show now."""
    names = []
    folder = os.path.join(machine.dir, "ui")
    try:
        files = sorted(os.listdir(folder))
    except OSError:
        return names
    for name in files:
        if not name.endswith(".state"):
            continue
        # A killed program's file stays behind: only the programs running
        # from this machine count.
        try:
            with open("/proc/%s/cmdline" % name[:-len(".state")], "rb") as f:
                if not f.read().startswith(machine.dir.encode() + b"/"):
                    continue
        except OSError:
            continue
        try:
            with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
                lines = f.read().splitlines()
        except OSError:
            continue
        for line in lines:
            fields = line.split("\t")
            if fields[0] != "form":
                continue
            values = dict(field.split("=", 1) for field in fields[1:] if "=" in field)
            if values.get("shown") == "1" and values.get("name"):
                names.append(values["name"])
    return names


# ---------------------------------------------------------------- actions


def action_program(action):
    if action == "uninstall":
        return UNINSTALLER, ["uninstall"]
    return SETUP, []


def uninstall_variant(index):
    return "uninstall-delete" if index % 2 else "uninstall-keep"


def action_script(action, index):
    return uninstall_variant(index) if action == "uninstall" else "question"


def end_state(machine, action):
    entry = machine.uninstall_entry()
    if action == "uninstall":
        return entry is None, "uninstall entry %s" % ("gone" if entry is None else "still there")
    version = entry.get("DisplayVersion") if entry else None
    log = machine.exists(PROGRAM_FOLDER + "Installed.log")
    ok = version == NEW_VERSION and log
    return ok, "entry version %s, Installed.log %s" % (version or "none", "present" if log else "missing")


def rerun_candidates(machine, action, index):
    """The scripts a rerun may need, the likeliest first."""
    if action == "uninstall":
        # Without the product's own key the uninstaller finds nothing to remove.
        if machine.key(PRODUCT_KEY_SUFFIX) is None:
            return ["message", uninstall_variant(index)]
        return [uninstall_variant(index), "message"]
    # The question comes when the entry names a version and the product's
    # own key names the entry.
    entry = machine.uninstall_entry() or {}
    record = machine.key(PRODUCT_KEY_SUFFIX) or {}
    if entry.get("DisplayVersion") and record.get("UninstRegFolder"):
        return ["question", "wizard"]
    return ["wizard", "question"]


def player_losses(machine, action, index, planted):
    """The player's files that are not in the program folder byte for byte,
    where they must be: [(path, what)]."""
    losses = []
    for path, data in planted:
        if action == "uninstall":
            if uninstall_variant(index) == "uninstall-delete" or not kept_by_uninstall(path):
                continue
        found = machine.read(PROGRAM_FOLDER + path)
        if found is None:
            saved = machine.read(TEMPLATES + path.split("\\", 2)[2]) if path.startswith("Data\\Device\\") else None
            losses.append((path, "missing" + (" (still in the templates backup)" if saved == data else "")))
        elif found != data:
            losses.append((path, "changed (%d bytes, %d planted)" % (len(found), len(data))))
    return losses


def where_player_files_are(machine, planted):
    """After a kill: how many planted files are in the program folder, how many
    only in the templates backup, how many nowhere (as planted)."""
    here = saved = nowhere = 0
    for path, data in planted:
        if machine.read(PROGRAM_FOLDER + path) == data:
            here += 1
        elif path.startswith("Data\\Device\\") and machine.read(TEMPLATES + path.split("\\", 2)[2]) == data:
            saved += 1
        else:
            nowhere += 1
    return {"in program folder": here, "only in templates": saved, "nowhere": nowhere}


def phase_of(members, log):
    """Which phase of an install-over run a kill hit, from the group's members
    at that moment and the tool log."""
    if any("uninstallanyway" in command for _, command in members):
        return "old uninstaller running"
    if "uninstallanyway" in log:
        return "after the old uninstaller"
    return "before the old uninstaller"


# ---------------------------------------------------------------- campaign


class Campaign:
    def __init__(self, options):
        self.options = options
        self.work = tempfile.mkdtemp(prefix="crash-campaign-", dir="/tmp")
        self.planted = player_files()
        self.lock = threading.Lock()
        self.bases = {}
        self.durations = {}
        self.first_phase = None
        self.busy = {}
        self.reference = {}
        self.outside = {}
        self.exclusions = {}
        self.tools = None

    def log(self, text):
        with self.lock:
            print(text, flush=True)

    # -- preparation

    def prepare(self):
        build = os.path.abspath(self.options.build)
        package = os.path.join(build, "packages", "ZorvexDemo")
        for needed in (os.path.join(build, "tools", "winsim"), os.path.join(build, "Setup"),
                       os.path.join(package, "Setup.ini")):
            if not os.path.exists(needed):
                raise SystemExit("crash-campaign: %s is missing: build the host preset first" % needed)
        binaries = os.path.join(self.work, "bin")
        os.makedirs(binaries)
        shutil.copy2(os.path.join(build, "tools", "winsim"), binaries)
        self.tools = Tools(os.path.join(binaries, "winsim"))

        fresh = Machine(os.path.join(self.work, "base-fresh"))
        subprocess.run([self.tools.winsim, "new", fresh.dir], check=True, stdout=subprocess.DEVNULL)
        downloads = fresh.host(PACKAGE, create=True)
        os.makedirs(downloads, exist_ok=True)
        subprocess.run(["cp", "-a", package + "/.", downloads], check=True)
        shutil.copy2(os.path.join(build, "Setup"), fresh.host(SETUP))

        installed = Machine(os.path.join(self.work, "base-installed"))
        copy_machine(fresh.dir, installed.dir)
        self.run_clean(installed, "install", SETUP, [], "prepare")
        if not end_state(installed, "install")[0]:
            raise SystemExit("crash-campaign: the first install did not complete: " + end_state(installed, "install")[1])

        older = Machine(os.path.join(self.work, "base-older"))
        copy_machine(installed.dir, older.dir)
        older.set_uninstall_value("DisplayVersion", OLD_VERSION)
        if older.uninstall_entry().get("DisplayVersion") != OLD_VERSION:
            raise SystemExit("crash-campaign: could not make the installed version older")
        current = Machine(os.path.join(self.work, "base-current"))
        copy_machine(installed.dir, current.dir)
        for machine in (older, current):
            for path, data in self.planted:
                machine.write(PROGRAM_FOLDER + path, data)
        remove_tree(fresh.dir)
        remove_tree(installed.dir)

        self.bases = {"install-over": older, "replace-phase": older, "uninstall": current}
        self.footprints = {older.dir: footprint(older), current.dir: footprint(current)}
        for name, machine in (("older", older), ("current", current)):
            self.exclusions[name] = outside_exclusions(machine)
            self.outside[name] = outside_state(machine, self.exclusions[name])

    def run_clean(self, machine, script_name, program, arguments, tag, watch=None, poll=0.02):
        """An undisturbed run that must succeed; a strange failure is tried once more."""
        for attempt in (1, 2):
            run = self.tools.run(machine, script_name, program, arguments, tag, watch=watch, poll=poll)
            if run["exit"] == 0:
                return run["seconds"]
            if attempt == 1:
                self.log("  (an undisturbed %s run failed: %s; once more)" % (script_name, run["message"]))
        raise SystemExit("crash-campaign: an undisturbed %s run fails: %s" % (script_name, run["message"]))

    def measure(self):
        """The time an undisturbed run of each action takes, and when the old
        uninstaller ends within an install over an older copy; then, in a
        second run watched closely (which slows it a little), the moments at
        which the machine was seen changing (for --busy). Every one of these
        runs must complete and lose nothing."""

        def uninstaller_watch(seen):
            def watch(pgid, elapsed):
                if any("uninstallanyway" in command for _, command in group_members(pgid)):
                    seen["uninstaller"] = elapsed
            return watch

        def change_watch(machine, seen):
            state = {"print": footprint(machine), "polled": 0.0}

            def watch(pgid, elapsed):
                if any("uninstallanyway" in command for _, command in group_members(pgid)):
                    seen["uninstaller"] = elapsed
                now = footprint(machine)
                if now != state["print"]:
                    # The change came between the previous look and this one.
                    seen["changes"].append((state["polled"], elapsed))
                    state["print"] = now
                state["polled"] = elapsed
            return watch

        def undisturbed(action, script_name, index, watch_with, poll):
            probe = Machine(os.path.join(self.work, "measure-%s-%d" % (action, index)))
            copy_machine(self.bases[action].dir, probe.dir)
            program, arguments = action_program(action)
            seen = {"uninstaller": None, "changes": []}
            elapsed = self.run_clean(probe, script_name, program, arguments, "measure",
                                     watch=watch_with(probe, seen), poll=poll)
            self.check_clean(probe, action, index)
            tree = product_tree(probe)
            remove_tree(probe.dir)
            return elapsed, seen, tree

        elapsed, seen, tree = undisturbed("install-over", "question", 0, lambda m, s: uninstaller_watch(s), 0.01)
        if seen["uninstaller"] is None:
            raise SystemExit("crash-campaign: the old uninstaller was never seen running")
        self.durations["install-over"] = elapsed
        self.durations["replace-phase"] = self.first_phase = seen["uninstaller"]
        self.reference["install"] = tree
        _, seen, _ = undisturbed("install-over", "question", 1, change_watch, 0.005)
        self.busy["install-over"] = busy_windows(seen["changes"], self.durations["install-over"])
        self.busy["replace-phase"] = busy_windows(seen["changes"], self.first_phase)

        changes = []
        for index in (0, 1):
            variant = uninstall_variant(index)
            elapsed, _, tree = undisturbed("uninstall", variant, index, lambda m, s: None, 0.02)
            self.durations["uninstall"] = max(self.durations.get("uninstall", 0), elapsed)
            self.reference[variant] = tree
            changes += undisturbed("uninstall", variant, index + 2, change_watch, 0.005)[1]["changes"]
        self.busy["uninstall"] = busy_windows(changes, self.durations["uninstall"])

    def check_clean(self, machine, action, index):
        done, state = end_state(machine, action)
        losses = player_losses(machine, action, index, self.planted)
        changes = self.outside_changes(machine, action)
        if not done or losses or changes:
            raise SystemExit("crash-campaign: an undisturbed %s run already fails: %s; lost %s; outside %s"
                             % (action, state, losses, changes[:5]))

    def outside_changes(self, machine, action):
        base = "current" if action == "uninstall" else "older"
        return snapshot_changes(self.outside[base], outside_state(machine, self.exclusions[base]))

    # -- one kill

    def moment(self, action, index):
        if self.options.at is not None:
            return self.options.at
        rng = random.Random("%d:%s:%d" % (self.options.seed, action, index))
        if not self.options.busy or not self.busy[action]:
            return rng.uniform(0, self.durations[action])
        # Uniform over the windows in which the machine was seen changing.
        windows = self.busy[action]
        point = rng.uniform(0, sum(b - a for a, b in windows))
        for a, b in windows:
            if point <= b - a:
                return a + point
            point -= b - a
        return windows[-1][1]

    def kill_once(self, action, index):
        at = self.moment(action, index)
        folder = os.path.join(self.work, "%s-%03d" % (action, index))
        os.makedirs(folder)
        killed = Machine(os.path.join(folder, "killed"))
        copy_machine(self.bases[action].dir, killed.dir)
        program, arguments = action_program(action)
        result = {"action": action, "index": index, "at": round(at, 3), "seed": self.options.seed}
        if action == "uninstall":
            result["variant"] = uninstall_variant(index)

        started = time.monotonic()
        process = self.tools.start(killed, action_script(action, index), program, arguments, "killed")
        time.sleep(max(0.0, at - (time.monotonic() - started)))
        ended_before = process.poll() is not None
        try:
            os.killpg(process.pid, signal.SIGSTOP)
        except ProcessLookupError:
            pass
        members = group_members(process.pid)
        result["killed"] = [command for _, command in members]
        gone = self.tools.stop(process)
        if not gone:
            result["note"] = "processes of the killed run outlived SIGKILL"
        result["ended before the kill"] = ended_before
        if ended_before:
            result["killed run exit"] = process.returncode
        if action != "uninstall":
            result["phase"] = phase_of(members, killed.tool_log())
        result["left changes"] = footprint(killed) != self.footprints[self.bases[action].dir]
        entry = killed.uninstall_entry()
        result["after the kill"] = {
            "uninstall entry": entry.get("DisplayVersion", "no version") if entry else "gone",
            "uninstaller": "present" if killed.exists(UNINSTALLER) else "missing",
            "player files": where_player_files_are(killed, self.planted),
        }

        # The rerun: the scripts that fit, each on a copy of the killed machine.
        attempts = []
        final = None
        uninstaller_missing = action == "uninstall" and not killed.exists(UNINSTALLER)
        if uninstaller_missing:
            attempts.append({"script": "-", "result": "the uninstaller is gone: nothing to run"})
            final = killed
        else:
            for number, script_name in enumerate(rerun_candidates(killed, action, index), 1):
                attempt = Machine(os.path.join(folder, "rerun-%d-%s" % (number, script_name)))
                copy_machine(killed.dir, attempt.dir)
                run = self.tools.run(attempt, script_name, program, arguments, "rerun")
                code = run["exit"]
                attempts.append(dict(run, script=script_name))
                if final is None:
                    final = attempt  # judged when no script runs to its end
                if code == 0:
                    if final is not attempt and not self.options.keep:
                        remove_tree(final.dir)
                    final = attempt
                    break
                if final is not attempt and not self.options.keep:
                    remove_tree(attempt.dir)
        result["rerun"] = attempts

        done, state = end_state(final, action)
        result["completed"] = done
        result["end state"] = state
        result["rerun script"] = attempts[-1]["script"] if attempts and attempts[-1].get("exit") == 0 else None
        if action == "uninstall" and done and uninstaller_missing:
            result["note"] = "the entry was gone and the uninstaller too: nothing left to run"
        losses = player_losses(final, action, index, self.planted)
        result["player files lost"] = ["%s: %s" % loss for loss in losses]
        changes = self.outside_changes(final, action)
        result["outside changed"] = changes
        before = killed.tool_log()
        after = final.tool_log()
        added = after[len(before):] if after.startswith(before) else after
        boxes = [line for line in added.splitlines() if line.lower().startswith("messagebox")]
        if boxes:
            result["rerun message boxes"] = boxes
        reference = self.reference["install" if action != "uninstall" else uninstall_variant(index)]
        result["product folders unlike an undisturbed run"] = snapshot_changes(reference, product_tree(final))
        result["seconds"] = round(time.monotonic() - started, 2)
        result["failed"] = not done or bool(losses) or bool(changes)
        if not self.options.keep:
            remove_tree(folder)
        else:
            result["machines"] = folder
        return result

    # -- the whole campaign

    def plan(self):
        kills = []
        wanted = [self.options.action] if self.options.action else ACTIONS
        share = {a: self.options.kills // len(wanted) + (1 if i < self.options.kills % len(wanted) else 0)
                 for i, a in enumerate(wanted)}
        if self.options.index is not None:
            return [(wanted[0], self.options.index)]
        for action in wanted:
            kills.extend((action, index) for index in range(share[action]))
        # Interleaved, so that a stopped campaign has covered every action.
        kills.sort(key=lambda kill: (kill[1], ACTIONS.index(kill[0])))
        return kills

    def run(self):
        self.log("machines under %s" % self.work)
        self.log("preparing the base machines ...")
        self.prepare()
        self.measure()
        self.log("an undisturbed run takes: install over an older copy %.2f s (the old uninstaller ends at %.2f s), "
                 "uninstall %.2f s" % (self.durations["install-over"], self.first_phase, self.durations["uninstall"]))
        for action in ACTIONS:
            self.log("  %s changes the machine within %s" % (action, ", ".join(
                "%.2f-%.2f s" % window for window in self.busy[action]) or "no seen window"))
        if self.options.busy:
            self.log("kill moments drawn only within those windows (--busy)")
        kills = self.plan()
        results = []
        started = time.monotonic()
        pool = concurrent.futures.ThreadPoolExecutor(max_workers=max(1, self.options.jobs))
        try:
            futures = {pool.submit(self.kill_once, action, index): (action, index) for action, index in kills}
            for future in concurrent.futures.as_completed(futures):
                action, index = futures[future]
                try:
                    result = future.result()
                except Exception as error:  # a campaign fault, not the program's
                    result = {"action": action, "index": index, "at": None, "completed": False,
                              "failed": True, "error": "%s: %s" % (type(error).__name__, error),
                              "player files lost": [], "outside changed": []}
                results.append(result)
                self.log(self.one_line(result, len(results), len(kills)))
        except BaseException:
            # Interrupted: no further kill starts, and the running ones stop
            # (their machines are removed only once they have).
            self.tools.stop_all()
            pool.shutdown(wait=True, cancel_futures=True)
            raise
        pool.shutdown()
        elapsed = time.monotonic() - started
        results.sort(key=lambda r: (ACTIONS.index(r["action"]), r["index"]))
        return results, elapsed

    def one_line(self, result, number, total):
        text = "[%d/%d] %s #%d" % (number, total, result["action"], result["index"])
        if result.get("variant"):
            text += " (%s)" % result["variant"]
        if result.get("at") is not None:
            text += " killed at %.3f s" % result["at"]
        if result.get("phase"):
            text += ", %s" % result["phase"]
        if result.get("ended before the kill"):
            text += ", the run had already ended"
        elif "left changes" in result and not result["left changes"]:
            text += ", nothing changed yet"
        if "error" in result:
            return text + ": CAMPAIGN ERROR " + result["error"]
        text += "; rerun %s" % ("completed" if result["completed"] else "NOT completed")
        text += " (%s)" % " -> ".join(a["script"] for a in result["rerun"])
        if result["player files lost"]:
            text += "; LOST %d" % len(result["player files lost"])
        if result["outside changed"]:
            text += "; OUTSIDE CHANGED %d" % len(result["outside changed"])
        return text + " [%.1f s]" % result.get("seconds", 0)


def unlike_undisturbed(result):
    """A rerun that met a message box, or left the product's folders other
    than an undisturbed run does."""
    if result.get("product folders unlike an undisturbed run"):
        return True
    # An uninstall run again after its work was done rightly finds nothing.
    return bool(result.get("rerun message boxes")) and result["action"] != "uninstall"


def table(results):
    rows = []
    totals = [0, 0, 0, 0, 0, 0]
    for action in ACTIONS:
        mine = [r for r in results if r["action"] == action]
        if not mine:
            continue
        row = [len(mine), sum(1 for r in mine if r.get("left changes") and not r.get("ended before the kill")), sum(1 for r in mine if r["completed"]),
               sum(len(r["player files lost"]) for r in mine), sum(len(r["outside changed"]) for r in mine),
               sum(1 for r in mine if r["completed"] and unlike_undisturbed(r))]
        totals = [a + b for a, b in zip(totals, row)]
        rows.append(["%s: %s" % (action, ACTION_TITLES[action])] + row)
    rows.append(["**total**"] + totals)
    lines = ["| action | kills | kills that left a half-done machine | reruns completed "
             "| player files lost or changed | files outside changed | completed reruns unlike an undisturbed run |",
             "|---|---:|---:|---:|---:|---:|---:|"]
    lines += ["| %s | %d | %d | %d | %d | %d | %d |" % tuple(row) for row in rows]
    return "\n".join(lines), totals


def describe_after_kill(result):
    after = result.get("after the kill") or {}
    files = after.get("player files") or {}
    return "entry %s, uninstaller %s, player files %d/%d/%d (program folder/templates only/nowhere)" % (
        after.get("uninstall entry"), after.get("uninstaller"), files.get("in program folder", 0),
        files.get("only in templates", 0), files.get("nowhere", 0))


def repro_command(options, result):
    # The moment itself: a drawn one depends on the measured run time too.
    command = "scripts/crash-campaign.py --action %s --index %d" % (result["action"], result["index"])
    if result.get("at") is not None:
        command += " --at %.3f" % result["at"]
    return command + " --keep   # seed %d" % options.seed


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--kills", type=int, default=200, help="kill moments, spread over the actions (200)")
    parser.add_argument("--seed", type=int, default=None, help="seed of the kill moments (default: random)")
    parser.add_argument("--jobs", type=int, default=1, help="kills run at the same time (1)")
    parser.add_argument("--keep", action="store_true", help="leave the machines under /tmp for inspection")
    parser.add_argument("--build", default=os.path.join(REPO, "build", "host"), help="the host build folder")
    parser.add_argument("--action", choices=ACTIONS, help="only this action")
    parser.add_argument("--index", type=int, help="only kill K of the action (with --action): repeats a kill")
    parser.add_argument("--at", type=float, help="kill at this moment (seconds) instead of a random one")
    parser.add_argument("--busy", action="store_true",
                        help="draw the kill moments only within the windows in which an undisturbed run "
                             "was seen changing the machine, instead of over the whole run")
    parser.add_argument("--failures", default="/tmp/crash-campaign-failures.txt",
                        help="file the failing kills' command lines are added to (%(default)s)")
    parser.add_argument("--report", help="write every kill's details to this JSON file")
    options = parser.parse_args(argv)
    if options.index is not None and not options.action:
        parser.error("--index needs --action")
    if options.seed is None:
        options.seed = random.SystemRandom().randrange(1, 1 << 31)
    if options.kills < 1:
        parser.error("--kills must be at least 1")

    campaign = Campaign(options)
    print("crash campaign: seed %d, %d kills, %d job(s)" % (options.seed, options.kills, options.jobs), flush=True)
    try:
        results, elapsed = campaign.run()
    except KeyboardInterrupt:
        print("\ncrash-campaign: interrupted", file=sys.stderr)
        return 130
    finally:
        if campaign.tools:
            campaign.tools.stop_all()
        if not options.keep:
            remove_tree(campaign.work)

    text, totals = table(results)
    print()
    print(text)
    failing = [r for r in results if r["failed"]]
    notes = [r for r in results if not r["failed"] and (r.get("note") or unlike_undisturbed(r))]
    if failing:
        print("\nfailing kills (repeat with the line shown):")
        for r in failing:
            if "error" in r:
                print("- %s #%d: campaign error %s" % (r["action"], r["index"], r["error"]))
                continue
            print("- %s #%d%s at %s s%s, left %s; rerun %s" % (
                r["action"], r["index"], " " + r["variant"] if r.get("variant") else "", r.get("at"),
                " (the killed run had already ended)" if r.get("ended before the kill") else "",
                describe_after_kill(r), "completed" if r["completed"] else "NOT completed: " + r["end state"]))
            for attempt in r.get("rerun", []):
                print("    rerun %s: exit %s %s%s" % (
                    attempt["script"], attempt.get("exit", "-"), attempt.get("message") or attempt.get("result", ""),
                    "; screens shown: " + ", ".join(attempt["screens"]) if attempt.get("screens") else ""))
            for box in r.get("rerun message boxes", []):
                print("    " + box)
            for line in r["player files lost"]:
                print("    player file " + line)
            for line in r["outside changed"][:10]:
                print("    outside " + line)
            unlike = r.get("product folders unlike an undisturbed run") or []
            if unlike:
                print("    product folders unlike an undisturbed run (%d): %s%s" % (
                    len(unlike), "; ".join(unlike[:6]), " ..." if len(unlike) > 6 else ""))
            print("    " + repro_command(options, r))
    if notes:
        print("\nnotes (reruns that completed, but not as an undisturbed run would have):")
        for r in notes:
            ended = " (the killed run had already ended)" if r.get("ended before the kill") else ""
            print("- %s #%d%s at %s s%s, left %s; rerun %s:" % (
                r["action"], r["index"], " " + r["variant"] if r.get("variant") else "", r.get("at"), ended,
                describe_after_kill(r), " -> ".join(a["script"] for a in r.get("rerun", []))))
            if r.get("note"):
                print("    " + r["note"])
            for box in r.get("rerun message boxes", []):
                print("    " + box)
            unlike = r.get("product folders unlike an undisturbed run") or []
            if unlike:
                print("    product folders unlike an undisturbed run (%d): %s%s" % (
                    len(unlike), "; ".join(unlike[:6]), " ..." if len(unlike) > 6 else ""))
            print("    " + repro_command(options, r))
    if failing and options.failures:
        with open(options.failures, "a") as f:
            f.write("# %s, seed %d, %d kills\n" % (time.strftime("%Y-%m-%d %H:%M:%S"), options.seed, len(results)))
            for r in failing:
                f.write("%s\n" % repro_command(options, r))
        print("\nthe failing kills are added to %s" % options.failures)
    if options.report:
        with open(options.report, "w") as f:
            json.dump({"seed": options.seed, "results": results}, f, indent=1)
    per_kill = elapsed / len(results) if results else 0
    print("\nsummary: seed %d: %d kills (%d left a half-done machine), %d reruns completed, "
          "%d player files lost or changed, %d files outside changed, %d completed reruns unlike an "
          "undisturbed run; %.1f s per kill%s" % (
              options.seed, totals[0], totals[1], totals[2], totals[3], totals[4], totals[5], per_kill,
              "; machines kept in " + campaign.work if options.keep else ""))
    ok = totals[2] == totals[0] and totals[3] == 0 and totals[4] == 0
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
