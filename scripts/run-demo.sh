#!/usr/bin/env bash
# Installs what the product needs, builds it and starts the host on the demo project.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh build
exec ./build/bin/quill-host "$@" demo/Demo.vbp
