# Shared by the rig's scripts: where things are, and how they report.

VM_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
REPO_DIR=$(cd "$VM_SOURCE_DIR/../../.." && pwd)

# The cache: the first argument where a script takes one, else
# $QZHAL_VM_DIR, else build-linux-board/vm in the source tree.
vm_cache_dir() {
  local dir=${1:-${QZHAL_VM_DIR:-$REPO_DIR/build-linux-board/vm}}
  mkdir -p "$dir" && (cd "$dir" && pwd)
}

vm_say() { echo "vm: $*" >&2; }
vm_die() {
  vm_say "$*"
  exit 125
}

# The kernel release a prepared cache holds, e.g. 6.1.0-57-amd64.
vm_kernel_release() {
  cat "$1/kernel-release" 2>/dev/null
}

# The files of DIR as a newc archive OUT, owned by root. Written aside and
# renamed, so that a concurrent run never reads half of it.
write_cpio() {
  local partial
  partial=$(mktemp "$2.XXXXXX")
  chmod 644 "$partial"
  (cd "$1" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort |
    busybox cpio -o -H newc -R 0:0 2>/dev/null) >"$partial"
  mv "$partial" "$2"
}
