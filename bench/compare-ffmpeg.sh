#!/bin/bash
# Side-by-side speed and memory of pm5544 and FFmpeg writing the same kind of
# file at the same size, in one run on this machine.
#
#   bench/compare-ffmpeg.sh [PM5544 [OLD_PM5544]]
#
# For each size (1080p, 4K, 8K) and output kind, runs pm5544 and FFmpeg
# (smptehdbars source) alternately RUNS times (default 5) and prints the
# median wall time and peak resident memory of each, and their ratios. Kinds
# FFmpeg cannot write (the instrument pattern files) are measured against
# OLD_PM5544 when one is given. Then Y4M streams into a pipe (`| cat`), one
# frame and a clip of CLIP frames (default 250), at 1080p and 4K, against
# FFmpeg writing the same stream (yuv422p10le Y4M). FFmpeg and GNU time are
# installed if missing, for the benchmarks only.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
pm=$(readlink -f "${1:-$here/build/pm5544}")
old=${2:-}
[ -n "$old" ] && old=$(readlink -f "$old")
runs=${RUNS:-5}
sizes=${SIZES:-"1920x1080 3840x2160 7680x4320"}

need=""
command -v ffmpeg >/dev/null || need="$need ffmpeg"
[ -x /usr/bin/time ] || need="$need time"
if [ -n "$need" ]; then
    echo "Installing for the benchmarks:$need"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $need >/dev/null
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/compare-ffmpeg.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# One measurement: "seconds kilobytes". The wall time is read from the clock
# in nanoseconds (GNU time's own is in hundredths, too coarse for the small
# sizes); the peak memory comes from GNU time.
measure() {
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f "%M" -o "$work/time" "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    end=$(date +%s%N)
    echo "$(((end - start) / 1000000000)).$(printf '%06d' $(((end - start) / 1000 % 1000000))) $(cat "$work/time")"
}

median() {  # values on standard input
    sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

pm_args() {  # kind -> the settings pm5544 renders it with
    case $1 in
        pat) echo "-c 709 -s 422" ;;
        yc4) echo "-c 709 -s 444" ;;
        rgb | xyz) echo "-c RGB-headroom" ;;
        *) echo "-c 709 -s 422 -b 10" ;;
    esac
}

ff_args() {  # kind -> FFmpeg's output settings for the same kind of file
    case $1 in
        png) echo "-pix_fmt rgba64be" ;;
        dpx) echo "-pix_fmt gbrp10le" ;;
        tif) echo "-pix_fmt rgb48le -compression_algo lzw" ;;
    esac
}

# Wall times suffer from other work on the machine: the load is shown before and after.
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-10s %-4s | %9s %9s | %9s %9s | %6s %6s | %s\n' size kind "pm5544 s" "MiB" "other s" "MiB" "time" "memory" "other"
for size in $sizes; do
    for kind in png dpx tif pat yc4 rgb xyz; do
        other=""
        case $kind in
            png | dpx | tif) other=ffmpeg ;;
            *) [ -n "$old" ] && other=old ;;
        esac
        : >"$work/a"
        : >"$work/b"
        for _ in $(seq "$runs"); do
            # shellcheck disable=SC2046
            measure "$pm" -d "$size" $(pm_args $kind) "card.$kind" >>"$work/a"
            case $other in
                ffmpeg)
                    # shellcheck disable=SC2046
                    measure ffmpeg -v error -y -f lavfi -i "smptehdbars=size=$size" -frames:v 1 $(ff_args $kind) \
                        "ff.$kind" >>"$work/b"
                    ;;
                old)
                    # shellcheck disable=SC2046
                    measure "$old" -d "$size" $(pm_args $kind) "old.$kind" >>"$work/b"
                    ;;
            esac
        done
        at=$(cut -d' ' -f1 "$work/a" | median)
        am=$(cut -d' ' -f2 "$work/a" | median)
        if [ -n "$other" ]; then
            bt=$(cut -d' ' -f1 "$work/b" | median)
            bm=$(cut -d' ' -f2 "$work/b" | median)
            awk -v s="$size" -v k="$kind" -v at="$at" -v am="$am" -v bt="$bt" -v bm="$bm" -v o="$other" 'BEGIN {
                printf "%-10s %-4s | %9.3f %9.1f | %9.3f %9.1f | %6.2f %6.2f | %s\n",
                    s, k, at, am / 1024, bt, bm / 1024, (bt > 0 ? at / bt : 0), am / bm, o }'
        else
            awk -v s="$size" -v k="$kind" -v at="$at" -v am="$am" 'BEGIN {
                printf "%-10s %-4s | %9.3f %9.1f | %9s %9s | %6s %6s |\n", s, k, at, am / 1024, "-", "-", "-", "-" }'
        fi
    done
done

# Y4M into a pipe: pm5544 and FFmpeg write the same stream, 10-bit 4:2:2, of
# one frame and of a clip; the reader is cat. A writer that fails fails the
# measurement (pipefail).
clip=${CLIP:-250}
y4m_sizes=${Y4M_SIZES:-"1920x1080 3840x2160"}
for size in $y4m_sizes; do
    for frames in 1 "$clip"; do
        : >"$work/a"
        : >"$work/b"
        for _ in $(seq "$runs"); do
            measure bash -o pipefail -c "'$pm' -d $size -c 709 -s 422 -b 10 --frames $frames --format y4m - 2>/dev/null | cat >/dev/null" >>"$work/a"
            measure bash -o pipefail -c "ffmpeg -v error -f lavfi -i smptehdbars=s=$size -frames:v $frames -pix_fmt yuv422p10le \
                -strict -1 -f yuv4mpegpipe - | cat >/dev/null" >>"$work/b"
        done
        at=$(cut -d' ' -f1 "$work/a" | median)
        am=$(cut -d' ' -f2 "$work/a" | median)
        bt=$(cut -d' ' -f1 "$work/b" | median)
        bm=$(cut -d' ' -f2 "$work/b" | median)
        awk -v s="$size" -v k="y4m" -v f="$frames" -v at="$at" -v am="$am" -v bt="$bt" -v bm="$bm" 'BEGIN {
            printf "%-10s %-4s | %9.3f %9.1f | %9.3f %9.1f | %6.2f %6.2f | FFmpeg, %s into a pipe\n",
                s, k, at, am / 1024, bt, bm / 1024, (bt > 0 ? at / bt : 0), am / bm, (f == 1 ? "1 frame" : f " frames") }'
    done
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
