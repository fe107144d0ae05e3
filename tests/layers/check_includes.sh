#!/usr/bin/env bash
# Every include under src/ points to the same or a lower layer, so the rules
# never depend on the screens and the frame services sit below the widgets
# and the screens that use them.
#   check_includes.sh SRC_DIR
set -euo pipefail
src="$1"

# The layer of a path below src/ ("game/screen/x.h", "frame/frame.cpp").
rank() {
  case "$1" in
    core/*) echo 0 ;;
    archive/* | config/*) echo 1 ;;
    maps/* | players/* | graphics/* | audio/*) echo 2 ;;
    game/screen/*) echo 5 ;;
    game/*) echo 3 ;;
    frame/* | solver/*) echo 4 ;;
    editor/screen/*) echo 6 ;;
    editor/*) echo 4 ;;
    widgets/*) echo 5 ;;
    app/*) echo 6 ;;
    *) echo "unknown folder: $1" >&2; echo 99 ;;
  esac
}

status=0
while IFS= read -r file; do
  from="${file#"$src"/}"
  from_rank="$(rank "$from")"
  while IFS= read -r target; do
    to_rank="$(rank "$target")"
    if [ "$to_rank" -gt "$from_rank" ]; then
      echo "$from includes $target, a higher layer"
      status=1
    fi
  done < <(sed -n 's/^#include "\([a-z_]*\/[^"]*\)".*/\1/p' "$file")
  # Only the screens, the frame services and the media libraries see SDL.
  if [ "$from_rank" -lt 4 ] && [[ "$from" != graphics/* && "$from" != audio/* ]] &&
     grep -q '^#include <SDL' "$file"; then
    echo "$from includes SDL"
    status=1
  fi
done < <(find "$src" -name '*.h' -o -name '*.cpp' | sort)
# No header of the game's rules or screens pulls SDL in for its includers.
if grep -l '^#include <SDL' $(find "$src/game" -name '*.h'); then
  echo "headers under src/game include SDL"
  status=1
fi
exit $status
