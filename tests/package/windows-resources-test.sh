#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Each Windows program carries its resources: a .rsrc section with the manifest (long paths, DPI
# awareness), the icon and the version information.
# Usage: windows-resources-test.sh OBJDUMP VERSION PROGRAM.exe...
set -euo pipefail
objdump=$1 version=$2
shift 2
for exe in "$@"; do
    name=$(basename "$exe")
    # Each listing is taken whole before it is searched: grep -q at the end of a pipe quits at the
    # first match, and the writer's SIGPIPE would fail the pipe under pipefail.
    sections=$("$objdump" -h "$exe")
    grep -q ' \.rsrc ' <<<"$sections" || { echo "FAIL: $name has no .rsrc section" >&2; exit 1; }
    text=$(strings -a "$exe")
    for declared in '<longPathAware' 'PerMonitorV2' 'supportedOS Id="{8e0f7a12'; do
        grep -qF "$declared" <<<"$text" || { echo "FAIL: $name's manifest lacks $declared" >&2; exit 1; }
    done
    # The version information is UTF-16.
    wide=$(strings -a -el "$exe")
    grep -qxF "$version" <<<"$wide" || { echo "FAIL: $name has no version $version" >&2; exit 1; }
    # An icon resource: the PNG pictures of res/artwork/quarrow.ico.
    grep -q 'IHDR' <<<"$text" || { echo "FAIL: $name has no icon" >&2; exit 1; }
done
