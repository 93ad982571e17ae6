# bash completion for ridloe-cli: its commands, each command's options, the
# values of --to, and files by extension (.mps, .wtr, .gpx, in any case) and
# folders where a file is wanted.

# Files whose names end in one of the extensions (any case), and folders.
_ridloe_cli_files() {
  local cur=$1 ext upper lower pattern i
  shift
  for ext in "$@"; do
    pattern=
    for ((i = 0; i < ${#ext}; i++)); do
      lower=${ext:i:1} upper=${ext:i:1}
      upper=${upper^}
      pattern+="[$lower$upper]"
    done
    COMPREPLY+=($(compgen -f -X "!*.$pattern" -- "$cur"))
  done
  COMPREPLY+=($(compgen -d -- "$cur"))
}

_ridloe_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local IFS=$'\n' command= i word ended=
  COMPREPLY=()
  # --name=value: bash splits it at "=" into three words.
  if [[ $cur == = ]]; then
    prev=${COMP_WORDS[COMP_CWORD - 1]} cur=
  elif [[ $prev == = ]]; then
    prev=${COMP_WORDS[COMP_CWORD - 2]}
  fi
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [ -z "$command" ]; then
      command=$word
    elif [ "$word" = -- ]; then
      ended=1
    fi
  done
  if [ -z "$command" ]; then
    COMPREPLY=($(compgen -W $'list\ninfo\nconvert\n--help\n--version' -- "$cur"))
    return
  fi
  case $prev in
    --to)
      [ "$command" = convert ] && COMPREPLY=($(compgen -W $'gpx\nkml\nwtr' -- "$cur"))
      return ;;
    --encoding)
      [ "$command" = list ] || [ "$command" = convert ] || return
      # iconv's names, one a line (many on a line, separated by commas, on
      # some systems).
      COMPREPLY=($(compgen -W "$(iconv -l 2>/dev/null | tr ', ' '\n\n' | sed 's#//*$##')" -- "$cur"))
      return ;;
    -o | --output)
      [ "$command" = convert ] || return
      compopt -o filenames 2>/dev/null
      COMPREPLY=($(compgen -f -- "$cur"))
      return ;;
  esac
  local options
  case $command in
    list) options=$'--raw\n--tracks\n--json\n--encoding\n--help' ;;
    info) options=$'--help' ;;
    convert) options=$'--force\n--to\n--no-routes\n--encoding\n--output\n--help' ;;
    *) return ;;
  esac
  if [ -z "$ended" ] && [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    return
  fi
  compopt -o filenames 2>/dev/null
  _ridloe_cli_files "$cur" mps wtr gpx
}
complete -F _ridloe_cli ridloe-cli
