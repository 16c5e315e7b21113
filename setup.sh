#!/bin/sh
# Set-up for a fresh Debian 12 machine.
#   ./setup.sh play   installs what is missing, builds the game and starts it
#   ./setup.sh test   installs what is missing, checks the format of changed sources and that
#                     no new code is unreferenced, builds under the sanitizers, runs every test,
#                     then the tests that start threads under ThreadSanitizer
set -eu
cd "$(dirname "$0")"

PACKAGES="build-essential cmake ninja-build pkg-config git
libsdl2-dev libgl-dev libegl-dev libopengl-dev libgl1-mesa-dri libegl-mesa0
libexpat1-dev libpng-dev libjpeg-dev zlib1g-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core
libvorbisidec-dev libmpg123-dev libxmp-dev
glslang-dev glslang-tools libspirv-cross-c-shared-dev libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
libopenjp2-7-dev libx11-dev libxi-dev libxfixes-dev
libgtest-dev libgmock-dev libbenchmark-dev liblua5.4-dev
xvfb xdotool x11-apps xfonts-base
clang-format-14 python3"

install_missing() {
    missing=""
    for p in $PACKAGES; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing="$missing $p"
        fi
    done
    [ -z "$missing" ] && return 0
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing:$missing"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
}

jobs=$(nproc 2>/dev/null || echo 2)
# One test more than the cores: the real-window tests wait on a game running in real time, and
# one more test fills what they leave of a core (on two cores: 1,011 s for the sanitized tests
# against 1,057 s).
test_jobs=$((jobs + 1))

case "${1:-}" in
play)
    shift
    install_missing
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DP7_BUILD_TESTS=OFF -DP7_BUILD_BENCH=OFF
    cmake --build build/release --target pelnora7 -j "$jobs"
    exec build/release/pelnora7 "$@"
    ;;
test)
    install_missing
    # The cheap checks first: changed sources follow .clang-format, and no code is added that
    # nothing in the game reaches (an unoptimized build of its own, build/unref).
    .ci/check-format.sh
    python3 tools/unreferenced.py --jobs "$jobs"
    # The test builds keep line tables only (-g1): the sanitizers' reports need no more, and full
    # debugging information costs about a quarter of the compile time on a small machine.
    cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DP7_SANITIZE=ON \
        -DCMAKE_C_FLAGS_DEBUG=-g1 -DCMAKE_CXX_FLAGS_DEBUG=-g1
    cmake --build build/asan -j "$jobs"
    ctest --test-dir build/asan --output-on-failure -j "$test_jobs"
    # Then the tests that start threads once more under ThreadSanitizer, so a data race fails.
    cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DP7_TSAN=ON -DP7_BUILD_BENCH=OFF \
        -DCMAKE_C_FLAGS_DEBUG=-g1 -DCMAKE_CXX_FLAGS_DEBUG=-g1
    cmake --build build/tsan --target p7_tests -j "$jobs"
    ctest --test-dir build/tsan --output-on-failure -j "$test_jobs"
    ;;
*)
    echo "usage: $0 play [game options] | test" >&2
    exit 2
    ;;
esac
