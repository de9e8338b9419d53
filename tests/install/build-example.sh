#!/bin/sh
# The installed package as its users meet it: installs the build tree into a
# prefix of its own, builds examples/colour-bars against it once through
# find_package(pm5544) and once through pkg-config, and runs both builds.
#
#   build-example.sh CMAKE CXX BUILD_DIR SOURCE_DIR [SANITIZER_FLAGS]
#
# Quiet unless a step fails; then that step's output is shown.
set -eu
cmake=$1 cxx=$2 build=$3 source=$4 sanitize=${5:-}
prefix=$build/test-install
work=$build/test-example
example=$source/examples/colour-bars
log=$work/step.log

mkdir -p "$work/cmake" "$work/pkg-config" "$work/out"
step() {
    if ! "$@" >"$log" 2>&1; then
        cat "$log"
        echo "FAILED: $*"
        exit 1
    fi
}

# A fresh prefix every time, so that a file an earlier install left behind
# cannot stand in for one this install no longer makes.
rm -rf "$prefix"
step "$cmake" --install "$build" --prefix "$prefix"
for f in bin/pm5544 bin/pm5544-inspect share/man/man1/pm5544.1 include/pm5544/tools/Pixel.h include/pm5544/patterns/PatternWrapper.h \
         include/pm5544/writers/writePng.h; do
    [ -f "$prefix/$f" ] || { echo "FAILED: $f not installed"; exit 1; }
done
# The programs' own parts are not the library's interface.
for d in inspect settings rows patterns/pm5544; do
    [ ! -e "$prefix/include/pm5544/$d" ] || { echo "FAILED: include/pm5544/$d installed"; exit 1; }
done
step "$prefix/bin/pm5544" --version

step "$cmake" -S "$example" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_CXX_FLAGS="-Werror $sanitize" -DCMAKE_EXE_LINKER_FLAGS="$sanitize"
step "$cmake" --build "$work/cmake"

pc=$(dirname "$(find "$prefix" -name pm5544.pc)")
flags=$(PKG_CONFIG_PATH=$pc pkg-config --cflags --libs pm5544) || { echo "FAILED: pkg-config pm5544"; exit 1; }
# shellcheck disable=SC2086 # the flags are separate words
step "$cxx" -std=c++17 -Wall -Wextra -Werror $sanitize -o "$work/pkg-config/colour-bars" \
    "$example/main.cpp" "$example/ColourBars.cpp" $flags

# Both builds write every kind of file, byte for byte the same.
cd "$work/out"
for kind in png tif pat; do
    step "$work/cmake/colour-bars" "cmake.$kind" 1280x720
    step "$work/pkg-config/colour-bars" "pkg-config.$kind" 1280x720
    cmp -s "cmake.$kind" "pkg-config.$kind" || { echo "FAILED: the two $kind files differ"; exit 1; }
done
[ "$(head -c 4 cmake.png | tail -c 3)" = PNG ] || { echo "FAILED: cmake.png is no PNG"; exit 1; }
