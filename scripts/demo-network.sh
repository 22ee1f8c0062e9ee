#!/usr/bin/env bash
# Shows Roamdock without a desktop: a private network of namespaces with simulated devices, an X
# virtual display inside it, and the program's window run as an unprivileged user. After the first
# search it saves a screenshot and prints the devices the window lists. Nothing leaves the private
# network; every namespace and process goes away on exit, also on failure or Ctrl-C.
#
# Usage: scripts/demo-network.sh [--build DIR] [--shot FILE] [--locale LOCALE]
#   --build   build tree holding bin/roamdock-demo and bin/roamdock-devsim (default: build)
#   --shot    where the screenshot goes (default: DIR/roamdock-screenshot.png)
#   --locale  the system locale the program sees (default: en_US.UTF-8; zh_CN.UTF-8 for Chinese)
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
shot=""
locale=en_US.UTF-8
while [ $# -gt 0 ]; do
    case "$1" in
    --build) build=$2; shift 2 ;;
    --shot) shot=$2; shift 2 ;;
    --locale) locale=$2; shift 2 ;;
    -h | --help) sed -n '2,11p' "$0"; exit 0 ;;
    *) echo "demo-network: unknown argument $1" >&2; exit 2 ;;
    esac
done
[ -n "$shot" ] || shot=$build/roamdock-screenshot.png
demo=$build/bin/roamdock-demo
devsim=$build/bin/roamdock-devsim
for program in "$demo" "$devsim"; do
    [ -x "$program" ] || { echo "demo-network: $program is missing; build it first" >&2; exit 1; }
done
if [ "$(id -u)" -ne 0 ]; then
    echo "demo-network: creating network namespaces needs root; run it with sudo" >&2
    exit 1
fi

tag=rddemo$$
hostns=$tag-host
work=$(mktemp -d /tmp/roamdock-demo.XXXXXX)
chmod 711 "$work"
pids=()
namespaces=()

cleanup() {
    local pid ns
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    for ns in "${namespaces[@]}"; do
        ip netns del "$ns" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

add_ns() {
    ip netns add "$1"
    namespaces+=("$1")
    ip -n "$1" link set lo up
}

# The host: one bridge with 10.0.0.5, carrying the default route so that 255.255.255.255 and the
# multicast group have a way out, into the private network only.
add_ns "$hostns"
ip -n "$hostns" link add br0 type bridge mcast_snooping 0
ip -n "$hostns" addr add 10.0.0.5/24 dev br0
ip -n "$hostns" link set br0 up
ip -n "$hostns" route add default dev br0

# The devices, one namespace each; the last one's vendor is not accepted and must not be listed.
devices=(
    "10.0.0.21 id=RD21 host=Office-Roamdock vendor=VANTRO product=RD-300"
    "10.0.0.22 id=OB22 host=Travel-Box vendor=ORBIT5 product=OB-5"
    "10.0.0.23 id=NX23 host=nexla-pocket vendor=NEXLA product=NX-1"
    "10.0.0.24 id=AC24 host=other-router vendor=ACME product=AC-9"
)
i=0
for entry in "${devices[@]}"; do
    i=$((i + 1))
    address=${entry%% *}
    devns=$tag-d$i
    add_ns "$devns"
    ip -n "$hostns" link add "veth$i" type veth peer name eth0 netns "$devns"
    ip -n "$hostns" link set "veth$i" master br0 up
    ip -n "$devns" addr add "$address/24" dev eth0
    ip -n "$devns" link set eth0 up
    ip -n "$devns" route add default dev eth0
    echo "${entry#* }" >"$work/device$i.txt"
    ip netns exec "$devns" "$devsim" --devices "$work/device$i.txt" >"$work/devsim$i.log" 2>&1 &
    pids+=($!)
done

# The X display lives in the host namespace too; it picks a free display number itself.
ip netns exec "$hostns" Xvfb -displayfd 3 -screen 0 360x280x24 -wr -nolisten tcp 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "demo-network: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
display=:$(head -n 1 "$work/display")

# Never the window as root: an unprivileged user with its own home, allowed to bind port 67 only.
user=nobody
group=$(id -gn nobody 2>/dev/null || echo nogroup)
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
chown -R "$user:$group" "$work/home" "$work/run"
echo "demo-network: devices answer on 10.0.0.21-24; the window runs on display $display as $user ($locale)"
echo "demo-network: waiting for the first search (ten seconds)..."
status=0
ip netns exec "$hostns" setpriv --reuid="$user" --regid="$group" --init-groups \
    --inh-caps=+net_bind_service --ambient-caps=+net_bind_service \
    env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_RUNTIME_DIR="$work/run" DISPLAY="$display" QT_QPA_PLATFORM=xcb LC_ALL="$locale" \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
    timeout 60 "$demo" "$work/run/screenshot.png" || status=$?
if [ $status -ne 0 ]; then
    echo "demo-network: the program ended with status $status" >&2
    exit $status
fi
mkdir -p "$(dirname "$shot")"
cp "$work/run/screenshot.png" "$shot"
echo "demo-network: screenshot saved to $shot"
