#!/usr/bin/env bash
# Sets up, builds (with AddressSanitizer and UBSan) and runs the whole test
# suite, under a virtual X server when there is no display. Builds against
# Qt 6 into build-test/; KOLVAR_QT=5 ./test.sh builds against Qt 5.15 into
# build-test-qt5/. The package test packs a hardened Release build that the
# build makes beside it (build-test-release/, build-test-qt5-release/).
# Arguments go to ctest (e.g. -R e2e).
set -euo pipefail
cd "$(dirname "$0")"
qt="${KOLVAR_QT:-6}"
case "$qt" in
    6) build=build-test; qt_packages=(qt6-base-dev libqt6opengl6-dev) ;;
    5) build=build-test-qt5; qt_packages=(qtbase5-dev) ;;
    *) echo "KOLVAR_QT must be 5 or 6, not '$qt'" >&2; exit 2 ;;
esac
tools/install-deps.sh build-essential cmake "${qt_packages[@]}" \
    libgl1-mesa-dev libglu1-mesa-dev libxkbcommon-x11-dev libgl1-mesa-dri libgtest-dev \
    xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core desktop-file-utils \
    lintian appstream
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOLVAR_QT="$qt" -DKOLVAR_SANITIZE=ON \
    -DKOLVAR_TESTS=ON >/dev/null
cmake --build "$build" -j2
export LIBGL_ALWAYS_SOFTWARE=1
tests=(ctest --test-dir "$build" --output-on-failure -j2 "$@")
if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" "${tests[@]}"
else
    "${tests[@]}"
fi
