#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The bash completion of quarrow-cli, driven as bash-completion drives it.
# Usage: bash-completion-test.sh QUARROW_CLI COMPLETION
set -uo pipefail
cli=$1 completion=$2

helpers=/usr/share/bash-completion/bash_completion
if [[ ! -r $helpers ]]; then
    echo "skipped: $helpers is missing (Debian package bash-completion; scripts/install-deps installs it)"
    exit 77
fi
source "$helpers"
source "$completion"
# `--device` asks quarrow-cli itself for the programmers' serial numbers.
PATH=$(dirname "$cli"):$PATH

failed=0
# expect "WORDS..." "EXPECTED REPLIES": completes the last word of WORDS.
expect() {
    read -ra COMP_WORDS <<<"$1"
    [[ $1 == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$1 COMP_POINT=${#1} COMPREPLY=()
    _quarrow_cli
    if [[ "${COMPREPLY[*]}" != "$2" ]]; then
        echo "FAIL: '$1' completes to '${COMPREPLY[*]}', expected '$2'"
        failed=1
    fi
}

# The value of a global option is not the command.
expect 'quarrow-cli --simulate-image dump.prm ' 'list read compare show identify convert archive'
expect 'quarrow-cli convert a.bin a.prm --to ' 'mame nss'
expect 'quarrow-cli convert a.bin a.prm --from ' 'mame nss'
expect 'quarrow-cli read --' '--device --output --nss --reads --verify --strict --rom-load --json --help'
# Serial numbers come from `list` on the programmer the global options choose.
expect 'quarrow-cli --simulate compare dump.prm --device ' 'QSIM0001'
exit $failed
