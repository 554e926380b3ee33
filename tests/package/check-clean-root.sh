#!/usr/bin/env bash
# Installs the Debian packages of a finished build folder into a clean
# Debian root, as a new user would ("apt-get install ./*.deb"), and checks
# what they meet there: the programs start (the setup program's help needs
# no display), the Python module imports, the SDK's pkg-config file answers,
# the control is registered for every user; then removal and purge leave
# nothing behind. Needs root; without ROOT it makes one with debootstrap
# (minbase, the machine's release), which needs the network.
#
#   check-clean-root.sh BUILD_FOLDER [ROOT]
set -euo pipefail

build="$(cd "$1" && pwd)"
root="${2:-}"
work="$(mktemp -d "${TMPDIR:-/tmp}/tk28950-clean-root.XXXXXX")"
proc=""
cleanup() {
    if [ -n "$proc" ]; then umount "$proc"; fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if [ -z "$root" ]; then
    root="$work/root"
    release="$(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release)"
    echo "== debootstrap $release"
    debootstrap --variant=minbase "$release" "$root" >"$work/debootstrap.log" 2>&1 || {
        tail "$work/debootstrap.log" >&2
        fail "debootstrap"
    }
fi
# Programs find themselves through /proc.
proc="$root/proc"
mount -t proc proc "$proc"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }

echo "== cpack"
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log" >&2
    fail "cpack"
}
mkdir -p "$root/tmp/tk28950"
cp "$work"/out/*.deb "$root/tmp/tk28950/"

echo "== apt-get install ./*.deb"
in_root apt-get update -q >/dev/null
in_root sh -c 'cd /tmp/tk28950 && DEBIAN_FRONTEND=noninteractive apt-get install -y -q ./*.deb' \
    >"$work/install.log" 2>&1 || {
    tail -30 "$work/install.log" >&2
    fail "the packages do not install"
}
in_root dpkg-query -W -f '${Package} ${Version} ${Status}\n' tk28950 tk28950-dev python3-tk28950

echo "== the installed programs"
in_root tk28950 --help >/dev/null || fail "tk28950 --help"
in_root PrjTK28950 --help | grep -q '^Usage: ' || fail "PrjTK28950 --help without a display"
in_root PrjTK28950 --version || fail "PrjTK28950 --version without a display"
in_root python3 -c 'import tk28950; print("python module", tk28950.__file__)' ||
    fail "the Python module does not import"
grep -qi 'TK28950' "$root/etc/tk28950/registry.ini" || fail "the control is not registered"
multiarch="$(dpkg-architecture -qDEB_HOST_MULTIARCH)"
[ -e "$root/usr/lib/$multiarch/libTK28950.so.1" ] || fail "no library in /usr/lib/$multiarch"
if in_root sh -c 'command -v pkg-config' >/dev/null; then
    in_root pkg-config --cflags --libs tk28950 || fail "pkg-config tk28950"
fi

echo "== removal and purge"
in_root apt-get purge -y -q tk28950 tk28950-dev python3-tk28950 >"$work/purge.log" 2>&1 || {
    tail -30 "$work/purge.log" >&2
    fail "the packages do not purge"
}
[ ! -e "$root/etc/tk28950" ] || fail "purge left /etc/tk28950"
if in_root dpkg -S tk28950 2>/dev/null; then fail "files of the packages are left"; fi
echo "PASS"
