#!/bin/sh
# `make fuzz`: builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer in build-fuzz/ and runs each one for
# FUZZ_SECONDS (default 60) on its committed corpus, fuzz/corpus/<target>/.
# New inputs go to build-fuzz/corpus/<target>/ (kept between runs), findings
# to build-fuzz/artifacts/<target>/. Prints one line per target, and the
# report of any finding; exits non-zero when there was one.
set -e
cd "$(dirname "$0")/.."

BUILD=build-fuzz
SECONDS_EACH=${FUZZ_SECONDS:-60}
JOBS=${JOBS:-2}
TARGETS="fuzz-command-line fuzz-pattern-file fuzz-read-png fuzz-read-tiff fuzz-read-dpx fuzz-read-pattern fuzz-read-y4m
    fuzz-inspect"

# clang and its runtime (libclang_rt.fuzzer).
sh scripts/install-deps.sh clang libclang-rt-14-dev

mkdir -p "$BUILD"
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DPM5544_FUZZ=ON -DPM5544_TESTS=OFF \
        -DCMAKE_RULE_MESSAGES=OFF -DCMAKE_TARGET_MESSAGES=OFF >"$BUILD/configure.log" 2>&1 ||
        { cat "$BUILD/configure.log"; exit 1; }
fi
# clang's warnings about the sources are kept in the log, not shown.
cmake --build "$BUILD" --target $TARGETS -j "$JOBS" -- --no-print-directory -s >"$BUILD/build.log" 2>&1 ||
    { grep -v ': warning: ' "$BUILD/build.log" | tail -40; exit 1; }

found=0
for target in $TARGETS; do
    corpus="$BUILD/corpus/$target"
    artifacts="$BUILD/artifacts/$target"
    log="$BUILD/$target.log"
    mkdir -p "$corpus" "$artifacts"
    dict=""
    [ -f "fuzz/$target.dict" ] && dict="-dict=fuzz/$target.dict"
    # Files of the kinds read are larger than libFuzzer's 4096 bytes (a DPX's
    # headers alone take 8192).
    length=""
    case "$target" in fuzz-read-* | fuzz-inspect) length="-max_len=32768" ;; esac
    # The program's own messages on standard error are noise here (-close_fd_mask=2);
    # libFuzzer and the sanitizers still report on it.
    status=0
    LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$BUILD/fuzz/$target" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
        -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$artifacts/" $dict $length \
        "$corpus" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    time=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
    if [ "$status" -eq 0 ]; then
        echo "$target: ${runs:-?} runs in ${time:-?} s, no finding"
    else
        found=1
        echo "$target: FINDING (exit status $status) after ${runs:-?} runs; log $log"
        grep -E -A30 '^==[0-9]+==|runtime error|ERROR: libFuzzer|deadly signal|fuzz target exited' "$log" | head -60
        grep -E 'Test unit written to|artifact_prefix' "$log" || true
    fi
done
exit "$found"
