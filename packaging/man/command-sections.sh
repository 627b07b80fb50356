#!/bin/sh
# Usage: command-sections.sh PROGRAM
# Prints a help2man include file with a COMMANDS section: one subsection per
# subcommand that "PROGRAM --help" lists under "Subcommands:", made from
# "PROGRAM COMMAND --help". New commands therefore appear in the man page
# with no change here. Lines that a command's help shares at its end with
# the program's help (a common footer) are left out.
set -eu
program=$1
name=$(basename "$program")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$program" --help > "$work/main"
commands=$(awk '/^Subcommands:/ { on = 1; next }
                on && !/^  / { on = 0 }
                on && /^  [^ ]/ { print $1 }' "$work/main")

printf '[COMMANDS]\n'
for command in $commands; do
    "$program" "$command" --help > "$work/command"
    awk -v name="$name" -v command="$command" '
        function roff(text) {
            gsub(/\\/, "\\e", text)
            gsub(/-/, "\\-", text)
            sub(/^[.\047]/, "\\\\&&", text)
            return text
        }
        function flush() {
            if (term != "") {
                print ".TP"
                split(term, words, " ")
                rest = substr(term, length(words[1]) + 1)
                print "\\fB" roff(words[1]) "\\fR" roff(rest)
                print roff(text)
            }
            term = ""; text = ""
        }
        FNR == NR { main[++mainLines] = $0; next }
        { line[++lines] = $0 }
        END {
            # The footer both helps end with.
            shared = 0
            while (shared < lines && shared < mainLines && line[lines - shared] == main[mainLines - shared]) shared++
            lines -= shared
            while (lines > 0 && line[lines] == "") lines--

            print ".SS \"" name " " command "\""
            for (i = 1; i <= lines; i++) {
                current = line[i]
                if (current ~ /^Usage: /) {
                    flush()
                    usage = substr(current, 8)
                    print ".PP"
                    print "\\fB" roff(name " " command) "\\fR" roff(substr(usage, length(name " " command) + 1))
                } else if (current ~ /^   /) {
                    sub(/^ +/, "", current)
                    text = text (text == "" ? "" : " ") current
                } else if (current ~ /^  [^ ]/) {
                    flush()
                    sub(/^  /, "", current)
                    split(current, parts, /   +/)
                    term = parts[1]
                    text = substr(current, length(parts[1]) + 1)
                    sub(/^ +/, "", text)
                    if (term ~ /^-h,--help/) term = ""
                } else if (current ~ /^[^ ].*:$/ || current == "") {
                    flush()
                } else {
                    flush()
                    print roff(current)
                }
            }
            flush()
        }' "$work/main" "$work/command"
done
