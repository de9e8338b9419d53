#!/bin/sh
# Installs the Debian packages the build, the program, its tests (groff-base
# checks the manual page, clang-format the code's style, ffmpeg reads and
# encodes the Y4M streams and is the client the measuring tests put the card
# through) and `make package` (dpkg-dev, file) need.
# Quiet and quick when everything is already there. Given package names,
# installs those instead (make fuzz asks for clang this way).
set -e

PACKAGES="g++ make cmake pkg-config libpng-dev libtiff-dev nlohmann-json3-dev \
libcairo2-dev libpango1.0-dev libfontconfig-dev libfreetype-dev libglib2.0-dev \
libgtest-dev libbenchmark-dev fonts-dejavu-core groff-base clang-format dpkg-dev file ffmpeg"
# ISA-L deflates PNG data several times faster than zlib on the machines it
# has hand-written code for; elsewhere the build uses zlib.
case "$(dpkg --print-architecture)" in
    amd64 | arm64) PACKAGES="$PACKAGES libisal-dev" ;;
esac
[ $# -gt 0 ] && PACKAGES="$*"

missing=""
for p in $PACKAGES; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $p" ;;
    esac
done

[ -z "$missing" ] && exit 0

echo "Installing missing packages:$missing"
if [ "$(id -u)" -ne 0 ]; then
    echo "Run as root (or install them yourself):$missing" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends $missing >/dev/null
