#!/usr/bin/env bash
# Builds everything and runs every test: the native build (Linux) and the cross build of the
# Win32 primitives, run under Wine.
#   scripts/test.sh                 native + Windows cross build
#   QV_SANITIZE=address scripts/test.sh   native build instrumented (address or thread)
#   QV_FUZZ_SECONDS=N scripts/test.sh     each fuzz target for N seconds (default 30, 0: none)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh

jobs="$(nproc)"
san="${QV_SANITIZE:-}"
native="build${san:+-$san}"

cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_SANITIZE="$san"
cmake --build "$native" -j "$jobs"
status=0
ctest --test-dir "$native" --output-on-failure -j "$jobs" --timeout 300 || status=1

# Every libFuzzer target on its seeds (30 s each; QV_FUZZ_SECONDS=0 skips them).
fuzz_seconds="${QV_FUZZ_SECONDS:-30}"
if [ -z "$san" ] && [ "$fuzz_seconds" != 0 ]; then
    bash tests/fuzz/run.sh "$fuzz_seconds" || status=1
fi

if [ -z "$san" ] && [ -f cmake/mingw-w64.cmake ]; then
    cmake -S . -B build-win -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DQV_WIN32_PRIMITIVES_ONLY=ON \
        -DQV_BUILD_BENCH=OFF
    cmake --build build-win -j "$jobs"
    ctest --test-dir build-win --output-on-failure --timeout 300 || status=1
fi
exit $status
