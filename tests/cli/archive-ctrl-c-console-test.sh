#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Ctrl-C typed at archive's prompt in a Windows console, under Wine: the program ends as q ends it,
# with the summary, and with status 130. A console window of Wine's (wineconsole) on a display of
# the test's own, and the key pressed there with xdotool, as a person would.
# Usage: archive-ctrl-c-console-test.sh WINE RUN_IN_CONSOLE.exe QUARROW_CLI.exe
set -euo pipefail

wine=$1 runner=$2 cli=$3
work=$(mktemp -d)
source "$(dirname "$0")/../wine-session.sh"
# A Windows name for a file of the test's: Wine's drive Z: is /.
windows() { printf 'Z:%s' "${1//\//\\}"; }

start_wine_session "$work" "$wine"

"$wine" wineconsole "$(windows "$runner")" "$(windows "$work/out")" "$(windows "$work/err")" \
    "$(windows "$work/status")" "$(windows "$cli")" --simulate archive "$(windows "$work/dumps")" \
    </dev/null >/dev/null 2>&1 &
for _ in $(seq 120); do
    grep -qF '(q to quit)' "$work/err" 2>/dev/null && break
    sleep 0.5
done
grep -qF '(q to quit)' "$work/err" 2>/dev/null || fail "no prompt: $(cat "$work/err" 2>/dev/null)"
console=$(xdotool search --onlyvisible --class conhost | head -n1)
[[ -n $console ]] || fail "no console window"
xdotool windowfocus --sync "$console"
xdotool key ctrl+c
for _ in $(seq 60); do
    [[ -s $work/status ]] && break
    sleep 0.5
done
[[ -s $work/status ]] || fail "the program did not end after Ctrl-C"
status=$(tr -d '\r\n' <"$work/status")
out=$(tr -d '\r' <"$work/out")
[[ $status == 130 ]] || fail "status $status, not 130; output: $out; errors: $(cat "$work/err")"
[[ $out == "Chips read: 0, archived: 0, already archived: 0, refused: 0" ]] ||
    fail "not the summary alone: $out"
