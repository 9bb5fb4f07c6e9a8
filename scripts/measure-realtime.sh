#!/usr/bin/env bash
# Measures how well the window program keeps real time: runs the real window
# on a virtual display (Xvfb, with the openbox window manager) and SDL's
# dummy audio driver for MINUTES minutes, types a fixed 60-character line
# into the monitor with `xdotool type --delay 5`, reads the screen back
# (File > Save Ram, then the screen RAM F080-F7FF of ram.bin), exits through
# File > Exit and prints what the program's VANTOREL_DEBUG report says: the
# mean frame period, the 99th percentile of lateness, the speed, the sound's
# underruns, overwrites, restarts and lead.
#
#   scripts/measure-realtime.sh MINUTES [--load] [--no-sound] [--build DIR]
#
#   --load      one `yes >/dev/null` per core runs beside the program
#   --no-sound  no audio device (the frames keep their own period)
#   --build DIR the build folder holding src/shell/vantorel (build/release)
#
# A benchmark for a person to run and read, never a test: its figures
# depend on the machine and on what else runs. Installs xvfb, openbox,
# xdotool and imagemagick with apt-get when they are missing (as root).
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: $0 MINUTES [--load] [--no-sound] [--build DIR]" >&2
  exit 2
}

minutes=
load=0
sound=1
build=build/release
while (($#)); do
  case $1 in
    --load) load=1 ;;
    --no-sound) sound=0 ;;
    --build)
      shift
      (($#)) || usage
      build=$1
      ;;
    -h | --help) usage ;;
    *)
      [[ -z $minutes && $1 =~ ^[0-9]+([.][0-9]+)?$ ]] || usage
      minutes=$1
      ;;
  esac
  shift
done
[[ -n $minutes ]] || usage

# --- What it needs ------------------------------------------------------------
need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v openbox >/dev/null || need+=(openbox)
command -v xdotool >/dev/null || need+=(xdotool)
command -v import >/dev/null || need+=(imagemagick)
if ((${#need[@]})); then
  echo "Installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need[@]}" >/dev/null
fi

program=$build/src/shell/vantorel
if [[ ! -x $program ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target vantorel >/dev/null
fi
program=$(realpath "$program")

# --- A virtual display with a window manager -----------------------------------
work=$(mktemp -d /tmp/vantorel-realtime.XXXXXX)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

display=99
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
export DISPLAY=:$display
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

if ((load)); then
  for _ in $(seq "$(nproc)"); do
    yes >/dev/null &
    pids+=($!)
  done
fi

# --- The window, in a portable folder of its own -------------------------------
: >"$work/default.ini"
mkdir -m 700 "$work/runtime"
audio=dummy
((sound)) || audio=none-at-all
(
  cd "$work"
  exec env QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=$audio VANTOREL_DEBUG=1 \
    VANTOREL_FRAME_LOG="$work/frames.log" XDG_RUNTIME_DIR="$work/runtime" \
    "$program" >"$work/out.txt" 2>"$work/err.txt"
) &
vantorel=$!
pids+=($vantorel)

window=
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name '^Vantorel' 2>/dev/null | head -1) && [[ -n $window ]] && break
  sleep 0.2
done
[[ -n $window ]] || {
  echo "the window did not appear" >&2
  cat "$work/err.txt" >&2
  exit 1
}
sleep 2 # the monitor boots and shows its prompt

# --- Type the line -------------------------------------------------------------
line='the quick brown fox jumps over the lazy dog 1234567890 abcde'
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" $((WIDTH / 2)) $((HEIGHT / 2)) click 1
sleep 0.5
xdotool type --delay 5 "$line"

# --- Run -------------------------------------------------------------------------
end=$(($(date +%s) + ${minutes%.*} * 60))
[[ $minutes == *.* ]] && end=$(($(date +%s) + $(awk "BEGIN{print int($minutes*60)}")))
title=
while (($(date +%s) < end)); do
  sleep 5
  title=$(xdotool getwindowname "$window" 2>/dev/null || true)
done
import -window root "$work/screen.png" 2>/dev/null || true

# --- Read the screen back: File > Save Ram, then File > Exit ----------------------
file_menu() { # file_menu N: opens File, goes N items down and chooses it
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  xdotool key alt+f
  sleep 0.5
  for ((item = 0; item < $1; item++)); do xdotool key Down; done
  xdotool key Return
}
for _ in 1 2 3; do
  file_menu 1
  for _ in $(seq 30); do [[ -s $work/ram.bin ]] && break 2; sleep 0.1; done
  xdotool key Escape
done
file_menu 0
for _ in $(seq 50); do kill -0 "$vantorel" 2>/dev/null || break; sleep 0.1; done
kill -TERM "$vantorel" 2>/dev/null || true # not closed by the menu: as on logout
wait "$vantorel" 2>/dev/null || true

screen_row() { # screen_row N: row N (0-29) of the saved screen, trailing spaces cut
  od -An -v -tu1 -j $((0xF080 + $1 * 64)) -N 64 "$work/ram.bin" |
    awk '{for (i = 1; i <= NF; i++) printf "%c", ($i >= 32 && $i < 127) ? $i : 63}' |
    sed 's/ *$//'
}
typed='(no ram.bin: the screen could not be read)'
if [[ -s $work/ram.bin ]]; then
  typed=
  for row in $(seq 0 29); do
    text=$(screen_row "$row")
    if [[ $text == '>'* ]]; then typed=${text#>}; fi
  done
  typed=${typed%_}
fi

# --- Report ------------------------------------------------------------------------
frames=$(grep -m1 '^Frames:' "$work/err.txt" || true)
sound_line=$(grep -m1 '^Sound: .*underruns' "$work/err.txt" || true)
field() { # field TEXT REGEX: the first capture of REGEX in TEXT
  sed -nE "s/.*$2.*/\\1/p" <<<"$1" | head -1
}
cores=$(nproc)
echo "measure-realtime: $minutes min, $( ((load)) && echo "$cores cores busy (yes)" || echo quiet), sound $( ((sound)) && echo "on (SDL dummy)" || echo off)"
echo "  host: $cores cores, load average at the end $(cut -d' ' -f1-3 /proc/loadavg)"
echo "  mean frame period: $(field "$frames" 'mean period ([0-9.]+ us)')"
echo "  lateness p99:      $(field "$frames" 'p99 ([0-9]+) ')us (p50 $(field "$frames" 'p50 ([0-9]+) ')us, max $(field "$frames" 'max ([0-9]+) us')us)"
echo "  speed:             $(field "$frames" 'speed ([0-9.]+%)') (title: ${title:-?})"
echo "  schedule stalls:   $(field "$frames" 'stalls ([0-9]+)')"
if [[ -n $sound_line ]]; then
  echo "  underruns:         $(field "$sound_line" 'underruns ([0-9]+)')"
  echo "  overwrites:        $(field "$sound_line" 'overwrites ([0-9]+)')"
  echo "  restarts:          $(field "$sound_line" 'restarts ([0-9]+)')"
  echo "  lead:              $(field "$sound_line" 'lead ([0-9]+ slots \([^)]*\))'), rate $(field "$sound_line" 'rate ([-+0-9]+ ppm)')"
else
  echo "  sound:             no report (no audio device)"
fi
echo "  typed:             '$line'"
echo "  on screen:         '$typed'"
if [[ $typed == "$line" ]]; then
  echo "  the typed line arrived exactly"
else
  echo "  the typed line did NOT arrive exactly"
fi
echo "  report: $frames"
echo "          $sound_line"
echo "  (files in $work)"
