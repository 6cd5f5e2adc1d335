#!/usr/bin/env bash
# Sets up, builds (with AddressSanitizer and UBSan) and runs the whole test
# suite, under a virtual X server when there is no display.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh build-essential cmake qtbase5-dev libqt5opengl5-dev \
    libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libgtest-dev \
    xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOLVAR_SANITIZE=ON -DKOLVAR_TESTS=ON >/dev/null
cmake --build build-test -j2
export LIBGL_ALWAYS_SOFTWARE=1
tests=(ctest --test-dir build-test --output-on-failure -j2 "$@")
if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" "${tests[@]}"
else
    "${tests[@]}"
fi
