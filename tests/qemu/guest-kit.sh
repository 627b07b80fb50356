# shellcheck shell=bash
# Sourced by the QEMU guests' scripts (run-guest.sh on a PC, run-guest-arm64.sh
# on an arm64 machine): Debian's kernel unpacked (never installed), an
# initramfs of busybox, the built programs with their libraries and an init
# script, and the guest's verdict from its RESULT lines.

# kit_kernel ARCH DIR: the kernel package that linux-image-ARCH depends on,
# downloaded once and unpacked into DIR/root, its image as DIR/vmlinuz.
kit_kernel() {
  local arch=$1 dir=$2 package
  [ -f "$dir/vmlinuz" ] && return 0
  rm -rf "$dir" && mkdir -p "$dir/deb"
  package=$(apt-cache depends "linux-image-$arch:$arch" 2>/dev/null | awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
  if [ -z "$package" ]; then
    apt-get update -qq >/dev/null
    package=$(apt-cache depends "linux-image-$arch:$arch" | awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
  fi
  (cd "$dir/deb" && apt-get download -qq "$package" 2>/dev/null)
  dpkg-deb -x "$dir"/deb/*.deb "$dir/root"
  cp "$dir"/root/boot/vmlinuz-* "$dir/vmlinuz"
  rm -rf "$dir/deb"
}

# kit_module MODULES_DIR ROOT NAME...: the kernel's modules, uncompressed,
# as ROOT/modules/NAME.ko.
kit_module() {
  local modules=$1 root=$2 module file
  shift 2
  mkdir -p "$root/modules"
  for module in "$@"; do
    file=$(find "$modules" -name "$module.ko*" | head -1)
    [ -n "$file" ] || { echo "the kernel package has no module $module"; exit 1; }
    case "$file" in
      *.xz) xz -dc "$file" > "$root/modules/$module.ko";;
      *.zst) zstd -qdc "$file" > "$root/modules/$module.ko";;
      *) cp "$file" "$root/modules/$module.ko";;
    esac
  done
}

# kit_root ROOT BUSYBOX INIT APPLET...: a fresh tree with the static busybox
# and its applets, INIT as /init, and a user tester in the groups lp and i2c.
kit_root() {
  local root=$1 busybox=$2 init=$3 applet
  shift 3
  rm -rf "$root" && mkdir -p "$root"/{bin,sbin,etc,proc,sys,dev,tmp,modules,opt/qts,root}
  chmod 1777 "$root/tmp"
  cp "$busybox" "$root/bin/busybox"
  for applet in "$@"; do [ "$applet" = busybox ] || ln -s busybox "$root/bin/$applet"; done
  cp "$init" "$root/init"
  printf 'root:x:0:0:root:/root:/bin/sh\ntester:x:1000:1000:tester:/tmp:/bin/sh\n' > "$root/etc/passwd"
  printf 'root:x:0:\nlp:x:7:tester\ni2c:x:110:tester\ntester:x:1000:\n' > "$root/etc/group"
}

# kit_programs BIN ROOT LIST_COMMAND PROGRAM...: the built programs and every
# library of BIN (versioned ones with their links) in /opt/qts, and what
# LIST_COMMAND (ldd, or the target's loader with --list) says they and the
# plugins already in /opt/qts's folders need.
kit_programs() {
  local bin=$1 root=$2 list=$3 program
  shift 3
  for program in "$@"; do cp "$bin/$program" "$root/opt/qts/"; done
  cp -P "$bin"/*.so "$bin"/*.so.* "$root/opt/qts/"
  for program in "$root"/opt/qts/* "$root"/opt/qts/*/*; do
    [ -f "$program" ] || continue
    $list "$program" 2>/dev/null | awk '/=> \// {print $3} /^\t\/lib/ {print $1}'
  done | sort -u | while read -r library; do
    case "$library" in "$bin"/*) continue;; esac
    mkdir -p "$root$(dirname "$library")"
    cp -L "$library" "$root$library"
  done
}

# kit_pack ROOT FILE: the tree as a gzip-compressed cpio archive.
kit_pack() {
  (cd "$1" && find . | /bin/busybox cpio -o -H newc 2>/dev/null | gzip -1) > "$2"
}

# kit_verdict LOG: prints the guest's RESULT and BENCH lines; fails when the
# guest did not finish or a check failed.
kit_verdict() {
  local log=$1 status=$2
  tr -d '\r' < "$log" | grep -E '^(RESULT|BENCH)' || true
  grep -q 'GUEST DONE' "$log" || { echo "the guest did not finish (status $status); log: $log"; tail -40 "$log"; exit 1; }
  if tr -d '\r' < "$log" | grep -q '^RESULT .* FAIL'; then exit 1; fi
  echo "every guest check passed"
}
