#!/usr/bin/env bash
# Usage: deb-install-test.sh PACKAGE.deb
#
# Installs the Debian package with apt-get into a throw-away root, uses it as
# a user and a third-party developer would, and removes it again:
# - qtsctl --version, qtsctl search and QtsEval --help from /usr/bin, with the
#   installed libraries and the virtual PC;
# - the desktop entry and metadata validate; the group i2c exists;
# - the example program builds against the installed files with CMake
#   (find_package) and with pkg-config, and reads the chip's manufacturer ID;
#   a C program links the port access library through pkg-config;
# - apt-get purge leaves none of the package's files behind.
#
# The throw-away root is this machine's /usr, /etc and /var under overlays in
# a private mount namespace, so nothing of the installation outlives the
# test. Where namespaces are not allowed, the package is installed on the
# machine itself and purged at the end.
set -euo pipefail

script=$(realpath "$0")

fail() {
  echo "deb-install-test: FAILED: $*" >&2
  exit 1
}

run_checks() {
  local work=$1
  export DEBIAN_FRONTEND=noninteractive
  # No package lists are needed: everything the package depends on is
  # installed already (scripts/install-deps), so apt-get downloads nothing.
  apt-get install -y -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get install"; }
  dpkg-query -L qtseval | sort >"$work/files"

  echo "-- the programs from /usr/bin"
  [ "$(/usr/bin/qtsctl --version)" = "qtsctl $(dpkg-query -W -f='${Version}' qtseval)" ] ||
    fail "qtsctl --version does not name the package's version"
  /usr/bin/qtsctl --machine sim search >"$work/search" || fail "qtsctl search found nothing"
  grep -Eq '^lpt1 +0x378 +inverted +0x4C$' "$work/search" || fail "qtsctl search: $(cat "$work/search")"
  /usr/bin/QtsEval --help >"$work/help" || fail "QtsEval --help"
  grep -q '^Usage: QtsEval' "$work/help" || fail "QtsEval --help: $(cat "$work/help")"
  for binary in /usr/bin/qtsctl /usr/bin/QtsEval; do
    ldd "$binary" >"$work/ldd"
    grep -Eq 'libKORComPort04.so.4 => (/usr)?/lib/.*/libKORComPort04.so.4' "$work/ldd" || fail "$binary: $(cat "$work/ldd")"
    grep -Eq 'libqts_platform.so => /usr/(bin/\.\./)?lib/.*/qtseval/libqts_platform.so' "$work/ldd" ||
      fail "$binary: $(cat "$work/ldd")"
  done

  echo "-- desktop entry, metadata, man pages, group"
  desktop-file-validate /usr/share/applications/org.qtseval.QtsEval.desktop || fail "desktop-file-validate"
  appstreamcli validate --no-net /usr/share/metainfo/org.qtseval.QtsEval.metainfo.xml >"$work/appstream" 2>&1 ||
    { cat "$work/appstream" >&2; fail "appstreamcli validate"; }
  zcat /usr/share/man/man1/qtsctl.1.gz >"$work/qtsctl.1"
  zcat /usr/share/man/man1/QtsEval.1.gz >"$work/QtsEval.1"
  for command in $(/usr/bin/qtsctl --help | awk '/^Subcommands:/ {on = 1; next} on && !/^  / {on = 0} on {print $1}'); do
    grep -q "^\.SS \"qtsctl $command\"" "$work/qtsctl.1" || fail "man qtsctl lacks the command $command"
  done
  grep -q 'device' "$work/QtsEval.1" || fail "man QtsEval lacks --device"
  getent group i2c >/dev/null || fail "the group i2c was not created"

  echo "-- the example program against the installed component"
  cp -r /usr/share/doc/qtseval/examples/read-manufacturer-id "$work/example"
  (cd "$work/example" &&
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >"$work/example.log" 2>&1 &&
    cmake --build build >>"$work/example.log" 2>&1) || { cat "$work/example.log" >&2; fail "example build (CMake)"; }
  [ "$("$work/example/build/read-manufacturer-id")" = "manufacturer ID at 0x4C: 0x41" ] || fail "example (CMake)"
  ldd "$work/example/build/read-manufacturer-id" >"$work/ldd"
  grep -Eq 'libKORComPort04.so.4 => (/usr)?/lib/' "$work/ldd" || fail "the example does not use the installed component"
  if "$work/example/build/read-manufacturer-id" 0x4D >/dev/null 2>&1; then
    fail "the example found a chip where the board has none"
  fi
  # shellcheck disable=SC2046
  c++ -std=c++20 "$work/example/main.cpp" $(pkg-config --cflags --libs KORComPort04) -o "$work/example-pc" ||
    fail "example build (pkg-config)"
  [ "$("$work/example-pc" 0x4c)" = "manufacturer ID at 0x4C: 0x41" ] || fail "example (pkg-config)"
  printf '#include <LptBridge.h>\n#include <stdio.h>\nint main(void) { printf("%%d\\n", (int)GetParallelPortCount()); return 0; }\n' \
    >"$work/ports.c"
  # shellcheck disable=SC2046
  cc "$work/ports.c" $(pkg-config --cflags --libs LptBridge) -o "$work/ports" || fail "C client build (pkg-config)"
  [ "$("$work/ports")" = 2 ] || fail "the C client does not see the virtual PC's two printer ports"

  echo "-- removal"
  apt-get purge -y -qq qtseval >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get purge"; }
  local left=0
  while read -r path; do
    if [ -e "$path" ] && [ ! -d "$path" ]; then
      echo "left behind: $path" >&2
      left=1
    fi
  done <"$work/files"
  [ "$left" = 0 ] || fail "files of the package remain after purge"
  for directory in /usr/lib/x86_64-linux-gnu/qtseval /usr/include/KORComPort04 /usr/share/doc/qtseval; do
    [ ! -e "$directory" ] || fail "$directory remains after purge"
  done
  echo "deb-install-test: passed"
}

if [ "$1" = --inside ]; then
  # Second stage, inside the private mount namespace.
  deb=$2
  work=$3
  for directory in usr etc var; do
    mkdir -p "$work/overlay/$directory/upper" "$work/overlay/$directory/work"
    mount -t overlay overlay \
      -o "lowerdir=/$directory,upperdir=$work/overlay/$directory/upper,workdir=$work/overlay/$directory/work" "/$directory"
  done
  run_checks "$work"
  exit 0
fi

deb=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if unshare --mount --propagation private true 2>/dev/null; then
  echo "deb-install-test: installing $(basename "$deb") into a throw-away root"
  unshare --mount --propagation private -- "$script" --inside "$deb" "$work"
else
  echo "deb-install-test: no mount namespaces here; installing on this machine and purging afterwards"
  dpkg-query -W qtseval >/dev/null 2>&1 && fail "qtseval is installed on this machine already"
  trap 'apt-get purge -y -qq qtseval >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
  run_checks "$work"
fi
