#!/usr/bin/env bash
# Sets up and starts the recorder. Without VANTOR_REGISTRY set, it runs on a demo: a game folder,
# a settings store with auto-record on, and a data folder, all under demo/, so that a result log
# dropped into demo/game is recorded within one tick (see README).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
build="${VANTOR_BUILD_DIR:-$here/build}"

# As root the programs go to /usr/local/bin (on the PATH of every login shell), with
# their launchers, icon and user unit; otherwise they stay in the build tree.
# VANTOR_NO_INSTALL=1 keeps them there also for root; VANTOR_INSTALL_PREFIX names another prefix.
prefix="${VANTOR_INSTALL_PREFIX:-/usr/local}"
if [ "$(id -u)" = 0 ] && [ -z "${VANTOR_NO_INSTALL:-}" ]; then
    cmake --install "$build" --prefix "$prefix" >/dev/null
    echo "Installed: $prefix/bin/VantorRecorder and $prefix/bin/VantorUtilities."
    recorder="$prefix/bin/VantorRecorder"
else
    recorder="$build/recorder/VantorRecorder"
    echo "The programs: $build/recorder/VantorRecorder and $build/utilities/VantorUtilities."
    echo "Put them on PATH:  export PATH=\"$build/recorder:$build/utilities:\$PATH\""
fi

if [ -z "${VANTOR_REGISTRY:-}" ]; then
    demo="$here/demo"
    mkdir -p "$demo/game" "$demo/data"
    export VANTOR_REGISTRY="$demo/registry.reg"
    if [ ! -f "$VANTOR_REGISTRY" ]; then
        printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"AutoRecord"="true"\n\n[HKEY_LOCAL_MACHINE\\Software\\Red Storm Entertainment\\Rogue Spear]\n"InstallationPath"="%s"\n"MultiplayerPlayerName"="DemoPlayer"\n' \
            "$demo/game" >"$VANTOR_REGISTRY"
    fi
    cd "$demo/data"
    echo "Demo: game folder $demo/game, data folder $demo/data."
    echo "Record a game:  cp $here/tests/data/logs/demo_adversarial.log $demo/game/RSResults0.log"
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: the window runs off screen (set DISPLAY to see it)."
    export QT_QPA_PLATFORM=offscreen
fi
exec "$recorder" "$@"
