#!/usr/bin/env bash
# A port opens again and again for a user who is not root. Root ignores a
# tty's exclusive mode, so a pseudo-terminal left exclusive after a close
# (its far end, the simulator, stays open) fails only for everybody else:
# the first scan works and every later open gets EBUSY. Run as root (CI),
# this script runs itself again as `nobody`.
#
#   port-reuse-unprivileged.sh BIN_DIR DBUS_SESSION_CONFIG kestrel|merlin
#
# Against simulated drives on a pseudo-terminal, twice in a row: kestrel,
# aviary-backup scans Kestrel's family over the port itself (CMSComm, as
# Kestrel's windows use it); merlin, it saves a Merlin drive through the
# link server (tern, started on demand by the bus, opens the port).
set -euo pipefail

bin="$(cd "$1" && pwd)"
busconf="$2"
family="$3"
self="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"

fail() {
    echo "port-reuse: FAILED: $*" >&2
    exit 1
}

if [ "$(id -u)" = 0 ]; then
    user=nobody
    group="$(id -gn "$user")" || fail "no user $user to drop to"
    command -v setpriv >/dev/null || fail "setpriv is missing (util-linux)"
    if ! setpriv --reuid="$user" --regid="$group" --clear-groups test -x "$bin/aviary-backup"; then
        # A build below a folder closed to others: check-unprivileged.sh opens it.
        echo "port-reuse: $user cannot reach $bin; skipped"
        exit 77
    fi
    home="$(mktemp -d "${TMPDIR:-/tmp}/aviary-port-reuse.XXXXXX")"
    trap 'rm -rf "$home"' EXIT
    chown "$user:$group" "$home"
    rc=0
    setpriv --reuid="$user" --regid="$group" --clear-groups \
        env -i PATH="$PATH" HOME="$home" TMPDIR="$home" LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
        "$self" "$bin" "$busconf" "$family" || rc=$?
    exit "$rc"
fi

[ "$(id -u)" != 0 ] || fail "still root"
work="$(mktemp -d "${TMPDIR:-/tmp}/port-reuse.XXXXXX")"
# simulate runs in a command substitution, a subshell: the simulators' pids
# reach the cleanup through a file.
cleanup() {
    if [ -f "$work/pids" ]; then
        while read -r p; do kill "$p" 2>/dev/null || true; done <"$work/pids"
    fi
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Starts a simulator and prints the pseudo-terminal it serves.
simulate() {
    local log="$1"
    shift
    "$bin/aviary-sim" "$@" </dev/null >"$log" 2>&1 &
    echo "$!" >>"$work/pids"
    local pty=""
    for _ in $(seq 100); do
        pty="$(sed -n 's/^PTY //p' "$log" | head -n 1)"
        [ -n "$pty" ] && break
        sleep 0.05
    done
    [ -n "$pty" ] || fail "aviary-sim $* printed no pseudo-terminal: $(cat "$log")"
    echo "$pty"
}

case "$family" in
kestrel)
    sio="$(simulate "$work/sio.log" sio --pty --drives 1:1808)"
    for round in 1 2; do
        out="$work/kestrel-scan-$round.log"
        timeout 20 "$bin/aviary-backup" --family kestrel --port "$sio" --wait 20 --rts-hold 0 --retries 2 --delay 1 \
            --json scan >"$out" 2>&1 || fail "Kestrel's family, scan $round as $(id -un): $(cat "$out")"
        grep -qF '"address": 1,' "$out" || fail "Kestrel's family, scan $round found no drive 1: $(cat "$out")"
    done
    echo "port-reuse: ok: Kestrel's family scans the same pseudo-terminal twice as $(id -un)"
    ;;
merlin)
    # Tern from the build tree is registered by the user, as the README says.
    "$bin/tern" -RegServer >"$work/regserver.log" 2>&1 || fail "tern -RegServer: $(cat "$work/regserver.log")"
    modbus="$(simulate "$work/merlin.log" merlin --pty --drive LM3_Normal_V3.dpf@1)"
    for round in 1 2; do
        out="$work/merlin-backup-$round.log"
        mkdir "$work/files-$round"
        timeout 30 dbus-run-session --config-file="$busconf" -- \
            "$bin/aviary-backup" --family merlin --port "$modbus" --dir "$work/files-$round" \
            --timeout 300 --delay 1 --retries 1 backup 1 >"$out" 2>&1 ||
            fail "Merlin's family, backup $round as $(id -un): $(cat "$out")"
        ls "$work/files-$round"/*.par >/dev/null 2>&1 || fail "Merlin's family, backup $round saved no file: $(cat "$out")"
    done
    echo "port-reuse: ok: Merlin's family saves a drive through tern twice as $(id -un)"
    ;;
*) fail "which family: kestrel or merlin, not '$family'" ;;
esac
