#!/usr/bin/env bash
# scripts/setup against a stand-in apt-get that fails the way a mirror in
# mid-sync does: an index of the wrong size, "E: Failed to fetch ADDRESS ...",
# exit 100. Each case runs a copy of the script with every package missing,
# no pauses between the tries, and checks what it prints and how it exits.
#
#   tests/scripts/setup_apt_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/ombrel-setup-test.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The script with what it reads beside it, the browser tests' packages
# counted as installed and an emulator counted as present, so that only its
# Debian packages are left to install.
tree=$work/tree
mkdir -p "$tree/scripts" "$tree/cmake" "$tree/tools/browser/node_modules"
cp "$source_dir/scripts/setup" "$tree/scripts/"
cp "$source_dir/cmake/run-i386" "$tree/cmake/"
cp "$source_dir/tools/browser/package-lock.json" "$tree/tools/browser/"
cp "$source_dir/tools/browser/package-lock.json" "$tree/tools/browser/node_modules/.ombrel-installed-lock.json"
printf '#!/bin/sh\nexit 0\n' >"$work/qemu-i386"
chmod +x "$work/qemu-i386"

# The stand-ins. apt-get appends each call to calls.log; `update` fails the
# first $UPDATE_FAILURES times it is called, `install` fails when
# $INSTALL_FAILS is 1. Every package counts as missing, i386 as added.
bin=$work/bin
mkdir -p "$bin"
cat >"$bin/apt-get" <<'STANDIN'
#!/bin/sh
for arg; do case $arg in update|install) action=$arg ;; esac; done
echo "$action" >>"$STANDIN_DIR/calls.log"
if [ "$action" = update ]; then
  updates=$(grep -c '^update$' "$STANDIN_DIR/calls.log")
  echo "Hit:1 http://mirror.test/debian bookworm InRelease"
  if [ "$updates" -le "$UPDATE_FAILURES" ]; then
    echo "Err:2 http://mirror.test/debian-security bookworm-security/main i386 Packages"
    echo "E: Failed to fetch http://mirror.test/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100
  fi
  exit 0
fi
if [ "$INSTALL_FAILS" = 1 ]; then
  echo "E: Unable to correct problems, you have held broken packages."
  exit 100
fi
exit 0
STANDIN
printf '#!/bin/sh\nexit 1\n' >"$bin/dpkg-query"
printf '#!/bin/sh\n[ "$1" = --print-foreign-architectures ] && echo i386\nexit 0\n' >"$bin/dpkg"
printf '#!/bin/sh\nexec "$@"\n' >"$bin/sudo"
chmod +x "$bin"/*

failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }

# Runs the script with UPDATE_FAILURES and INSTALL_FAILS; leaves its exit
# code in $status, its standard error in $err and the calls in $calls.
run_setup() {
  rm -f "$work/calls.log"
  status=0
  err=$(PATH="$bin:$PATH" STANDIN_DIR=$work UPDATE_FAILURES=$1 INSTALL_FAILS=$2 \
    OMBREL_APT_RETRY_PAUSES="0 0 0" OMBREL_QEMU_I386=$work/qemu-i386 \
    "$tree/scripts/setup" 2>&1 >/dev/null) || status=$?
  calls=$(paste -sd ' ' "$work/calls.log")
}

index=http://mirror.test/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz

echo "case: the update fails once, then works"
run_setup 1 0
[ "$status" -eq 0 ] || fail "exit $status, expected 0: $err"
[ "$calls" = "update update install" ] || fail "calls '$calls'"
[ "$(grep -c 'trying again' <<<"$err")" -eq 1 ] || fail "expected one retry line: $err"
! grep -q 'could not be fetched' <<<"$err" || fail "a passing fault reported as lasting: $err"

echo "case: the update keeps failing, the install works"
run_setup 99 0
[ "$status" -eq 0 ] || fail "exit $status, expected 0: $err"
[ "$calls" = "update update update update install" ] || fail "calls '$calls'"
grep -qx "setup: installed, although the package index $index could not be fetched" <<<"$err" ||
  fail "no line naming the index: $err"

echo "case: the update keeps failing and so does the install"
run_setup 99 1
[ "$status" -eq 1 ] || fail "exit $status, expected 1: $err"
[ "$calls" = "update update update update install" ] || fail "calls '$calls'"
last=$(tail -n 1 <<<"$err")
case $last in
  "setup: the packages could not be installed because the package index $index could not be fetched"*"run this again later, or choose another Debian mirror"*) ;;
  *) fail "last line does not name the index and what to do: $last" ;;
esac

echo "case: the lists are fresh but the install fails"
run_setup 0 1
[ "$status" -eq 1 ] || fail "exit $status, expected 1: $err"
[ "$(tail -n 1 <<<"$err")" = "setup: apt-get install failed (see its lines above)" ] || fail "last line: $err"

[ "$failures" -eq 0 ] && echo "all cases passed"
exit $((failures > 0))
