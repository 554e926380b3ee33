#!/usr/bin/env bash
# Installs everything the build, the tests and the benchmarks need on a fresh Debian machine.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
    build-essential cmake pkg-config clang-format \
    clang libclang-rt-14-dev \
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqt6serialport6 \
    libgl-dev libgtest-dev libgmock-dev googletest \
    pybind11-dev python3-dev python3-pytest \
    fonts-dejavu-core fonts-liberation \
    libtomlplusplus-dev libqt6sql6-sqlite libqt6sql6-psql postgresql \
    dpkg-dev file lintian
