# Sourced by scripts/clean-install-check and scripts/container-image: a
# minimal Debian 12 made by debootstrap from the archive this machine's own
# apt sources name, and what is needed to run commands inside it.
#
#   debian_root DIR          debootstrap --variant=minbase bookworm into DIR,
#                            with bookworm, bookworm-updates and (when this
#                            machine has it) bookworm-security as its sources
#   debian_fresh DIR BASE    a copy of BASE in DIR; BASE is made by
#                            debian_root first when it is not there
#   debian_enter DIR         mount /proc, /dev, /dev/pts into DIR, copy the
#                            name resolution; debian_leave undoes every mount
#   in_debian DIR COMMAND    COMMAND under bash -euo pipefail, chrooted in DIR
#   debian_remove PATH...    removes without leaving the file system (call
#                            debian_leave first)

# The URI of the first archive in this machine's apt sources (deb822
# *.sources files, then the one-line sources.list) that serves SUITE;
# nothing when none does.
debian_archive() {
  local suite=$1 file
  for file in /etc/apt/sources.list.d/*.sources; do
    [[ -f $file ]] || continue
    # Paragraphs of "Field: values" lines; comments are skipped.
    awk -v suite="$suite" '
      function paragraph_done() {
        if (deb && served && uri != "" && !found) { print uri; found = 1; exit }
        deb = served = 0; uri = ""
      }
      /^#/ { next }
      /^[ \t]*$/ { paragraph_done(); next }
      tolower($1) == "types:" { for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1 }
      tolower($1) == "uris:" { uri = $2 }
      tolower($1) == "suites:" { for (i = 2; i <= NF; i++) if ($i == suite) served = 1 }
      END { paragraph_done() }' "$file"
  done
  [[ -f /etc/apt/sources.list ]] || return 0
  # deb [option=value ...] URI SUITE COMPONENT...
  awk -v suite="$suite" '
    $1 != "deb" { next }
    { i = 2
      if ($i ~ /^\[/) { while ($i !~ /\]$/ && i < NF) i++; i++ }
      if ($(i + 1) == suite) { print $i; exit } }' /etc/apt/sources.list
}

debian_root() {
  local root=$1 main security updates
  main=$(debian_archive bookworm | sed -n 1p)
  [[ -n $main ]] || { echo "debian-root: no archive for bookworm in this machine's apt sources" >&2; return 1; }
  updates=$(debian_archive bookworm-updates | sed -n 1p)
  security=$(debian_archive bookworm-security | sed -n 1p)
  command -v debootstrap >/dev/null || apt-get install -y -q debootstrap >/dev/null
  debootstrap --variant=minbase bookworm "$root" "$main" >"$root.debootstrap.log" 2>&1 ||
    { tail -n 20 "$root.debootstrap.log" >&2; return 1; }
  rm -f "$root.debootstrap.log"
  {
    echo "deb $main bookworm main"
    echo "deb ${updates:-$main} bookworm-updates main"
    if [[ -n $security ]]; then echo "deb $security bookworm-security main"; fi
  } >"$root/etc/apt/sources.list"
  if [[ -z $security ]]; then
    echo "debian-root: this machine's apt sources have no bookworm-security; the root goes without it" >&2
  fi
}

debian_fresh() {
  local root=$1 base=$2
  if [[ ! -f $base/etc/debian_version ]]; then
    debian_remove "$base"
    mkdir -p "$(dirname "$base")"
    debian_root "$base"
  fi
  debian_remove "$root"
  mkdir -p "$(dirname "$root")"
  cp -a "$base" "$root"
}

debian_mounted=()
debian_enter() {
  local root=$1 point
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  mount -t proc proc "$root/proc" && debian_mounted+=("$root/proc")
  for point in dev dev/pts; do
    mount --bind "/$point" "$root/$point" && debian_mounted+=("$root/$point")
  done
}
debian_leave() {
  local i
  for ((i = ${#debian_mounted[@]} - 1; i >= 0; i--)); do umount -l "${debian_mounted[i]}" 2>/dev/null || true; done
  debian_mounted=()
}

in_debian() { chroot "$1" env DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 bash -euo pipefail -c "$2"; }

# --one-file-system: should a bind mount of /dev have stayed, rm stops at it
# instead of emptying this machine's /dev.
debian_remove() { rm -rf --one-file-system "$@"; }
