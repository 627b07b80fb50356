#!/usr/bin/env bash
# Boots a QEMU PC (Debian's qemu-system-x86 and kernel, TCG) with a busybox
# initramfs built here, runs guest-init.sh in it against the real parport,
# ppdev, i2c-piix4 and i2c-dev drivers, and checks its RESULT lines.
#
#   run-guest.sh BIN_DIR WORK_DIR
#
# Exit status 0 when every check passed, 77 (skipped) with one line when
# QEMU cannot start at all, 1 otherwise.
set -euo pipefail
bin=$(realpath "$1")
work=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"

# What the guest needs from Debian: installed when missing (as the README's
# test command does), the kernel only unpacked, never installed here.
need=()
command -v qemu-system-x86_64 >/dev/null || need+=(qemu-system-x86)
[ -x /bin/busybox ] && /bin/busybox --list | grep -qx i2cget || need+=(busybox-static)
if [ ${#need[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# shellcheck source=tests/qemu/guest-kit.sh
. "$here/guest-kit.sh"
kit_kernel amd64 "$work/kernel"
modules=$(echo "$work"/kernel/root/lib/modules/*/kernel)

# ---- the initramfs ----
root="$work/initramfs"
# shellcheck disable=SC2046
kit_root "$root" /bin/busybox "$here/guest-init.sh" $(/bin/busybox --list)
# Modules in load order, each after what its .modinfo says it depends on;
# the init loads i2c-piix4, i2c-stub and eeprom itself, later.
kit_module "$modules" "$root" parport parport_pc ppdev i2c-dev i2c-piix4 i2c-stub eeprom
printf '%s\n' parport parport_pc ppdev i2c-dev > "$root/modules/order"
# The windows run offscreen: Qt's offscreen platform plugin beside them.
mkdir -p "$root/opt/qts/platforms"
cp "/usr/lib/$(gcc -dumpmachine)/qt6/plugins/platforms/libqoffscreen.so" "$root/opt/qts/platforms/"
kit_programs "$bin" "$root" ldd qtsctl hostprobe wizardprobe
mkdir -p "$root/lib64"
cp -L /lib64/ld-linux-x86-64.so.2 "$root/lib64/"
kit_pack "$root" "$work/initramfs.gz"

# ---- boot ----
log="$work/guest.log"
set +e
timeout 300 qemu-system-x86_64 -M pc -accel tcg -m 512 -smp 1 -nographic -no-reboot \
  -kernel "$work/kernel/vmlinuz" -initrd "$work/initramfs.gz" \
  -append "console=ttyS0 quiet panic=-1 no_timer_check rdinit=/init" -parallel null -monitor none \
  > "$log" 2>&1 < /dev/null
status=$?
set -e
if [ $status -ne 0 ] && [ $status -ne 124 ] && ! grep -q 'SeaBIOS' "$log"; then
  echo "SKIPPED: QEMU cannot start here: $(head -c 300 "$log")"
  exit 77
fi
kit_verdict "$log" $status
