#!/usr/bin/env bash
# scripts/run the way a newcomer without a display runs it: it must end by
# itself with 0 and leave screenshots of the scene, not of anything else
# (a set-up box, a blank screen). The Windows saver runs on a Wine prefix
# made anew for the test, as in a new build tree.
#
#   tests/scripts/run_test.sh SOURCE_DIR saver|linux|wayland|web
#
# A picture of the scene is mostly black (the scene turns in front of a
# black background) with some lit pixels, and the pictures change from one
# screenshot to the next; a box or a still picture does not.
set -euo pipefail
source_dir=$(realpath "$1") what=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/ombrel-run-test.XXXXXX")
# A Wine server of the test's prefix may linger a moment after the saver.
trap 'WINEPREFIX=$work/wineprefix wineserver -k 2>/dev/null || true; rm -rf "$work" 2>/dev/null || true' EXIT

args=()
case $what in
  saver) prefix=saver ;;
  linux) prefix=linux args=(linux) ;;
  wayland) prefix=wayland args=(wayland) ;;
  web) prefix=web args=(web) ;;
  *) echo "run_test: saver, linux, wayland or web, not '$what'" >&2; exit 2 ;;
esac

# The page as scripts/run web serves it must be whole: the files the build
# draws besides the program are removed first, so that only its own build
# can bring them back.
if [ "$what" = web ]; then
  rm -f "$source_dir"/build/web/icon-*.png
fi

status=0
start=$SECONDS
env -u DISPLAY -u WAYLAND_DISPLAY OMBREL_WINEPREFIX="$work/wineprefix" OMBREL_SCREENSHOTS="$work/shots" \
  "$source_dir/scripts/run" "${args[@]}" >"$work/log" 2>&1 </dev/null || status=$?
echo "scripts/run ${args[*]} ended with $status after $((SECONDS - start)) s"
if [ "$status" -ne 0 ]; then
  tail -n 20 "$work/log"
  exit 1
fi

failures=0
shots=("$work/shots/$prefix"-*.png)
if [ "${#shots[@]}" -lt 2 ] || [ ! -f "${shots[0]}" ]; then
  echo "FAILED: fewer than two screenshots: $(ls "$work/shots" 2>&1)"
  exit 1
fi
previous=
for shot in "${shots[@]}"; do
  # The share of pixels brighter than a trace of light.
  lit=$(convert "$shot" -colorspace gray -threshold 6% -format '%[fx:mean]' info:)
  echo "$(basename "$shot"): ${lit} of the pixels lit"
  awk -v lit="$lit" 'BEGIN { exit !(lit > 0.002 && lit < 0.5) }' ||
    { echo "FAILED: $(basename "$shot") is not mostly black with some light"; failures=$((failures + 1)); }
  if [ -n "$previous" ]; then
    changed=$(compare -metric AE "$previous" "$shot" null: 2>&1 || true)
    echo "  $changed pixels changed since the one before"
    [ "$changed" != 0 ] || { echo "FAILED: $(basename "$shot") is the same picture as the one before"; failures=$((failures + 1)); }
  fi
  previous=$shot
done
if [ "$what" = web ]; then
  while read -r file; do
    [ -f "$source_dir/build/web/$file" ] ||
      { echo "FAILED: the page was served without $file"; failures=$((failures + 1)); }
  done <"$source_dir/build/web/page-files.txt"
fi
# Every process that scripts/run started carries its screenshot folder in its
# environment: none may be left once it has ended.
left=$(grep -lsz "^OMBREL_SCREENSHOTS=$work/shots\$" /proc/[0-9]*/environ | cut -d/ -f3 | paste -sd ' ' || true)
if [ -n "$left" ]; then
  echo "FAILED: processes of the run still running: $(ps -o pid=,args= -p "${left// /,}")"
  failures=$((failures + 1))
fi
exit $((failures > 0))
