#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer from end to end, in a Wine prefix of its own that is thrown away: builds it
# with cpack, installs it silently, checks the programs, the Start menu entry and the uninstall entry
# Windows lists, runs both programs from Program Files, uninstalls silently and checks that nothing
# of it is left on the disk or in the registry.
# Usage: windows-installer-test.sh BUILD_DIR VERSION WINE
set -euo pipefail

build=$(cd "$1" && pwd) version=$2 wine=$3
work=$(mktemp -d)
started=$SECONDS
export WINEPREFIX=$work/prefix WINEDEBUG=-all
unset WINEARCH

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
step() { echo "--- $* ($((SECONDS - started)) s)"; }
# Wine's own programs outlive the commands that start them; with their output sent away they never
# hold the test's output open, and the server's end takes them all with it.
xvfb_pid=""
cleanup() {
    wineserver -k >/dev/null 2>&1 </dev/null || true
    [[ -z $xvfb_pid ]] || kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
run() { "$wine" "$@" </dev/null 2>>"$work/wine.log"; }

step "building the installer"
cpack -G NSIS --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack could not build the installer"; }
setup=$work/out/quarrow-$version-windows-x86_64-setup.exe
[[ -f $setup ]] || fail "no $(basename "$setup")"

step "a fresh Wine prefix"
# A display of the test's own, for the window: what shows on it is the installed program's alone.
exec 8< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null </dev/null)
xvfb_pid=$!
read -r -t 30 display <&8 || fail "Xvfb did not start"
export DISPLAY=:$display
mkdir -p "$WINEPREFIX"
wineserver -p >/dev/null 2>&1 </dev/null
run wineboot -i >/dev/null
drive=$WINEPREFIX/drive_c
# Everything on the disk but Wine's own folders, which change by themselves.
disk() { (cd "$drive" && find . -path ./windows -prune -o -path ./users -prune -o -print | sort); }
disk >"$work/before"

step "silent install"
run "$setup" /S >/dev/null
folder=$drive/Program\ Files/Quarrow
for file in quarrow-cli.exe README-Windows.txt README.md LICENSE Uninstall.exe; do
    [[ -f $folder/$file ]] || fail "$file is not in Program Files\\Quarrow"
done
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quarrow'
entry=$(run reg query "$uninstall_key" | tr -d '\r')
grep -q 'UninstallString.*Program Files\\Quarrow\\Uninstall.exe' <<<"$entry" ||
    fail "no uninstall entry in the registry: $entry"
grep -q "DisplayVersion.*$version" <<<"$entry" || fail "the uninstall entry has no version: $entry"

step "running the installed programs"
out=$(run "C:\\Program Files\\Quarrow\\quarrow-cli.exe" --simulate read | tr -d '\r')
[[ $out == "0123456789ABCDEF FEDCBA9876543210"* ]] || fail "quarrow-cli --simulate read printed: $out"
if [[ -f $build/app/quarrow.exe ]]; then
    [[ -f $folder/quarrow.exe ]] || fail "quarrow.exe is not in Program Files\\Quarrow"
    shortcut=$(find "$drive" -iname 'Quarrow.lnk' -path '*Start Menu*' | head -n1)
    [[ -n $shortcut ]] || fail "no Start menu entry for the window"
    # Started as from the Start menu, it shows its window titled Quarrow; it is then ended.
    "$wine" "C:\\Program Files\\Quarrow\\quarrow.exe" --simulate </dev/null >/dev/null 2>>"$work/wine.log" &
    window=$!
    shown=""
    for _ in $(seq 60); do
        windows=$(xwininfo -root -tree)
        if grep -qF '"Quarrow": ("quarrow.exe"' <<<"$windows"; then
            shown=1
            break
        fi
        sleep 0.5
    done
    kill "$window"
    wait "$window" || true
    [[ -n $shown ]] || fail "the installed quarrow.exe showed no window"
fi

step "silent uninstall"
# The uninstaller copies itself to the temporary folder and returns at once; the copy does the work.
run "C:\\Program Files\\Quarrow\\Uninstall.exe" /S >/dev/null
for _ in $(seq 60); do
    [[ -e $folder ]] || break
    sleep 1
done
[[ ! -e $folder ]] || fail "Program Files\\Quarrow is still there: $(ls -A "$folder")"
disk >"$work/after"
diff "$work/before" "$work/after" >"$work/left" || fail "left on the disk: $(cat "$work/left")"
if run reg query "$uninstall_key" >/dev/null 2>&1; then fail "the uninstall entry is still there"; fi
if run reg query 'HKLM\Software\Quarrow' >/dev/null 2>&1; then fail "HKLM\\Software\\Quarrow is still there"; fi
left_in_users=$(find "$drive/users" -iname '*quarrow*')
[[ -z $left_in_users ]] || fail "left in the user folders: $left_in_users"
step "done"
