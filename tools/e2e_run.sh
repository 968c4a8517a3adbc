#!/usr/bin/env bash
# End-to-end run through the real windows on a virtual X display: intro -> conditions window
# (a name and a small fluence, confirm, start the engine) -> the engine's two Enter prompts in
# its terminal -> the results file -> the viewer (read it, draw the 10 cm graph, read off a
# value) -> a screenshot of the viewer.
#
#   tools/e2e_run.sh [BIN_DIR] [SCREENSHOT]
#
# BIN_DIR holds Velmora and Drevik (default build/bin); SCREENSHOT defaults to
# docs/viewer_e2e.png. Exits 77 when xvfb-run (with xauth), xterm, xdotool or ImageMagick is missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build/bin}
for program in Velmora Drevik; do
  [ -x "$bin/$program" ] || { echo "e2e: $bin/$program not found; build first" >&2; exit 1; }
done
bin=$(cd "$bin" && pwd)
shot=${2:-$root/docs/viewer_e2e.png}
case "$shot" in /*) ;; *) shot=$PWD/$shot ;; esac

for tool in xvfb-run Xvfb xauth xterm xdotool import convert; do
  if ! command -v "$tool" > /dev/null; then
    echo "e2e: $tool is not installed; skipped" >&2
    exit 77
  fi
done

# Never on the user's own display: always a private virtual one, and never longer than two minutes.
if [ -z "${VELMORA_E2E_INSIDE:-}" ]; then
  exec env VELMORA_E2E_INSIDE=1 timeout --kill-after=5 120 \
    xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$bin" "$shot"
fi
unset QT_QPA_PLATFORM

fluence=100000
name=e2e
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-e2e.XXXXXX")
velmora_pid=""
cleanup() {
  [ -n "$velmora_pid" ] && kill "$velmora_pid" 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

step() { echo "e2e: $*"; }
fail() {
  echo "e2e: FAILED: $*" >&2
  exit 1
}

# wait_until SECONDS COMMAND...: polls COMMAND until it succeeds.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# The one visible window of the front end (they all carry the caption "Velmora").
visible_window() { xdotool search --onlyvisible --name '^Velmora$' 2> /dev/null | tail -n 1; }
# Waits for a visible front-end window other than $1 and prints its id.
next_window() {
  local previous=$1 id=""
  local deadline=$((SECONDS + 20))
  while [ "$SECONDS" -lt "$deadline" ]; do
    id=$(visible_window)
    if [ -n "$id" ] && [ "$id" != "$previous" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.2
  done
  return 1
}

# click WINDOW DESIGNED_WIDTH X Y: a left click at a point of the window's layout, given in
# pixels at 96 DPI (15 twips a pixel); the window's real width gives the scale.
point_in() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  awk -v x="$X" -v y="$Y" -v w="$WIDTH" -v d="$2" -v px="$3" -v py="$4" \
    'BEGIN { s = w / d; printf "%d %d\n", x + px * s, y + py * s }'
}
click() {
  # shellcheck disable=SC2046
  xdotool mousemove --sync $(point_in "$@") click 1
  sleep 0.3
}
type_into() {  # type_into WINDOW DESIGNED_WIDTH X Y TEXT: replaces a text box's contents
  click "$1" "$2" "$3" "$4"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 30 "$5"
}

cd "$work"
step "working folder $work"
"$bin/Velmora" > "$work/velmora.log" 2>&1 &
velmora_pid=$!

step "intro window"
intro=$(next_window "") || fail "the intro window did not appear"
sleep 0.5
click "$intro" 724 488 372  # Command1 "OK"

step "conditions window"
conditions=$(next_window "$intro") || fail "the conditions window did not appear"
sleep 0.5
type_into "$conditions" 612 160 484 "$fluence"  # Text7, photons per cm2
type_into "$conditions" 612 184 540 "$name"     # Text8, results name
click "$conditions" 612 480 380                 # Command1 "条件設定 OK"
wait_until 10 test -f B2F.dat || fail "B2F.dat was not written"
click "$conditions" 612 480 436  # Command2 "シミュレーション Go"

step "engine terminal"
terminal_window() { xdotool search --onlyvisible --class xterm 2> /dev/null | tail -n 1; }
wait_until 20 test -n "$(terminal_window)" || fail "the engine's terminal did not appear"
terminal=$(terminal_window)
sleep 1
xdotool windowfocus --sync "$terminal" 2> /dev/null || true
xdotool mousemove --window "$terminal" 200 200
xdotool key --clearmodifiers Return  # the prompt before the calculation
step "engine running (fluence $fluence per cm2)"
wait_until 90 test -f "$name.csv" || fail "the results file $name.csv did not appear"
sleep 0.5
if [ -n "$(terminal_window)" ]; then
  xdotool windowfocus --sync "$terminal" 2> /dev/null || true
  xdotool key --clearmodifiers Return  # the prompt after the calculation
fi
wait_until 10 test -z "$(terminal_window)" || fail "the engine's terminal did not close"
lines=$(wc -l < "$name.csv")
[ "$lines" -eq 311 ] || fail "$name.csv has $lines lines, not 311"

step "results viewer"
click "$conditions" 612 480 492  # Command4 "計算結果を見る"
viewer=$(next_window "$conditions") || fail "the viewer did not appear"
sleep 0.5
click "$viewer" 1120 60 130   # the first file of File1: the results file
click "$viewer" 1120 108 312  # Command1 "File Read"
click "$viewer" 1120 58 469   # Option5 "10 cm"
click "$viewer" 1120 128 560  # Command2 "Graph draw"
# The read-out at 50 keV, 0.4 high: cross-hair and the two boxes.
# shellcheck disable=SC2046
xdotool mousemove --sync $(point_in "$viewer" 1120 447 323)
sleep 0.5

mkdir -p "$(dirname "$shot")"
import -window "$viewer" "$shot"
red=$(convert "$shot" -fill black +opaque "rgb(255,0,0)" -fill white -opaque "rgb(255,0,0)" -format "%[fx:mean*w*h]" info:)
step "screenshot $shot ($red red pixels)"
awk -v r="$red" 'BEGIN { exit !(r > 500) }' || fail "no red total curve in the viewer"
step "passed"
