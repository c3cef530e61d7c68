# bash completion for quorvant-convert
_quorvant_convert() {
  local cur prev
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD - 1]}
  case $prev in
    --to)
      COMPREPLY=($(compgen -W "@TARGETS@" -- "$cur"))
      return ;;
    -o | --output)
      COMPREPLY=($(compgen -d -- "$cur"))
      return ;;
    --files-from)
      COMPREPLY=($(compgen -f -- "$cur"))
      return ;;
    --orientation)
      COMPREPLY=($(compgen -W "upright keep" -- "$cur"))
      return ;;
    --colour | --color)
      COMPREPLY=($(compgen -W "profile srgb as-stored" -- "$cur"))
      return ;;
    --background)
      COMPREPLY=($(compgen -W "white black" -- "$cur"))
      return ;;
    -j | --jobs | --memory | --quality | --smoothing | --shard | --effort)
      return ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "--to --output --recursive --files-from --null --shard --jobs --memory --quality
      --smoothing --grey --gray --no-optimize --plain --lossless --effort --orientation --colour --color --background --strip
      --strip-location --overwrite --skip-existing --keep-folders --json --quiet --version --help" -- "$cur"))
    return
  fi
  COMPREPLY=($(compgen -f -- "$cur"))
}
complete -o filenames -F _quorvant_convert quorvant-convert
