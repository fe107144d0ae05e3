#!/usr/bin/env bash
# The window's real size under Xvfb for --scale and for --windowed alone, and
# screenshots that stay 640 x 480. Skipped (77) where Xvfb is not installed.
#   window_scale_test.sh QUARRY RUN_DIR
set -euo pipefail
quarry="$(readlink -f "$1")"
run_dir="$2"
command -v xvfb-run >/dev/null && command -v xwininfo >/dev/null || { echo "Xvfb or xwininfo missing: skipped"; exit 77; }

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
cp "$run_dir"/*.mad "$run_dir"/*.qs "$tmp/"
printf '5 shot shot.bmp\n' > "$tmp/script"

# check SCREEN EXPECTED_SIZE [OPTIONS...]: the window that appears is EXPECTED_SIZE (WxH).
check() {
  local screen="$1" expected="$2"; shift 2
  rm -f "$tmp/shot.bmp"
  xvfb-run -a -s "-screen 0 ${screen}x24" bash -c '
    cd "$1"; shift
    unset SDL_VIDEODRIVER
    SDL_AUDIODRIVER=dummy "$@" --virtual-clock --seed 1 --script script >/dev/null 2>&1 &
    game=$!
    # Wait for the window and the screenshot (bounded); the game then plays on
    # into its intro and is stopped.
    for _ in $(seq 600); do
      info=$(xwininfo -name "ZEPHYRA SDL Application" 2>/dev/null || true)
      size=$(sed -n "s/^ *Width: *//p" <<<"$info")x$(sed -n "s/^ *Height: *//p" <<<"$info")
      [ "$size" = x ] && size=""
      [ -n "$size" ] && [ -f shot.bmp ] && break
      sleep 0.1
    done
    kill $game 2>/dev/null; wait $game 2>/dev/null || true
    echo "$size" > window-size' _ "$tmp" "$quarry" "$@"
  local size; size="$(cat "$tmp/window-size")"
  [ "$size" = "$expected" ] || { echo "screen $screen, options $*: window $size, expected $expected"; exit 1; }
  # BMP width and height are little-endian 32-bit numbers at offsets 18 and 22.
  local dims; dims="$(od -An -tu4 -j18 -N8 "$tmp/shot.bmp" | xargs)"
  [ "$dims" = "640 480" ] || { echo "screenshot is $dims, expected 640 480"; exit 1; }
  echo "screen $screen, options $*: window $size"
}

check 1920x1200 1280x960 --windowed --scale 2
check 1920x1200 1280x960 --windowed
check 2600x1600 1920x1440 --windowed
check 1024x768 640x480 --windowed
