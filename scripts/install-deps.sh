#!/bin/sh
# Installs the Debian packages that building, testing and running Kalvo Planner need.
# Packages already installed are skipped; works as root or through sudo.
set -eu

PACKAGES="qt6-base-dev libqt6opengl6-dev qt6-charts-dev qt6-multimedia-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good fonts-liberation
  cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libpugixml-dev
  clang-14 libclang-rt-14-dev poppler-utils xvfb xauth imagemagick
  desktop-file-utils appstream dpkg-dev python3
  libical-dev pkg-config python3-icalendar zlib1g-dev dbus-daemon openssl radicale xandikos
  libqt6sql6-sqlite qtkeychain-qt6-dev python3-caldav python3-recurring-ical-events"

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

if [ -z "$missing" ]; then
    echo "All build, test and run dependencies are installed."
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=""
elif command -v sudo >/dev/null 2>&1; then
    as_root="sudo"
else
    echo "Installing$missing needs root rights; run this script as root." >&2
    exit 1
fi

echo "Installing:$missing"
$as_root env DEBIAN_FRONTEND=noninteractive apt-get update
# shellcheck disable=SC2086
$as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
