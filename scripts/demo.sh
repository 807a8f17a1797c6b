#!/usr/bin/env bash
# The main job: a fresh simulated Windows machine under demo/, the sample package
# laid into it, and the wizard driven as a person would (welcome, a switch to
# German, series, licence, install, finish), then a report of what the install
# left on the machine. DEMO=uninstall then uninstalls it again through the
# machine's Add/Remove Programs entry and reports what is left. DEMO=windows
# shows the real windows instead (the Windows Setup.exe under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${DEMO:-}" = "windows" ] && exec scripts/show-windows.sh
# BUILD names another host build folder (configured with -DZX_BACKEND=sim).
build=${BUILD:-build/host}
winsim=$build/tools/winsim
jobs=${JOBS:-$(nproc)}
if [ -n "${BUILD:-}" ]; then
  cmake --build "$build" -j"$jobs" --target zorvex_demo_package winsim Setup >/dev/null
else
  cmake --build --preset host -j"$jobs" --target zorvex_demo_package winsim Setup >/dev/null
fi
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3

package=$build/packages/ZorvexDemo
setup_value() {  # a Setup.ini value of the package
  sed -n "s/^$1=//p" "$package/Setup.ini" | tr -d '\r' | head -1
}
product=$(setup_value '%PROGRAM_FILES')
entry=$(setup_value '%REG_FODLER_PROGNAME')
publisher=$(setup_value '%PUBLISHER')
onboot=$(setup_value '%PROGRAM_ONBOOT')

rm -rf demo
mkdir -p demo/screens
"$winsim" new demo/machine
mkdir -p demo/machine/drive_c/ZorvexDemo
cp -r "$package/." demo/machine/drive_c/ZorvexDemo/
machine=$(realpath demo/machine)

# Runs a program on the machine with a script; the snapshots land in demo/screens.
run_script() {  # script-file program [args...]
  local script
  script=$(realpath "$1")
  shift
  (cd demo/screens && "../../$winsim" run --script "$script" "$machine" "$@")
}

# Files (not folders) below a machine folder: a count and the first lines.
show_files() {  # windows-folder lines
  "$winsim" files demo/machine "$1" > demo/files.txt 2>/dev/null || true
  local count
  count=$(grep -vc '<DIR>' demo/files.txt || true)
  echo "$1: $count files"
  if [ "$2" -gt 0 ]; then
    grep -v '<DIR>' demo/files.txt | head -"$2" | sed 's/^/  /' || true
    [ "$count" -le "$2" ] || echo "  ..."
  fi
}

show_registry() {
  "$winsim" reg demo/machine > demo/registry.reg
  "$python" scripts/reg_text.py keys demo/registry.reg "\\Uninstall\\$entry" "\\$publisher\\$entry" \
    "\\$publisher" || echo "(no product keys)"
  grep -F "\"$onboot\"=" demo/registry.reg | sed 's/^/Run: /' || echo "(no start-up value \"$onboot\")"
}

show_shortcuts() {
  find demo/machine/drive_c -name '*.lnk' | sed 's|^demo/machine/drive_c|C:|' | sort
}

cat > demo/install.script <<'SCRIPT'
timeout 30
wait FWelcome
snapshot FWelcome 01-welcome-english.png
click FWelcome.lb_Languages1
snapshot FWelcome 02-welcome-german.png
click FWelcome.bt_Next
wait FSeriesSelect
snapshot FSeriesSelect 03-series.png
click FSeriesSelect.bt_Next
wait FEULA
snapshot FEULA 04-licence.png
click FEULA.bt_Next
snapshot FInstall 05-install.png
wait FFinish
snapshot FFinish 06-finish.png
click FFinish.bt_Finish
wait end 0
SCRIPT
run_script demo/install.script 'C:\ZorvexDemo\Setup.exe'

echo
echo "== Installed files =="
show_files "C:\\Program Files (x86)\\$product" 40
show_files "C:\\ProgramData\\$product" 0
echo
echo "== Registry =="
show_registry
echo
echo "== Shortcuts =="
show_shortcuts
echo
echo "== Tool log (started programs, rights commands) =="
"$winsim" log demo/machine > demo/tool.log
grep -E '^run ' demo/tool.log | head -20 || true

if [ "${DEMO:-}" = "uninstall" ]; then
  # What Add/Remove Programs starts: the entry's UninstallString.
  mapfile -t command < <("$python" scripts/reg_text.py command demo/registry.reg \
                           "\\Uninstall\\$entry" UninstallString)
  if [ ${#command[@]} -eq 0 ]; then
    echo "demo: the machine has no UninstallString for $entry" >&2
    exit 1
  fi
  echo
  echo "== Uninstall: ${command[*]} =="
  cat > demo/uninstall.script <<'SCRIPT'
timeout 30
wait FUninstallConfirm
snapshot FUninstallConfirm 07-uninstall-confirm.png
click FUninstallConfirm.bt_OK
wait FFinish
snapshot FFinish 08-uninstall-finish.png
click FFinish.bt_Finish
wait end 0
SCRIPT
  run_script demo/uninstall.script "${command[@]}"
  echo
  echo "== Left after uninstall =="
  show_files "C:\\Program Files (x86)\\$product" 20
  show_files "C:\\ProgramData\\$product" 0
  echo
  show_registry
  echo
  echo "Shortcuts:"
  show_shortcuts | sed 's/^/  /'
  [ -n "$(show_shortcuts)" ] || echo "  (none)"
fi
echo
echo "Screens: demo/screens/"; ls demo/screens
