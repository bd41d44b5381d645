#!/usr/bin/env bash
# Regenerates docs/*.png: the real program under Xvfb, each model window
# opened from the tree and run with its defaults, the frame window captured
# at its default size; the newer windows also with the frame as large as a
# 1600x1000 screen ("-big" pictures), a zoomed chart and the 3-allele window
# at the classroom size of 200 %.
# Needs: a build (make build), xvfb, xdotool, imagemagick.
# Usage: tools/screenshots.sh [program] [picture names...] (default: all).
# The pointer positions below are relative to the frame window; move them if
# the layout changes.
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb xdotool imagemagick)"; exit 1; }
done
program=${1:-build/shell/morva99}
shift || true
wanted=("$@")
display=:${SCREENSHOT_DISPLAY:-87}
# Settings of their own: the user's remembered classroom size neither
# changes the pictures nor is changed by them.
settings=$(mktemp -d)
export XDG_CONFIG_HOME=$settings

Xvfb "$display" -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb=$!
morva=""
trap 'kill $morva $xvfb 2>/dev/null || true; rm -rf "$settings"' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$program" &
morva=$!
frame=""
for _ in $(seq 100); do
  frame=$(xdotool search --name '^MORVA 99 - Main Window$' 2>/dev/null | head -n 1) && [ -n "$frame" ] && break
  sleep 0.1
done
[ -n "$frame" ] || { echo "the frame window did not appear"; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$frame")"
defaultX=$X defaultY=$Y defaultW=$WIDTH defaultH=$HEIGHT

# settle: let the window paint before the pointer moves
settle() { sleep 1; }
# click <x> <y>, relative to the frame window
click() {
  eval "$(xdotool getwindowgeometry --shell "$frame")"
  xdotool mousemove $((X + $1)) $((Y + $2)) click 1
  settle
}
wants() { [ ${#wanted[@]} -eq 0 ] || [[ " ${wanted[*]} " == *" $1 "* ]]; }
written=()

# shoot <tree leaf y> <run x y> <file>: Cancel stands 50 pixels below Run.
# "Natural selection" (which opens nothing) is clicked first, so that a leaf
# still selected from the last shot opens again.
shoot() {
  wants "$4" || return 0
  click 52 80
  click 52 "$1"
  click "$2" "$3"
  import -window "$frame" "docs/$4"
  click "$2" $(($3 + 50))
  written+=("docs/$4")
}
large() { xdotool windowmove "$frame" 0 0 windowsize "$frame" 1600 1000; settle; }
normal() { xdotool windowsize "$frame" "$defaultW" "$defaultH" windowmove "$frame" "$defaultX" "$defaultY"; settle; }

settle
shoot 94 269 407 window-2-alleles.png
shoot 67 269 382 window-mutation.png
shoot 107 270 457 window-3-alleles.png
shoot 120 285 451 window-selection-mutation.png
shoot 133 285 451 window-selection-migration.png
shoot 159 285 332 window-partial-selfing.png
shoot 172 285 252 window-sex-linked.png
shoot 185 285 362 window-linkage.png
shoot 198 285 512 window-drift.png
large
shoot 120 285 451 window-selection-mutation-big.png
shoot 133 285 451 window-selection-migration-big.png
shoot 159 285 332 window-partial-selfing-big.png
shoot 172 285 252 window-sex-linked-big.png
shoot 185 285 362 window-linkage-big.png
shoot 198 285 512 window-drift-big.png

# zoomed <file>: the 2-allele window run, a rectangle dragged over the middle
# of its first chart.
zoomed() {
  wants "$1" || return 0
  click 52 80
  click 52 94
  click 269 407
  eval "$(xdotool getwindowgeometry --shell "$frame")"
  xdotool mousemove $((X + 741)) $((Y + 325)) mousedown 1
  xdotool mousemove $((X + 850)) $((Y + 380))
  xdotool mousemove $((X + 1036)) $((Y + 435)) mouseup 1
  settle
  import -window "$frame" "docs/$1"
  click 269 457
  written+=("docs/$1")
}
# classroom <file>: the 3-allele window run, then View > Larger text four
# times (200 %); Normal size before Cancel.
classroom() {
  wants "$1" || return 0
  click 52 80
  click 52 107
  click 270 457
  for _ in 1 2 3 4; do xdotool key ctrl+plus; sleep 0.3; done
  settle
  import -window "$frame" "docs/$1"
  xdotool key ctrl+0
  settle
  click 270 507
  written+=("docs/$1")
}
zoomed window-2-alleles-zoomed.png
classroom window-3-alleles-200.png
normal
echo "written: ${written[*]}"
