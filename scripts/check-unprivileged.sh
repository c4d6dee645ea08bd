#!/usr/bin/env bash
# Runs the whole test suite once more as a user who is not root. CI runs as
# root, and root ignores file permissions and a port's exclusive mode, so a
# suite that passes only for root hides faults every normal user meets.
#
#   BUILD_DIR   the built tree (default: build)
#   AS_USER     who runs it (default: nobody)
#   JOBS        tests at once (default: 2, one a core: the tests that answer
#               a line within a few milliseconds fail on a crowded machine)
#   extra arguments go to ctest (e.g. -R Serial)
#
# The build tree belongs to that user while the tests run (ctest and some
# tests write into it) and goes back to its owner afterwards; the user gets
# a fresh home and XDG folders of its own and a private session bus.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${BUILD_DIR:-$root/build}" && pwd)"
jobs="${JOBS:-2}"

fail() {
    echo "check-unprivileged: FAILED: $*" >&2
    exit 1
}

[ -f "$build/CTestTestfile.cmake" ] || fail "$build is not a built tree (make build first)"
if [ "$(id -u)" != 0 ]; then
    echo "check-unprivileged: running as $(id -un)"
    # What the test preset sets.
    export QT_QPA_PLATFORM=offscreen AVIARY_BIN_DIR="$build/bin"
    # The suite, then the fuzz targets two at a time with nothing beside them
    # (each takes both of the first run's slots, so alone it would leave a
    # core idle for all its seconds).
    ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 120 -LE fuzz "$@"
    exec ctest --test-dir "$build" --output-on-failure -j$((jobs * 2)) --timeout 120 -L fuzz "$@"
fi

user="${AS_USER:-nobody}"
group="$(id -gn "$user")" || fail "no user $user"
command -v setpriv >/dev/null || fail "setpriv is missing (util-linux)"
command -v dbus-run-session >/dev/null || fail "dbus-run-session is missing (scripts/install-deps.sh)"

owner="$(stat -c %u:%g "$build")"
home="$(mktemp -d "${TMPDIR:-/tmp}/aviary-unprivileged.XXXXXX")"
# The user must reach the sources and the build tree: a folder above them that
# others may not pass (a checkout below /root) gets the search bit for the run
# and its own mode back afterwards.
opened=()
open_path() {
    local path="" part mode parts
    IFS=/ read -ra parts <<<"${1#/}"
    for part in "${parts[@]}"; do
        path="$path/$part"
        mode="$(stat -c %a "$path")"
        if [ $((8#$mode & 1)) -eq 0 ]; then
            chmod o+x "$path"
            opened+=("$mode:$path")
        fi
    done
}
restore() {
    chown -R "$owner" "$build"
    for entry in "${opened[@]}"; do chmod "${entry%%:*}" "${entry#*:}"; done
    rm -rf "$home"
}
trap restore EXIT
open_path "$root"
open_path "$build"
mkdir -p "$home/.config" "$home/.local/share" "$home/.cache" "$home/runtime" "$home/tmp"
chmod 700 "$home/runtime"
chown -R "$user:$group" "$home" "$build"

echo "check-unprivileged: the suite as $user:$group (home $home)"
rc=0
setpriv --reuid="$user" --regid="$group" --clear-groups \
    env -i PATH="$PATH" HOME="$home" LANG=C.UTF-8 TMPDIR="$home/tmp" \
    XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" \
    XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=offscreen AVIARY_BIN_DIR="$build/bin" \
    BUILD_DIR="$build" JOBS="$jobs" dbus-run-session -- "$root/scripts/check-unprivileged.sh" "$@" || rc=$?
[ "$rc" = 0 ] || fail "ctest as $user exited with $rc"
echo "check-unprivileged: the whole suite passes as $user"
