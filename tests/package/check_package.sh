#!/usr/bin/env bash
# The Debian package: built by CPack from a build tree, unpacked into a scratch root with
# dpkg -x, checked for what a desktop needs, and the installed program started there offscreen
# on the bundled example. Usage: check_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "check_package: $*" >&2
  exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack -G DEB failed"; }
deb=$(ls "$scratch"/out/pavik_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6uitools6 libqt6svg6 libqcustomplot2.1-qt6 qt6-qpa-plugins \
  libgoogle-glog; do
  [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done

root=$scratch/root
dpkg -x "$deb" "$root"
for file in usr/lib/pavik/pavik usr/lib/pavik/pavikuir.uir usr/share/applications/pavik.desktop \
  usr/share/icons/hicolor/scalable/apps/pavik.svg usr/share/mime/packages/pavik.xml \
  usr/share/man/man1/pavik.1.gz usr/share/doc/pavik/README.md usr/share/doc/pavik/copyright \
  usr/share/pavik/examples/hh-sodium.txt usr/share/pavik/examples/hh-sodium.fit; do
  [[ -s $root/$file ]] || fail "the package lacks /$file"
done
[[ -L $root/usr/bin/pavik ]] || fail "/usr/bin/pavik is not a link to the program"
xmllint --noout "$root/usr/share/mime/packages/pavik.xml" || fail "the MIME types are not XML"
if command -v update-mime-database >/dev/null; then
  # The file types built into a database of their own, as the package's trigger builds them.
  update-mime-database "$root/usr/share/mime" >/dev/null 2>&1 || fail "update-mime-database failed"
  for type in x-pavik-parameters x-pavik-session x-axon-binary x-axon-text; do
    [[ -s $root/usr/share/mime/application/$type.xml ]] || fail "no MIME type $type"
  done
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/pavik.desktop" || fail "bad desktop entry"
fi
gzip -dc "$root/usr/share/man/man1/pavik.1.gz" | grep -q '^\.TH PAVIK 1' || fail "bad manual page"

# Started from the scratch root, the program must find its panels beside itself, not in the
# build tree: a copy of the build's pavikuir.uir must play no part.
program=$root/usr/bin/pavik
examples=$root/usr/share/pavik/examples
cd "$scratch"
version=$("$program" --version)
[[ $version == "Pavik "* ]] || fail "--version printed '$version'"
QT_QPA_PLATFORM=offscreen "$program" --render "$scratch/window.png" "$examples/hh-sodium.txt" \
  "$examples/hh-sodium.fit" 2>"$scratch/render.log" ||
  { cat "$scratch/render.log" >&2; fail "the installed program did not draw its window"; }
[[ $(head -c 8 "$scratch/window.png" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] ||
  fail "the window's picture is not a PNG"
"$program" --fits - "$examples/hh-sodium.txt" "$examples/hh-sodium.fit" >/dev/null 2>&1 ||
  fail "the installed program did not evaluate the bundled example"
# The window itself, with its event loop: still running after a few seconds, as a window is.
status=0
QT_QPA_PLATFORM=offscreen timeout 4 "$program" "$examples/hh-sodium.txt" \
  "$examples/hh-sodium.fit" >"$scratch/window.log" 2>&1 || status=$?
[[ $status -eq 124 ]] || { cat "$scratch/window.log" >&2; fail "the window ended at once ($status)"; }
echo "check_package: $(basename "$deb") installs and starts ($version)"
