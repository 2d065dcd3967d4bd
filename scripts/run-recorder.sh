#!/usr/bin/env bash
# Sets up and starts the recorder. Without VANTOR_REGISTRY set, it runs on a demo: a game folder
# with the game's sound, a settings store with auto-record on, and a data folder, all under demo/
# (or $VANTOR_DEMO_DIR), so that a result log dropped into demo/game is recorded within one tick
# (see README). With --demo-only as first argument it prepares the demo and starts nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
demo_only=false
if [ "${1:-}" = "--demo-only" ]; then
    demo_only=true
    shift
fi
$demo_only || "$here/scripts/setup.sh"
build="${VANTOR_BUILD_DIR:-$here/build}"

# As root the programs go to /usr/local/bin (on the PATH of every login shell), with
# their launchers, icon and user unit; otherwise they stay in the build tree.
# VANTOR_NO_INSTALL=1 keeps them there also for root; VANTOR_INSTALL_PREFIX names another prefix.
prefix="${VANTOR_INSTALL_PREFIX:-/usr/local}"
if $demo_only; then
    :
elif [ "$(id -u)" = 0 ] && [ -z "${VANTOR_NO_INSTALL:-}" ]; then
    cmake --install "$build" --prefix "$prefix" >/dev/null
    echo "Installed: $prefix/bin/VantorRecorder and $prefix/bin/VantorUtilities."
    recorder="$prefix/bin/VantorRecorder"
else
    recorder="$build/recorder/VantorRecorder"
    echo "The programs: $build/recorder/VantorRecorder and $build/utilities/VantorUtilities."
    echo "Put them on PATH:  export PATH=\"$build/recorder:$build/utilities:\$PATH\""
fi

# A short tone as a PCM wave file, where the game keeps the sound played after each upload.
write_tone() {
    /usr/bin/python3 - "$1" <<'PY'
import math, struct, sys, wave
rate, seconds, pitch = 22050, 0.25, 880.0
count = int(rate * seconds)
frames = b"".join(
    struct.pack("<h", int(12000 * math.sin(2 * math.pi * pitch * i / rate)
                          * min(1.0, (count - i) / (rate * 0.05))))
    for i in range(count))
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1)
    w.setsampwidth(2)
    w.setframerate(rate)
    w.writeframes(frames)
PY
}

if [ -z "${VANTOR_REGISTRY:-}" ]; then
    demo="${VANTOR_DEMO_DIR:-$here/demo}"
    mkdir -p "$demo/game" "$demo/data"
    export VANTOR_REGISTRY="$demo/registry.reg"
    if [ ! -f "$VANTOR_REGISTRY" ]; then
        printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"AutoRecord"="true"\n\n[HKEY_LOCAL_MACHINE\\Software\\Red Storm Entertainment\\Rogue Spear]\n"InstallationPath"="%s"\n"MultiplayerPlayerName"="DemoPlayer"\n' \
            "$demo/game" >"$VANTOR_REGISTRY"
    fi
    # Without it every upload of the live stats demo would end in an error box.
    sound="$demo/game/data/sound/English/tm_cmpdn.wav"
    if [ ! -f "$sound" ]; then
        mkdir -p "$(dirname "$sound")"
        write_tone "$sound.tmp"
        mv -f "$sound.tmp" "$sound"
    fi
    cd "$demo/data"
    echo "Demo: game folder $demo/game, data folder $demo/data."
    echo "Record a game:  cp $here/tests/data/logs/demo_adversarial.log $demo/game/RSResults0.log"
fi
$demo_only && exit 0
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: the window runs off screen (set DISPLAY to see it)."
    export QT_QPA_PLATFORM=offscreen
fi
exec "$recorder" "$@"
