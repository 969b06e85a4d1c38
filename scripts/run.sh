#!/usr/bin/env bash
# Builds the program and starts it in demo mode (the built-in engine).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
if [ -x build/bin/quorvel ]; then
    exec build/bin/quorvel --demo "$@"
fi
echo "Built everything under build/. The program itself does not exist yet;"
echo "what runs today: the tests (scripts/test.sh) and the benchmarks in build/bin/bench_*."
