#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Each Windows program carries its resources: a .rsrc section with the manifest (long paths, DPI
# awareness, the Windows versions it runs on), the icon and the version information.
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
    # Windows 7 only for the command line: the window's Qt needs Windows 10.
    windows7='supportedOS Id="{35138b9a'
    if [[ $name == quarrow.exe ]] && grep -qF "$windows7" <<<"$text"; then
        echo "FAIL: $name's manifest declares Windows 7" >&2
        exit 1
    fi
    if [[ $name == quarrow-cli.exe ]] && ! grep -qF "$windows7" <<<"$text"; then
        echo "FAIL: $name's manifest leaves out Windows 7" >&2
        exit 1
    fi
    # The version information is UTF-16.
    wide=$(strings -a -el "$exe")
    grep -qxF "$version" <<<"$wide" || { echo "FAIL: $name has no version $version" >&2; exit 1; }
    # An icon resource: the PNG pictures of res/artwork/quarrow.ico, 256 pixels the largest, for
    # Windows' large views.
    grep -q 'IHDR' <<<"$text" || { echo "FAIL: $name has no icon" >&2; exit 1; }
    LC_ALL=C grep -qaP 'IHDR\x00\x00\x01\x00\x00\x00\x01\x00' "$exe" ||
        { echo "FAIL: $name's icon has no 256 x 256 picture" >&2; exit 1; }
done
