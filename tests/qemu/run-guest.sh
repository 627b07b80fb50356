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

kernel_dir="$work/kernel"
if [ ! -f "$kernel_dir/vmlinuz" ]; then
  rm -rf "$kernel_dir" && mkdir -p "$kernel_dir/deb"
  package=$(apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
  if [ -z "$package" ]; then
    apt-get update -qq >/dev/null
    package=$(apt-cache depends linux-image-amd64 | awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
  fi
  (cd "$kernel_dir/deb" && apt-get download -qq "$package" 2>/dev/null)
  dpkg-deb -x "$kernel_dir"/deb/*.deb "$kernel_dir/root"
  cp "$kernel_dir"/root/boot/vmlinuz-* "$kernel_dir/vmlinuz"
  rm -rf "$kernel_dir/deb"
fi
modules=$(echo "$kernel_dir"/root/lib/modules/*/kernel)

# ---- the initramfs ----
root="$work/initramfs"
rm -rf "$root" && mkdir -p "$root"/{bin,sbin,etc,proc,sys,dev,tmp,modules,opt/qts,root}
chmod 1777 "$root/tmp"
cp /bin/busybox "$root/bin/busybox"
for applet in $(/bin/busybox --list); do [ "$applet" = busybox ] || ln -s busybox "$root/bin/$applet"; done
cp "$here/guest-init.sh" "$root/init"
printf 'root:x:0:0:root:/root:/bin/sh\ntester:x:1000:1000:tester:/tmp:/bin/sh\n' > "$root/etc/passwd"
printf 'root:x:0:\nlp:x:7:tester\ni2c:x:110:tester\ntester:x:1000:\n' > "$root/etc/group"

# Modules in load order, each after what its .modinfo says it depends on.
declare -A path
for module in parport parport_pc ppdev i2c-dev i2c-piix4 i2c-stub eeprom; do
  file=$(find "$modules" -name "$module.ko*" | head -1)
  [ -n "$file" ] || { echo "the kernel package has no module $module"; exit 1; }
  path[$module]=$file
done
: > "$root/modules/order"
for module in parport parport_pc ppdev i2c-dev i2c-piix4 i2c-stub eeprom; do
  case "${path[$module]}" in
    *.xz) xz -dc "${path[$module]}" > "$root/modules/$module.ko";;
    *.zst) zstd -qdc "${path[$module]}" > "$root/modules/$module.ko";;
    *) cp "${path[$module]}" "$root/modules/$module.ko";;
  esac
  case "$module" in i2c-piix4|i2c-stub|eeprom) ;; *) echo "$module" >> "$root/modules/order";; esac
done

# The built programs with the libraries beside them (versioned ones with
# their links), and what ldd lists.
cp -P "$bin"/qtsctl "$bin"/hostprobe "$bin"/wizardprobe "$bin"/*.so "$bin"/*.so.* "$root/opt/qts/"
# The windows run offscreen: Qt's offscreen platform plugin beside them.
plugins=/usr/lib/$(gcc -dumpmachine)/qt6/plugins/platforms
mkdir -p "$root/opt/qts/platforms"
cp "$plugins/libqoffscreen.so" "$root/opt/qts/platforms/"
for program in "$root"/opt/qts/* "$root"/opt/qts/platforms/*; do
  [ -f "$program" ] || continue
  ldd "$program" 2>/dev/null | awk '/=> \// {print $3} /^\t\/lib/ {print $1}'
done | sort -u | while read -r library; do
  case "$library" in "$bin"/*) continue;; esac
  mkdir -p "$root$(dirname "$library")"
  cp -L "$library" "$root$library"
done
mkdir -p "$root/lib64"
cp -L /lib64/ld-linux-x86-64.so.2 "$root/lib64/"
(cd "$root" && find . | /bin/busybox cpio -o -H newc 2>/dev/null | gzip -1) > "$work/initramfs.gz"

# ---- boot ----
log="$work/guest.log"
set +e
timeout 300 qemu-system-x86_64 -M pc -accel tcg -m 512 -smp 1 -nographic -no-reboot \
  -kernel "$kernel_dir/vmlinuz" -initrd "$work/initramfs.gz" \
  -append "console=ttyS0 quiet panic=-1 rdinit=/init" -parallel null -monitor none \
  > "$log" 2>&1 < /dev/null
status=$?
set -e
if [ $status -ne 0 ] && [ $status -ne 124 ] && ! grep -q 'SeaBIOS' "$log"; then
  echo "SKIPPED: QEMU cannot start here: $(head -c 300 "$log")"
  exit 77
fi
tr -d '\r' < "$log" | grep -E '^(RESULT|BENCH)' || true
grep -q 'GUEST DONE' "$log" || { echo "the guest did not finish (status $status); log: $log"; tail -40 "$log"; exit 1; }
if tr -d '\r' < "$log" | grep -q '^RESULT .* FAIL'; then exit 1; fi
echo "every guest check passed"
