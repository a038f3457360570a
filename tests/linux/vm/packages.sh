# A Debian package unpacked into a machine's root with the Debian packages
# it depends on, as a board that installed it would hold them. Sourced
# after lib.sh by tests/linux/vm-arm/check and lava/build-images.

packages_candidate_version() {
  apt-cache policy "$1" 2>/dev/null | sed -n 's/^ *Candidate: //p' | grep -v '(none)' || true
}

# The names of the packages a .deb's Depends and Pre-Depends list (the
# first of alternatives, without versions).
packages_depends_of() {
  dpkg-deb -f "$1" Pre-Depends Depends | sed 's/^[A-Za-z-]*: //' | tr ',' '\n' |
    sed 's/|.*//; s/(.*)//; s/:any//; s/^ *//; s/ *$//' | grep -v '^$' || true
}

# packages_in DIR NAME ARCH: the path of NAME's package for ARCH (or for
# all) in DIR, if there is one.
packages_in() {
  { ls "$1/$2"_*_"$3".deb "$1/$2"_*_all.deb 2>/dev/null || true; } | sed -n 1p
}

# packages_fetch ARCH NAME DIR: the package NAME for ARCH from DIR, else
# apt's candidate downloaded into DIR; prints its path.
packages_fetch() {
  local arch=$1 name=$2 dir=$3 version file
  file=$(packages_in "$dir" "$name" "$arch")
  if [[ -n $file ]]; then
    echo "$file"
    return
  fi
  version=$(packages_candidate_version "$name:$arch")
  [[ -n $version ]] || vm_die "apt knows no $name:$arch (dpkg --add-architecture $arch; apt-get update)"
  mkdir -p "$dir"
  vm_say "downloading $name:$arch $version"
  (cd "$dir" && apt-get download -q "$name:$arch=$version") >"$dir/download.log" 2>&1 ||
    vm_die "cannot download $name:$arch=$version: $(cat "$dir/download.log")"
  packages_in "$dir" "$name" "$arch"
}

# packages_unpack ROOT DEB ARCH DIR: DEB and everything it depends on
# (downloaded into DIR once) unpacked into ROOT; what no test needs
# (documentation, locales, character set modules) left out.
packages_unpack() {
  local root=$1 queue=("$2") arch=$3 dir=$4 seen=" " deb name file
  while ((${#queue[@]})); do
    deb=${queue[0]}
    queue=("${queue[@]:1}")
    dpkg-deb -x "$deb" "$root"
    for name in $(packages_depends_of "$deb"); do
      [[ $seen == *" $name "* ]] && continue
      seen+="$name "
      file=$(packages_fetch "$arch" "$name" "$dir") || exit 125
      [[ -n $file ]] || vm_die "no $name for $arch in $dir"
      queue+=("$file")
    done
  done
  rm -rf "$root/usr/share" "$root"/usr/lib/*/gconv
}
