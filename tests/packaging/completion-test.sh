#!/usr/bin/env bash
# Usage: completion-test.sh BIN_DIR COMPLETION_FILE
#
# Completes command lines with the bash completion of qtsctl and QtsEval,
# run against the built programs, as bash-completion would on a TAB.
set -uo pipefail
bin=$(realpath "$1")
completion=$2

if [ ! -f /usr/share/bash-completion/bash_completion ]; then
  echo "bash-completion is not installed (scripts/install-deps installs it)"
  exit 77
fi
# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion
# shellcheck disable=SC1090
source "$completion"
# Outside a real completion bash refuses compopt; what it sets is not checked.
compopt() { :; }

# Prints what TAB offers at the end of LINE, one candidate per line, sorted.
complete_line() {
  local line=$1
  local -a words
  read -ra words <<<"$line"
  [[ $line == *' ' ]] && words+=("")
  words[0]=$bin/${words[0]}
  COMP_WORDS=("${words[@]}")
  COMP_CWORD=$((${#words[@]} - 1))
  COMP_LINE="${words[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _qtsctl
  printf '%s\n' "${COMPREPLY[@]}" | sort
}

failures=0
# LINE | candidates that must be offered | candidates that must not be
cases=(
  "qtsctl |search read write dump monitor|--machine"
  "qtsctl se|search|read"
  "qtsctl --mach|--machine|--sim"
  "qtsctl --machine |sim host|search"
  "qtsctl read --wiring |inverted direct|"
  "qtsctl read --|--port --wiring --smbus --machine|"
  "qtsctl --sim pers|personality=|"
  "qtsctl --sim ports=1,sc|ports=1,scenario=|"
  "qtsctl --host |ports=ppdev ports=ioperm smbus=kernel smbus=none i2c=|"
  "qtsctl --sim ports=1 re|read|"
  "qtsctl --trace out.vcd read --w|--wiring|"
  "qtsctl read 0x4C |||"
  "QtsEval --dev|--device|"
  "QtsEval |||"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r line wanted unwanted _ <<<"$entry"
  offered=$(complete_line "$line")
  for candidate in $wanted; do
    if ! grep -qxF -- "$candidate" <<<"$offered"; then
      echo "FAILED: '$line<TAB>' does not offer $candidate; it offers: $(echo $offered)"
      failures=$((failures + 1))
    fi
  done
  for candidate in $unwanted; do
    if grep -qxF -- "$candidate" <<<"$offered"; then
      echo "FAILED: '$line<TAB>' offers $candidate"
      failures=$((failures + 1))
    fi
  done
  if [ -z "$wanted$unwanted" ] && [ -n "$offered" ]; then
    echo "FAILED: '$line<TAB>' offers $(echo $offered), expected nothing"
    failures=$((failures + 1))
  fi
done
echo "${#cases[@]} lines completed, $failures failures"
[ "$failures" = 0 ]
