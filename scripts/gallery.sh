#!/bin/sh
# Renders the card in a few colour spaces and file kinds with pm5544 and
# writes pm5544-inspect's 8-bit previews of them, small enough to keep in the
# repository.
#
#   scripts/gallery.sh BUILD_DIR OUT_DIR
set -eu

build=$1
out=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/gallery.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# name, file, pm5544 settings (the preview reads the file with the same -c)
card() {
    name=$1
    file=$2
    shift 2
    "$build/pm5544" "$@" "$work/$file" >/dev/null
    colour=""
    prev=""
    for a in "$@"; do
        [ "$prev" = "-c" ] && colour=$a
        prev=$a
    done
    "$build/pm5544-inspect" -c "$colour" --preview "$out/$name.png" "$work/$file"
    echo "$out/$name.png: $file, $*"
}

card 709 card.dpx -d 480x270 -c 709 -s 422 -b 10
card 601-4x3 card.png -d 360x270 -a 4x3 -c 601 -s 422 -b 10
card pq card.tif -d 480x270 -c PQ
card hlg card.dpx -d 480x270 -c HLG -s 422 -b 10
card s-log3 card.png -d 480x270 -c S-Log3 -b 10
card rgb-headroom card.png -d 480x270 -c RGB-headroom
