#!/usr/bin/env bash
# Boots an arm64 QEMU virt machine (Debian's qemu-system-arm and arm64 kernel,
# TCG) with a busybox initramfs built here, and runs guest-init-arm64.sh in
# it: the arm64 qtsctl, as a member of i2c, against the kernel's i2c-dev and
# an i2c-stub adapter that holds a QTS5460's registers at 0x4C.
#
#   run-guest-arm64.sh BIN_DIR WORK_DIR
#
# BIN_DIR holds the arm64 build's programs. Exit status 0 when every check
# passed, 77 (skipped) with one line when QEMU cannot start at all, 1 otherwise.
set -euo pipefail
bin=$(realpath "$1")
work=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"
# On another machine the arm64 programs run under the user-mode emulator, and
# the i2c-stub module is cross-compiled.
emulator=''
cross=''
if [ "$(uname -m)" != aarch64 ]; then
  emulator=$(command -v qemu-aarch64-static || command -v qemu-aarch64 || true)
  [ -n "$emulator" ] || { echo "qemu-user-static is missing (scripts/install-deps-arm64 installs it)"; exit 1; }
  cross=aarch64-linux-gnu-
fi
command -v qemu-system-aarch64 >/dev/null ||
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends qemu-system-arm >/dev/null

# shellcheck source=tests/qemu/guest-kit.sh
. "$here/guest-kit.sh"
kit_kernel arm64 "$work/kernel"
release=$(basename "$(echo "$work"/kernel/root/lib/modules/*)")

# Debian's arm64 kernel is configured without i2c-stub: the module is built
# here from the same version's source against that kernel's headers, all of
# them unpacked into the work folder, never installed.
stub="$work/i2c-stub/i2c-stub.ko"
if [ ! -f "$stub" ]; then
  kbuild="$work/kbuild"
  series=$(echo "$release" | cut -d. -f1,2)
  rm -rf "$kbuild" && mkdir -p "$kbuild/deb"
  # The headers for arm64, their build programs (kbuild) for this machine.
  (cd "$kbuild/deb" && apt-get download -qq "linux-headers-$release:arm64" "linux-headers-${release%-arm64}-common" \
    "linux-kbuild-$series" "linux-source-$series" 2>/dev/null)
  for package in "$kbuild"/deb/*.deb; do dpkg-deb -x "$package" "$kbuild/root"; done
  headers="$kbuild/root/usr/src/linux-headers-$release"
  # The headers' Makefile names the common half by its installed path.
  sed -i "s|/usr/src/|$kbuild/root/usr/src/|" "$headers/Makefile"
  mkdir -p "$work/i2c-stub"
  tar -xJOf "$kbuild/root/usr/src/linux-source-$series.tar.xz" --wildcards '*/drivers/i2c/i2c-stub.c' > "$work/i2c-stub/i2c-stub.c"
  echo 'obj-m := i2c-stub.o' > "$work/i2c-stub/Kbuild"
  make -s -C "$headers" M="$work/i2c-stub" ARCH=arm64 CROSS_COMPILE=$cross modules >"$work/i2c-stub/build.log" 2>&1 ||
    { cat "$work/i2c-stub/build.log"; exit 1; }
  rm -rf "$kbuild"
fi

busybox="$work/busybox/bin/busybox"
if [ ! -x "$busybox" ]; then
  rm -rf "$work/busybox" && mkdir -p "$work/busybox"
  (cd "$work/busybox" && apt-get download -qq busybox-static:arm64 2>/dev/null && dpkg-deb -x busybox-static_*.deb .)
fi

# ---- the initramfs ----
root="$work/initramfs"
# shellcheck disable=SC2046
kit_root "$root" "$busybox" "$here/guest-init-arm64.sh" $($emulator "$busybox" --list)
kit_module "$work/kernel/root/lib/modules/$release/kernel" "$root" i2c-dev
cp "$stub" "$root/modules/"
kit_programs "$bin" "$root" "$emulator /lib/ld-linux-aarch64.so.1 --list" qtsctl
kit_pack "$root" "$work/initramfs.gz"

# ---- boot ----
log="$work/guest.log"
set +e
timeout 400 qemu-system-aarch64 -M virt -cpu cortex-a57 -accel tcg -m 512 -smp 1 -nographic -no-reboot \
  -kernel "$work/kernel/vmlinuz" -initrd "$work/initramfs.gz" \
  -append "console=ttyAMA0 quiet panic=-1 rdinit=/init" -monitor none \
  > "$log" 2>&1 < /dev/null
status=$?
set -e
if [ $status -ne 0 ] && [ $status -ne 124 ] && grep -q '^qemu-system-aarch64:' "$log"; then
  echo "SKIPPED: QEMU cannot start here: $(head -c 300 "$log")"
  exit 77
fi
kit_verdict "$log" $status
