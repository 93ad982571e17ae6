#!/usr/bin/env bash
# The manual page and the bash completion kept in step with ridloe-cli
# itself: for each command, the options of its usage line (in `ridloe-cli
# --help` and in `ridloe-cli COMMAND --help`), of the page's SYNOPSIS, of its
# section of the page and of the completion are the same, and so are the
# values of --to; every option name the page gives is one the tool takes,
# and every --to value converts. An option added to one and not the others
# fails here, by name.
#   docs_in_step.sh RIDLOE_CLI PAGE.scd PAGE.1 COMPLETION.bash SAMPLE.mps
set -uo pipefail
export LC_ALL=C.UTF-8
cli=$1 page=$2 roff=$3 completion=$4 sample=$5
failures=0
fail() {
  echo "docs_in_step: $*" >&2
  failures=$((failures + 1))
}
# The sorted, unique words of standard input, on one line.
set_of() { tr ' ' '\n' | sed '/^$/d' | sort -u | tr '\n' ' '; }
# Option names (-x, --name) in the text on standard input.
options_in() { grep -oE -- '(^|[^a-z-])--?[a-z][a-z-]*' | grep -oE -- '--?[a-z][a-z-]*' | set_of; }
# The values of --to in the text on standard input: "--to gpx|wtr".
to_values_in() { grep -oE -- '--to [a-z|]+' | sed 's/^--to //' | tr '|' ' ' | set_of; }
# The usage line of COMMAND in the text on standard input.
usage_line() { grep -E "^(usage: |  *)ridloe-cli $1( |$)"; }
# Markup of scdoc taken off: *bold* and _underlined_.
plain() { sed 's/[*_]//g'; }

# The page renders without a warning from man and groff.
warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$roff" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man --warnings -l $roff:
$warnings"

help=$("$cli" --help) || fail "ridloe-cli --help failed"
commands=$(grep -oE '^(usage: |  *)ridloe-cli [a-z]+' <<<"$help" | awk '{print $NF}' | set_of)
[ -n "$commands" ] || fail "no command in ridloe-cli --help"
synopsis=$(sed -n '/^# SYNOPSIS/,/^# /p' "$page" | plain)
page_commands=$(sed -n 's/^## \([a-z]*\)$/\1/p' "$page" | set_of)
[ "$commands" = "$page_commands" ] || fail "commands: --help has $commands, the page has sections for $page_commands"

# bash completion, run as bash runs it on <TAB>: the words before the
# cursor, the one at it; prints the candidates.
complete_words() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _ridloe_cli; printf "%s\n" "${COMPREPLY[@]}"' \
    _ "$completion" ridloe-cli "$@"
}
completed=$(complete_words "" | grep -v '^-' | set_of)
[ "$completed" = "$commands" ] || fail "completion offers commands $completed, --help has $commands"

for command in $commands; do
  usage=$(usage_line "$command" <<<"$help")
  own=$("$cli" "$command" --help | usage_line "$command") || fail "ridloe-cli $command --help has no usage line for $command"
  [ "$(options_in <<<"$own")" = "$(options_in <<<"$usage")" ] ||
    fail "$command: ridloe-cli $command --help has options $(options_in <<<"$own"), ridloe-cli --help $(options_in <<<"$usage")"
  in_usage=$(options_in <<<"$usage")
  in_synopsis=$(grep -E "^ridloe-cli $command( |$)" <<<"$synopsis" | options_in)
  [ "$in_synopsis" = "$in_usage" ] || fail "$command: --help has options $in_usage, the page's SYNOPSIS $in_synopsis"

  # The section's option entries: lines that start with an option in bold.
  entries=$(sed -n "/^## $command\$/,/^#/p" "$page" | grep -E '^\*--?[a-z]' | plain)
  while IFS= read -r entry; do
    [ -n "$entry" ] || continue
    names=$(options_in <<<"$entry")
    shown=
    for name in $names; do
      [[ " $in_usage " == *" $name "* ]] && shown=1
      # The tool takes it: with --help after it (and a value, or an
      # operand), a known option ends in the usage text and status 0, an
      # unknown one in status 2.
      "$cli" "$command" "$name" x --help >/dev/null 2>&1 || fail "$command: ridloe-cli does not take $name, which the page gives"
    done
    [ -n "$shown" ] || fail "$command: the page gives $names, which --help does not show"
  done <<<"$entries"
  for name in $in_usage; do
    grep -qE -- "(^| )$name( |$)" <<<"$(options_in <<<"$entries")" || fail "$command: the page's section has no entry for $name"
  done

  # The completion offers each entry's long name (or its only name) and --help.
  long=$( (while IFS= read -r entry; do
    names=$(options_in <<<"$entry")
    grep -oE -- '--[a-z-]+' <<<"$names" | head -n 1 || true
    grep -q -- '--' <<<"$names" || echo "$names"
  done <<<"$entries"; echo --help) | set_of)
  offered=$(complete_words "$command" "--" | set_of)
  [ "$offered" = "$long" ] || fail "$command: completion offers $offered, the page gives $long"
done

# The values of --to: usage, page, completion, and the tool writes each.
to_usage=$(usage_line convert <<<"$help" | to_values_in)
to_page=$( (grep -E '^ridloe-cli convert ' <<<"$synopsis"; sed -n '/^## convert$/,/^#/p' "$page" | grep -E '^\*--to\*' | plain) | to_values_in)
to_completed=$(complete_words convert --to "" | set_of)
[ "$to_page" = "$to_usage" ] || fail "--to: --help has $to_usage, the page $to_page"
[ "$to_completed" = "$to_usage" ] || fail "--to: --help has $to_usage, completion $to_completed"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for value in $to_usage; do
  "$cli" convert --to "$value" -o "$work" "$sample" >/dev/null 2>&1 && [ -s "$work/sample.$value" ] ||
    fail "--to $value: ridloe-cli convert wrote no sample.$value"
done
# An option the tool does not take is told apart (the checks above can fail).
"$cli" list --no-such-option x --help >/dev/null 2>&1 && fail "ridloe-cli takes --no-such-option"

# Files by extension, in any case, and folders.
mkdir "$work/files" "$work/files/sub" && touch "$work/files/"{a.mps,B.WTR,c.gpx,d.txt}
files=$(cd "$work/files" && complete_words list "" | set_of)
[ "$files" = "B.WTR a.mps c.gpx sub " ] || fail "completion of list's file offers $files"

[ "$failures" -eq 0 ] || exit 1
echo "docs_in_step: commands $commands; options and --to values ($to_usage) agree in --help, the page and the completion"
