"""A Windows machine under Wine, for the end-to-end suite and DEMO=windows.

A fresh 64-bit Windows 10 prefix on a virtual display of its own (Xvfb,
started here and ended by its process id); programs started in it; what their
screens show, asked of the programs themselves (zxdrive state); input as a
person gives it, through the X server (xdotool); screenshots of the display.

The same script language as `winsim run --script` drives the screens here
(see the README's "Driving the screens"), so one journey runs on both machines.
"""

import hashlib
import os
import shutil
import subprocess
import tempfile
import time

PYTHON_PIL = "/usr/bin/python3"  # Debian's python3 carries PIL

# Prefix settings made once per prefix:
#  - Windows 10 (Wine 8 starts as Windows 7);
#  - windows not handed to a window manager: there is none on the virtual
#    display, and every hidden window would wait for one for 2 s;
#  - no crash dialog waiting for a click on the virtual display;
#  - the CJK font linked to Tahoma (and the dialogs' fonts), so Chinese,
#    Japanese and Korean text shows as text, as Windows' own font links give.
CJK_LINK = ["wqy-microhei.ttc,WenQuanYi Micro Hei"]
LINKED_FACES = ["Tahoma", "Microsoft Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "Segoe UI"]


def _multi_sz(strings):
    data = "".join(s + "\0" for s in strings) + "\0"
    raw = data.encode("utf-16-le")
    return "hex(7):" + ",".join("%02x" % b for b in raw)


PREFIX_SETTINGS = "\r\n".join(
    ["Windows Registry Editor Version 5.00", "",
     "[HKEY_CURRENT_USER\\Software\\Wine]", '"Version"="win10"', "",
     "[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]", '"Managed"="N"', "",
     "[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]", '"ShowCrashDialog"=dword:00000000', "",
     "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]"]
    + ['"%s"=%s' % (face, _multi_sz(CJK_LINK)) for face in LINKED_FACES]
    + [""]) + "\r\n"


class Failure(Exception):
    """A step that did not happen; the message says what was missing."""


class VirtualDisplay:
    """Xvfb on a display number it picks itself."""

    def __init__(self, width=1024, height=768):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            number = f.readline().strip()
        if not number:
            self.stop()
            raise Failure("Xvfb did not start")
        self.name = ":" + number

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class WineMachine:
    """A prefix at `folder` (made fresh), on `display`."""

    def __init__(self, folder, display, tools):
        self.folder = os.path.abspath(folder)
        self.display = display
        self.tools = tools  # the win32 build's tools folder (zxdrive.exe)
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": self.folder, "WINEARCH": "win64", "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=", "DISPLAY": display.name,
        })
        self.env.pop("WAYLAND_DISPLAY", None)
        self.timeout = 10.0
        self.drive_c = os.path.join(self.folder, "drive_c")

    # ------------------------------------------------------------ the prefix

    def create(self):
        if os.path.exists(self.folder):
            shutil.rmtree(self.folder)
        os.makedirs(self.folder)
        self.run_wine(["wineboot", "-i"], timeout=300)
        # Version 5 .reg files are UTF-16; their hex(7) values are UTF-16 too.
        with tempfile.NamedTemporaryFile("wb", suffix=".reg", delete=False) as f:
            f.write(b"\xff\xfe" + PREFIX_SETTINGS.encode("utf-16-le"))
            settings = f.name
        try:
            self.run_wine(["wine", "reg", "import", settings])
        finally:
            os.unlink(settings)
        # The settings are read when the session starts: end this one.
        self.stop_session()
        os.makedirs(os.path.join(self.drive_c, "zxtools"), exist_ok=True)
        for tool in ("zxdrive.exe", "zxnames.exe"):
            if os.path.exists(os.path.join(self.tools, tool)):
                shutil.copy(os.path.join(self.tools, tool), os.path.join(self.drive_c, "zxtools"))

    def run_wine(self, argv, timeout=60, check=True, extra_env=None):
        # Output goes through files, not pipes: a wine command that starts the
        # session leaves the wineserver and Wine's services running with its
        # output handles, and a pipe would not end before they do.
        env = dict(self.env, **(extra_env or {}))
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            process = subprocess.Popen(argv, env=env, stdout=out, stderr=err)
            try:
                process.wait(timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
                raise Failure("%s took more than %ds" % (" ".join(argv), timeout))
            out.seek(0)
            err.seek(0)
            r = subprocess.CompletedProcess(argv, process.returncode, out.read(), err.read())
        if check and r.returncode != 0:
            raise Failure("%s failed (%d): %s" % (" ".join(argv), r.returncode,
                                                  r.stderr.decode("utf-8", "replace")[-2000:]))
        return r

    def stop_session(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)

    def host_path(self, windows_path):
        """C:\\a\\b as a path of this machine (C: only)."""
        assert windows_path[:3].upper() == "C:\\", windows_path
        return os.path.join(self.drive_c, *windows_path[3:].split("\\"))

    # ------------------------------------------------------------ programs and screens

    def start(self, program, args, log_path):
        """Starts a program with the debug output of every program of the
        session written to log_path (the lines OutputDebugString gives)."""
        log = open(log_path, "ab")
        # warn+seh is the channel on which Wine writes OutputDebugString text.
        env = dict(self.env, WINEDEBUG="-all,warn+seh")
        process = subprocess.Popen(["wine", program] + list(args), env=env, stdout=subprocess.DEVNULL,
                                   stderr=log, cwd=self.drive_c)
        log.close()
        return process

    def state(self):
        r = self.run_wine(["wine", "C:\\zxtools\\zxdrive.exe", "state"], timeout=30)
        return r.stdout.decode("utf-8", "replace")

    def accessible_names(self):
        """What a screen reader learns of the shown forms (zxnames.exe)."""
        r = self.run_wine(["wine", "C:\\zxtools\\zxnames.exe"], timeout=30)
        return r.stdout.decode("utf-8", "replace")

    def programs(self):
        r = self.run_wine(["wine", "C:\\zxtools\\zxdrive.exe", "programs"], timeout=30)
        return [line.split("\t", 1) for line in r.stdout.decode("utf-8", "replace").splitlines() if line]

    def xdotool(self, *args):
        r = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, timeout=30)
        if r.returncode != 0:
            raise Failure("xdotool %s: %s" % (" ".join(map(str, args)), r.stderr.decode().strip()))

    def screenshot(self, path, box=None):
        code = ("import sys; from PIL import ImageGrab; b = eval(sys.argv[3]); "
                "ImageGrab.grab(bbox=b, xdisplay=sys.argv[1]).save(sys.argv[2])")
        subprocess.run([PYTHON_PIL, "-c", code, self.display.name, path, repr(box)], check=True, timeout=60)

    # ------------------------------------------------------------ scripts

    def run_script(self, script_text, program, args=(), shots=".", log_path=None, name="script"):
        """Runs a program and acts on its screens, one script action a line.
        Returns the time from the start to each `wait FORM` step's end
        (name -> seconds), for the figures."""
        runner = ScriptRunner(self, shots, name)
        process = self.start(program, args, log_path or os.devnull)
        runner.process = process
        runner.started = time.monotonic()
        try:
            for number, raw in enumerate(script_text.splitlines(), 1):
                line = raw.strip()
                if not line or line.startswith("#"):
                    continue
                try:
                    runner.step(line)
                except Failure as e:
                    # The whole screen as it was, for whoever reads the failure.
                    self.screenshot(os.path.join(shots, "failed-%s-line%d.png" % (name, number)))
                    raise Failure("%s line %d (%s): %s" % (name, number, line, e)) from None
        finally:
            if process.poll() is None:
                self.end_programs()
                process.wait(30)
        return runner.times

    def end_programs(self):
        for pid, _ in self.programs():
            subprocess.run(["wine", "taskkill", "/F", "/PID", pid], env=self.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def state_lines(state):
    """[(kind, {field: value})] of a state text."""
    out = []
    for line in state.splitlines():
        parts = line.split("\t")
        fields = {}
        for part in parts[1:]:
            key, _, value = part.partition("=")
            fields[key] = unescape(value)
        out.append((parts[0], fields))
    return out


def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            i += 1
            d = text[i]
            out.append({"t": "\t", "n": "\n", "r": "\r"}.get(d, d))
        else:
            out.append(c)
        i += 1
    return "".join(out)


KEYS = {"Tab": "Tab", "Shift+Tab": "shift+Tab", "Space": "space", "Enter": "Return", "Escape": "Escape",
        "Up": "Up", "Down": "Down", "Left": "Left", "Right": "Right", "PgUp": "Prior", "PgDn": "Next",
        "Home": "Home", "End": "End"}


class ScriptRunner:
    def __init__(self, machine, shots, name):
        self.m = machine
        self.shots = shots
        self.name = name
        self.timeout = 10.0
        self.process = None
        self.started = 0.0
        self.times = {}

    # What the screens show now: forms by name (lowercase), controls by
    # (form, name).
    def look(self):
        forms, controls = {}, {}
        for kind, f in state_lines(self.m.state()):
            if kind == "form":
                key = f.get("name", "").lower()
                # A form shown by any program wins over a hidden one of another.
                if key not in forms or (f.get("shown") == "1" and f.get("visible") == "1"):
                    forms[key] = f
            elif kind == "control":
                key = (f.get("form", "").lower(), f.get("name", "").lower())
                if key not in controls or f.get("showing") == "1":
                    controls[key] = f
        return forms, controls

    def until(self, what, test):
        deadline = time.monotonic() + self.timeout
        last = None
        while True:
            ok, last = test()
            if ok:
                return last
            if time.monotonic() > deadline:
                raise Failure("timed out after %gs waiting for %s%s" % (
                    self.timeout, what, "" if last is None else " (last seen: %s)" % last))
            time.sleep(0.1)

    def shown_form(self, form):
        def test():
            forms, _ = self.look()
            f = forms.get(form.lower())
            if f and f.get("shown") == "1" and f.get("visible") == "1":
                return True, f
            return False, None if not f else "form %s not shown" % form
        return self.until("form %s to show" % form, test)

    def settled(self, form):
        """As a person waits for a screen to come to rest before acting on
        it: the form active, and what it shows the same twice in a row."""
        def snapshot():
            return [l for l in self.m.state().splitlines()
                    if "\tname=%s\t" % form in l or "\tform=%s\t" % form in l]

        def test():
            first = snapshot()
            active = any(l.startswith("form") and "\tactive=1\t" in l and "\tshown=1\t" in l for l in first)
            if not active:
                return False, "form %s not active" % form
            time.sleep(0.15)
            return snapshot() == first, "form %s still changing" % form
        self.until("form %s to come to rest" % form, test)

    def control(self, form, control):
        self.shown_form(form)

        def test():
            _, controls = self.look()
            c = controls.get((form.lower(), control.lower()))
            if c is None:
                return False, "form %s has no control named %s" % (form, control)
            return True, c
        return self.until("%s.%s" % (form, control), test)

    @staticmethod
    def centre(c):
        left, top, width, height = (int(v) for v in c["screen"].split(","))
        return left + width // 2, top + height // 2

    def point_at(self, form, name, c):
        """Moves the mouse onto the control until the program has seen it
        there (the state's mouse=1), as a person moves it until the hover look
        shows: a window not yet on the screen gets no click, and a skinned
        check box or radio button is cut to its drawn outline (the picture and
        the letters), so its middle may lie between two letters. The places
        tried: the middle of the picture at its left, the middle, then along
        the middle row. A disabled control never hears the mouse: the middle."""
        left, top, width, height = (int(v) for v in c["screen"].split(","))
        middle_y = top + height // 2
        if c.get("enabled") != "1":
            self.m.xdotool("mousemove", "--sync", left + width // 2, middle_y)
            return
        places = [(left + min(height, width) // 2, middle_y), (left + width // 2, middle_y)]
        places += [(x, middle_y) for x in range(left + 2, left + width - 1, 4)]
        deadline = time.monotonic() + self.timeout
        while True:
            for x, y in places:
                # Two moves, so that the window hears one even when the mouse
                # was already on that spot.
                self.m.xdotool("mousemove", "--sync", x + 1, y)
                self.m.xdotool("mousemove", "--sync", x, y)
                _, controls = self.look()
                if controls.get((form.lower(), name.lower()), {}).get("mouse") == "1":
                    return
            if time.monotonic() > deadline:
                raise Failure("the mouse is nowhere over %s.%s as the program sees it" % (form, name))
            time.sleep(0.2)

    def click_at(self, form, name, c):
        self.point_at(form, name, c)
        self.m.xdotool("click", "1")
        time.sleep(0.1)

    def step(self, line):
        words = line.split(" ")
        action = words[0]
        if action == "timeout":
            self.timeout = float(words[1])
        elif action == "wait" and words[1] == "end":
            self.wait_end(words[2] if len(words) > 2 else None)
        elif action == "wait":
            self.shown_form(words[1])
            self.times[words[1]] = time.monotonic() - self.started
        elif action in ("click", "tick", "untick", "wheel"):
            form, _, name = words[1].partition(".")
            self.control(form, name)
            self.settled(form)
            c = self.control(form, name)
            if action == "click":
                self.click_at(form, name, c)
            elif action == "wheel":
                self.point_at(form, name, c)
                notches = int(words[2])
                # Button 4 turns the wheel away from you, 5 towards you.
                self.m.xdotool("click", "--repeat", abs(notches), "--delay", "30", "4" if notches > 0 else "5")
                time.sleep(0.2)
            else:
                wanted = "1" if action == "tick" else "0"
                if c.get("checked") != wanted:
                    self.click_at(form, name, c)
                self.expect(form, name, "checked", wanted)
        elif action == "drag":
            # Press on the thumb the program reports, move, let go.
            form, _, name = words[1].partition(".")
            self.control(form, name)
            self.settled(form)
            c = self.control(form, name)
            if "thumb" not in c:
                raise Failure("%s.%s shows no scroll bar thumb" % (form, name))
            left, top, width, height = (int(v) for v in c["thumb"].split(","))
            x, y = left + width // 2, top + height // 2
            # The system's bar puts the thumb back when the mouse goes far
            # from the bar: a person drags along it, to its ends at most.
            c_left, c_top, c_width, c_height = (int(v) for v in c["screen"].split(","))
            to_x = x + int(words[2])
            to_y = min(max(y + int(words[3]), c_top), c_top + c_height - 1)
            self.m.xdotool("mousemove", "--sync", x, y)
            self.m.xdotool("mousedown", "1")
            for step in range(1, 6):
                self.m.xdotool("mousemove", "--sync", x + (to_x - x) * step // 5, y + (to_y - y) * step // 5)
                time.sleep(0.05)
            self.m.xdotool("mouseup", "1")
            time.sleep(0.2)
        elif action == "key":
            self.shown_form(words[1])
            self.settled(words[1])
            if words[2] not in KEYS:
                raise Failure("unknown key %s" % words[2])
            self.m.xdotool("key", KEYS[words[2]])
            time.sleep(0.15)
        elif action == "names":
            # Only here, not on the simulated machine: what the system's
            # accessibility layer reads from the windows, into a file.
            with open(os.path.join(self.shots, words[1]), "w", encoding="utf-8") as f:
                f.write(self.m.accessible_names())
        elif action == "close":
            self.shown_form(words[1])
            self.m.xdotool("key", "alt+F4")
        elif action == "expect":
            form, _, name = words[1].partition(".")
            self.expect(form, name, words[2], " ".join(words[3:]))
        elif action == "snapshot":
            f = self.shown_form(words[1])
            left, top, width, height = (int(v) for v in f["bounds"].split(","))
            time.sleep(0.3)  # the last change painted
            self.m.screenshot(os.path.join(self.shots, words[2]), (left, top, left + width, top + height))
        else:
            raise Failure("unknown action %s" % action)

    def expect(self, form, name, prop, value):
        self.control(form, name)

        def test():
            _, controls = self.look()
            c = controls.get((form.lower(), name.lower()), {})
            seen = c.get(prop, "")
            return seen == value, "%s=%s" % (prop, seen)
        self.until("%s.%s %s to read %r" % (form, name, prop, value), test)

    def wait_end(self, code):
        def test():
            running = self.m.programs()
            if running:
                return False, ", ".join(path for _, path in running)
            return True, None
        self.until("the programs to end", test)
        if self.process.wait(30) is None:
            return
        if code is not None and self.process.returncode != int(code):
            raise Failure("the program ended with %d, not %s" % (self.process.returncode, code))


# ---------------------------------------------------------------- effects

def file_list(drive_c, folders):
    """Files and folders below the given Windows folders of a machine's C:
    drive: "path<TAB>size<TAB>sha256" for files, "path\\" for folders, paths
    as Windows writes them."""
    out = []
    for folder in folders:
        base = case_insensitive(drive_c, folder[3:].split("\\"))
        if base is None:
            continue
        for root, dirs, files in os.walk(base):
            rel = os.path.relpath(root, drive_c)
            win_root = "C:\\" + ("" if rel == "." else rel.replace("/", "\\"))
            for d in dirs:
                out.append(win_root + "\\" + d + "\\")
            for name in files:
                path = os.path.join(root, name)
                with open(path, "rb") as f:
                    data = f.read()
                out.append("%s\\%s\t%d\t%s" % (win_root, name, len(data), hashlib.sha256(data).hexdigest()[:16]))
    return sorted(out, key=str.lower)


def case_insensitive(drive_c, parts):
    here = drive_c
    for part in parts:
        if not os.path.isdir(here):
            return None
        match = [n for n in os.listdir(here) if n.lower() == part.lower()]
        if not match:
            return None
        here = os.path.join(here, match[0])
    return here if os.path.isdir(here) else None


def parse_reg(text):
    """{(key lowercase, value name lowercase): (key, name, typed value)} of
    .reg text; typed values as "sz:..", "expand_sz:..", "dword:..", "hex(N):.."."""
    values = {}
    key = None
    lines = text.replace("\r\n", "\n").split("\n")
    i = 0
    while i < len(lines):
        line = lines[i]
        while line.endswith("\\") and i + 1 < len(lines):
            i += 1
            line = line[:-1] + lines[i].strip()
        i += 1
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1]
            continue
        if key is None or not line or line.startswith(";"):
            continue
        if line.startswith("@="):
            name, rest = "", line[2:]
        elif line.startswith('"'):
            end = 1
            while end < len(line) and not (line[end] == '"' and line[end - 1] != "\\"):
                end += 1
            name, rest = _reg_unquote(line[1:end]), line[end + 2:]
        else:
            continue
        values[(key.lower(), name.lower())] = (key, name, _reg_value(rest))
    return values


def _reg_unquote(text):
    return text.replace('\\"', '"').replace("\\\\", "\\")


def _reg_value(rest):
    if rest.startswith('"'):
        return "sz:" + _reg_unquote(rest[1:-1])
    if rest.startswith("dword:"):
        return "dword:%d" % int(rest[6:], 16)
    if rest.startswith("hex(2):") or rest.startswith("hex(7):"):
        raw = bytes(int(b, 16) for b in rest[7:].split(",") if b)
        text = raw.decode("utf-16-le").rstrip("\0")
        return ("expand_sz:" if rest[4] == "2" else "multi_sz:") + text.replace("\0", "|")
    return rest


def shortcut_fields(path):
    """The fields of a shell link that a player sees, read with lnkinfo."""
    r = subprocess.run(["lnkinfo", path], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    wanted = ("Local path", "Description", "Relative path", "Working directory", "Command line arguments",
              "Icon location")
    fields = {}
    for line in r.stdout.decode("utf-8", "replace").splitlines():
        key, sep, value = line.strip().partition(":")
        if sep and key.strip() in wanted and key.strip() not in fields:
            fields[key.strip()] = value.strip()
    return fields
