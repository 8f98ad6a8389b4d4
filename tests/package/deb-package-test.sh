#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package from end to end: builds it, checks its files and control fields, runs lintian
# and desktop-file-validate, installs it into this machine with apt-get, uses what it installed,
# purges it and checks that nothing of it is left.
# Usage: deb-package-test.sh BUILD_DIR VERSION
# It changes the machine it runs on, so it runs only when QUARROW_PACKAGE_TEST=1.
set -euo pipefail

if [[ ${QUARROW_PACKAGE_TEST:-} != 1 ]]; then
    echo "skipped: installs a package into this machine; run QUARROW_PACKAGE_TEST=1 ctest --preset default -L package"
    exit 77
fi

build=$(cd "$1" && pwd) version=$2
arch=$(dpkg --print-architecture)
deb=$build/quarrow_${version}_${arch}.deb
work=$(mktemp -d)
started=$SECONDS

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
step() { echo "--- $* ($((SECONDS - started)) s)"; }

sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo -n true 2>/dev/null || fail "installing the package needs root or password-less sudo"
    sudo=(sudo -n)
fi
# apt waits for a lock another apt or dpkg holds instead of failing at once.
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300)

installed_status() { dpkg-query -W -f='${db:Status-Status}' quarrow 2>/dev/null || true; }
status=$(installed_status)
if [[ -n $status && $status != not-installed ]]; then
    fail "a quarrow package is already here ($status); the test would purge it, so remove it first"
fi

installed=0
cleanup() {
    if ((installed)); then
        "${apt[@]}" purge quarrow >/dev/null 2>&1 || echo "could not purge quarrow: run apt-get purge quarrow" >&2
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

step "building $deb"
rm -f "$deb"
cmake --build "$build" --target package >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "the package target failed"; }
[[ -f $deb ]] || fail "the package target did not make $deb"

step "file list"
# Every file and no other: a stray install() rule (a test, a header, a /usr/local path) shows here.
expected=(
    ./usr/bin/quarrow
    ./usr/bin/quarrow-cli
    ./usr/lib/udev/rules.d/70-quarrow.rules
    ./usr/share/applications/quarrow.desktop
    ./usr/share/bash-completion/completions/quarrow-cli
    ./usr/share/doc/quarrow/README.md
    ./usr/share/doc/quarrow/changelog.gz
    ./usr/share/doc/quarrow/copyright
    ./usr/share/man/man1/quarrow-cli.1.gz
    ./usr/share/man/man1/quarrow.1.gz
)
for size in 16 24 32 48 64 128; do expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/quarrow.png"); done
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort >"$work/files"
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
diff -u "$work/expected" "$work/files" || fail "the package's files differ from the list above (- expected, + found)"

step "control fields"
field() { dpkg-deb -f "$deb" "$1"; }
expect_field() { [[ $(field "$1") == $2 ]] || fail "control field $1 is '$(field "$1")', expected $2"; }
expect_field Package quarrow
expect_field Version "$version"
expect_field Architecture "$arch"
expect_field Section electronics
expect_field Maintainer '?*<?*@?*>'
expect_field Homepage 'http*://?*'
expect_field Description 'reader for Ricoh RP5H01 serial PROMs*'
# dpkg-shlibdeps, not a hand-typed list: versioned, and naming the libraries the binaries link.
depends=$(field Depends)
for library in 'libc6 (>= ' 'libftdi1-2 (>= ' 'libqt6widgets6 (>= ' 'libusb-1.0-0 (>= '; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks '$library...': $depends"
done
# Listed first, then searched: grep -q in the pipe would quit at the first match, and tar, killed
# by SIGPIPE while still listing, would fail the pipe under pipefail.
control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t)
grep -qx './postinst' <<<"$control" || fail "the package has no postinst"
grep -qx './postrm' <<<"$control" || fail "the package has no postrm"

step "lintian"
# Accepted warnings carry an override in the package, with the reason (README: packaging notes).
lintian_status=0
lintian --display-info --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
grep -v 'running with root privileges' "$work/lintian.log" || true
((lintian_status == 0)) || fail "lintian found errors or warnings"

step "desktop-file-validate"
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/quarrow.desktop" || fail "the desktop entry is not valid"

step "apt-get install"
installed=1
"${apt[@]}" install --no-install-recommends "$deb" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "apt-get install failed"; }
[[ $(installed_status) == installed ]] || fail "after apt-get install, quarrow is '$(installed_status)'"

step "using what it installed"
out=$(/usr/bin/quarrow-cli --simulate read 2>/dev/null) || fail "/usr/bin/quarrow-cli --simulate read failed"
[[ $out == *"0123456789ABCDEF FEDCBA9876543210"* ]] || fail "quarrow-cli --simulate read printed: $out"
for page in quarrow quarrow-cli; do
    [[ $(man -w "$page") == /usr/share/man/man1/$page.1.gz ]] ||
        fail "man -w $page finds '$(man -w "$page" 2>&1)' (slim images drop manual pages through path-exclude in /etc/dpkg/dpkg.cfg.d)"
done
if [[ -r /usr/share/bash-completion/bash_completion ]]; then
    bash -c 'source /usr/share/bash-completion/bash_completion && __load_completion quarrow-cli && complete -p quarrow-cli' >/dev/null ||
        fail "bash-completion does not load the completion of quarrow-cli"
fi

rule=/usr/lib/udev/rules.d/70-quarrow.rules
if udevadm verify --help >/dev/null 2>&1; then
    step "udevadm verify"
    udevadm verify "$rule" || fail "udevadm verify rejects $rule"
elif command -v udevadm >/dev/null && [[ -e /sys/class/net/lo ]]; then
    step "udevadm test"
    # udevadm test logs every rules file it reads, and a fault in one as FILE:LINE.
    udevadm test --action=add /sys/class/net/lo >"$work/udev.log" 2>&1 || true
    grep -q "$rule" "$work/udev.log" || { cat "$work/udev.log"; fail "udevadm test did not read $rule"; }
    if grep "$rule:" "$work/udev.log"; then fail "udev reports the faults above in $rule"; fi
else
    step "udev rule present (no udevadm here)"
    [[ -f $rule ]] || fail "$rule is missing"
fi

step "apt-get purge"
"${apt[@]}" purge quarrow >"$work/purge.log" 2>&1 || { cat "$work/purge.log"; fail "apt-get purge failed"; }
installed=0
status=$(installed_status)
[[ -z $status || $status == not-installed ]] || fail "after the purge, quarrow is '$status'"
for file in "${expected[@]}"; do
    [[ ! -e ${file#.} ]] || fail "${file#.} is left after the purge"
done
[[ ! -e /usr/share/doc/quarrow ]] || fail "/usr/share/doc/quarrow is left after the purge"

step "passed"
