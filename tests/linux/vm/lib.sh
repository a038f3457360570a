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
