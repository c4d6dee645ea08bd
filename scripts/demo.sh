#!/usr/bin/env bash
# The demo: a writable demo installation under demo-out/, the registry of the
# programs redirected there, COM1 on a pseudo-terminal with simulated SIO
# drives behind it, then Wren. Without a display the programs run offscreen,
# walk a short scripted tour and leave screenshots in demo-out/screenshots.
#
# The tour's screenshots also refresh the pictures of the user guide
# (docs/images); `scripts/demo.sh --tour` takes the tour even on a display.
#
#   BUILD_DIR    build tree with bin/ (default: build)
#   DEMO_OUT     where the installation, registry and screenshots go (default: demo-out)
#   DOCS_IMAGES  where the guide's pictures go (default: docs/images)
set -euo pipefail

if [ "${1:-}" = "--tour" ]; then
    unset DISPLAY WAYLAND_DISPLAY
fi

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
bin="$build/bin"
out="${DEMO_OUT:-$root/demo-out}"
install="$out/install"
registry="$out/registry"
shots="$out/screenshots"
company="Aviary Drives"   # the branding library's company name: part of the installation key

if [ ! -x "$bin/wren" ] || [ ! -x "$bin/kestrel" ]; then
    echo "demo: $bin/wren or $bin/kestrel is missing; build first (make build)" >&2
    exit 1
fi

mkdir -p "$install/tvk" "$install/parameter" "$install/custom" "$install/Help/RHX,RQ 9000" "$registry"
# A sample parameter file (and the database of its version) to open.
python3 "$(dirname "$0")/kestrel_files.py" demo "$install"
# A second file of the sample's version, with another accel time stored, for
# the tour's file compare.
python3 - "$install/parameter/demo.par" "$install/parameter/demo-b.par" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
open(sys.argv[2], "wb").write(data.replace(b"001303E8", b"001307D0"))
PY
export AVIARY_DEMO_LISTS="$install/parameter/demo.par:$install/parameter/demo-b.par"
cat > "$registry/HKLM.ini" <<EOF
[SOFTWARE\\$company\\Aviary\\1.4.1]
InstallPath=s:$install
EOF
export AVIARY_REGISTRY="$registry"

pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT

# Waits up to 5 s for a line "<word> <path>" in a log and prints the path.
path_from_log() {
    local word="$1" log="$2" path=""
    for _ in $(seq 50); do
        path="$(sed -n "s/^$word //p" "$log" | head -n 1)"
        [ -n "$path" ] && break
        sleep 0.1
    done
    printf '%s' "$path"
}

# COM1: simulated drives when the simulator is built, else a bare
# pseudo-terminal so that the port at least opens.
com1=""
if [ -x "$bin/aviary-sim" ]; then
    "$bin/aviary-sim" sio --pty </dev/null >"$out/sim.log" 2>&1 &
    pids+=("$!")
    com1="$(path_from_log PTY "$out/sim.log")"
    [ -n "$com1" ] && echo "demo: COM1 -> $com1 (simulated drives 1, 2 and 5; log $out/sim.log)"
fi
if [ -z "$com1" ] && command -v socat >/dev/null 2>&1; then
    rm -f "$out/com1" "$out/com1-far"
    socat pty,raw,echo=0,link="$out/com1" pty,raw,echo=0,link="$out/com1-far" 2>"$out/socat.log" &
    pids+=("$!")
    for _ in $(seq 50); do [ -e "$out/com1" ] && break; sleep 0.1; done
    [ -e "$out/com1" ] && com1="$out/com1" && echo "demo: COM1 -> $com1 (no simulator built: nothing answers)"
fi
[ -n "$com1" ] && export AVIARY_COM1="$com1"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    # No display: a fresh profile so the tour meets the start-up and communication dialogs.
    rm -f "$registry/HKCU.ini"
    rm -rf "$shots"
    mkdir -p "$shots"
    export QT_QPA_PLATFORM=offscreen AVIARY_DEMO_TOUR="$shots"
    echo "demo: no display; running the tour offscreen"
    "$bin/wren" 2>"$out/wren.log"
    # Wren has started Kestrel and ended; Kestrel reports the end of its tour.
    for _ in $(seq 600); do [ -e "$shots/kestrel.done" ] && break; sleep 0.1; done
    sleep 0.5
    echo "demo: screenshots in $shots:"
    ls -1 "$shots"/*.png | sed 's/^/  /'
    if [ "$(cat "$shots/kestrel.done" 2>/dev/null)" != "complete" ]; then
        echo "demo: the Kestrel tour did not complete (see $out/wren.log)" >&2
        exit 1
    fi
    # Merlin: LM3 and LT4 drives on COM2 behind the link server, which a
    # private session bus starts on demand.
    if [ -x "$bin/merlin" ] && [ -x "$bin/tern" ] && [ -x "$bin/aviary-sim" ]; then
        "$bin/aviary-sim" merlin --pty --drive LM3_Normal_V3.dpf@1 --drive LT4_Vexal_V2.dpf@2 \
            </dev/null >"$out/sim-merlin.log" 2>&1 &
        pids+=("$!")
        com2="$(path_from_log PTY "$out/sim-merlin.log")"
        if [ -n "$com2" ]; then
            echo "demo: COM2 -> $com2 (simulated LM3 and LT4 drives at stations 1 and 2)"
            export AVIARY_COM2="$com2"
            "$bin/tern" /RegServer
            dbus-run-session --config-file="$build/dbus-session.conf" -- "$bin/merlin" 2>"$out/merlin.log" || true
            ls -1 "$shots"/merlin-*.png 2>/dev/null | sed 's/^/  /'
            if [ "$(cat "$shots/merlin.done" 2>/dev/null)" != "complete" ]; then
                echo "demo: the Merlin tour did not complete (see $out/merlin.log)" >&2
                exit 1
            fi
        fi
    fi
    # The guide's pictures: the shots without their sequence numbers
    # (kestrel-3-network.png becomes kestrel-network.png).
    docs_images="${DOCS_IMAGES:-$root/docs/images}"
    mkdir -p "$docs_images"
    for f in "$shots"/*.png; do
        name="$(basename "$f" | sed -E 's/^([a-z]+)-[0-9]+-/\1-/')"
        cp "$f" "$docs_images/$name"
    done
    "$root/scripts/guide-images.sh" "$root/docs/guide.md" "$docs_images"
else
    "$bin/wren"
    if [ ${#pids[@]} -gt 0 ]; then
        echo "demo: the simulated line stays up on COM1 ($com1) while you work."
        read -r -p "demo: press Enter to stop it. " _ || true
    fi
fi
