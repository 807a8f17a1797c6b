#!/usr/bin/env python3
"""DEMO=windows: the win32 build's sample package run by its real Setup.exe
under Wine, in the prefix demo/wine (a 64-bit Windows 10 prefix, made once,
set up as the Windows end-to-end suite sets up its own: no window manager
needed, CJK text linked to Tahoma).

    show_windows.py WIN32_BUILD

With a display (DISPLAY set) the wizard appears there to be clicked through;
without one it runs on a virtual display of its own and the welcome screen is
saved as demo/windows/welcome.png.
"""

import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tools", "windrive"))
import wine_machine as wm  # noqa: E402

# Written into a prefix made here; a prefix without it (an older demo's
# 32-bit one) is made again.
MARK = "zorvex-prefix-2"


class ExistingDisplay:
    def __init__(self, name):
        self.name = name

    def stop(self):
        pass


def main():
    build = sys.argv[1]
    root = os.path.abspath(os.path.join(HERE, ".."))
    prefix = os.path.join(root, "demo", "wine")
    shown = os.environ.get("DISPLAY")
    display = ExistingDisplay(shown) if shown else wm.VirtualDisplay()
    machine = wm.WineMachine(prefix, display, os.path.join(build, "tools"))
    try:
        if not os.path.exists(os.path.join(prefix, MARK)):
            print("show-windows: making the Wine prefix %s (once)" % prefix, flush=True)
            machine.create()
            open(os.path.join(prefix, MARK), "w").close()
        package = machine.host_path("C:\\ZorvexDemo")
        shutil.rmtree(package, ignore_errors=True)
        shutil.copytree(os.path.join(build, "packages", "ZorvexDemo"), package)
        if shown:
            print("show-windows: C:\\ZorvexDemo\\Setup.exe on %s" % shown, flush=True)
            machine.start("C:\\ZorvexDemo\\Setup.exe", [], os.devnull).wait()
            return 0
        shots = os.path.join(root, "demo", "windows")
        os.makedirs(shots, exist_ok=True)
        try:
            machine.run_script("timeout 60\nwait FWelcome\nsnapshot FWelcome welcome.png\n",
                               "C:\\ZorvexDemo\\Setup.exe", shots=shots, name="show-windows")
        except wm.Failure as e:
            print("show-windows: %s" % e, file=sys.stderr)
            return 1
        print("show-windows: the welcome screen on a virtual display: %s" % os.path.join(shots, "welcome.png"))
        return 0
    finally:
        machine.stop_session()
        display.stop()


if __name__ == "__main__":
    sys.exit(main())
