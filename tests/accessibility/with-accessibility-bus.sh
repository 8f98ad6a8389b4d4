#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a display of its own with a session bus of its own, as a desktop session gives a
# screen reader: Xvfb for the window, dbus-run-session for the bus on which the accessibility bus is
# found (at-spi2-core starts it on demand).
# Usage: with-accessibility-bus.sh COMMAND [ARG...]
set -euo pipefail

for tool in Xvfb dbus-run-session /usr/libexec/at-spi-bus-launcher; do
  if ! command -v "$tool" >/dev/null; then
    echo "with-accessibility-bus.sh: $tool is missing; scripts/install-deps installs it" >&2
    exit 1
  fi
done

# -noreset: the accessibility bus's launcher opens the display and closes it again, and a server
# that resets as its last client leaves refuses a window that connects just then.
exec 8< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp -noreset 2>/dev/null </dev/null)
xvfb_pid=$!
stop_xvfb() {
  kill "$xvfb_pid" 2>/dev/null || return 0
  for _ in $(seq 100); do
    kill -0 "$xvfb_pid" 2>/dev/null || return 0
    sleep 0.05
  done
}
trap stop_xvfb EXIT
read -r -t 30 display <&8 || { echo "with-accessibility-bus.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"
# The bus's own complaints (no permission to raise its file limit as root, no runtime folder) are
# no part of the result.
dbus-run-session -- "$@" 2> >(grep -v -e 'Failed to set fd limit' -e 'XDG_RUNTIME_DIR' >&2)
