#!/usr/bin/env bash
# Records an hour-long input movie headless and plays it back: the movie
# must play in step (no second's hash differs), and the script prints how
# long each took and how big the movie is.
#
# The hour: a small program that beeps through the speaker (assembled here
# with pasmo) is entered with the monitor's EN command and saved with SA
# onto a tape the emulated machine records (a first run); the movie's run
# then types a monitor session (SE, LO from that tape, DU, GO of the
# program's five beeps, GO of its beep a second for ever) and runs on for
# an hour of frames with the sound written to a WAV file, so that the
# AY's record moves every frame too.
#
#   scripts/measure-movie.sh [MINUTES] [--build DIR]
#
#   MINUTES     emulated minutes after the typing (default 60)
#   --build DIR the build folder holding src/shell/vantorel (build/release)
#
# A measurement for a person to run and read, never a test. Installs pasmo
# with apt-get when it is missing (as root). Exit status: 0 in step, 1 out
# of step or a run that failed, 2 for a usage error.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: $0 [MINUTES] [--build DIR]" >&2
  exit 2
}

minutes=60
build=build/release
while (($#)); do
  case $1 in
    --build)
      shift
      (($#)) || usage
      build=$1
      ;;
    -h | --help) usage ;;
    *)
      [[ $1 =~ ^[0-9]+$ ]] || usage
      minutes=$1
      ;;
  esac
  shift
done

vantorel=$PWD/$build/src/shell/vantorel
[[ -x $vantorel ]] || {
  echo "no $vantorel: build it first" >&2
  exit 2
}
if ! command -v pasmo >/dev/null; then
  echo "Installing: pasmo"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq pasmo >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A start-up folder of its own: the built-in ROMs and settings, nothing of
# the user's.
mkdir -p "$work/home"
run() {
  (cd "$work/home" && HOME=$work/home XDG_DATA_HOME=$work/home/data \
    XDG_CONFIG_HOME=$work/home/config "$vantorel" --headless "$@")
}
now() { date +%s.%N; }
took() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }

# --- The program and its tape -------------------------------------------------
cat >"$work/beep.asm" <<'EOF'
; Beeps through the speaker on the parallel port (an OUT of 00 or FF
; toggles it). 0100: five beeps, then back to the monitor. 0104: a beep
; about every second for ever. Each beep bumps the first screen byte.
        ORG 0100h
FEW:    LD A,1
        JR START
FOREVER: XOR A
        NOP
START:  LD (ONCE),A
        LD C,5
LOOP:   CALL BEEP
        CALL PAUSE
        LD HL,0F080h
        INC (HL)
        LD A,(ONCE)
        OR A
        JR Z,LOOP
        DEC C
        JR NZ,LOOP
        RET
BEEP:   LD B,200
        LD A,0FFh
TONE:   OUT (0FFh),A
        CPL
        LD E,40
WAIT:   DEC E
        JR NZ,WAIT
        DJNZ TONE
        RET
PAUSE:  LD DE,0
PWAIT:  DEC DE
        LD A,D
        OR E
        JR NZ,PWAIT
        RET
ONCE:   DB 0
EOF
pasmo --bin "$work/beep.asm" "$work/beep.bin"
size=$(stat -c %s "$work/beep.bin")
last=$(printf '%04X' $((0x100 + size - 1)))

# EN takes eight bytes a line; / ends it. SA saves them at 1200 baud.
{
  printf 'SE T=0\rEN 0100\r'
  xxd -p -c 8 "$work/beep.bin" | sed 's/\(..\)/\1 /g; s/ $//' | tr '\n' '\r'
  printf '/\rSA BEEP 0100 %s\r' "$last"
} >"$work/enter.txt"
run --frames 600 --type-file "$work/enter.txt" --record-tape "$work/beep.tap" \
  --print-screen >"$work/enter.screen"
grep -q "^BEEP " "$work/enter.screen" || {
  echo "the program was not saved to tape:" >&2
  cat "$work/enter.screen" >&2
  exit 1
}

# --- The hour's movie ---------------------------------------------------------
# RETURNs typed while the tape loads and the beeps sound go unread (empty
# lines at the prompt otherwise), so each command is typed at the prompt.
returns() { for ((i = 0; i < $1; ++i)); do printf '\r'; done; }
{
  printf 'SE T=0\rLO\r'
  returns 30
  printf 'DU 0100 %s\rGO 0100\r' "$last"
  returns 60
  printf 'GO 0104\r'
} >"$work/session.txt"

frames=$((minutes * 60 * 60))
start=$(now)
run --frames "$frames" --type-file "$work/session.txt" --tape "$work/beep.tap" \
  --wav "$work/sound.wav" --record-movie "$work/hour.vtm" --save-ram "$work/ram.bin" \
  --print-screen >"$work/session.screen"
recorded=$(now)
# The program came from the tape, and the last command typed runs it.
cmp -s -n "$size" -i 256:0 "$work/ram.bin" "$work/beep.bin" &&
  grep -q "^>GO 0104" "$work/session.screen" || {
  echo "the session did not run as planned:" >&2
  cat "$work/session.screen" >&2
  exit 1
}
wav_bytes=$(stat -c %s "$work/sound.wav")
rm -f "$work/sound.wav"

status=0
played_start=$(now)
run --play-movie "$work/hour.vtm" 2>"$work/play.err" || status=$?
played=$(now)

echo "recorded: $minutes emulated minutes after the typing, $frames frames at 60 a second," \
  "in $(took "$start" "$recorded") s (sound: $((wav_bytes / 1048576)) MiB of WAV)"
echo "movie file: $(stat -c %s "$work/hour.vtm") bytes"
echo "played back in $(took "$played_start" "$played") s: $(cat "$work/play.err")"
exit $((status == 0 ? 0 : 1))
