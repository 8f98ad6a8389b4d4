#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the examples a document shows in its ```console blocks and checks that each command prints
# what the document says it prints (standard output, then standard error), so the document cannot
# drift from the program. Commands run with bash in one scratch folder per document, in order, with
# the built programs first on PATH and the project's samples/ reachable as samples/.
# Usage: docs-console-examples.sh BUILT_PROGRAM_FOLDER SAMPLES_FOLDER DOCUMENT...
set -uo pipefail
bin=$1 samples=$2
shift 2

failed=0
for document in "$@"; do
    scratch=$(mktemp -d)
    ln -s "$samples" "$scratch/samples"
    command='' output=() inside=0 checked=0
    run() {  # checks the command gathered so far against the lines that followed it
        [[ -n $command ]] || return 0
        local actual expected
        actual=$(cd "$scratch" && PATH=$bin:$PATH bash -c "$command" 2>&1)
        expected=$(((${#output[@]})) && printf '%s\n' "${output[@]}")
        if [[ $actual != "$expected" ]]; then
            echo "FAIL: $document: \$ $command"
            diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") | sed 's/^/    /'
            failed=1
        fi
        checked=$((checked + 1))
        command='' output=()
    }
    while IFS= read -r line; do
        if ((!inside)); then
            [[ $line == '```console' ]] && inside=1
            continue
        fi
        if [[ $line == '```' ]]; then
            run
            inside=0
        elif [[ $line == '$ '* ]]; then
            run
            command=${line#\$ }
        else
            output+=("$line")
        fi
    done <"$document"
    rm -rf "$scratch"
    if ((checked == 0)); then
        echo "FAIL: $document shows no console examples"
        failed=1
    fi
done
exit $failed
