#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every command and option that `quarrow-cli --help` and each `quarrow-cli COMMAND --help` list is
# in the manual page and in the bash completion, so neither falls behind when the command line
# grows; each command's --help is its own (its examples and exit statuses, not the program's
# overview); and, given the window program and its page, every option `quarrow --help` lists
# (without a display) is in that page.
# Usage: cli-docs-cover-help.sh QUARROW_CLI MANUAL_PAGE.scd COMPLETION [QUARROW WINDOW_PAGE.scd]
set -euo pipefail
cli=$1 page=$2 completion=$3 window=${4:-} window_page=${5:-}

# A test aid for the simulated programmer, deliberately left out of the documentation.
undocumented=' --simulate-fault '

# Option names from the option lines of a help text, which end where its footer begins.
options_of() {
    sed '/^Examples:/,$d' | grep -E '^  +-' | grep -oE '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,'
}

commands=$("$cli" --help | sed -n '/^Subcommands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }')
[[ -n $commands ]] || { echo "FAIL: no commands found in quarrow-cli --help"; exit 1; }

missing=0
check() {  # what, name
    if ! grep -qF -- "*$2*" "$page"; then
        echo "FAIL: $1 $2 is not in $page"
        missing=1
    fi
    if [[ $2 != -h ]] && ! grep -qwF -- "$2" "$completion"; then
        echo "FAIL: $1 $2 is not in $completion"
        missing=1
    fi
}

for option in $("$cli" --help | options_of); do
    [[ $undocumented == *" $option "* ]] || check "global option" "$option"
done
for command in $commands; do
    check command "$command"
    help=$("$cli" "$command" --help)
    if [[ $help != *"Usage: quarrow-cli $command"* || $help == *Subcommands:* ||
        $help != *$'\nExamples:\n  quarrow-cli '*"$command"* || $help != *$'\nExit status:\n'* ]]; then
        echo "FAIL: quarrow-cli $command --help is not that command's own help with its examples and exit statuses"
        missing=1
    fi
    for option in $(options_of <<<"$help"); do
        check "option of $command:" "$option"
    done
done
# The page lists every chip list-chips knows (its first line of each chip names it).
for chip in $("$cli" list-chips | awk '$1 != "port" { print $1 }'); do
    if ! grep -qF -- "$chip" "$page"; then
        echo "FAIL: chip $chip of quarrow-cli list-chips is not in $page"
        missing=1
    fi
done
if [[ -n $window ]]; then
    options=$(env -u DISPLAY -u WAYLAND_DISPLAY "$window" --help | options_of)
    [[ -n $options ]] || { echo "FAIL: no options found in quarrow --help"; missing=1; }
    for option in $options; do
        if ! grep -qF -- "*$option*" "$window_page"; then
            echo "FAIL: option $option of quarrow is not in $window_page"
            missing=1
        fi
    done
fi
exit $missing
