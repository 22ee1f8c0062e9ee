#!/usr/bin/env bash
# The installed program starts: install the build into a scratch prefix, check the desktop entry and
# icon, start the installed program inside a private network namespace (it searches on start) until
# its data folder is written, start it again (that copy must end at once, successfully) and stop it.
# Usage: installed_program.sh BUILD_DIR      Exit 77: skipped (not root).
set -euo pipefail
build=$1
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: the program searches on start; a private network namespace needs root"
    exit 77
fi

work=$(mktemp -d /tmp/roamdock-install.XXXXXX)
ns=rdinst$$
pid=""
cleanup() {
    [ -z "$pid" ] || { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
    ip netns del "$ns" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "install"; }
for f in bin/roamdock bin/roamdock-scan share/applications/roamdock.desktop \
    share/icons/hicolor/32x32/apps/roamdock.png; do
    [ -e "$prefix/$f" ] || fail "$f was not installed"
done
desktop=$prefix/share/applications/roamdock.desktop
grep -qx 'Exec=roamdock' "$desktop" || fail "the desktop entry does not start roamdock"
grep -qx 'Icon=roamdock' "$desktop" || fail "the desktop entry does not name the installed icon"
grep -qx 'Name=Vantro Roamdock' "$desktop" || fail "the desktop entry has another name"

ip netns add "$ns"
ip -n "$ns" link set lo up
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
run_installed() {
    # A clean environment, apart from the sanitizer settings of the tree under test. exec: a job
    # started with & is then the program itself, so that cleanup stops the program.
    exec ip netns exec "$ns" env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" \
        XDG_RUNTIME_DIR="$work/run" LC_ALL=C QT_QPA_PLATFORM=offscreen \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" "$prefix/bin/roamdock"
}
run_installed >"$work/first.log" 2>&1 &
pid=$!
picture=$work/home/.local/share/KIRUNSearchTools/Picture/ButtonMax.png
for _ in $(seq 200); do
    [ -s "$picture" ] && break
    kill -0 "$pid" 2>/dev/null || { cat "$work/first.log"; fail "the installed program ended at start"; }
    sleep 0.1
done
[ -s "$picture" ] || fail "the installed program did not write its data folder"
# Give it the moment it needs to open its window and its single-instance socket.
sleep 1
kill -0 "$pid" 2>/dev/null || { cat "$work/first.log"; fail "the installed program did not keep running"; }

status=0
timeout 20 bash -c "$(declare -f run_installed); ns=$ns work=$work prefix=$prefix run_installed" \
    >"$work/second.log" 2>&1 || status=$?
[ $status -eq 0 ] || { cat "$work/second.log"; fail "the second start ended with status $status"; }
kill -0 "$pid" 2>/dev/null || fail "the first copy ended when the second started"
echo "PASS: installed, started, a second start ended at once"
