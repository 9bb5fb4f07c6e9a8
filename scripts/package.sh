#!/usr/bin/env bash
# Makes the Debian package from a build (cpack -G DEB) and checks it:
# dpkg-deb --info and --contents, lintian (no errors), then, as root, installs
# it with dpkg -i, runs the installed /usr/bin/vantorel headless and with its
# window (offscreen) from a temporary home, and removes it with dpkg -r,
# checking that none of its files is left.
# Usage: bash scripts/package.sh [BUILD_FOLDER]   (default build/release,
# which must be built already). Run by scripts/test.sh.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}

CHECKS_NAME=package
source scripts/check-helpers.sh

work=$(mktemp -d /tmp/vantorel-package.XXXXXX)
installed=0
cleanup() {
  if ((installed)); then dpkg -r vantorel >/dev/null 2>&1; fi
  rm -rf "$work"
}
trap cleanup EXIT

rm -f "$build"/vantorel_*.deb
if ! (cd "$build" && cpack -G DEB) >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  fail "cpack -G DEB"
  finish
fi
deb=$(ls "$build"/vantorel_*.deb)
pass "cpack -G DEB made $(basename "$deb")"

dpkg-deb --info "$deb"
dpkg-deb --contents "$deb" >"$work/contents"
cat "$work/contents"
check "the package depends on the shared libraries it links" \
  bash -c "dpkg-deb --field '$deb' Depends | grep -q 'liblz4-1' && dpkg-deb --field '$deb' Depends | grep -q 'libqt6widgets6.*libsdl2'"
check "the program is in /usr/bin" grep -q ' \./usr/bin/vantorel$' "$work/contents"
check "every file belongs to root" bash -c "! awk '\$2 != \"root/root\"' '$work/contents' | grep -q ."

if command -v lintian >/dev/null; then
  lintian --info --fail-on error "$deb" 2>&1 | grep -v '^N:' | grep -v 'root privileges'
  check "lintian finds no error" test "${PIPESTATUS[0]}" = 0
else
  fail "lintian is needed (scripts/install-deps.sh installs it)"
fi

if ((EUID != 0)); then
  fail "installing the package needs root"
  finish
fi
if dpkg -s vantorel >/dev/null 2>&1; then
  fail "a vantorel package is installed already; remove it first (dpkg -r vantorel)"
  finish
fi
if dpkg -i "$deb" >"$work/dpkg-i.log" 2>&1; then
  installed=1
  pass "dpkg -i"
else
  cat "$work/dpkg-i.log"
  fail "dpkg -i"
  finish
fi
dpkg -L vantorel | sort >"$work/files"

home=$work/home
mkdir -p "$home" "$work/start"
run() {  # the installed program in the temporary home
  (cd "$work/start" && env HOME="$home" XDG_CONFIG_HOME="$home/config" \
    XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$work" SDL_AUDIODRIVER=dummy "$@")
}
check "the installed vantorel is on the PATH" test "$(command -v vantorel)" = /usr/bin/vantorel
check "vantorel --version" test "$(run vantorel --version)" = "Vantorel $(dpkg-query -W -f='${Version}' vantorel)"
run vantorel --headless --frames 30 --print-screen >"$work/screen.txt" 2>&1
check "the installed program boots headless as root" grep -q "VANTOREL MONITOR 1.0" "$work/screen.txt"
# The window, offscreen, for two seconds: it starts, makes its folders, and
# ends on SIGTERM.
run env QT_QPA_PLATFORM=offscreen timeout 2 vantorel >"$work/window.log" 2>&1
status=$?
cat "$work/window.log"
check "the installed window runs until it is told to end" test $status = 124
check "the installed window made its data folder" test -d "$home/data/vantorel/screenshots"
check "man finds the manual page" bash -c "man -w vantorel | grep -q '/usr/share/man/man6/vantorel.6.gz'"

if dpkg -r vantorel >"$work/dpkg-r.log" 2>&1; then
  installed=0
  pass "dpkg -r"
else
  cat "$work/dpkg-r.log"
  fail "dpkg -r"
fi
left=0
while read -r path; do
  [[ -f $path || -L $path ]] && { echo "left behind: $path"; left=1; }
done <"$work/files"
check "removing the package leaves none of its files" test $left = 0
check "the package is gone" bash -c "! dpkg -s vantorel >/dev/null 2>&1"

finish
