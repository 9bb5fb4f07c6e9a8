#!/usr/bin/env bash
# Installs a build of Vantorel into a temporary prefix and checks it as a
# desktop would see it:
#   - the layout under the prefix (program, desktop entry, icons, metadata,
#     MIME types, manual page, documentation) and nothing else;
#   - desktop-file-validate, appstreamcli validate --no-net, the MIME package
#     read by update-mime-database, the manual page rendered by groff -man -ww
#     without a warning, and the options and version of --help and --version
#     against the manual page;
#   - the installed program, with HOME and the XDG folders in a temporary
#     home: headless it boots and writes only the files it is told to; with
#     its window (on Xvfb, driven by xdotool) it keeps its settings, ram.bin
#     and screenshots in the XDG folders and writes nothing into the folder
#     it was started from; started in a folder with default.ini it keeps to
#     that folder.
# Usage: bash scripts/check-install.sh [BUILD_FOLDER]   (default build/release)
# Run by scripts/test.sh after the optimised build.
set -uo pipefail
script=$(realpath "$0")
cd "$(dirname "$script")/.."

run_in() {  # run_in FOLDER HOME COMMAND...: the program's environment
  local folder=$1 user_home=$2
  shift 2
  (cd "$folder" && env HOME="$user_home" XDG_CONFIG_HOME="$user_home/config" \
    XDG_DATA_HOME="$user_home/data" "$@")
}

has_screenshot() { compgen -G "$data/screenshots/vantorel-*.png" >/dev/null; }

wait_for() {  # wait_for SECONDS COMMAND...: until the command succeeds
  local tries=$(($1 * 10))
  shift
  for ((try = 0; try < tries; try++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

shown() {  # shown TITLE_PATTERN: a visible window with that title
  xdotool search --onlyvisible --name "$1" >/dev/null 2>&1
}

file_menu() {  # file_menu N: opens File, goes N items down and chooses it
  xdotool key alt+f
  sleep 0.5
  for ((item = 0; item < $1; item++)); do xdotool key Down; done
  xdotool key Return
}

# The window, on a virtual display: the snapshot named on the command line
# goes into the recent files (the settings), then File > Save Ram and File >
# Save Screenshot... (taking the offered name) and File > Exit. A key that a
# busy machine lost is pressed again.
drive_window() {
  run_in "$start" "$home" "$program" boot.snp &
  local pid=$!
  if ! wait_for 20 shown '^Vantorel'; then
    kill "$pid"
    return 1
  fi
  sleep 1
  for _ in 1 2; do
    file_menu 1
    wait_for 5 test -f "$data/ram.bin" && break
    xdotool key Escape
  done
  for _ in 1 2; do
    file_menu 2
    wait_for 10 shown '^Save Screenshot' && break
    xdotool key Escape
  done
  sleep 0.5
  xdotool key Return
  wait_for 10 has_screenshot
  file_menu 0
  wait_for 10 bash -c "! kill -0 $pid 2>/dev/null"
  kill "$pid" 2>/dev/null
  wait "$pid"
}

# xvfb-run runs this script again for the window: bash -c could not see
# the function through its sh.
if [[ ${1-} == --drive-window ]]; then
  drive_window
  exit
fi

build=${1:-build/release}

work=$(mktemp -d /tmp/vantorel-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
CHECKS_NAME=check-install
source scripts/check-helpers.sh

if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  fail "cmake --install $build"
  finish
fi
program=$prefix/bin/vantorel
metainfo_id=$(sed -n 's/^VANTOREL_APPSTREAM_ID:STRING=//p' "$build/CMakeCache.txt")

# --- The layout -------------------------------------------------------------
expected_layout() {
  echo bin/vantorel
  echo share/applications/vantorel.desktop
  echo share/doc/vantorel/changelog.gz
  echo share/doc/vantorel/copyright
  echo share/doc/vantorel/manual.html
  for size in 16 24 32 48 64 128 256; do
    echo "share/icons/hicolor/${size}x${size}/apps/vantorel.png"
  done
  echo share/icons/hicolor/scalable/apps/vantorel.svg
  echo share/man/man6/vantorel.6.gz
  echo "share/metainfo/$metainfo_id.metainfo.xml"
  echo share/mime/packages/vantorel.xml
}
(cd "$prefix" && find . -type f -printf '%P\n' | LC_ALL=C sort) >"$work/layout"
expected_layout | LC_ALL=C sort >"$work/layout.expected"
check "installs exactly the expected files" diff "$work/layout.expected" "$work/layout"
check "the program is executable" test -x "$program"

png_size() {  # width x height from the PNG header
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}
icons_ok=1
for size in 16 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/vantorel.png
  [[ -f $icon && $(png_size "$icon") == "${size}x${size}" ]] || icons_ok=0
done
check "each PNG icon has its size" test $icons_ok = 1

# --- Validators -------------------------------------------------------------
desktop=$prefix/share/applications/vantorel.desktop
check "desktop-file-validate" desktop-file-validate "$desktop"
check "the desktop entry opens a file (%f)" grep -qx 'Exec=vantorel %f' "$desktop"
check "appstreamcli validate --no-net" \
  appstreamcli validate --no-net "$prefix/share/metainfo/$metainfo_id.metainfo.xml"

mkdir -p "$work/mime/packages"
cp "$prefix/share/mime/packages/vantorel.xml" "$work/mime/packages/"
mime_types_ok=1
if update-mime-database "$work/mime" >"$work/mime.log" 2>&1; then
  for type in $(sed -n 's/^MimeType=//p' "$desktop" | tr ';' ' '); do
    grep -q "^$type:" "$work/mime/globs" || mime_types_ok=0
  done
  grep -qx 'application/x-exidy-sorcerer-snapshot:\*.snp' "$work/mime/globs" || mime_types_ok=0
else
  cat "$work/mime.log"
  mime_types_ok=0
fi
check "every MIME type of the desktop entry has its glob" test $mime_types_ok = 1

# --- The manual page against --help and --version ---------------------------
zcat "$prefix/share/man/man6/vantorel.6.gz" >"$work/vantorel.6"
LC_ALL=C.UTF-8 groff -man -ww -z "$work/vantorel.6" >"$work/groff.log" 2>&1
check "groff -man -ww -z renders the manual page without a warning" \
  test ! -s "$work/groff.log"
cat "$work/groff.log"

# "--frames N" or "--headless", one a line, from each.
"$program" --help | sed -n 's/^  \(--[a-z-]*\)\( [A-Z][A-Z]*\)\{0,1\}  .*/\1\2/p' |
  LC_ALL=C sort >"$work/help.options"
sed -n '/^\.SH OPTIONS/,/^\.SH FILES/p' "$work/vantorel.6" |
  sed -n 's/^\.BI\{0,1\} \(\\-\\-[a-z\\-]*\)\( " \([A-Z]*\)"\)\{0,1\}$/\1 \3/p' |
  sed 's/\\-/-/g; s/ *$//' | LC_ALL=C sort >"$work/man.options"
check "--help and the manual page list the same options" \
  diff "$work/help.options" "$work/man.options"
check "--help lists at least the 17 options" test "$(wc -l <"$work/help.options")" -ge 17
version=$("$program" --version)
check "the manual page is of '$version'" grep -q "^\.TH VANTOREL 6 .* \"$version\"" "$work/vantorel.6"

# --- The installed program in a home of its own -----------------------------
home=$work/home
start=$work/start
mkdir -p "$home" "$start"
export XDG_RUNTIME_DIR=$work/runtime SDL_AUDIODRIVER=dummy
mkdir -m 700 "$XDG_RUNTIME_DIR"
data=$home/data/vantorel
config=$home/config/vantorel

run_in "$start" "$home" "$program" --paths >"$work/paths.txt"
check "--paths names the XDG data folder" grep -qx "start-up folder: $data" "$work/paths.txt"
check "--paths names the XDG settings file" \
  grep -qx "settings file: $config/default.ini" "$work/paths.txt"

run_in "$start" "$home" "$program" --headless --frames 30 --print-screen \
  --save-snapshot boot.snp --screenshot boot.png >"$work/screen.txt" 2>"$work/headless.err"
check "headless: the installed program boots" grep -q "VANTOREL MONITOR 1.0" "$work/screen.txt"
cat "$work/headless.err"
check "headless: only the named files are written" \
  test "$(ls -A "$start" | tr '\n' ' ')" = "boot.png boot.snp "
check "headless: no folders are made" test ! -e "$home/data"

if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
  QT_QPA_PLATFORM=xcb program=$program start=$start home=$home data=$data \
    xvfb-run -a -s "-screen 0 1280x1024x24" bash "$script" --drive-window >"$work/window.log" 2>&1
  check "window: starts and exits from File > Exit" test $? = 0
  cat "$work/window.log"
  check "window: the settings are in the XDG config folder" \
    grep -q "boot.snp" "$config/default.ini"
  check "window: the data folders are made on first use" \
    test -d "$data/cassette" -a -d "$data/rom" -a -d "$data/quicktyp" \
    -a -d "$data/lprint" -a -d "$data/screenshots"
  check "window: Save Ram writes ram.bin in the data folder" \
    test "$(stat -c %s "$data/ram.bin" 2>/dev/null)" = 65536
  check "window: Save Screenshot... saves in the data folder's screenshots/" \
    has_screenshot
  check "window: nothing is written into the folder it was started from" \
    test "$(ls -A "$start" | tr '\n' ' ')" = "boot.png boot.snp "
else
  fail "xvfb-run and xdotool are needed (scripts/install-deps.sh installs them)"
fi

# The portable rule: a folder with default.ini keeps the settings, and no
# XDG folder is made.
portable=$work/portable
other_home=$work/other-home
mkdir -p "$portable" "$other_home"
: >"$portable/default.ini"
run_in "$portable" "$other_home" "$program" --paths >"$work/portable-paths.txt"
check "portable: --paths names the folder it was started in" \
  grep -qx "start-up folder: $portable" "$work/portable-paths.txt"
run_in "$portable" "$other_home" env QT_QPA_PLATFORM=offscreen \
  timeout 5 "$program" "$start/boot.snp" >"$work/portable.log" 2>&1
check "portable: the window keeps its settings in that folder" \
  grep -q "boot.snp" "$portable/default.ini"
check "portable: no XDG folder is made" test -z "$(ls -A "$other_home")"

finish
