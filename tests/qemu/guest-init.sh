#!/bin/sh
# The guest's init: loads the real drivers, runs the built programs against
# them and QEMU's chip models, prints one "RESULT name pass|FAIL detail" line
# per check and "GUEST DONE" at the end, then powers the guest off.
export PATH=/bin:/sbin:/opt/qts
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
# POSIX shared memory lives here on every Linux system; the port access
# library's attach counter needs it.
mkdir -p /dev/shm && mount -t tmpfs shm /dev/shm
for module in $(cat /modules/order); do insmod "/modules/$module.ko" || echo "RESULT insmod-$module FAIL"; done

result() { echo "RESULT $1 $2 $3"; }
check() { # name, expected, actual
  if [ "$2" = "$3" ]; then result "$1" pass "$3"; else result "$1" FAIL "expected [$2] got [$3]"; fi
}
as_tester() { su tester -s /bin/sh -c "cd /tmp; QTS_MACHINE=host $*"; }
# The windows, offscreen, with the platform plugin beside the programs.
export QT_QPA_PLATFORM=offscreen QT_QPA_PLATFORM_PLUGIN_PATH=/opt/qts/platforms
hex() { printf '0x%02X' "$1"; }

# ---- printer port: ppdev as a member of lp ----
chgrp lp /dev/parport0 && chmod 660 /dev/parport0
check parport-enumerated 888 "$(cut -f1 /proc/sys/dev/parport/parport0/base-addr)"
as_tester hostprobe hold 1 0xA5 3 > /tmp/hold.out 2>&1 &
holder=$!
sleep 1
as_tester hostprobe wait 1 20 > /tmp/wait.out 2>/tmp/wait.err
waited=$?
wait $holder
check parport-claim-as-user "claimed LPT1 at 0x378" "$(sed -n 1p /tmp/hold.out)"
check parport-data-readback "data read back 0xA5" "$(sed -n 2p /tmp/hold.out)"
check parport-second-told-held "held by another program" "$(sed -n 1p /tmp/wait.out)"
check parport-second-gets-it-after "0 claimed LPT1" "$waited $(sed -n 2p /tmp/wait.out)"
check parport-refusal-says-why 1 "$(grep -c 'held by another program' /tmp/wait.err)"
chmod 600 /dev/parport0
as_tester hostprobe hold 1 0x5A 0 > /tmp/denied.out 2>&1
check parport-permission-says-what-to-do 1 "$(grep -c 'usermod -aG lp' /tmp/denied.out)"
chmod 660 /dev/parport0
as_tester hostprobe bench-ports 1 2 | sed 's/^/BENCH ppdev /'
QTS_HOST=ports=ioperm QTS_MACHINE=host hostprobe bench-ports 1 2 | sed 's/^/BENCH ioperm (root) /'

# ---- on-board SMBus through the kernel's adapter, as a member of i2c ----
insmod /modules/i2c-piix4.ko
adapter=
for folder in /sys/class/i2c-adapter/i2c-*; do
  case "$(cat "$folder/name")" in SMBus*) adapter=${folder##*-}; break;; esac
done
check smbus-adapter-found yes "$([ -n "$adapter" ] && echo yes)"
chgrp i2c /dev/i2c-* && chmod 660 /dev/i2c-*
# Register numbers with 0x: busybox's i2c tools read them as hexadecimal.
registers="0x00 0x01 0x02 0x03 0x04 0x05 0x06 0x07 0x08 0x09 0x0A 0x0B 0x0C 0x0D 0x0E 0x0F"
# QEMU's SPD EEPROMs start zeroed: known bytes at 0x57, some by busybox, some by qtsctl.
# The EEPROM is not a QTS5460: --force sends codes the chip reads at another code.
for register in 0x00 0x01 0x02 0x03 0x04 0x05 0x06 0x07; do i2cset -y "$adapter" 0x57 "$register" $((0x31 + register * 17)) b; done
for register in 0x08 0x09 0x0A 0x0B 0x0C 0x0D 0x0E 0x0F; do
  as_tester qtsctl --i2c "$adapter" write -y --force 0x57 "$register" $((0xC0 + register)) || result "qtsctl-write-$register" FAIL
done
for device in 0x50 0x57; do
  kernel=; ours=
  for register in $registers; do
    kernel="$kernel $(i2cget -y "$adapter" "$device" "$register" b)"
    ours="$ours $(as_tester qtsctl --machine host read --smbus "$device" "$register" | tr a-f A-F | sed 's/^0X/0x/')"
  done
  kernel=$(echo "$kernel" | tr a-f A-F | sed 's/0X/0x/g')
  check "smbus-kernel-$device" "$kernel" "$ours"
done
echo "$ours" > /tmp/bytes57
as_tester hostprobe bench-smbus 0x57 0 2 | sed 's/^/BENCH i2c-dev /'

# ---- every kernel adapter in the windows: i2c-stub carries a QTS5460 at 0x4C ----
# The stub's chips hold what is written to them: the chip's identity and
# readings (remote 64.5 C, local 25.125 C). 0x4D answers as a QTS5460 too,
# but a kernel driver is bound to it, so nothing may touch it.
insmod /modules/i2c-stub.ko chip_addr=0x4C,0x4D
stub=
for folder in /sys/bus/i2c/devices/i2c-*; do
  case "$(cat "$folder/name")" in "SMBus stub driver") stub=${folder##*-};; esac
done
check stub-adapter-found yes "$([ -n "$stub" ] && echo yes)"
chgrp i2c /dev/i2c-* && chmod 660 /dev/i2c-*
for chip in 0x4C 0x4D; do
  for pair in 0xFE:0x41 0x01:0x40 0x10:0x80 0x00:0x19 0x19:0x20 0x07:0x55 0x02:0x00; do
    i2cset -y "$stub" "$chip" "${pair%:*}" "${pair#*:}" b
  done
done
insmod /modules/eeprom.ko
echo eeprom 0x4D > "/sys/bus/i2c/devices/i2c-$stub/new_device"
check stub-0x4D-bound eeprom "$(basename "$(readlink "/sys/bus/i2c/devices/$stub-004d/driver")")"
as_tester qtsctl adapters > /tmp/adapters.out
check adapters-lists-stub 1 "$(grep "^i2c-$stub[[:space:]]" /tmp/adapters.out | grep -c 'on-board.*yes.*SMBus stub driver')"
as_tester qtsctl search > /tmp/search.out 2>&1
check qtsctl-search-finds-stub "i2c-$stub  board  -         0x4C  SMBus stub driver" "$(grep "^i2c-$stub" /tmp/search.out)"
as_tester qtsctl scan --smbus > /tmp/scan.out 2>&1
check qtsctl-scan-stub "40: -- -- -- -- -- -- -- -- -- -- -- -- 4c UU -- --" \
  "$(sed -n "/^i2c-$stub,/,/^70/p" /tmp/scan.out | grep '^40:')"
as_tester wizardprobe "$stub" > /tmp/wizard.out 2>/tmp/wizard.err
check wizard-onboard-box "onboard-box shown enabled" "$(grep '^onboard-box' /tmp/wizard.out | cut -d' ' -f1-3)"
check wizard-lists-stub-chip "entry An QTS5460 was found at:4Ch, on i2c-$stub, SMBus stub driver" \
  "$(grep "^entry .*i2c-$stub" /tmp/wizard.out)"
check wizard-leaves-bound-0x4D 0 "$(grep -c '^entry .*4Dh' /tmp/wizard.out)"
check wizard-finish-links "linked i2c-$stub 0x4C" "$(grep '^linked' /tmp/wizard.out)"
check control-center-remote "remote Remote T = +64.5C" "$(grep '^remote' /tmp/wizard.out)"
check control-center-local "local Local T = +25.125C" "$(grep '^local' /tmp/wizard.out)"
check windows-speak-linux 0 "$(grep -c Windows /tmp/wizard.out)"
# With the chip's own address held as well, nothing is found, and the
# diagnosis names the driver that holds it.
echo eeprom 0x4C > "/sys/bus/i2c/devices/i2c-$stub/new_device"
as_tester qtsctl --i2c "$stub" search > /tmp/held.out 2>&1
check held-address-named 1 "$(grep -c "address 0x4C is held by the kernel driver eeprom" /tmp/held.out)"
echo 0x4C > "/sys/bus/i2c/devices/i2c-$stub/delete_device"
for number in $adapter $stub; do
  as_tester "QTS_HOST=i2c=$number wizardprobe --adapters-only" | sed -n "s/^search-ms /BENCH wizard search on i2c-$number (ms): /p"
done
echo 0x4D > "/sys/bus/i2c/devices/i2c-$stub/delete_device"
rmmod eeprom
rmmod i2c_stub

# ---- raw controller access: root, refused while the kernel's driver is bound ----
QTS_MACHINE=host qtsctl --host smbus=raw read --smbus 0x57 0 > /tmp/raw.out 2>&1
check smbus-raw-refused-under-driver "2 1" "$? $(grep -c piix4_smbus /tmp/raw.out)"
rmmod i2c_piix4
base=$(od -An -tx1 -j144 -N2 /sys/bus/pci/devices/0000:00:01.3/config | awk '{print "0x" $2 $1}')
base=$(printf '0x%X' $((base & 0xFFF0)))
raw=
for register in $registers; do raw="$raw $(QTS_MACHINE=host QTS_HOST=smbus=raw hostprobe raw-read "$base" 0x57 "$register")"; done
check smbus-raw-at-set-base "$(cat /tmp/bytes57)" "$raw"
found=
for register in 0x00 0x07 0x0F; do found="$found $(QTS_MACHINE=host qtsctl --host smbus=raw read --smbus 0x57 $register | tr a-f A-F | sed 's/^0X/0x/')"; done
check smbus-raw-by-discovery "$(echo $(cat /tmp/bytes57) | cut -d' ' -f1,8,16 | sed 's/^/ /')" "$found"
QTS_MACHINE=host QTS_HOST=smbus=raw hostprobe bench-smbus 0x57 0 2 | sed 's/^/BENCH raw (root) /'

echo "GUEST DONE"
poweroff -f
