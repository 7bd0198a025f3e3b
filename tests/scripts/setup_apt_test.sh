#!/usr/bin/env bash
# scripts/setup against a stand-in apt-get that fails the way a broken mirror
# does: an index of the wrong size, "E: Failed to fetch ADDRESS ...", exit
# 100, and an install that apt cannot resolve. Each case runs a copy of the
# script with every package missing, no pauses between the tries, and checks
# what it calls, prints and leaves behind, and how it exits.
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

# The stand-ins. apt-get appends each call to calls.log: "update", or
# "install" followed by "pinned" when its preference parts rank the security
# archive below the main one and "i386" when it asks for an i386 package.
# `update` fails the first $UPDATE_FAILURES times, naming $FAILED_INDEX;
# the first $INSTALL_FAILURES installs fail. Every package counts as
# missing, i386 as added.
bin=$work/bin
mkdir -p "$bin"
cat >"$bin/apt-get" <<'STANDIN'
#!/bin/bash
action= call=
for arg; do
  case $arg in
    update|install) action=$arg call=$arg ;;
    Dir::Etc::PreferencesParts=*)
      grep -qs 'Pin: release l=Debian-Security' "${arg#*=}"/*.pref && grep -qs 'Pin-Priority: 400' "${arg#*=}"/*.pref &&
        call+=" pinned" ;;
    *:i386) [[ $call == *i386 ]] || call+=" i386" ;;
  esac
done
echo "$call" >>"$STANDIN_DIR/calls.log"
if [ "$action" = update ]; then
  updates=$(grep -c '^update$' "$STANDIN_DIR/calls.log")
  echo "Hit:1 http://mirror.test/debian bookworm InRelease"
  if [ "$updates" -le "$UPDATE_FAILURES" ]; then
    echo "Err:2 $FAILED_INDEX"
    echo "E: Failed to fetch $FAILED_INDEX  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100
  fi
  exit 0
fi
if [ "$(grep -c '^install' "$STANDIN_DIR/calls.log")" -le "$INSTALL_FAILURES" ]; then
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

security_i386=http://mirror.test/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
main_amd64=http://mirror.test/debian/dists/bookworm/main/binary-amd64/Packages.xz
apt_before=$(find /etc/apt -printf '%p %s %T@\n' 2>/dev/null | sort | md5sum)

# Runs the script with UPDATE_FAILURES, INSTALL_FAILURES and FAILED_INDEX
# ($security_i386 unless a third argument names another); leaves its exit
# code in $status, its standard error in $err, the calls in $calls (one a
# line) and what cmake/run-i386 then says in $how.
run_setup() {
  rm -rf "$work/calls.log" "$work/cache"
  status=0
  err=$(PATH="$bin:$PATH" STANDIN_DIR=$work UPDATE_FAILURES=$1 INSTALL_FAILURES=$2 FAILED_INDEX=${3:-$security_i386} \
    OMBREL_APT_RETRY_PAUSES="0 0 0" OMBREL_QEMU_I386=$work/qemu-i386 XDG_CACHE_HOME=$work/cache \
    "$tree/scripts/setup" 2>&1 >/dev/null) || status=$?
  calls=$(cat "$work/calls.log")
  how=$(XDG_CACHE_HOME=$work/cache OMBREL_QEMU_I386=$work/qemu-i386 "$tree/cmake/run-i386" --how)
}
updates_then() { printf 'update\nupdate\nupdate\nupdate\n'; printf '%s\n' "$@"; }

echo "case: the update fails once, then works"
run_setup 1 0
[ "$status" -eq 0 ] || fail "exit $status, expected 0: $err"
[ "$calls" = "$(printf 'update\nupdate\ninstall i386')" ] || fail "calls '$calls'"
[ "$(grep -c 'trying again' <<<"$err")" -eq 1 ] || fail "expected one retry line: $err"
! grep -q 'could not be fetched' <<<"$err" || fail "a passing fault reported as lasting: $err"

echo "case: the update keeps failing, the install works"
run_setup 99 0
[ "$status" -eq 0 ] || fail "exit $status, expected 0: $err"
[ "$calls" = "$(updates_then 'install i386')" ] || fail "calls '$calls'"
grep -qx "setup: installed, although the package index $security_i386 could not be fetched" <<<"$err" ||
  fail "no line naming the index: $err"

echo "case: the security archive's i386 index fails; the install goes through preferring the main archive"
run_setup 99 1
[ "$status" -eq 0 ] || fail "exit $status, expected 0: $err"
[ "$calls" = "$(updates_then 'install i386' 'install pinned i386')" ] || fail "calls '$calls'"
[ "$(grep -c '^setup: trying the install again with the main archive preferred' <<<"$err")" -eq 1 ] ||
  fail "no one line saying the install is tried again: $err"
case $how in native:*|emulated:*) ;; *) fail "run-i386 says '$how' after a full install" ;; esac

echo "case: preferring the main archive does not help either; all but the 32-bit set is installed"
run_setup 99 2
[ "$status" -eq 0 ] || fail "exit $status, expected 0: $err"
[ "$calls" = "$(updates_then 'install i386' 'install pinned i386' 'install pinned')" ] || fail "calls '$calls'"
line="setup: the 32-bit Windows build will not be run: the 32-bit Wine packages could not be installed, because the package index $security_i386 could not be fetched; the 64-bit build runs instead"
[ "$(tail -n 1 <<<"$err")" = "$line" ] || fail "last line: $(tail -n 1 <<<"$err")"
[ "$how" = "none: the 32-bit Wine packages could not be installed, because the package index $security_i386 could not be fetched" ] ||
  fail "run-i386 does not give the reason: $how"

echo "case: even the install without the 32-bit set fails"
run_setup 99 3
[ "$status" -eq 1 ] || fail "exit $status, expected 1: $err"
[ "$(tail -n 1 <<<"$err")" = "setup: apt-get install failed even without the 32-bit packages (see its lines above)" ] ||
  fail "last line: $(tail -n 1 <<<"$err")"

echo "case: another index fails and so does the install: no second try"
run_setup 99 1 "$main_amd64"
[ "$status" -eq 1 ] || fail "exit $status, expected 1: $err"
[ "$calls" = "$(updates_then 'install i386')" ] || fail "calls '$calls'"
case $(tail -n 1 <<<"$err") in
  "setup: the packages could not be installed because the package index $main_amd64 could not be fetched"*"run this again later, or choose another Debian mirror"*) ;;
  *) fail "last line does not name the index and what to do: $(tail -n 1 <<<"$err")" ;;
esac

echo "case: the lists are fresh but the install fails"
run_setup 0 1
[ "$status" -eq 1 ] || fail "exit $status, expected 1: $err"
[ "$(tail -n 1 <<<"$err")" = "setup: apt-get install failed (see its lines above)" ] || fail "last line: $err"

echo "case: a target without 32-bit packages asks for none and does not wait for their index"
rm -f "$work/calls.log"
PATH="$bin:$PATH" STANDIN_DIR=$work UPDATE_FAILURES=99 INSTALL_FAILURES=0 FAILED_INDEX=$security_i386 \
  XDG_CACHE_HOME=$work/cache "$tree/scripts/setup" linux >/dev/null 2>&1 || fail "scripts/setup linux failed"
[ "$(cat "$work/calls.log")" = "$(printf 'update\ninstall')" ] || fail "scripts/setup linux: calls $(cat "$work/calls.log")"

[ "$apt_before" = "$(find /etc/apt -printf '%p %s %T@\n' 2>/dev/null | sort | md5sum)" ] ||
  fail "something under /etc/apt changed"

[ "$failures" -eq 0 ] && echo "all cases passed"
exit $((failures > 0))
