#!/bin/bash
# Checks the 32-bit ARM hard-float Linux build (armhf), on this machine:
#  1. set-up: the cross compiler and qemu-user through apt-get, and an armhf
#     sysroot in .cache/armhf/sysroot (done once, then found in the cache);
#  2. cross build of the program and the tests in build-armhf/, with the
#     flags of the native build, through cmake/armhf-toolchain.cmake;
#  3. the whole CTest suite, every test program under qemu-arm;
#  4. scripts/compare-builds.sh --quick (the 4K and 1919x1079 renders are
#     left out, for time): the ARM program under qemu-arm must write exactly
#     what the native build/pm5544 writes (make builds it first).
# Prints the time of each step and fails when any step fails.
#
#   make test-armhf            (or: bash scripts/test-armhf.sh)
#
# The sysroot is made of Debian's armhf packages: apt-get resolves and
# downloads them with a state of its own under .cache/armhf/apt (no change to
# this machine's package set-up), dpkg-deb unpacks them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
cache=$root/.cache/armhf
sysroot=$cache/sysroot
build=build-armhf
jobs=${JOBS:-2}
log=$cache/setup.log

HOST_PACKAGES="g++-arm-linux-gnueabihf qemu-user"
# The libraries of scripts/install-deps.sh (google-benchmark aside), their
# runtime dependencies and the fonts.
SYSROOT_PACKAGES="libstdc++6 libpng-dev libtiff-dev nlohmann-json3-dev libcairo2-dev libpango1.0-dev \
libfontconfig-dev libfreetype-dev libglib2.0-dev libgtest-dev fonts-dejavu-core"

now() { date +%s; }

fail() {
    echo "test-armhf: $*" >&2
    exit 1
}

# Runs apt-get, its output in the set-up log; waits while another apt-get or
# dpkg holds the lock.
apt_get() {
    local tries=0
    while true; do
        if apt-get "$@" >>"$log" 2>&1; then return 0; fi
        if tail -n 5 "$log" | grep -q -i -E "could not get lock|unable to acquire|unable to lock" && [ $tries -lt 120 ]; then
            tries=$((tries + 1))
            sleep 5
            continue
        fi
        return 1
    done
}

installed() {
    case "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)" in
        *"install ok installed"*) return 0 ;;
        *) return 1 ;;
    esac
}

setup_host() {
    local missing="" p
    for p in $HOST_PACKAGES; do
        installed "$p" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "Installing missing packages:$missing"
    [ "$(id -u)" -eq 0 ] || fail "run as root (or install them yourself):$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt_get update -qq || fail "apt-get update failed, see $log"
    # shellcheck disable=SC2086
    apt_get install -y -qq --no-install-recommends $missing || fail "installing$missing failed, see $log"
}

setup_sysroot() {
    local state=$cache/apt
    local apt_armhf=(-o APT::Architecture=armhf -o APT::Architectures::=armhf
        -o "Dir::State=$state/state" -o "Dir::State::status=$state/status" -o "Dir::Cache=$state/cache")
    rm -rf "$state" "$sysroot" "$cache/sysroot.packages" "$root/$build"
    mkdir -p "$state/state/lists/partial" "$state/cache/archives/partial" "$sysroot"
    : >"$state/status"
    # The same package sources as this machine, read for armhf. An index that
    # cannot be fetched (a mirror in the middle of a sync) leaves the others.
    if ! apt_get "${apt_armhf[@]}" update -qq; then
        echo "test-armhf: some armhf package indices could not be fetched, the others are used (see $log)"
    fi
    # shellcheck disable=SC2086
    apt_get "${apt_armhf[@]}" install -y -qq --download-only --no-install-recommends $SYSROOT_PACKAGES ||
        fail "downloading the armhf packages failed, see $log"
    local deb
    for deb in "$state"/cache/archives/*.deb; do
        dpkg-deb -x "$deb" "$sysroot" || fail "could not unpack $deb"
    done
    # Links that name an absolute path would leave the sysroot: point them
    # at the same file inside it.
    local link target
    while IFS= read -r -d '' link; do
        target=$(readlink "$link")
        ln -sfnr "$sysroot$target" "$link"
    done < <(find "$sysroot" -type l -lname '/*' -print0)
    rm -rf "$state"
    echo "$SYSROOT_PACKAGES" >"$cache/sysroot.packages"
}

# 1. Set-up.
start=$(now)
mkdir -p "$cache"
: >"$log"
setup_host
cached=" (cached)"
if [ ! -d "$sysroot/usr" ] || [ "$(cat "$cache/sysroot.packages" 2>/dev/null)" != "$SYSROOT_PACKAGES" ]; then
    setup_sysroot
    cached=""
fi
echo "armhf set-up: $(($(now) - start)) s$cached"

# 2. Cross build, with the native build's flags and options.
start=$(now)
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/armhf-toolchain.cmake \
        -DCMAKE_RULE_MESSAGES=OFF -DCMAKE_TARGET_MESSAGES=OFF >/dev/null || fail "configuring $build failed"
fi
cmake --build "$build" -j "$jobs" -- --no-print-directory -s || fail "cross build failed"
echo "armhf cross build: $(($(now) - start)) s"

# 3. The test suite, every program through qemu-arm.
start=$(now)
ctest --test-dir "$build" --output-on-failure -j "$jobs" || fail "tests under qemu-arm failed"
echo "armhf tests under qemu-arm: $(($(now) - start)) s"

# 4. The ARM program writes what the native one writes.
start=$(now)
[ -x build/pm5544 ] || fail "build/pm5544 is missing (make build)"
scripts/compare-builds.sh --quick build/pm5544 "qemu-arm -L $sysroot $build/pm5544" ||
    fail "the armhf program writes other output than build/pm5544"
echo "armhf comparison with build/pm5544: $(($(now) - start)) s"
