#!/usr/bin/env bash
# Builds the Debian packages from a finished build folder and checks them as
# a machine would receive them: file lists, control fields, changelog,
# hardening, lintian (pedantic), the maintainer scripts, and the installed
# programs run from the unpacked tree (the tool against a simulator; the
# setup program, offscreen, finding the control through the machine's
# registry). Then the SDK as "cmake --install" puts it in a DESTDIR, with the
# example host built against it.
#
#   check-package.sh BUILD_FOLDER [HARDENED ON|OFF] [SANITIZED ON|OFF]
set -euo pipefail

build="$(cd "$1" && pwd)"
hardened="${2:-ON}"   # OFF: the tree is built without the hardening flags
sanitized="${3:-OFF}" # ON: the tree is built with the sanitizers
work="$(mktemp -d "${TMPDIR:-/tmp}/tk28950-package.XXXXXX")"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Each line of the first argument must match a line of the second.
expect_lines() {
    local wanted="$1" have="$2" what="$3" line
    while IFS= read -r line; do
        [ -z "$line" ] && continue
        grep -qxE "$line" <<<"$have" || fail "$what lacks $line"
    done <<<"$wanted"
}

echo "== cpack"
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log" >&2
    fail "cpack"
}
runtime_deb="$(ls "$work"/out/tk28950_*.deb)"
dev_deb="$(ls "$work"/out/tk28950-dev_*.deb)"
python_deb="$(ls "$work"/out/python3-tk28950_*.deb 2>/dev/null || true)"

echo "== files of $(basename "$runtime_deb")"
files="$(dpkg-deb -c "$runtime_deb" | awk '{ print $6 }' | sed 's|^\./|/|')"
echo "$files"
multiarch="$(dpkg-architecture -qDEB_HOST_MULTIARCH)"
lib="/usr/lib/$multiarch"
expect_lines "
/usr/bin/PrjTK28950
/usr/bin/tk28950
/usr/bin/tk28950-sim
/usr/bin/tk28950-regsvr
/usr/bin/tk28950-live
$lib/libTK28950\.so\.1
$lib/libTK28950\.so\.1\.[0-9.]+
/usr/share/man/man1/PrjTK28950\.1\.gz
/usr/share/man/man1/tk28950\.1\.gz
/usr/share/man/man1/tk28950-sim\.1\.gz
/usr/share/man/man1/tk28950-regsvr\.1\.gz
/usr/share/man/man1/tk28950-live\.1\.gz
/usr/share/bash-completion/completions/tk28950
/usr/share/applications/PrjTK28950\.desktop
/usr/share/applications/tk28950-live\.desktop
/usr/share/icons/hicolor/scalable/apps/tk28950-live\.svg
/usr/share/metainfo/[A-Za-z0-9.]+\.metainfo\.xml
/usr/share/icons/hicolor/16x16/apps/PrjTK28950\.png
/usr/share/icons/hicolor/48x48/apps/PrjTK28950\.png
/usr/share/icons/hicolor/128x128/apps/PrjTK28950\.png
/usr/share/icons/hicolor/256x256/apps/PrjTK28950\.png
/usr/share/doc/tk28950/copyright
/usr/share/doc/tk28950/changelog\.Debian\.gz
/usr/share/doc/tk28950/cli\.md\.gz
/usr/share/doc/tk28950/ports\.md
" "$files" "the runtime package"
if grep -qE '\.h$|libTK28950\.so$' <<<"$files"; then
    fail "the runtime package holds development files"
fi
dev_files="$(dpkg-deb -c "$dev_deb" | awk '{ print $6 }' | sed 's|^\./|/|')"
expect_lines "
/usr/include/tk28950/ControlClient\.h
$lib/libTK28950\.so
$lib/cmake/TK28950/TK28950Config\.cmake
$lib/pkgconfig/tk28950\.pc
$lib/libtk28950_host\.a
$lib/libtk28950_runtime\.a
/usr/share/doc/tk28950-dev/copyright
/usr/share/doc/tk28950-dev/embedding\.md\.gz
/usr/share/doc/tk28950-dev/examples/host/CMakeLists\.txt
/usr/share/doc/tk28950-dev/examples/host/main\.cpp
" "$dev_files" "the development package"
if grep -q 'lintian/overrides' <<<"$files
$dev_files"; then fail "a package overrides lintian"; fi
if grep -E '^/usr/lib/[^/]+$' <<<"$files
$dev_files"; then fail "libraries outside the multiarch folder $lib"; fi
if [ -n "$python_deb" ]; then
    python_files="$(dpkg-deb -c "$python_deb" | awk '{ print $6 }' | sed 's|^\./|/|')"
    expect_lines "
/usr/lib/python3/dist-packages/tk28950\.cpython-[0-9]+-$multiarch\.so
/usr/share/doc/python3-tk28950/python\.md\.gz
" "$python_files" "the Python package"
fi

echo "== the pkg-config file"
dpkg-deb -x "$dev_deb" "$work/dev"
pc="$work/dev$lib/pkgconfig/tk28950.pc"
cat "$pc"
pc_variable() { PKG_CONFIG_PATH="$(dirname "$pc")" pkg-config --variable="$1" tk28950; }
[ "$(pc_variable libdir)" = "$lib" ] || fail "tk28950.pc: libdir $(pc_variable libdir)"
[ "$(pc_variable includedir)" = /usr/include ] || fail "tk28950.pc: includedir $(pc_variable includedir)"
if grep -qE 'pcfiledir|-fPIC' "$pc"; then fail "tk28950.pc is not plain"; fi

echo "== hardening and stripping"
for archive in "$work/dev$lib"/libtk28950_*.a; do
    if readelf -SW "$archive" | grep -qE '\.debug_|\.comment'; then
        fail "$(basename "$archive") keeps debug sections"
    fi
done
root="$work/root"
dpkg-deb -x "$runtime_deb" "$root"
if [ "$hardened" = ON ]; then
    for program in "$root"/usr/bin/* "$root$lib"/libTK28950.so.1; do
        readelf -lW "$program" | grep -q GNU_RELRO || fail "$program: no read-only relocations"
        readelf -dW "$program" | grep -qE 'BIND_NOW|FLAGS_1.*NOW' || fail "$program: not bound now"
    done
fi
echo "tk28950-dev installs $(dpkg-deb -f "$dev_deb" Installed-Size) KiB"

echo "== control"
dpkg-deb -I "$runtime_deb"
depends="$(dpkg-deb -f "$runtime_deb" Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')"
expect_lines "
libc6
libqt6core6
libqt6gui6
libqt6widgets6
libqt6serialport6
libqt6charts6
" "$depends" "Depends"
version="$(dpkg-deb -f "$runtime_deb" Version)"
dpkg-deb -f "$dev_deb" Depends | grep -q "tk28950 (= $version)" ||
    fail "tk28950-dev does not depend on this very tk28950"
project_version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
[ "$version" = "$project_version-1" ] || fail "version $version, not $project_version-1"
field() { dpkg-deb -f "$1" "$2"; }
[ "$(field "$runtime_deb" Suggests)" = python3-tk28950 ] ||
    fail "tk28950 suggests $(field "$runtime_deb" Suggests)"
[ "$(field "$dev_deb" Suggests)" = "cmake, pkg-config" ] ||
    fail "tk28950-dev suggests $(field "$dev_deb" Suggests)"
if [ -n "$python_deb" ]; then
    python="$(grep -oE 'cpython-[0-9]+' <<<"$python_files" | head -1 | sed 's/cpython-3/3./')"
    next="3.$((${python#3.} + 1))"
    [ "$(field "$python_deb" Depends | tr ',' '\n' | sed 's/^ *//' | grep '^python3 ')" = \
        "python3 (>= $python~)
python3 (<< $next)" ] || fail "python3-tk28950 depends on $(field "$python_deb" Depends)"
fi
maintainer="$(field "$runtime_deb" Maintainer)"
grep -qE '^[^<>]+ <[^<>@ ]+@[^<>@ ]+\.[a-z]+>$' <<<"$maintainer" || fail "maintainer $maintainer"
if grep -qE '[.@](example|invalid|test|localhost)>$' <<<"$maintainer"; then
    echo "WARNING: the maintainer is a placeholder: $maintainer (set DEBFULLNAME and DEBEMAIL)"
fi
homepage="$(field "$runtime_deb" Homepage)"
if [ -n "$homepage" ] && ! grep -qE '^https://' <<<"$homepage"; then fail "homepage $homepage"; fi

echo "== changelog"
mkdir "$work/changelog"
dpkg-deb --fsys-tarfile "$runtime_deb" | tar -xO ./usr/share/doc/tk28950/changelog.Debian.gz | gunzip >"$work/changelog/changelog"
head -1 "$work/changelog/changelog"
distribution="$(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release)"
[ "$(head -1 "$work/changelog/changelog")" = "tk28950 ($version) ${distribution:-unstable}; urgency=medium" ] ||
    fail "the changelog's entry is not version $version for ${distribution:-unstable}"
grep -qF -- " -- $maintainer  " "$work/changelog/changelog" || fail "the changelog's maintainer"

echo "== lintian"
lintian --allow-root --pedantic --tag-display-limit 0 "$runtime_deb" "$dev_deb" $python_deb >"$work/lintian.log" 2>&1 || true
cat "$work/lintian.log"
if grep -q '^E: ' "$work/lintian.log"; then fail "lintian reports errors"; fi
if [ "$hardened" = ON ] && grep -q ' hardening-' "$work/lintian.log"; then
    fail "lintian finds unhardened programs"
fi

echo "== the unpacked tree"
dpkg-deb -e "$runtime_deb" "$work/control"
library="$(grep -o '/usr/lib[^ ]*libTK28950\.so\.1' "$work/control/postinst")"
[ -e "$root$library" ] || fail "postinst registers $library, which the package does not hold"

# The maintainer scripts, run on the unpacked tree: their paths point into it
# and the machine's registry is one of this run.
run_script() {
    sed "s|/usr/|$root/usr/|g" "$work/control/$1" | PATH="$root/usr/bin:$PATH" sh -s -- "$2"
}
export TK28950_SYSCONFDIR="$work/etc"
export XDG_CONFIG_HOME="$work/home"
unset TK28950_REGISTRY
run_script postinst configure
grep -q "library=$root$library" "$work/etc/registry.ini" || fail "postinst did not register the control"

echo "== the installed tool against a simulator"
"$root/usr/bin/tk28950-sim" --link "$work/module" >"$work/sim.out" 2>"$work/sim.err" &
pids+=("$!")
for _ in $(seq 300); do
    [ -s "$work/sim.out" ] && break
    sleep 0.1
done
[ -s "$work/sim.out" ] || fail "the simulator did not start: $(cat "$work/sim.err")"
"$root/usr/bin/tk28950" --verbose --device "$work/module" version >"$work/tool.out" 2>"$work/tool.err" ||
    fail "tk28950 version: $(cat "$work/tool.err")"
grep -qx 'TK28950-V[0-9.]*' "$work/tool.out" || fail "tk28950 version printed $(cat "$work/tool.out")"
grep -q "through the registry from $root$library" "$work/tool.err" ||
    fail "the tool did not create the control through the machine's registry: $(cat "$work/tool.err")"

# The setup program runs until its window or its message box is closed;
# waits until it has loaded the control's library or has said why it cannot
# (its last line names the registration command), or has ended.
start_setup() {
    "$root/usr/bin/PrjTK28950" >"$work/setup.out" 2>"$work/setup.err" &
    setup=$!
    pids+=("$setup")
    while kill -0 "$setup" 2>/dev/null; do
        if grep -q "$root$library" "/proc/$setup/maps" 2>/dev/null; then
            setup_state=loaded
            return
        fi
        if grep -q "^tk28950-regsvr " "$work/setup.err"; then
            setup_state=refused
            return
        fi
        sleep 0.1
    done
    setup_state=ended
}

echo "== the installed setup program, offscreen"
export QT_QPA_PLATFORM=offscreen
start_setup
[ "$setup_state" = loaded ] || fail "the setup program did not load the control: $(cat "$work/setup.err")"
kill "$setup"

echo "== removal"
run_script prerm remove
if grep -qi 'TK28950Ctrl' "$work/etc/registry.ini"; then fail "prerm left the control registered"; fi
start_setup
[ "$setup_state" = refused ] || fail "the setup program without a registered control: $setup_state"
kill "$setup"
grep -qx "tk28950-regsvr $root$library" "$work/setup.err" ||
    fail "the setup program names the wrong registration command: $(cat "$work/setup.err")"

echo "== the SDK installed in a DESTDIR, and the example host built against it"
DESTDIR="$work/destdir" cmake --install "$build" --prefix /usr --component Development >/dev/null
cmp "$work/destdir$lib/pkgconfig/tk28950.pc" "$pc" || fail "the installed tk28950.pc differs from the package's"
# The archives of a sanitizer tree need the sanitizers' run-time libraries,
# which a plain host build does not link: there the example host is left out.
if [ "$sanitized" = OFF ]; then
    cmake -S "$work/dev/usr/share/doc/tk28950-dev/examples/host" -B "$work/example" \
        -DCMAKE_PREFIX_PATH="$work/destdir/usr" >"$work/example.log" 2>&1 &&
        cmake --build "$work/example" >>"$work/example.log" 2>&1 || {
        cat "$work/example.log" >&2
        fail "the example host does not build against the installed SDK"
    }
fi

echo "== installed size: $(dpkg-deb -f "$runtime_deb" Installed-Size) KiB"
echo "PASS"
