#!/usr/bin/env bash
# Installs what the product needs, builds it and starts the host on the demo project.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh build
# Registers the add-in (it loads on start-up) before the host starts.
./build/bin/quill-host --register build/bin/libQuillmark.so || echo "run-demo: the add-in could not be registered" >&2
exec ./build/bin/quill-host "$@" demo/Demo.vbp
