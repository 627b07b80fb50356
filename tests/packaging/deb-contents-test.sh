#!/usr/bin/env bash
# Usage: deb-contents-test.sh PACKAGE.deb ARCH
#
# Checks a package built for another architecture (which this machine cannot
# install) from its contents: the architecture of the control file and of
# every binary, dependencies computed from that architecture's libraries, the
# desktop entry and metadata, the man pages and the udev rule. lintian has
# checked it already (scripts/build-deb).
set -euo pipefail
deb=$(realpath "$1")
arch=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "deb-contents-test: FAILED: $*" >&2
  exit 1
}

dpkg-deb -x "$deb" "$work/root"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "the control file says $(dpkg-deb -f "$deb" Architecture)"

case $arch in
  arm64) machine='ARM aarch64' ;;
  amd64) machine='x86-64' ;;
  *) fail "no ELF machine known for $arch" ;;
esac
elves=0
while read -r binary; do
  file -b "$binary" | grep -q "ELF 64-bit LSB .*, $machine" || fail "$binary: $(file -b "$binary")"
  elves=$((elves + 1))
done < <(find "$work/root" -type f \( -perm -u+x -o -name '*.so*' \) -exec sh -c 'head -c4 "$1" | grep -q ELF' _ {} \; -print)
[ $elves -ge 6 ] || fail "only $elves binaries in the package"

# dpkg-shlibdeps found the libraries of the package's architecture: Qt, the
# C++ runtime and the C library are named with versions.
depends=$(dpkg-deb -f "$deb" Depends)
for library in 'libc6 (>=' 'libstdc++6 (>=' 'libqt6widgets6 (>=' 'libqt6core6 (>=' adduser; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

desktop-file-validate "$work/root/usr/share/applications/org.qtseval.QtsEval.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/org.qtseval.QtsEval.metainfo.xml" >"$work/appstream" 2>&1 ||
  { cat "$work/appstream" >&2; fail "appstreamcli validate"; }
for page in qtsctl QtsEval; do
  zcat "$work/root/usr/share/man/man1/$page.1.gz" | grep -q '^\.SH' || fail "man page $page"
done
zcat "$work/root/usr/share/man/man1/qtsctl.1.gz" | grep -q '^\.SS "qtsctl dump"' || fail "man qtsctl lacks its commands"
[ -f "$work/root/usr/lib/udev/rules.d/60-qtseval.rules" ] || fail "the udev rule is missing"
[ -n "$(find "$work/root/usr/lib" -name libKORComPort04.so.4)" ] || fail "the component's library is missing"
echo "the $arch package's contents check out: $elves binaries, Depends: $depends"
