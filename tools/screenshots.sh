#!/usr/bin/env bash
# Regenerates docs/*.png: the real program under Xvfb, each model window
# opened from the tree and run with its defaults, the frame window captured.
# Needs: a build (make build), xvfb, xdotool, imagemagick.
# The pointer positions below fit the 1280x1024 screen this script starts
# (frame 900x675, centred); move them if the layout changes.
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb xdotool imagemagick)"; exit 1; }
done
program=${1:-build/shell/morva99}
display=:${SCREENSHOT_DISPLAY:-87}

Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
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

# settle: let the window paint before the pointer moves
settle() { sleep 1; }
click() { xdotool mousemove "$1" "$2" click 1; settle; }

# shoot <tree leaf y> <run x y> <cancel x y> <file>
shoot() {
  click 242 "$1"
  click "$2" "$3"
  import -window "$frame" "docs/$6"
  click "$4" "$5"
}

settle
shoot 268 459 581 459 631 window-2-alleles.png
shoot 241 459 556 459 606 window-mutation.png
shoot 281 460 631 460 681 window-3-alleles.png
echo "written: docs/window-2-alleles.png docs/window-mutation.png docs/window-3-alleles.png"
