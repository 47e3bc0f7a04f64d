#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with CTest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
tessaly_install_deps
tessaly_build build
cd build
ctest --output-on-failure --timeout 300 "$@"
