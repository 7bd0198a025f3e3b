#!/usr/bin/env bash
# ombrel.scr must be a GUI program of the build's processor that imports only
# system DLLs: no mingw runtime (libgcc, libstdc++, libwinpthread) beside it.
#
#   check_imports.sh OBJDUMP ombrel.scr FORMAT     (FORMAT: pei-i386 or pei-x86-64)
set -euo pipefail
objdump=$1 program=$2 format=$3
headers=$("$objdump" -p "$program")

grep -q "file format $format\$" <<<"$headers" || { echo "not a $format file"; exit 1; }
grep -qE '^Subsystem[[:space:]]+00000002' <<<"$headers" || { echo "not a GUI-subsystem program"; exit 1; }

allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|OPENGL32|GLU32|COMCTL32|msvcrt)\.dll$'
status=0
while read -r dll; do
  if grep -qiE "$allowed" <<<"$dll"; then echo "imports $dll"; else echo "UNEXPECTED import: $dll"; status=1; fi
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
exit $status
