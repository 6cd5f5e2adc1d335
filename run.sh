#!/usr/bin/env bash
# Sets up, builds and runs Kolvar from the repository root, with Qt 6.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh build-essential cmake qt6-base-dev libqt6opengl6-dev \
    libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libxkbcommon-x11-dev
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOLVAR_QT=6 -DKOLVAR_TESTS=OFF >/dev/null
cmake --build build -j2
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Kolvar needs a graphical display, and none is set (DISPLAY is empty)."
    echo "Run it from a desktop session, or under a virtual X server:"
    echo "    sudo apt-get install xvfb && xvfb-run -s '-screen 0 1600x900x24' ./run.sh"
    exit 1
fi
exec ./build/kolvar "$@"
