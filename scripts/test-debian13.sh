#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The README's test command on Debian 13 (GNOME 48, Plasma 6, Qt 6.8, GCC 14, clang 19), run on a
# Debian 12 machine: a Debian 13 root made once with mmdebstrap and kept in a cache folder, a fresh
# clone of this repository's HEAD in it, scripts/test.sh there as a new user would run it (the
# GNOME Shell 48 try among its stages), then the KWin 6 try. The root keeps what set-up
# installed, so a second run only clones, builds and tests. Needs root (chroot and mounts).
# Usage: scripts/test-debian13.sh [--fresh]   (--fresh makes the root anew)
# Environment: TAVRINE_DEBIAN13_ROOT, the cached root (default /var/cache/tavrine/debian13).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
root="${TAVRINE_DEBIAN13_ROOT:-/var/cache/tavrine/debian13}"

if [ "$(id -u)" -ne 0 ]; then
  echo "test-debian13: needs root (chroot, mounts)" >&2
  exit 1
fi
command -v mmdebstrap >/dev/null ||
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap

[ "${1:-}" = --fresh ] && rm -rf "$root"
if [ ! -f "$root/.tavrine-ready" ]; then
  echo "== a Debian 13 root in $root =="
  rm -rf "$root"
  mkdir -p "$(dirname "$root")"
  # The mirror mmdebstrap knows by default; git and sudo as a new user's machine would have them.
  mmdebstrap --variant=minbase --include=ca-certificates,git,sudo trixie "$root"
  touch "$root/.tavrine-ready"
fi

mounted=()
cleanup() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[$i]}" 2>/dev/null || true; done
}
trap cleanup EXIT
bind() {
  mkdir -p "$root$1"
  mount --bind "$1" "$root$1"
  mounted+=("$root$1")
}
bind /proc
bind /sys
bind /dev
bind /dev/pts
mkdir -p "$root/dev/shm" "$root/run" "$root/tmp"
mount -t tmpfs tmpfs "$root/dev/shm" && mounted+=("$root/dev/shm")
mount -t tmpfs tmpfs "$root/run" && mounted+=("$root/run")
cp /etc/resolv.conf "$root/etc/resolv.conf"

echo "== a fresh clone of $(git -C "$repo" rev-parse --short HEAD) =="
rm -rf "$root/root/tavrine"
git clone -q "$repo" "$root/root/tavrine"

# As a new user: the README's test command, then KWin's try on the build it made.
chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  bash -c 'cd /root/tavrine && scripts/test.sh &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends kwin-wayland \
      libwayland-dev libwayland-bin plasma-wayland-protocols x11-utils >/dev/null &&
    scripts/try-kwin.sh'
echo "test-debian13: every stage passed on $(cat "$root/etc/debian_version")"
