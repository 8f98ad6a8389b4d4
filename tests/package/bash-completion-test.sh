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
# expect_words "EXPECTED REPLIES" WORD...: completes the last WORD, words given as typed, quotes and
# all.
expect_words() {
    local expected=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}" COMPREPLY=()
    COMP_POINT=${#COMP_LINE}
    _quarrow_cli
    if [[ "${COMPREPLY[*]}" != "$expected" ]]; then
        echo "FAIL: '$COMP_LINE' completes to '${COMPREPLY[*]}', expected '$expected'"
        failed=1
    fi
}
# expect "WORDS..." "EXPECTED REPLIES": completes the last word of WORDS, split at spaces.
expect() {
    local words
    read -ra words <<<"$1"
    [[ $1 == *' ' ]] && words+=('')
    expect_words "$2" "${words[@]}"
}

# The value of a global option is not the command.
expect 'quarrow-cli --simulate-image dump.prm ' 'list list-chips read compare show identify convert archive selftest wiring'
expect 'quarrow-cli --pins clock=D2,reset=D3,data=D6 --invert-data s' 'show selftest'
expect 'quarrow-cli convert a.bin a.prm --to ' 'mame nss'
expect 'quarrow-cli convert a.bin a.prm --from ' 'mame nss'
expect 'quarrow-cli read --' '--device --output --nss --reads --verify --strict --rom-load --json --trace --help'
# Serial numbers come from `list` on the programmer the global options choose.
expect 'quarrow-cli --simulate compare dump.prm --device ' 'QSIM0001'
expect 'quarrow-cli --simulate wiring ' 'QSIM0001'

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# ... also when the simulated chip's file name is quoted, escaped or starts with ~.
mkdir "$scratch/my dumps"
printf '\001\043\105\147\211\253\315\357\376\334\272\230\166\124\062\020' >"$scratch/my dumps/chip.prm"
for typed in "'$scratch/my dumps/chip.prm'" "\"$scratch/my dumps/chip.prm\"" \
    "$scratch/my\\ dumps/chip.prm" '~/my\ dumps/chip.prm'; do
    HOME=$scratch expect_words 'QSIM0001' quarrow-cli --simulate-image "$typed" read --device ''
done

# A programmer's serial number is the device's text: offered as it is, quoted for the command
# line, and never run.
mkdir "$scratch/bin" "$scratch/cwd"
cat >"$scratch/bin/quarrow-cli" <<'EOF'
#!/bin/sh
[ "$1" = list ] && printf '%s\n' '$(touch${IFS}P) - FT232R USB UART' '`touch Q` - FT232R USB UART'
EOF
chmod +x "$scratch/bin/quarrow-cli"
(
    cd "$scratch/cwd" || exit 1
    PATH=$scratch/bin:$PATH
    expect 'quarrow-cli read --device ' '\$\(touch\$\{IFS\}P\) \`touch\ Q\`'
    expect 'quarrow-cli read --device $(to' '\$\(touch\$\{IFS\}P\)'
    exit $failed
) || failed=1
if [[ -n $(ls -A "$scratch/cwd") ]]; then
    echo "FAIL: completing a serial number ran it: $(ls -A "$scratch/cwd")"
    failed=1
fi
exit $failed
