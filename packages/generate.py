#!/usr/bin/env python3
"""Generates the sample Zorvex package (packages/ZorvexDemo by default).

    generate.py [--out DIR] [--setup FILE] [--app FILE] [--updater FILE]

--setup is the set-up program laid in as Setup.exe; --app the product program
laid in as "program files\\Zorvex7\\Zorvex7.exe" (and as the companion
launcher beside it); --updater the updater laid in as
"program files\\Updater\\ZorvexMouseUpdater.exe". Without them the package has
every other file, and the package check reports the missing programs.
"""

import argparse
import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from zxpkg import package  # noqa: E402


def clear_output(out):
    """Empties the output folder, but only when it is one of ours (or empty),
    so a mistyped --out never deletes someone's folder."""
    if not os.path.isdir(out):
        return
    entries = os.listdir(out)
    if entries and "Setup.ini" not in entries:
        raise SystemExit("refusing to clear %s: it is not a generated package" % out)
    for entry in entries:
        path = os.path.join(out, entry)
        if os.path.isdir(path) and not os.path.islink(path):
            shutil.rmtree(path)
        else:
            os.remove(path)


def copy_program(writer, source, relative):
    target = os.path.join(writer.out, relative)
    os.makedirs(os.path.dirname(target), exist_ok=True)
    shutil.copyfile(source, target)
    os.chmod(target, 0o755)
    writer.written.append(relative)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(HERE, "ZorvexDemo"))
    parser.add_argument("--setup")
    parser.add_argument("--app")
    parser.add_argument("--updater")
    args = parser.parse_args(argv)

    out = os.path.abspath(args.out)
    clear_output(out)
    os.makedirs(out, exist_ok=True)

    writer = package.PackageWriter(out, package.load_texts(os.path.join(HERE, "texts")))
    writer.setup_ini()
    writer.settings_ini()
    widths = writer.frame_widths()
    writer.ui_txt(widths)
    writer.language_files()
    writer.licences()
    writer.skins(widths)
    writer.payload()

    program = os.path.join(package.PAYLOAD, package.PRODUCT_FOLDER)
    if args.setup:
        copy_program(writer, args.setup, "Setup.exe")
    if args.app:
        copy_program(writer, args.app, os.path.join(program, package.PROGRAM_EXEC))
        copy_program(writer, args.app, os.path.join(program, package.COMPANION_LAUNCHER))
    if args.updater:
        copy_program(writer, args.updater, os.path.join(package.PAYLOAD, "Updater",
                                                        package.UPDATE_TYPE + "Updater.exe"))
    print("package: %d files in %s" % (len(writer.written), out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
