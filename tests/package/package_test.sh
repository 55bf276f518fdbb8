#!/bin/bash
# The Debian package as a technician gets it: built from this build folder, unpacked
# into a temporary folder and run from there. Usage:
#   package_test.sh BUILD_DIR VERSION
# Prints the package's contents and size; exits 1 with the reason on the first fault.
set -euo pipefail

build=$(cd "$1" && pwd)
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The package, made apart from the build folder so the test leaves nothing there.
if ! (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out") \
    >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack could not make the package"
fi
debs=("$work"/out/vorel_"$version"_*.deb)
[ -f "${debs[0]}" ] || fail "no vorel_${version}_*.deb in $(ls "$work/out")"
deb=${debs[0]}
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
dpkg-deb -c "$deb"

# Dependencies worked out from the programs' own libraries.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libqt6network6 \
    libqt6charts6 libpugixml1v5 libc6; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is not $version"
[ -n "$(dpkg-deb -f "$deb" Description | sed -n 2p)" ] || fail "no long description"
dpkg-deb -I "$deb" postinst | grep -q dialout || fail "postinst does not mention dialout"

root=$work/root
dpkg-deb -x "$deb" "$root"
for file in usr/bin/vorel usr/bin/vorelctl usr/bin/vorel-sim \
    usr/share/applications/vorel.desktop \
    usr/share/icons/hicolor/scalable/apps/vorel.svg \
    usr/share/icons/hicolor/256x256/apps/vorel.png \
    usr/share/man/man1/vorel.1.gz usr/share/man/man1/vorelctl.1.gz \
    usr/share/man/man1/vorel-sim.1.gz \
    usr/share/vorel/examples/laundry-demo.xml; do
  [ -f "$root/$file" ] || fail "the package lacks /$file"
done
gzip -t "$root"/usr/share/man/man1/*.gz || fail "a manual page is not a whole gzip file"

# The unpacked programs run on the system's libraries alone.
bin=$root/usr/bin
example=$root/usr/share/vorel/examples/laundry-demo.xml
[ "$("$bin/vorelctl" --version)" = "$version" ] || fail "vorelctl --version is not $version"
"$bin/vorelctl" convert "$example" "$work/converted.xml" --clock "2026-12-08 09:30:00" \
  || fail "vorelctl convert of the example failed"
head -c 100 "$work/converted.xml" | grep -q '^<?xml' || fail "convert wrote no XML document"
"$bin/vorelctl" show "$work/converted.xml" | grep -q '^System name: Laundry demo, Hall A$' \
  || fail "the converted example does not load back as the same system"

desktop=$root/usr/share/applications/vorel.desktop
desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
grep -qx 'Exec=vorel %f' "$desktop" || fail "the desktop entry does not hand vorel the file"
grep -qx 'Icon=vorel' "$desktop" || fail "the desktop entry names another icon"

# vorel opened on the example from the installed place: the first activation (after
# the file has loaded) ends the run. Settings and the log go to a home of its own.
home=$work/home
mkdir -p "$home"
before=$(ls -A "$bin")
run_vorel() {
  env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    QT_QPA_PLATFORM=offscreen VOREL_STARTUP_PROBE=1 timeout "$@"
}
run_vorel 60 "$bin/vorel" "$example" >"$work/vorel.out" 2>&1 \
  || { cat "$work/vorel.out" >&2; fail "vorel did not start cleanly with the example"; }
grep -q '^first-activation-ms ' "$work/vorel.out" || fail "vorel ended before its first activation"
# A file that cannot be loaded stops the start at the error box, so the example
# above was really taken from the command line.
status=0
run_vorel 3 "$bin/vorel" "$work/no-such-system.xml" >"$work/missing.out" 2>&1 || status=$?
[ "$status" = 124 ] || fail "vorel given a missing file ended with $status instead of showing the error"
[ "$(ls -A "$bin")" = "$before" ] || fail "vorel wrote beside the installed programs: $(ls -A "$bin")"
grep -q 'vorel loaded' "$home/.local/share/Vantrell/Vorel/Log.vorel.txt" \
  || fail "no diagnostic log in the per-user data folder"
echo "package test passed"
