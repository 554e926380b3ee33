#!/usr/bin/env bash
# The manual pages say what the programs' own --help says: every option a
# program lists has its entry in the page, every option the page lists is
# one the program takes, and every command of tk28950 is in its page.
#
#   check-man-pages.sh PROGRAM_FOLDER SOURCE_FOLDER TOOL_PAGE
# (the tool's page is made at build time, with the members it lists)
set -euo pipefail

bin="$1"
src="$2"
tool_page="$3"
failures=0

complain() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Long options in a help text: those that start a line of its option list.
help_options() {
    sed -nE 's/^ +(-[^ ,]+, )*(--[a-z0-9-]+).*/\2/p' | sort -u
}

# Long options a page describes: the tags of the entries of its OPTIONS
# section.
page_options() {
    awk '/^\.SH/ { inside = ($2 == "OPTIONS") } inside && tag { print } { tag = /^\.TP/ }' "$1" |
        grep -oE '\\-\\-[a-z0-9]+(\\-[a-z0-9]+)*' | sed 's/\\//g' | sort -u
}

compare() {
    local name="$1" page="$2" help="$3"
    local from_help from_page
    from_help="$(help_options <<<"$help")"
    from_page="$(page_options "$page")"
    for option in $from_help; do
        grep -qF -- "$(sed 's/-/\\-/g' <<<"$option")" "$page" ||
            complain "$name --help lists $option, its page does not"
    done
    for option in $from_page; do
        grep -qxF -- "$option" <<<"$from_help" ||
            complain "the page of $name describes $option, which $name --help does not list"
    done
}

compare tk28950-sim "$src/simulator/tk28950-sim.1" "$("$bin/tk28950-sim" --help)"
compare tk28950-regsvr "$src/tools/regsvr/tk28950-regsvr.1" "$("$bin/tk28950-regsvr" --help)"
compare PrjTK28950 "$src/setup/form/PrjTK28950.1" "$("$bin/PrjTK28950" --help 2>/dev/null)"
compare tk28950-live "$src/live/tk28950-live.1" "$("$bin/tk28950-live" --help)"

tool_help="$("$bin/tk28950" --help)"
compare tk28950 "$tool_page" "$tool_help"
# Each command has an entry in COMMANDS, and its own options are in the page.
commands="$(sed -n '/^Commands:/,/^$/p' <<<"$tool_help" | sed -nE 's/^  ([a-z]+( [a-z]+)?)( [A-Zx|.\[].*| {2,}.*)$/\1/p')"
[ -n "$commands" ] || complain "no commands found in tk28950 --help"
# Read once into a variable: grep -q at the end of a pipeline may exit
# before awk has written everything, and pipefail would count awk's SIGPIPE.
commands_section="$(awk '/^\.SH/ { inside = ($2 == "COMMANDS") } inside' "$tool_page")"
while IFS= read -r command; do
    grep -qE "^\.B[IR]? \"?$command( |\"|$)" <<<"$commands_section" ||
        complain "tk28950 $command has no entry in COMMANDS"
    # shellcheck disable=SC2086 # a command is one or two words
    command_help="$("$bin/tk28950" $command --help | sed '/^Global options:/,$d')"
    for option in $(help_options <<<"$command_help"); do
        grep -qF -- "$(sed 's/-/\\-/g' <<<"$option")" "$tool_page" ||
            complain "tk28950 $command --help lists $option, the page does not"
    done
done <<<"$commands"

[ "$failures" -eq 0 ] && echo "PASS"
exit "$failures"
