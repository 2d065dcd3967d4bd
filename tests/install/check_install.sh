#!/usr/bin/env bash
# Installs the built tree into a temporary prefix and checks what a desktop and systemd find
# there. Usage: check_install.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix="$tmp/prefix"
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || fail "cmake --install: $(cat "$tmp/install.log")"

for program in VantorRecorder VantorUtilities; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing or not executable"
    "$prefix/bin/$program" --help >/dev/null || fail "installed $program --help failed"
    desktop="$prefix/share/applications/$program.desktop"
    [ -f "$desktop" ] || fail "share/applications/$program.desktop is missing"
    desktop-file-validate "$desktop" || fail "$program.desktop is not valid"
    grep -qx "Exec=$program" "$desktop" || fail "$program.desktop does not start $program"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ -f "$prefix/share/icons/hicolor/128x128/apps/$icon.png" ] || fail "icon \"$icon\" of $program.desktop is not in hicolor"
done

# Each program is whole in its own file: no library of ours is installed beside it.
[ -z "$(find "$prefix" -name 'libVantor*')" ] || fail "a library of ours is installed: $(find "$prefix" -name 'libVantor*')"
export VANTOR_REGISTRY="$tmp/registry.reg"
set +e
(cd "$tmp" && "$prefix/bin/VantorRecorder" --headless) 2>"$tmp/headless.err"
rc=$?
set -e
grep -q "Rogue Spear is not installed" "$tmp/headless.err" ||
    fail "installed headless recorder (exit $rc) did not run: $(cat "$tmp/headless.err")"
set +e
(cd "$tmp" && QT_QPA_PLATFORM=offscreen timeout 5 "$prefix/bin/VantorUtilities") 2>"$tmp/window.err"
rc=$?
set -e
[ "$rc" = 124 ] || fail "installed utilities window ended at once (exit $rc): $(cat "$tmp/window.err")"
# A program copied anywhere alone runs as installed: it loads nothing of ours from beside it.
mkdir "$tmp/alone"
cp "$prefix/bin/VantorRecorder" "$tmp/alone/"
set +e
(cd "$tmp" && "$tmp/alone/VantorRecorder" --headless) 2>"$tmp/alone.err"
rc=$?
set -e
grep -q "Rogue Spear is not installed" "$tmp/alone.err" ||
    fail "a recorder copied alone (exit $rc): $(cat "$tmp/alone.err")"
"$tmp/alone/VantorRecorder" --help >/dev/null || fail "a recorder copied alone has no --help"

unit="$prefix/lib/systemd/user/vantor-recorder.service"
[ -f "$unit" ] || fail "lib/systemd/user/vantor-recorder.service is missing"
grep -qx "ExecStart=$prefix/bin/VantorRecorder --headless" "$unit" || fail "unit does not start the installed recorder: $(grep ExecStart "$unit")"
grep -q "@" "$unit" && fail "unit keeps a placeholder: $(grep @ "$unit")"
# systemd's own reading of the unit, where systemd is there (it needs no running manager).
if command -v systemd-analyze >/dev/null; then
    mkdir -m 700 "$tmp/runtime"
    XDG_RUNTIME_DIR="$tmp/runtime" systemd-analyze --user verify "$unit" || fail "systemd rejects the unit"
fi

# A staged install (packagers): the files land under DESTDIR, the unit names the final path.
DESTDIR="$tmp/stage" cmake --install "$build" --prefix /opt/vantor >"$tmp/stage.log" || fail "staged install: $(cat "$tmp/stage.log")"
staged="$tmp/stage/opt/vantor/lib/systemd/user/vantor-recorder.service"
[ -f "$staged" ] || fail "staged unit is missing"
grep -qx "ExecStart=/opt/vantor/bin/VantorRecorder --headless" "$staged" || fail "staged unit: $(grep ExecStart "$staged")"
[ -x "$tmp/stage/opt/vantor/bin/VantorRecorder" ] || fail "staged recorder is missing"
echo "install tree good"
