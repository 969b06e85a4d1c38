#!/usr/bin/env bash
# Installs every Debian package that building, testing and taking screenshots need.
# Idempotent and non-interactive; the only install step of the project.
set -euo pipefail

packages=(
    # toolchain
    build-essential cmake ninja-build pkg-config git
    # Qt 6 and JSON
    qt6-base-dev qt6-declarative-dev qt6-svg-dev nlohmann-json3-dev
    qml6-module-qtqml qml6-module-qtqml-models qml6-module-qtqml-workerscript
    qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-templates
    qml6-module-qtquick-layouts qml6-module-qtquick-window qml6-module-qttest
    libgl1-mesa-dri
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev
    # unpacking the VB-CABLE package (bsdtar) and checking its signature off Windows
    libarchive-tools osslsigncode
    # X11 tests and screenshots
    xvfb xauth xdotool libxi-dev trayer
    # the libFuzzer targets (tests/fuzz): clang with its fuzzer and sanitizer runtimes
    clang libclang-rt-14-dev
    # Windows primitives, cross-built and run under Wine
    g++-mingw-w64-x86-64-posix wine64 wine
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
