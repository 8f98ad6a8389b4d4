# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the tests that run Windows programs under Wine in a prefix of their own, thrown away at
# the end, on a display of their own (Xvfb), so that what shows there is the test's alone:
#   work=$(mktemp -d); source wine-session.sh; start_wine_session "$work" WINE
# sets WINEPREFIX and DISPLAY; `fail MESSAGE` ends the test. At exit the server and the display end
# and the work folder goes.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

wine_session_work=""
wine_session_xvfb=""
# Wine's own programs outlive the commands that start them; with their output sent away they never
# hold the test's output open, and the server's end takes them all with it.
end_wine_session() {
    wineserver -k >/dev/null 2>&1 </dev/null || true
    [[ -z $wine_session_xvfb ]] || kill "$wine_session_xvfb" 2>/dev/null || true
    [[ -z $wine_session_work ]] || rm -rf "$wine_session_work"
}

start_wine_session() {
    wine_session_work=$1
    trap end_wine_session EXIT
    export WINEPREFIX=$1/prefix WINEDEBUG=-all
    unset WINEARCH
    exec 8< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null </dev/null)
    wine_session_xvfb=$!
    local display
    read -r -t 30 display <&8 || fail "Xvfb did not start"
    export DISPLAY=:$display
    mkdir -p "$WINEPREFIX"
    wineserver -p >/dev/null 2>&1 </dev/null
    "$2" wineboot -i >/dev/null 2>&1 </dev/null
}
