#!/bin/sh
# The arm64 guest's init: loads i2c-dev and i2c-stub with a chip at 0x4C,
# writes a QTS5460's identity and readings into the stub's registers with
# busybox, runs the arm64 qtsctl against them as a member of i2c, prints one
# "RESULT name pass|FAIL detail" line per check and "GUEST DONE", then powers
# the guest off.
export PATH=/bin:/sbin:/opt/qts
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
echo "GUEST START $(uname -m)"

result() { echo "RESULT $1 $2 $3"; }
check() { # name, expected, actual
  if [ "$2" = "$3" ]; then result "$1" pass "$3"; else result "$1" FAIL "expected [$2] got [$3]"; fi
}
as_tester() { su tester -s /bin/sh -c "cd /tmp; QTS_MACHINE=host $*"; }

insmod /modules/i2c-dev.ko || result insmod-i2c-dev FAIL
insmod /modules/i2c-stub.ko chip_addr=0x4c || result insmod-i2c-stub FAIL
adapter=
for folder in /sys/class/i2c-adapter/i2c-*; do
  [ "$(cat "$folder/name")" = "SMBus stub driver" ] && adapter=${folder##*-}
done
check stub-adapter-found yes "$([ -n "$adapter" ] && echo yes)"
chgrp i2c /dev/i2c-* && chmod 660 /dev/i2c-*

# The stub is a plain register file: the chip's identity (manufacturer ID
# 0x41), local 25 C, remote 80.375 C (eighths in bits 7..5 of 0x10), the
# power-on limits and configuration.
while read -r register value; do
  i2cset -y "$adapter" 0x4c "$register" "$value" b
done <<'REGISTERS'
0xFE 0x41
0xFF 0x01
0x00 0x19
0x01 0x50
0x10 0x60
0x02 0x00
0x03 0x00
0x04 0x07
0x05 0x55
0x06 0x00
0x07 0x55
0x08 0x00
REGISTERS

as_tester qtsctl --i2c "$adapter" search > /tmp/search.out 2>&1
check search-finds-chip 1 "$(grep -c '0x4C' /tmp/search.out)"
cat /tmp/search.out
# The default adapter choice, as a user who names none.
# Standard output only: the backend notes on stderr that there are no printer ports.
check read-id-default-adapter 0x41 "$(as_tester qtsctl read --smbus 0x4C manufacturer-id)"
check read-local "0x19" "$(as_tester qtsctl --i2c "$adapter" read 0x4C local-temp)"
check read-remote "0x50" "$(as_tester qtsctl --i2c "$adapter" read 0x4C remote-temp)"
as_tester qtsctl --i2c "$adapter" monitor --count 1 0x4C > /tmp/monitor.out 2>&1
cat /tmp/monitor.out
check monitor-remote 1 "$(grep -c '80\.375' /tmp/monitor.out)"
as_tester qtsctl --i2c "$adapter" dump 0x4C > /tmp/dump.out 2>&1
check dump-high-limit 1 "$(grep -ci 'remote.*high.*0x55' /tmp/dump.out)"

# A limit written by qtsctl at its write code, read back by the kernel's tools.
as_tester qtsctl --i2c "$adapter" write -y 0x4C remote-temp-high-limit 75
check write-limit-exit 0 $?
check write-limit-i2cget 0x4b "$(i2cget -y "$adapter" 0x4c 0x0d b)"

# Without the group's permission the refusal names the group.
chmod 600 "/dev/i2c-$adapter"
as_tester qtsctl --i2c "$adapter" read 0x4C 0xFE > /tmp/denied.out 2>&1
check permission-says-group 1 "$(grep -c 'the group i2c' /tmp/denied.out)"
cat /tmp/denied.out

echo "GUEST DONE"
poweroff -f
