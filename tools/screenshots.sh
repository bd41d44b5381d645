#!/usr/bin/env bash
# Regenerates docs/*.png: the real program under Xvfb, each model window
# opened from the tree and run with its defaults, the frame window captured
# at its default size; the newer windows also with the frame as large as a
# 1600x1000 screen ("-big" pictures).
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

Xvfb "$display" -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb=$!
morva=""
trap 'kill $morva $xvfb 2>/dev/null || true' EXIT
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

# shoot <tree leaf y> <file>: Run and Cancel by their keys (Alt+R, Alt+C).
# "Natural selection" (which opens nothing) is clicked first, so that a leaf
# still selected from the last shot opens again.
shoot() {
  wants "$2" || return 0
  click 52 80
  click 52 "$1"
  xdotool key alt+r
  settle
  import -window "$frame" "docs/$2"
  xdotool key alt+c
  settle
  written+=("docs/$2")
}
large() { xdotool windowmove "$frame" 0 0 windowsize "$frame" 1600 1000; settle; }
normal() { xdotool windowsize "$frame" "$defaultW" "$defaultH" windowmove "$frame" "$defaultX" "$defaultY"; settle; }

settle
shoot 94 window-2-alleles.png
shoot 67 window-mutation.png
shoot 107 window-3-alleles.png
shoot 120 window-selection-mutation.png
shoot 133 window-selection-migration.png
shoot 146 window-frequency-dependent.png
shoot 172 window-partial-selfing.png
shoot 185 window-sex-linked.png
shoot 198 window-linkage.png
shoot 211 window-drift.png
large
shoot 120 window-selection-mutation-big.png
shoot 133 window-selection-migration-big.png
shoot 146 window-frequency-dependent-big.png
shoot 172 window-partial-selfing-big.png
shoot 185 window-sex-linked-big.png
shoot 198 window-linkage-big.png
shoot 211 window-drift-big.png
normal
echo "written: ${written[*]}"
