#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tessaly.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
tessaly_install_deps
tessaly_build build
if [ -x build/src/app/tessaly ]; then
    exec build/src/app/tessaly "$@"
fi
echo "Tessaly was built; the history core has no application to start yet (build/src/app/tessaly)."
