#!/usr/bin/env bash
# Checks the suite as an installation meets its users: installs the built tree
# into a temporary prefix and starts the programs from there (never from the
# build tree) with a fresh home and no registry step, lets a client start the
# installed Tern through its activation file, validates the desktop entries,
# then builds the Debian package and checks what it holds.
#
#   BUILD_DIR  the configured and built tree (default: build)
#   KEEP=1     keep the temporary directory for a look afterwards
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
work="$(mktemp -d "${TMPDIR:-/tmp}/aviary-install.XXXXXX")"
prefix="$work/prefix"
checks=0
pids=()

cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    # Programs Wren started from the prefix (a failed run may leave one waiting).
    for exe in /proc/[0-9]*/exe; do
        case "$(readlink "$exe" 2>/dev/null)" in
        "$prefix"/bin/*) p="${exe#/proc/}"; kill "${p%/exe}" 2>/dev/null || true ;;
        esac
    done
    if [ "${KEEP:-0}" = 1 ]; then echo "check-install: kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

fail() {
    echo "check-install: FAILED: $*" >&2
    exit 1
}
pass() {
    checks=$((checks + 1))
    echo "check-install: ok: $*"
}

# Runs an installed program as a user who has never run the suite: nothing of
# this machine's own settings, the system layer found through the XDG
# configuration directories of the prefix.
new_user=(env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_DIRS="$prefix/etc/xdg"
          XDG_DATA_DIRS="$prefix/share:/usr/share" QT_QPA_PLATFORM=offscreen)
as_new_user() { "${new_user[@]}" "$@"; }

[ -f "$build/cmake_install.cmake" ] || fail "$build is not a configured build tree (make build first)"
mkdir -p "$work/home" "$work/shots"

# --- cmake --install -------------------------------------------------------------
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || {
    cat "$work/install.log" >&2
    fail "cmake --install"
}
for f in bin/kestrel bin/wren bin/tern bin/aviary-sim bin/aviary-backup lib/aviary/libplumage.so \
         share/aviary/DeviceData/LM3_Normal_V3.dpf share/dbus-1/services/org.aviary.Tern.service \
         etc/xdg/aviary/HKLM.ini etc/xdg/aviary/HKCR.ini \
         share/applications/aviary-kestrel.desktop share/applications/aviary-wren.desktop \
         share/icons/hicolor/16x16/apps/aviary-kestrel.png share/icons/hicolor/256x256/apps/aviary-wren.png \
         share/man/man1/tern.1.gz share/man/man1/aviary-sim.1.gz share/man/man1/aviary-backup.1.gz; do
    [ -e "$prefix/$f" ] || fail "the installation lacks $f"
done
for d in tvk parameter custom "Help/RHX,RQ 9000"; do
    [ -d "$prefix/share/aviary/$d" ] || fail "the installation lacks the folder share/aviary/$d"
done
pass "cmake --install lays out bin, lib/aviary, share/aviary, desktop files, icons, manual pages"

grep -qxF "InstallPath=s:$prefix/share/aviary" "$prefix/etc/xdg/aviary/HKLM.ini" ||
    fail "HKLM.ini does not name the installed data: $(cat "$prefix/etc/xdg/aviary/HKLM.ini")"
grep -qxF "Exec=$prefix/bin/tern -Embedding" "$prefix/share/dbus-1/services/org.aviary.Tern.service" ||
    fail "the activation file does not name the installed tern"
grep -qF "$prefix/bin/tern" "$prefix/etc/xdg/aviary/HKCR.ini" || fail "HKCR.ini does not name the installed tern"
pass "the system registry and the activation file name the installed places"

for p in kestrel wren tern aviary-sim aviary-backup; do
    dyn="$(readelf -d "$prefix/bin/$p")"
    grep -qF "[\$ORIGIN/../lib/aviary]" <<<"$dyn" || fail "$p: run path is not \$ORIGIN/../lib/aviary"
    ! grep -qF "$build" <<<"$dyn" || fail "$p still points into the build tree"
done
pass "the programs find libplumage beside them, not in the build tree"

# --- the installed programs -----------------------------------------------------------
as_new_user "$prefix/bin/tern" --version | grep -q '^tern (Aviary) [0-9]' || fail "tern --version"
as_new_user "$prefix/bin/tern" --help | grep -q '^usage: tern' || fail "tern --help"
as_new_user "$prefix/bin/aviary-sim" --version | grep -q '^aviary-sim (Aviary) [0-9]' || fail "aviary-sim --version"
as_new_user "$prefix/bin/aviary-sim" --help | grep -q '^usage: aviary-sim' || fail "aviary-sim --help"
as_new_user "$prefix/bin/aviary-backup" --version | grep -q '^aviary-backup [0-9]' || fail "aviary-backup --version"
for p in kestrel merlin wren; do
    as_new_user timeout 10 "$prefix/bin/$p" --help | grep -q "^usage: $p" || fail "$p --help"
    as_new_user timeout 10 "$prefix/bin/$p" --version | grep -q "^$p (Aviary) [0-9]" || fail "$p --version"
done
pass "tern, aviary-sim, aviary-backup, kestrel, merlin and wren answer --help and --version"

for f in share/doc/aviary/copyright share/doc/aviary/guide.md share/doc/aviary/images/merlin-network.png; do
    [ -s "$prefix/$f" ] || fail "the installation lacks $f"
done
! cmp -s "$prefix/share/icons/hicolor/48x48/apps/aviary-kestrel.png" \
         "$prefix/share/icons/hicolor/48x48/apps/aviary-merlin.png" || fail "Kestrel and Merlin have the same icon"
for p in kestrel merlin wren; do
    grep -q '^StartupWMClass=' "$prefix/share/applications/aviary-$p.desktop" || fail "aviary-$p.desktop lacks StartupWMClass"
done
pass "the guide, the copyright and two distinct manager icons are installed"

# Simulated drives on COM1, from the installed simulator.
"${new_user[@]}" "$prefix/bin/aviary-sim" sio --pty </dev/null >"$work/sim.log" 2>&1 &
pids+=("$!")
com1=""
for _ in $(seq 100); do
    com1="$(sed -n 's/^PTY //p' "$work/sim.log" | head -n 1)"
    [ -n "$com1" ] && break
    sleep 0.1
done
[ -n "$com1" ] || fail "the installed aviary-sim printed no pseudo-terminal: $(cat "$work/sim.log")"
pass "the installed aviary-sim serves SIO drives on $com1"

# aviary-backup of the installation scans the simulated line and keeps its
# device table in the installation's data directory.
as_new_user timeout 60 "$prefix/bin/aviary-backup" --family kestrel --port "$com1" scan >"$work/scan.log" 2>&1 ||
    fail "aviary-backup scan: $(tail -5 "$work/scan.log")"
grep -q '^ *1[^0-9]' "$work/scan.log" || fail "aviary-backup found no drive 1: $(cat "$work/scan.log")"
pass "the installed aviary-backup scans the simulated drives"

# Merlin's simulated drives read their definition files from the installation.
"${new_user[@]}" "$prefix/bin/aviary-sim" merlin --pty --drive LM3_Normal_V3.dpf@1 </dev/null >"$work/msim.log" 2>&1 &
pids+=("$!")
for _ in $(seq 100); do grep -q '^PTY ' "$work/msim.log" && break; sleep 0.1; done
grep -q '^PTY ' "$work/msim.log" || fail "the installed aviary-sim found no definition file: $(cat "$work/msim.log")"
pass "the installed aviary-sim loads a definition file from share/aviary/DeviceData"

# Wren walks its tour and starts Kestrel from its own directory; Kestrel finds
# its installation through the system layer and walks its own tour.
as_new_user env AVIARY_DEMO_TOUR="$work/shots" AVIARY_COM1="$com1" \
    timeout 60 "$prefix/bin/wren" >"$work/wren.log" 2>&1 || fail "wren: $(tail -5 "$work/wren.log")"
for _ in $(seq 600); do [ -e "$work/shots/kestrel.done" ] && break; sleep 0.1; done
[ "$(cat "$work/shots/kestrel.done" 2>/dev/null)" = complete ] ||
    fail "the installed Kestrel did not come up (see $work/wren.log; KEEP=1 keeps it)"
ls "$work/shots"/wren-*.png >/dev/null 2>&1 || fail "wren left no screenshots"
[ -e "$work/home/.config/aviary/HKCU.ini" ] || fail "Kestrel kept no settings in the user's directory"
[ ! -e "$work/home/.config/aviary/HKLM.ini" ] || fail "a registry step wrote the user's HKLM.ini"
pass "wren starts the installed kestrel; settings go to the user's directory, no registration"

# A client's call starts the installed Tern through the activation file.
command -v dbus-run-session >/dev/null || fail "dbus-run-session is missing (scripts/install-deps.sh)"
as_new_user dbus-run-session -- dbus-send --session --print-reply --dest=org.aviary.Tern \
    / org.freedesktop.DBus.Introspectable.Introspect >"$work/tern.log" 2>&1 ||
    fail "the bus could not start the installed tern: $(tail -5 "$work/tern.log")"
pass "the session bus starts the installed tern on demand"

# --- desktop entries ------------------------------------------------------------------
command -v desktop-file-validate >/dev/null || fail "desktop-file-validate is missing (scripts/install-deps.sh)"
for f in "$prefix"/share/applications/*.desktop "$root"/packaging/desktop/*.desktop; do
    desktop-file-validate "$f" || fail "$f does not validate"
done
pass "the desktop entries validate"

# --- the Debian package ----------------------------------------------------------------
(cd "$build" && cpack -G DEB -B "$work/deb") >"$work/cpack.log" 2>&1 || {
    tail -20 "$work/cpack.log" >&2
    fail "cpack"
}
deb="$(ls "$work"/deb/aviary_*.deb 2>/dev/null | head -n 1)"
[ -n "$deb" ] || fail "cpack made no .deb"
dpkg-deb -c "$deb" | awk '{ $1=$2=$3=$4=$5=""; sub(/^ +/, ""); print }' >"$work/deb.files"
for f in ./usr/bin/kestrel ./usr/bin/wren ./usr/bin/tern ./usr/bin/aviary-sim ./usr/bin/aviary-backup \
         ./usr/lib/aviary/libplumage.so \
         ./usr/share/aviary/DeviceData/LM3_Normal_V3.dpf "./usr/share/aviary/Help/RHX,RQ 9000/" \
         ./usr/share/aviary/tvk/ ./usr/share/applications/aviary-kestrel.desktop \
         ./usr/share/applications/aviary-wren.desktop ./usr/share/dbus-1/services/org.aviary.Tern.service \
         ./usr/share/icons/hicolor/48x48/apps/aviary-wren.png ./usr/share/man/man1/kestrel.1.gz \
         ./etc/xdg/aviary/HKLM.ini ./etc/xdg/aviary/HKCR.ini; do
    grep -qxF "$f" "$work/deb.files" || fail "the package lacks $f"
done
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./etc/xdg/aviary/HKLM.ini | grep -qxF 'InstallPath=s:/usr/share/aviary' ||
    fail "the package's HKLM.ini does not name /usr/share/aviary"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/dbus-1/services/org.aviary.Tern.service |
    grep -qxF 'Exec=/usr/bin/tern -Embedding' || fail "the package's activation file does not name /usr/bin/tern"
# Programs that came later ride along once the installation carries them.
for p in merlin; do
    [ ! -e "$prefix/bin/$p" ] || grep -qxF "./usr/bin/$p" "$work/deb.files" || fail "the package lacks ./usr/bin/$p"
done
[ ! -e "$prefix/bin/merlin" ] || grep -qxF ./usr/share/applications/aviary-merlin.desktop "$work/deb.files" ||
    fail "the package lacks Merlin's desktop entry"
depends="$(dpkg-deb -f "$deb" Depends)"
for d in libqt6widgets6 libqt6dbus6 dbus-session-bus xdg-utils; do
    grep -q "$d" <<<"$depends" || fail "the package does not depend on $d: $depends"
done
pass "$(basename "$deb") holds the programs, the library, the data, desktop files and the service file"

# The system layer is the administrator's to edit: dpkg must know it as
# configuration, or a reinstall or an upgrade overwrites the edit.
dpkg-deb -e "$deb" "$work/control"
for f in /etc/xdg/aviary/HKLM.ini /etc/xdg/aviary/HKCR.ini; do
    grep -qxF "$f" "$work/control/conffiles" 2>/dev/null || fail "the package does not mark $f as a configuration file"
done
# Into a scratch root: installed, edited, installed again; the edit stays.
if [ "$(id -u)" = 0 ]; then
    scratch="$work/dpkg-root"
    mkdir -p "$scratch/var/lib/dpkg/info" "$scratch/var/lib/dpkg/updates" "$scratch/var/lib/dpkg/triggers"
    touch "$scratch/var/lib/dpkg/status" "$scratch/var/lib/dpkg/available"
    # The scratch root has no shell to run the package's scripts in: they run
    # here, with ldconfig (all they call) a no-op, so this machine is untouched.
    mkdir -p "$work/stub-bin"
    printf '#!/bin/sh\nexit 0\n' >"$work/stub-bin/ldconfig"
    chmod 755 "$work/stub-bin/ldconfig"
    dpkg_scratch() {
        PATH="$work/stub-bin:$PATH" dpkg --root="$scratch" --force-depends --force-unsafe-io --force-confold \
            --force-script-chrootless "$@" >>"$work/dpkg.log" 2>&1 ||
            fail "dpkg $*: $(tail -5 "$work/dpkg.log")"
    }
    dpkg_scratch -i "$deb"
    echo "; the plant's own installation folder" >>"$scratch/etc/xdg/aviary/HKLM.ini"
    edited="$(cat "$scratch/etc/xdg/aviary/HKLM.ini")"
    dpkg_scratch -i "$deb"
    [ "$(cat "$scratch/etc/xdg/aviary/HKLM.ini")" = "$edited" ] || fail "a reinstall overwrote the administrator's HKLM.ini"
    dpkg_scratch --remove aviary
    [ "$(cat "$scratch/etc/xdg/aviary/HKLM.ini" 2>/dev/null)" = "$edited" ] ||
        fail "removing the package (not purging it) took the administrator's HKLM.ini"
fi
pass "the system registry is marked as configuration: an administrator's edit survives a reinstall"

# lintian, where it is installed: no errors (warnings are listed, not fatal).
if command -v lintian >/dev/null; then
    lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1 || true
    if grep -q '^E: ' "$work/lintian.log"; then
        grep '^E: ' "$work/lintian.log" >&2
        fail "lintian reports errors"
    fi
    pass "lintian reports no errors ($(grep -c '^W: ' "$work/lintian.log" || true) warnings)"
fi

echo "check-install: the installed suite works ($checks checks)"
