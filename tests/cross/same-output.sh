#!/usr/bin/env bash
# Runs a natively built qtsctl and a cross-built one with the same arguments
# on the virtual PC with a driven clock, where every run is deterministic, and
# compares their standard output, standard error, exit status and recorded
# bus trace byte for byte. A width or sign assumption that differs between the
# architectures (char is unsigned on arm64, signed on x86-64) shows up as a
# difference in a temperature, a decoded byte or a line change.
#
#   same-output.sh NATIVE_QTSCTL CROSS_QTSCTL WORK_DIR
#
# QTS_TARGET_EMULATOR, when set, runs the cross-built program (qemu-aarch64-static).
set -uo pipefail
native=$(realpath "$1")
cross=$(realpath "$2")
work=$(realpath -m "$3")
read -r -a emulator <<<"${QTS_TARGET_EMULATOR:-}"
rm -rf "$work" && mkdir -p "$work/native" "$work/cross"

# Arguments after --sim clock=manual. Temperatures around and below the limits
# and both media, fault scenarios whose diagnosis prints bus levels, the JSON
# form, and the decoding of a recorded trace.
cases=(
  "dump 0x4C"
  "dump --all 0x4C"
  "--json dump 0x4C"
  "dump --smbus 0x4E"
  "--sim scenario=constant:0 monitor --count 3 0x4C"
  "--sim scenario=constant:255 --json monitor --count 3 0x4C"
  "--sim scenario=step:20:120:1 monitor --count 4 0x4C"
  "--sim scenario=open dump 0x4C"
  "search"
  "--sim wiring=direct,chip-address=0x18+0x4D search"
  "scan"
  "--sim hold=sda scan"
  "--sim no-pullups scan"
  "--sim never-ack-read=0x4C read 0x4C 0x00"
  "read --word --pec 0x4C 0x01"
  "read --block 0x4C 0x00"
  "write -r 0x4C remote-offset-high 0xF8"
  "write --word 0x4C 0x0D 0x80FF"
  "alert"
  "--sim scenario=constant:120 alert"
)

run() { # side, case number, program...
  local dir="$work/$1/$2"
  shift 2
  mkdir -p "$dir"
  (cd "$dir" && "$@" >stdout 2>stderr; echo $? >status)
  # monitor stamps its lines with this machine's time of day, which the
  # driven clock leaves alone.
  sed -i -E 's/[0-9]{2}:[0-9]{2}:[0-9]{2}/HH:MM:SS/g' "$dir/stdout"
}

failed=0
for i in "${!cases[@]}"; do
  # shellcheck disable=SC2086
  run native "$i" "$native" --sim clock=manual --trace trace.vcd ${cases[$i]}
  # shellcheck disable=SC2086
  run cross "$i" "${emulator[@]}" "$cross" --sim clock=manual --trace trace.vcd ${cases[$i]}
  # The native trace, decoded by each side.
  run native "$i-decode" "$native" decode --pec "$work/native/$i/trace.vcd"
  run cross "$i-decode" "${emulator[@]}" "$cross" decode --pec "$work/native/$i/trace.vcd"
  for part in "$i" "$i-decode"; do
    if ! diff -r "$work/native/$part" "$work/cross/$part" >"$work/diff-$part" 2>&1; then
      echo "DIFFERENT: qtsctl --sim clock=manual ${cases[$i]}$([ "$part" = "$i" ] || echo ' (decode of its trace)')"
      head -20 "$work/diff-$part"
      failed=1
    fi
  done
done
[ $failed = 0 ] && echo "the same bytes in ${#cases[@]} cases, their traces and the traces' decoding"
exit $failed
