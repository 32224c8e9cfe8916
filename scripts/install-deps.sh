#!/usr/bin/env bash
# Installs everything the build, the example run and the tests need on Debian 12.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends \
    build-essential cmake ninja-build pkg-config \
    libshp-dev libsqlite3-dev qt6-base-dev qt6-translations-l10n libxcb1-dev \
    libgtest-dev libgmock-dev libbenchmark-dev \
    gdal-bin python3-gdal proj-bin strace \
    clang libclang-rt-14-dev clang-tidy cppcheck \
    xvfb xauth \
    python3-qgis fonts-lato fonts-averia-sans-gwf fonts-urw-base35 \
    libqgis-dev qtbase5-dev qgis-providers \
    dpkg-dev file desktop-file-utils git
