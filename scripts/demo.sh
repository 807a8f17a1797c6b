#!/usr/bin/env bash
# The main job: a fresh simulated Windows machine under demo/, the sample package
# laid into it, and the wizard driven as a person would (welcome, a switch to
# German, series, licence, install, finish). DEMO=uninstall then uninstalls it
# again from the machine's Add/Remove Programs entry.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/host
winsim=$build/tools/winsim
cmake --build --preset host --target zorvex_demo_package winsim Setup >/dev/null

rm -rf demo
mkdir -p demo/screens
"$winsim" new demo/machine
mkdir -p demo/machine/drive_c/ZorvexDemo
cp -r "$build/packages/ZorvexDemo/." demo/machine/drive_c/ZorvexDemo/

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
wait FFinish
snapshot FFinish 05-finish.png
click FFinish.bt_Finish
wait end 0
SCRIPT
script=$(realpath demo/install.script)
machine=$(realpath demo/machine)
(cd demo/screens && "../../$winsim" run --script "$script" "$machine" 'C:\ZorvexDemo\Setup.exe')

echo
echo "== Installed files (program folder) =="
"$winsim" files demo/machine 'C:\Program Files (x86)\Zorvex7' | head -40
echo
echo "== Registry =="
"$winsim" reg demo/machine | grep -v '^$' | grep -i -A12 -E 'Uninstall\\Zorvex3\]|\\Zorvex\\Zorvex3\]|CurrentVersion\\Run\]'
echo
echo "== Shortcuts =="
find demo/machine/drive_c -name '*.lnk' | sed 's|demo/machine/drive_c|C:|'
echo
echo "== Tool log (started programs, rights commands) =="
"$winsim" log demo/machine | grep -E '^run ' | head -20

if [ "${DEMO:-}" = "uninstall" ]; then
  cat > demo/uninstall.script <<'SCRIPT'
timeout 30
wait FUninstallConfirm
snapshot FUninstallConfirm 06-uninstall-confirm.png
click FUninstallConfirm.bt_OK
wait FFinish
snapshot FFinish 07-uninstall-finish.png
click FFinish.bt_Finish
wait end 0
SCRIPT
  uscript=$(realpath demo/uninstall.script)
  # The Add/Remove Programs entry starts the uninstaller copy with "uninstall".
  (cd demo/screens && "../../$winsim" run --script "$uscript" "$machine" 'C:\ProgramData\Zorvex7\bin\uninst\Setup.exe' uninstall)
  echo
  echo "== After uninstall =="
  "$winsim" files demo/machine 'C:\Program Files (x86)\Zorvex7' | head -20
fi
echo
echo "Screens: demo/screens/"; ls demo/screens
