#!/bin/bash
# Renders the same set of configurations with two builds of pm5544 and
# compares everything they write: exit status, standard output and standard
# error, decoded PNG pixels, and the bytes of TIFF, DPX (apart from its
# creation time), Y4M and pattern files. A file written to standard output
# (the name -) is compared as a file of its kind.
#
#   scripts/compare-builds.sh [--quick] OLD NEW
#
# OLD and NEW are commands that start a build, for example build/pm5544 or
# "qemu-arm -L SYSROOT build-armhf/pm5544" (split on spaces). Prints one line
# per configuration that differs and a summary; exits 1 when any differs.
# --quick leaves out the largest sizes. KEEP=1 keeps the rendered files.
set -u

quick=0
if [ "${1:-}" = "--quick" ]; then
    quick=1
    shift
fi
if [ $# -ne 2 ]; then
    echo "usage: $0 [--quick] OLD NEW" >&2
    exit 2
fi
# Words of the commands that name existing files are made absolute, since
# every run starts in a folder of its own.
absolute() {
    local out="" w
    for w in $1; do
        if [ -e "$w" ] && [ "${w#/}" = "$w" ]; then w="$PWD/$w"; fi
        out="$out $w"
    done
    echo "${out# }"
}
OLD=$(absolute "$1")
NEW=$(absolute "$2")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/compare-builds.XXXXXX")
if [ "${KEEP:-0}" = 1 ]; then
    echo "files kept in $work"
else
    trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work/old" "$work/new"

# PNG files are compared by their decoded samples: compression settings may
# change, the picture may not.
pngpixels="$work/png-pixels"
if ! cc -O2 -o "$pngpixels" "$here/png-pixels.c" $(pkg-config --cflags --libs libpng) 2>"$work/cc.log"; then
    cat "$work/cc.log" >&2
    exit 2
fi

ycbcr_spaces="601 709 2020 PQ PQ-Mapped HLG HLG-Mapped S-Log3 S-Log3-Mapped S-Log3-Live S-Log3-Live-Mapped"
rgb_hdr_spaces="RGB-PQ RGB-PQ-Mapped RGB-HLG RGB-HLG-Mapped RGB-S-Log3 RGB-S-Log3-Mapped RGB-S-Log3-Live RGB-S-Log3-Live-Mapped"
all_spaces="RGB RGB-headroom $ycbcr_spaces $rgb_hdr_spaces"

configs=()
add() { configs+=("$*"); }

# Every colour space at every sampling and depth, cycling through the image
# kinds and a few small sizes.
kinds=(png tif dpx)
sizes=(96x54 160x90 176x144 250x140)
i=0
for c in $all_spaces; do
    for s in 444 422 420; do
        for b in 8 10 12; do
            add -d "${sizes[i % 4]}" -c "$c" -s "$s" -b "$b" "m$i.${kinds[i % 3]}"
            i=$((i + 1))
        done
    done
done

# Full range, every image kind.
for c in RGB RGB-headroom 601 709 2020 PQ HLG-Mapped S-Log3-Live RGB-PQ RGB-S-Log3-Mapped; do
    for k in png tif dpx; do
        add -fr -d 200x112 -c "$c" -s 422 -b 10 "fr-$c.$k"
    done
done

# Instrument pattern files: every colour space each kind accepts.
for c in $ycbcr_spaces; do
    add -d 1280x720 -c "$c" -s 422 "pat-$c.pat"
    add -d 1280x720 -c "$c" -s 444 "yc4-$c.yc4"
done
for c in RGB-headroom $rgb_hdr_spaces; do
    add -d 1280x720 -c "$c" "rgb-$c.rgb"
    add -d 1280x720 -c "$c" "xyz-$c.xyz"
done
add -fr -d 1280x720 -c PQ -s 422 fr.pat
add -fr -d 1280x720 -c RGB-headroom fr.xyz

# Odd and tiny sizes, every kind.
odd_sizes="4x1 64x1 101x77 1001x31"
[ $quick = 0 ] && odd_sizes="$odd_sizes 1919x1079"
for d in $odd_sizes; do
    add -d "$d" -c 709 -s 422 -b 10 "odd-$d.png"
    add -d "$d" -c PQ -s 420 -b 8 "odd-$d-420.png"
    add -d "$d" -c 601 -s 422 -b 12 "odd-$d.tif"
    add -d "$d" -c RGB-HLG -b 10 "odd-$d.dpx"
    add -d "$d" -c 709 -s 422 -b 10 "odd-$d-422.dpx"
    add -d "$d" -c 709 -s 422 "odd-$d.pat"
    add -d "$d" -c S-Log3-Live -s 444 "odd-$d.yc4"
    add -d "$d" -c RGB-headroom "odd-$d.rgb"
    add -d "$d" -c RGB-PQ-Mapped "odd-$d.xyz"
done

# Y4M streams: every Y'CbCr colour space at every sampling and depth, odd
# sizes, full range, the stream options, and clips.
i=0
for c in $ycbcr_spaces; do
    for s in 444 422 420; do
        for b in 8 9 10 11 12 13 14 15 16; do
            add -d "${sizes[i % 4]}" -c "$c" -s "$s" -b "$b" "y$i.y4m"
            i=$((i + 1))
        done
    done
done
for d in 4x1 101x77 1001x31; do
    add -d "$d" -c 709 -s 420 -b 10 "odd-$d.y4m"
    add -d "$d" -c HLG -s 422 -b 8 "odd-$d-422.y4m"
done
add -fr -d 200x112 -c 709 -s 422 -b 10 fr.y4m
add -fr -d 200x112 -c S-Log3 -s 420 -b 12 fr-slog3.y4m
add -d 720x576 -a 4x3 -c 601 -s 422 -b 10 --rate 30000/1001 --field-order tff sd.y4m
add -d 720x576 -a 16x9 -c 601 -s 420 -b 8 --rate 50:1 --field-order bff sd-wide.y4m
add -d 1920x1080 -c 709 -s 422 -b 10 --frames 3 --rate 60000:1001 clip.y4m
add -d 128x72 -c 709 --format y4m card.png
add -d 128x72 -c 709 --format png card.y4m

# Standard output (the name -), every kind.
add -d 128x72 -c 709 -s 422 -b 10 -
for k in png tif dpx y4m; do
    add -d 128x72 -c 709 -s 422 -b 10 --format "$k" -
done
add -d 1280x72 -c 709 -s 422 --format pat -
add -d 1280x72 -c 709 -s 444 --format yc4 -
add -d 1280x72 -c RGB-headroom --format rgb -
add -d 1280x72 -c RGB-PQ --format xyz -
add -d 128x72 -c 709 -s 420 -b 10 --frames 2 --format y4m -

# Aspects and common sizes.
add -d 720x576 -a 4x3 -c 601 -s 422 -b 10 sd.png
add -d 720x576 -a 4x3 -c 601 -s 422 -b 10 sd.dpx
add -d 720x576 -a 16x9 -c 709 -s 420 -b 8 sd-wide.tif
add -d 1024x768 -a 4x3 -c RGB sd-rgb.png
add -d 640x480 -a 1x1 -c 2020 -b 10 square.png
add -d 640x480 -a 21x9 -c HLG -s 422 -b 10 cinema.tif
add -d 1920x1080 -a 14x9 -c 709 -s 422 -b 10 hd.dpx
add -d 1920x1080 -c 709 -s 422 -b 10 hd.png
add -d 1920x1080 -c 709 -s 422 hd.pat
add -d 1920x1080 -c RGB-headroom hd.xyz
if [ $quick = 0 ]; then
    add -d 3840x2160 -c PQ -s 422 -b 10 uhd.png
    add -d 3840x2160 -c 709 -s 422 -b 10 uhd.dpx
    add -d 3840x2160 -c 709 -s 444 -b 12 uhd.tif
    add -d 2048x1080 -c RGB-S-Log3-Live -b 12 dci.rgb
fi

# The command line's corners: default names, other extensions, options that
# change nothing, line-end shaping, quadrants that write.
add -d 128x72 noextension
add -d 128x72 -c 709 picture.jpg
add -d 128x72 -c 709 -e -v -no_compress -o 7 extra.png
add -d 128x72 -c 709 -i yes skip.png
add -d 128x72 -c 709 -x late.png
add -q TL -d 128x72 -c 709 quadrant.tif
add -q BR -d 1280x720 -c 709 -s 422 quadrant.pat
add -d 1280 -c 709 width-only.png

# Runs that fail, compared by their messages and status.
add -d 128x72 -q TL quadrant.png
add -c foo x.png
add -b 7 x.png
add -b 17 x.dpx
add -d 3x3 x.png
add -d 128x0 x.png
add -a 0x9 x.png
add -d 2000000x2000000 x.png
add -d 128x72 x.pat
add -d 128x72 -b 10 -c 709 -s 422 x.yc4
add -d 128x72 -c RGB x.rgb
add -d 128x72 -c 709 x.xyz
add -d 128x72 -c 709 -s 422 x.yc4
add -d 128x72 missing-folder/x.png
add -d 128x72 missing-folder/x.tif
add -d 128x72 missing-folder/x.dpx
add -d 128x72 -c 709 missing-folder/x.y4m
add -d 128x72 -c 709 -s 422 missing-folder/x.pat
add -c RGB x.y4m
add -c RGB-PQ -b 10 x.y4m
add --frames 2 x.png
add -c 709 --frames 0 x.y4m
add -c 709 --rate 0 x.y4m
add -c 709 --rate 25/0 x.y4m
add -c 709 --frames x x.y4m
add -c 709 --format jpg x.y4m
add -c 709 --field-order top x.y4m
add -c 709 x.y4m --rate
add -d 7680x4320 -c 709 -s 420 -b 8 --rate 2147483647/2147483646 x.y4m
add -d 128x72 -c 709 -b 10 --format yc4 -
add
add -i x.png
add -u
add -u -d 720x576 -a 4x3

run_one() {  # dir command args...
    local dir=$1
    shift
    # A run that hangs is cut off (status 124) rather than stopping the comparison.
    (cd "$dir" && eval timeout 600 "$1" '"${@:2}"' >stdout 2>stderr; echo $? >status)
}

describe() {  # file kind -> one line that must match between the builds
    local f=$1
    if [ ! -e "$f" ]; then
        echo "no file"
        return
    fi
    case "$2" in
        tif | pat | rgb | yc4 | xyz | y4m) md5sum <"$f" ;;
        dpx)
            # Everything but the creation time (24 bytes from offset 136).
            { head -c 136 "$f"; tail -c +161 "$f"; } | md5sum
            ;;
        *) "$pngpixels" "$f" ;;
    esac
}

differ=0
n=0
for cfg in "${configs[@]}"; do
    read -r -a args <<<"$cfg"
    n=$((n + 1))
    d="$work/c$n"
    mkdir -p "$d/old" "$d/new"
    run_one "$d/old" "$OLD" "${args[@]}" &
    run_one "$d/new" "$NEW" "${args[@]}" &
    wait
    name=""
    [ ${#args[@]} -gt 0 ] && name=${args[${#args[@]}-1]}
    # The kind of file: the one --format names, else the name's extension.
    kind=${name##*.}
    for ((a = 0; a + 1 < ${#args[@]}; a++)); do
        [ "${args[a]}" = "--format" ] && kind=${args[a + 1]}
    done
    if [ "$name" = "-" ]; then
        # Standard output holds the file: compared as a file of its kind.
        [ "$kind" = "-" ] && kind=png
        name="stdout-file.$kind"
        for side in old new; do
            mv "$d/$side/stdout" "$d/$side/$name"
            : >"$d/$side/stdout"
        done
    fi
    problems=""
    cmp -s "$d/old/status" "$d/new/status" || problems="$problems status($(cat "$d/old/status")->$(cat "$d/new/status"))"
    cmp -s "$d/old/stdout" "$d/new/stdout" || problems="$problems stdout"
    cmp -s "$d/old/stderr" "$d/new/stderr" || problems="$problems stderr"
    if [ -n "$name" ] && [ "$name" != "-u" ]; then
        a=$(describe "$d/old/$name" "$kind")
        b=$(describe "$d/new/$name" "$kind")
        [ "$a" = "$b" ] || problems="$problems file($a | $b)"
    fi
    if [ -n "$problems" ]; then
        differ=$((differ + 1))
        echo "DIFFERS: $cfg:$problems"
    fi
    [ "${KEEP:-0}" = 1 ] || rm -rf "$d"
done

echo "$n configurations compared, $differ differ"
[ $differ -eq 0 ]
