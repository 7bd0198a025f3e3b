#!/usr/bin/env bash
# A cross-built ombrel-sim, run under its emulator (the Windows build under
# Wine, the WebAssembly build under Node), must print exactly what the native
# build prints: the simulation's arithmetic is defined to the bit on all of
# them (SSE2 on x86, WebAssembly's IEEE arithmetic, the same widening and
# rounding in the code).
#
#   same_as_native.sh EMULATOR CROSS_SIM NATIVE_SIM
set -euo pipefail
emulator=$1 cross_sim=$2 native_sim=$3
if [ ! -x "$native_sim" ]; then
  echo "native ombrel-sim not built at $native_sim; build the native preset first"
  exit 77
fi
scenarios=(
  "--particles 2050 --frames 3000"
  "--container sphere --particles 2050 --frames 3000"
  "--container sphere --decay 0 --permeability 3 --regeneration 0 --particles 2050 --clock 1700000000 --frames 4000"
  "--decay 0 --permeability 21 --particles 1250 --frames-per-second 25 --frames 2000 --container sphere --frames 500"
)
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
status=0
for s in "${scenarios[@]}"; do
  # shellcheck disable=SC2086
  "$native_sim" $s > "$tmp/native"
  # shellcheck disable=SC2086
  "$emulator" "$cross_sim" $s | tr -d '\r' > "$tmp/cross"
  if cmp -s "$tmp/native" "$tmp/cross"; then
    echo "same: $s ($(wc -l < "$tmp/native") lines)"
  else
    echo "DIFFERENT: $s"; diff "$tmp/native" "$tmp/cross" | head -5
    status=1
  fi
done
exit $status
