#!/usr/bin/env bash
# Tries a Kolvar package as a new user gets it: installs it with apt into a
# fresh minimal Debian 12 (debootstrap --variant=minbase bookworm, no Qt),
# checks the installed world with kolvar --check from an empty folder, draws
# 3 frames of it on a virtual display, then purges the package and lists
# whatever it left behind. Needs root, debootstrap and the network.
#   tools/try-package.sh build/kolvar_1.1.0_amd64.deb [MIRROR]
set -euo pipefail
deb=$(realpath "$1")
mirror=${2:-http://deb.debian.org/debian}
[ "$(id -u)" -eq 0 ] || { echo "try-package.sh: needs root (debootstrap, chroot)" >&2; exit 2; }
command -v debootstrap >/dev/null || { echo "try-package.sh: apt-get install debootstrap" >&2; exit 2; }

root=$(mktemp -d /tmp/kolvar-bookworm.XXXXXX)
cleanup() {
    for m in dev/pts dev proc sys; do
        while mountpoint -q "$root/$m"; do umount "$root/$m" || break; done
    done
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT

echo "== debootstrap --variant=minbase bookworm $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
    { tail -20 "$root.log"; exit 1; }
rm -f "$root.log"
mountpoint -q "$root/proc" || mount -t proc proc "$root/proc"
mountpoint -q "$root/sys" || mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
cp "$deb" "$root/tmp/"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 "$@"; }

echo "== before: is Qt there?"
in_root sh -c 'ls /usr/lib/x86_64-linux-gnu | grep -c -i qt || true'
echo "== apt-get install ./$(basename "$deb")"
in_root apt-get -o APT::Sandbox::User=root update -qq
in_root sh -c "cd /tmp && apt-get -o APT::Sandbox::User=root install -y -q \
    --no-install-recommends ./$(basename "$deb")" >"$root/tmp/install.log" 2>&1 ||
    { cat "$root/tmp/install.log"; exit 1; }
grep -E '^[0-9]+ upgraded|^Setting up (kolvar|libqt6gui|libgl1)' "$root/tmp/install.log"
in_root sh -c 'dpkg -L kolvar | grep -E "bin/|man1|doc/kolvar/|metainfo"'

echo "== kolvar --version; kolvar --check (from an empty folder)"
in_root sh -c 'mkdir -p /tmp/empty && cd /tmp/empty && kolvar --version && kolvar --check; echo "status $?"'

echo "== xvfb-run -a kolvar --frames 3 (from an empty folder)"
in_root apt-get -o APT::Sandbox::User=root install -y -qq --no-install-recommends \
    xvfb xauth >/dev/null
in_root sh -c 'cd /tmp/empty && xvfb-run -a kolvar --frames 3 >/tmp/frames.log 2>&1
    status=$?; grep -E "^(Eerste|Beeldtijd|CPU)|fout|waarschuwing" /tmp/frames.log; echo "status $status"'

echo "== apt-get purge kolvar: what it leaves"
in_root apt-get purge -y -qq kolvar >/dev/null
in_root sh -c 'ls -d /usr/share/kolvar /usr/share/doc/kolvar /usr/bin/kolvar* \
    /usr/share/man/man1/kolvar* /usr/share/metainfo/*kolvar* \
    /usr/share/applications/kolvar.desktop 2>/dev/null || echo "nothing"'
