#!/usr/bin/env bash
# Usage: install-tree-test.sh BUILD_DIR WORK_DIR
#
# Installs the build with `cmake --install` under a prefix of its own (not
# the one it was configured for) and uses the installed tree alone: the
# programs find their libraries and the virtual PC through their RUNPATH,
# every installed header of the component compiles on its own, the example
# program builds against the tree's CMake package and reads the chip's
# manufacturer ID, the user guide lies where the programs' help says with its
# pictures, and the man page has a section for every qtsctl command.
set -euo pipefail
build=$(realpath "$1")
work=$(realpath -m "$2")
rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix
unset LD_LIBRARY_PATH QTS_MACHINE QTS_SIM

fail() {
  echo "install-tree-test: FAILED: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }

echo "-- the installed programs"
"$prefix/bin/qtsctl" --version | grep -q '^qtsctl [0-9]' || fail "qtsctl --version"
"$prefix/bin/qtsctl" --machine sim search >"$work/search" || fail "qtsctl search found nothing"
grep -Eq '^lpt1 +0x378 +inverted +0x4C$' "$work/search" || fail "qtsctl search: $(cat "$work/search")"
"$prefix/bin/QtsEval" --help >"$work/help" || fail "QtsEval --help"
grep -q '^Usage: QtsEval' "$work/help" || fail "QtsEval --help: $(cat "$work/help")"
ldd "$prefix/bin/qtsctl" >"$work/ldd"
for library in libKORComPort04.so.4 libLptBridge.so.4 libqts_platform.so; do
  grep -q "$library => $prefix/" "$work/ldd" || fail "qtsctl does not use the installed $library: $(cat "$work/ldd")"
done

echo "-- the user guide where the programs' help says, with every picture it shows"
for program in QtsEval qtsctl; do
  named=$("$prefix/bin/$program" --help | sed -n 's/^User guide: //p')
  # The help names the guide under the configured prefix; this tree has its own.
  guide=$prefix/share/doc/${named#*/share/doc/}
  [ -n "$named" ] && [ -f "$guide" ] || fail "$program --help names the user guide \"$named\", not installed as $guide"
done
for picture in $(grep -o 'images/[A-Za-z0-9_.-]*\.png' "$guide" | sort -u); do
  [ -s "$(dirname "$guide")/$picture" ] || fail "the installed user guide lacks $picture"
done

echo "-- the shared virtual PC, started from the private directory"
export XDG_RUNTIME_DIR=$work/runtime XDG_STATE_HOME=$work/state
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
server=$(find "$prefix" -path '*/qtseval/qtsvpc')
[ -x "$server" ] || fail "qtsvpc is not installed beside the platform layer"
trap '"$server" stop >/dev/null 2>&1 || true' EXIT
# Without a machine choice, commands typed one after another share it.
"$prefix/bin/qtsctl" write 0x4C 0x0B 70 >/dev/null || fail "qtsctl write"
[ "$("$prefix/bin/qtsctl" --machine shared read 0x4C 0x05)" = 0x46 ] || fail "the shared machine forgot a write"

echo "-- the desktop entry: this PC's hardware, and an action for the virtual board"
entry=$prefix/share/applications/org.qtseval.QtsEval.desktop
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate"
fi
grep -qx 'Exec=QtsEval --machine host' "$entry" || fail "the desktop entry does not start on this PC's hardware"
grep -qx 'Actions=virtual-board;' "$entry" || fail "the desktop entry lacks the virtual board's action"
grep -qx 'Exec=QtsEval --machine sim' "$entry" || fail "the virtual board's action does not start the virtual PC"

echo "-- the installed headers, each on its own"
for header in "$prefix"/include/KORComPort04/comport/*.h; do
  c++ -std=c++20 -fsyntax-only -I"$prefix/include/KORComPort04" -x c++ "$header" || fail "$header"
done
cc -std=c99 -fsyntax-only -I"$prefix/include" -x c "$prefix/include/LptBridge.h" || fail "LptBridge.h in C"

echo "-- the example program against the tree's CMake package"
cmake -S "$prefix/share/doc/qtseval/examples/read-manufacturer-id" -B "$work/example" -G Ninja \
  -DCMAKE_PREFIX_PATH="$prefix" >"$work/example.log" 2>&1 || { cat "$work/example.log"; fail "example configure"; }
cmake --build "$work/example" >>"$work/example.log" 2>&1 || { cat "$work/example.log"; fail "example build"; }
[ "$("$work/example/read-manufacturer-id")" = "manufacturer ID at 0x4C: 0x41" ] || fail "example run"

man=$prefix/share/man/man1/qtsctl.1.gz
if [ -f "$man" ]; then
  echo "-- the man pages"
  zcat "$man" >"$work/qtsctl.1"
  for command in $("$prefix/bin/qtsctl" --help | awk '/^Subcommands:/ {on = 1; next} on && !/^  / {on = 0} on {print $1}'); do
    grep -q "^\.SS \"qtsctl $command\"" "$work/qtsctl.1" || fail "man qtsctl lacks the command $command"
  done
  [ -f "$prefix/share/man/man1/QtsEval.1.gz" ] || fail "no man page for QtsEval"
fi
echo "install-tree-test: passed"
