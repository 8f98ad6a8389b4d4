#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer from end to end, in a Wine prefix of its own that is thrown away: builds it
# with cpack; checks that it refuses a Windows older than its programs need; installs it silently
# with the folder on PATH, checks the programs, the uninstall entry Windows lists and PATH, starts the
# window through the Start menu entry itself and runs the command line from another folder;
# installs again into another folder and checks that nothing of the first install is left; starts
# it and cancels, which must change nothing; uninstalls silently and checks that nothing of it is
# left on the disk, in the registry or on PATH.
# Usage: windows-installer-test.sh BUILD_DIR VERSION WINE
set -euo pipefail

build=$(cd "$1" && pwd) version=$2 wine=$3
work=$(mktemp -d)
started=$SECONDS
source "$(dirname "$0")/../wine-session.sh"

step() { echo "--- $* ($((SECONDS - started)) s)"; }
run() { "$wine" "$@" </dev/null 2>>"$work/wine.log"; }
# Waits up to 30 s for a top-level window of `program` (xwininfo's class, such as "quarrow.exe").
window_shows() {
    for _ in $(seq 60); do
        windows=$(xwininfo -root -tree)
        grep -qF "(\"$1\"" <<<"$windows" && return 0
        sleep 0.5
    done
    return 1
}

step "building the installer"
cpack -G NSIS --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack could not build the installer"; }
setup=$work/out/quarrow-$version-windows-x86_64-setup.exe
[[ -f $setup ]] || fail "no $(basename "$setup")"
# Its version information is UTF-16, as the programs' is.
wide=$(strings -a -el "$setup")
grep -qxF "Quarrow $version installer" <<<"$wide" || fail "the installer has no version information"

step "a fresh Wine prefix"
start_wine_session "$work" "$wine"
drive=$WINEPREFIX/drive_c
# Everything on the disk but Wine's own folders, which change by themselves.
disk() { (cd "$drive" && find . -path ./windows -prune -o -path ./users -prune -o -print | sort); }
disk >"$work/before"
environment_key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
system_path() { run reg query "$environment_key" /v Path | tr -d '\r' | sed -n 's/.*REG_EXPAND_SZ *//p'; }
path_before=$(system_path)
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quarrow'

step "refused on an older Windows"
# The window needs Windows 10; the command line alone runs on Windows 7 SP1.
older=vista
[[ ! -f $build/app/quarrow.exe ]] || older=win81
run reg add 'HKCU\Software\Wine' /v Version /d "$older" /f >/dev/null
if run "$setup" /S >/dev/null; then fail "the installer went ahead on $older"; fi
disk >"$work/refused"
diff "$work/before" "$work/refused" >"$work/left" || fail "a refused install left: $(cat "$work/left")"
run reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null

step "silent install, with the folder on PATH"
run "$setup" /S /PATH >/dev/null
folder=$drive/Program\ Files/Quarrow
for file in quarrow-cli.exe README-Windows.txt README.md LICENSE Uninstall.exe; do
    [[ -f $folder/$file ]] || fail "$file is not in Program Files\\Quarrow"
done
entry=$(run reg query "$uninstall_key" | tr -d '\r')
grep -q 'UninstallString.*Program Files\\Quarrow\\Uninstall.exe' <<<"$entry" ||
    fail "no uninstall entry in the registry: $entry"
grep -q "DisplayVersion.*$version" <<<"$entry" || fail "the uninstall entry has no version: $entry"
[[ $(system_path) == "$path_before;C:\\Program Files\\Quarrow" ]] || fail "PATH is $(system_path)"

step "running the installed programs"
# From a folder of the user's own, by name alone: the folder is on PATH.
mkdir -p "$drive/work"
out=$(run cmd /c "cd /d C:\\work && quarrow-cli --simulate read" | tr -d '\r')
[[ $out == "0123456789ABCDEF FEDCBA9876543210"* ]] || fail "quarrow-cli --simulate read printed: $out"
if [[ -f $build/app/quarrow.exe ]]; then
    [[ -f $folder/quarrow.exe ]] || fail "quarrow.exe is not in Program Files\\Quarrow"
    shortcut=$(find "$drive" -iname 'Quarrow.lnk' -path '*Start Menu*')
    [[ $(wc -l <<<"$shortcut") == 1 && -n $shortcut ]] || fail "not one Start menu entry: $shortcut"
    # Started as from the Start menu, through the link itself, it shows a window (without FTDI's
    # driver, first the box saying that no programmer was found); it is then ended.
    run start /unix "$shortcut" >/dev/null
    window_shows quarrow.exe || fail "the Start menu entry showed no window of quarrow.exe"
    run taskkill /f /im quarrow.exe >/dev/null 2>&1 || true
fi

step "installed again, into another folder"
# The earlier install's PATH entry is carried over to the new folder.
run "$setup" /S '/D=C:\Tools\Quarrow' >/dev/null
moved=$drive/Tools/Quarrow
[[ ! -e $folder ]] || fail "the first install's folder is still there: $(ls -A "$folder")"
[[ -f $moved/quarrow-cli.exe && -f $moved/Uninstall.exe ]] || fail "nothing in C:\\Tools\\Quarrow"
entry=$(run reg query "$uninstall_key" | tr -d '\r')
grep -q 'UninstallString.*Tools\\Quarrow\\Uninstall.exe' <<<"$entry" || fail "the uninstall entry is $entry"
[[ $(system_path) == "$path_before;C:\\Tools\\Quarrow" ]] || fail "PATH is $(system_path)"

step "started and cancelled"
disk >"$work/installed"
"$wine" "$setup" </dev/null >/dev/null 2>>"$work/wine.log" &
setup_pid=$!
installer=""
for _ in $(seq 60); do
    installer=$(xdotool search --onlyvisible --name "Quarrow $version Setup" | head -n1) || true
    [[ -z $installer ]] || break
    sleep 0.5
done
[[ -n $installer ]] || fail "the installer showed no window"
# Escape is the Cancel button's key.
xdotool windowfocus --sync "$installer" key Escape
wait "$setup_pid" || true
disk >"$work/cancelled"
diff "$work/installed" "$work/cancelled" >"$work/left" || fail "cancelling changed: $(cat "$work/left")"
run reg query "$uninstall_key" >/dev/null 2>&1 || fail "cancelling removed the uninstall entry"

step "silent uninstall"
# The uninstaller copies itself to the temporary folder and returns at once; the copy does the work.
run "C:\\Tools\\Quarrow\\Uninstall.exe" /S >/dev/null
for _ in $(seq 60); do
    [[ -e $moved ]] || break
    sleep 1
done
[[ ! -e $moved ]] || fail "C:\\Tools\\Quarrow is still there: $(ls -A "$moved")"
rmdir "$drive/Tools" "$drive/work"
disk >"$work/after"
diff "$work/before" "$work/after" >"$work/left" || fail "left on the disk: $(cat "$work/left")"
if run reg query "$uninstall_key" >/dev/null 2>&1; then fail "the uninstall entry is still there"; fi
if run reg query 'HKLM\Software\Quarrow' >/dev/null 2>&1; then fail "HKLM\\Software\\Quarrow is still there"; fi
[[ $(system_path) == "$path_before" ]] || fail "PATH is $(system_path), not $path_before again"
left_in_users=$(find "$drive/users" -iname '*quarrow*')
[[ -z $left_in_users ]] || fail "left in the user folders: $left_in_users"
step "done"
