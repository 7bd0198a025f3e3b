#!/usr/bin/env bash
# Checks the release files that scripts/package writes.
#
#   check_release.sh reproducible OUT
#       builds the release twice, in two fresh folders under different paths
#       and a few seconds apart, into OUT/a and OUT/b, and compares them byte
#       for byte: the zips, the .deb, the ombrel.scr inside the Windows zip
#       and the page's files inside the web zip.
#   check_release.sh files OUT VERSION OBJDUMP
#       looks into OUT/a: the zip's three files, the .deb's files, fields and
#       lintian's verdict; runs the packaged X11 program for a frame on Xvfb
#       and the packaged ombrel-add-to-xscreensaver.
#   check_release.sh web OUT NATIVE_BUILD
#       serves the web zip's page from OUT/a and runs the browser tests on it
#       (tests/web/page.test.mjs), its frames against NATIVE_BUILD's; and the
#       hosts' tests (tests/web/hosts.test.mjs) on the two wallpaper zips'
#       folders unpacked beside it.
#   check_release.sh wine OUT E2E_TESTS
#       runs the zip's ombrel.scr from OUT/a full screen under Wine, through
#       the end-to-end test program E2E_TESTS, on the display this runs on;
#       exits 77 (skipped) where this machine cannot run 32-bit programs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
mode=$1 out=$2
failures=0
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND"' ERR
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

if [ "$mode" = reproducible ]; then
  rm -rf "$out"
  mkdir -p "$out/tmp-a" "$out/tmp-b/elsewhere"
  TMPDIR=$out/tmp-a "$repo/scripts/package" "$out/a" >"$out/a.log" 2>&1 || { tail -20 "$out/a.log"; exit 1; }
  sleep 2
  TMPDIR=$out/tmp-b/elsewhere "$repo/scripts/package" "$out/b" >"$out/b.log" 2>&1 || { tail -20 "$out/b.log"; exit 1; }
  for f in SHA256SUMS $(cd "$out/a" && ls ./*.zip ./*.deb); do
    if cmp -s "$out/a/$f" "$out/b/$f"; then pass "same $f: $(sha256sum <"$out/a/$f" | cut -c1-16)"
    else fail "$f differs between the two builds"; fi
  done
  for side in a b; do
    (mkdir -p "$out/$side/unzipped" && cd "$out/$side/unzipped" && unzip -q -o ../ombrel-*-windows.zip)
    (mkdir -p "$out/$side/unzipped-web" && cd "$out/$side/unzipped-web" && unzip -q -o ../ombrel-*-web.zip)
    # The wallpaper hosts' folders beside the page, where the browser tests look.
    for host in wallpaper-engine lively; do
      (mkdir -p "$out/$side/unzipped-web/$host" && cd "$out/$side/unzipped-web/$host" &&
        unzip -q -o ../../ombrel-*-"$host".zip)
    done
  done
  for f in unzipped/ombrel.scr unzipped-web/ombrel.js; do
    if cmp -s "$out/a/$f" "$out/b/$f"; then pass "same $f"
    else fail "$f differs between the two builds"; fi
  done
  # No folder of either build may show in the programs.
  for side in a b; do
    for program in ombrel ombrel-glx; do
      dpkg-deb --fsys-tarfile "$out/$side"/*.deb | tar -xO "./usr/libexec/xscreensaver/$program" >"$out/$side/$program"
    done
    # The WebAssembly that ombrel.js carries in base64, decoded to be searched.
    grep -o 'data:application/octet-stream;base64,[A-Za-z0-9+/=]*' "$out/$side/unzipped-web/ombrel.js" |
      cut -d, -f2 | base64 -d >"$out/$side/ombrel.wasm"
    [ "$(head -c 4 "$out/$side/ombrel.wasm" | od -An -c | tr -d ' ')" = '\0asm' ] &&
      pass "$side's ombrel.js carries its WebAssembly" || fail "no WebAssembly found in $side's ombrel.js"
    for program in unzipped/ombrel.scr ombrel ombrel-glx unzipped-web/ombrel.js ombrel.wasm; do
      if grep -a -q -e "$out" -e "$repo" "$out/$side/$program"; then fail "a build path in $side's $program"
      else pass "no build path in $side's $program"; fi
    done
  done
  exit $((failures > 0))
fi

dist=$out/a
if [ "$mode" = web ]; then
  # The page as released, served and run as the web tree's page is.
  OMBREL_PAGE_DIR=$dist/unzipped-web OMBREL_NATIVE_BUILD=$3 node --test \
    "$repo/tests/web/page.test.mjs" "$repo/tests/web/hosts.test.mjs"
  exit
fi
if [ "$mode" = wine ]; then
  # The stripped saver from the zip, started as Windows starts it.
  # Wine shows the Unix file system as drive Z:.
  e2e_tests=$3 scr=$dist/unzipped/ombrel.scr status=0
  OMBREL_SCR="Z:${scr//\//\\}" "$repo/cmake/wine-run" "$e2e_tests" \
    --gtest_filter=SaverE2E.FullScreenAnimatesAndAKeyEndsIt --gtest_color=no >"$out/wine.log" 2>&1 || status=$?
  case $status in
    0) pass "the zip's ombrel.scr runs full screen under Wine and a key ends it with 0" ;;
    77) echo "skipped: $(tail -1 "$out/wine.log")"; exit 77 ;;
    *) fail "the zip's ombrel.scr under Wine: $(tail -5 "$out/wine.log")" ;;
  esac
  exit $((failures > 0))
fi

[ "$mode" = files ] || {
  echo "usage: check_release.sh reproducible|files|web|wine OUT [VERSION OBJDUMP | NATIVE_BUILD | E2E_TESTS]" >&2
  exit 2
}
version=$3 objdump=$4
zip=$(ls "$dist"/ombrel-*-windows.zip) deb=$(ls "$dist"/ombrel_*_amd64.deb)
[ "$(basename "$zip")" = "ombrel-$version-windows.zip" ] && pass "zip named for version $version" || fail "zip name $zip"
[ "$(basename "$deb")" = "ombrel_${version}_amd64.deb" ] && pass "deb named for version $version" || fail "deb name $deb"
web_zip=$(ls "$dist"/ombrel-*-web.zip)
[ "$(basename "$web_zip")" = "ombrel-$version-web.zip" ] && pass "web zip named for version $version" ||
  fail "web zip name $web_zip"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) && pass "SHA256SUMS holds" || fail "SHA256SUMS does not match"

# The zip: exactly the saver, its licence and its instructions.
listing=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[ "$listing" = "LICENSE.txt README.txt ombrel.scr " ] && pass "zip holds $listing" || fail "zip holds $listing"
page_listing="LICENSE.txt icon-192.png icon-512.png index.html manifest.webmanifest ombrel.js"
page_listing+=" service-worker.js"
web_listing=$(unzip -Z1 "$web_zip" | sort | tr '\n' ' ')
[ "$web_listing" = "$page_listing " ] && pass "web zip holds $web_listing" || fail "web zip holds $web_listing"
# Each wallpaper zip: the page, the host's files and the preview, at its top.
for host_files in "wallpaper-engine project.json" "lively LivelyInfo.json LivelyProperties.json"; do
  read -r host files <<<"$host_files"
  host_zip=$dist/ombrel-$version-$host.zip
  listing=$(unzip -Z1 "$host_zip" | sort | tr '\n' ' ')
  expected=$(printf '%s\n' $page_listing $files preview.jpg | sort | tr '\n' ' ')
  [ "$listing" = "$expected" ] && pass "$host zip holds $listing" || fail "$host zip holds $listing"
done
scr=$dist/unzipped/ombrel.scr
size=$(stat -c %s "$scr")
[ "$size" -lt 100000 ] && pass "ombrel.scr is $size bytes, stripped" || fail "ombrel.scr is $size bytes"
"$repo/tests/e2e/check_imports.sh" "$objdump" "$scr" pei-i386 >/dev/null && pass "ombrel.scr imports only system DLLs" ||
  fail "ombrel.scr imports: $("$repo/tests/e2e/check_imports.sh" "$objdump" "$scr" pei-i386 2>&1 | tail -1)"
grep -q "Ombrel $version" "$dist/unzipped/README.txt" && pass "README.txt names the version" || fail "README.txt"
# The version resource's texts are UTF-16.
strings -e l "$scr" | grep -x "$version" >/dev/null && pass "ombrel.scr's version resource says $version" ||
  fail "ombrel.scr's version resource does not say $version"

# The .deb: its fields, its files, and lintian.
info=$(dpkg-deb --info "$deb")
for field in "Package: ombrel" "Version: $version" "Architecture: amd64" "Recommends: xscreensaver"; do
  grep -q "^ $field\$" <<<"$info" && pass "deb $field" || fail "deb lacks '$field'"
done
depends=$(dpkg-deb --field "$deb" Depends)
for library in libc6 libx11-6 libglx0 libopengl0 libglu1-mesa libstdc++6 libwayland-client0 libwayland-egl1 libegl1 python3; do
  grep -q "\b$library\b" <<<"$depends" && pass "deb depends on $library" || fail "Depends: $depends lacks $library"
done
contents=$(dpkg-deb --contents "$deb" | awk '{ print $1, $2, $6 }')
for entry in "-rwxr-xr-x root/root ./usr/libexec/xscreensaver/ombrel" \
             "-rwxr-xr-x root/root ./usr/libexec/xscreensaver/ombrel-glx" \
             "-rw-r--r-- root/root ./usr/share/xscreensaver/config/ombrel.xml" \
             "-rw-r--r-- root/root ./usr/share/man/man6/ombrel.6.gz" \
             "-rwxr-xr-x root/root ./usr/bin/ombrel-add-to-xscreensaver" \
             "-rw-r--r-- root/root ./usr/share/man/man1/ombrel-add-to-xscreensaver.1.gz" \
             "-rwxr-xr-x root/root ./usr/bin/ombrel-wayland" \
             "-rw-r--r-- root/root ./usr/share/man/man6/ombrel-wayland.6.gz" \
             "-rw-r--r-- root/root ./usr/share/applications/ombrel-wayland.desktop" \
             "-rw-r--r-- root/root ./usr/share/doc/ombrel/copyright" \
             "-rw-r--r-- root/root ./usr/share/doc/ombrel/changelog.gz"; do
  grep -qxF -- "$entry" <<<"$contents" && pass "deb has $entry" || fail "deb lacks $entry"
done
if lintian_out=$(lintian --fail-on error,warning "$deb" 2>&1); then pass "lintian reports no error or warning"
else fail "lintian: $lintian_out"; fi

# Unpacked, the program runs a frame on a display of its own, and its
# settings description lies where Debian's XScreenSaver keeps the others.
root=$out/unpacked
rm -rf "$root" && mkdir -p "$root"
dpkg-deb -x "$deb" "$root"
for gl in glx-es egl glx; do
  if xvfb-run -a -s "-screen 0 1024x768x24" timeout 30 "$root/usr/libexec/xscreensaver/ombrel" --frames 1 \
    --gl "$gl" >"$out/run.log" 2>&1; then pass "the packaged ombrel ran one frame with --gl $gl"
  else fail "the packaged ombrel --gl $gl: $(tail -3 "$out/run.log")"; fi
done
# The command that lists the program runs from the package (its own checks
# run in the native tree's tests), and the description names the step.
if "$root/usr/bin/ombrel-add-to-xscreensaver" --help >"$out/add.log" 2>&1 && grep -q '^usage:' "$out/add.log"; then
  pass "the packaged ombrel-add-to-xscreensaver runs"
else fail "the packaged ombrel-add-to-xscreensaver --help: $(tail -3 "$out/add.log")"; fi
# Read whole first: grep -q leaves at its first match, and under pipefail the
# writer's broken pipe would read as a failure.
description=$(dpkg-deb --field "$deb" Description)
grep -q '^   ombrel-add-to-xscreensaver$' <<<"$description" &&
  pass "the description says to run ombrel-add-to-xscreensaver" || fail "the description lacks the step"
xmllint --noout "$root/usr/share/xscreensaver/config/ombrel.xml" && pass "ombrel.xml is well-formed" || fail "ombrel.xml"
daemon_dir=$(dirname "$(dpkg -L xscreensaver-data | awk '/\/config\/.*\.xml$/ && !found { print; found = 1 }')")
[ "$daemon_dir" = /usr/share/xscreensaver/config ] && [ -f "$root$daemon_dir/ombrel.xml" ] &&
  pass "ombrel.xml is in $daemon_dir, beside the other hacks'" || fail "ombrel.xml is not in $daemon_dir"

exit $((failures > 0))
