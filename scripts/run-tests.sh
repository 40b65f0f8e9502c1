#!/usr/bin/env bash
# Installs what the tests need, builds with the sanitizers and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh --with-tests
./scripts/build.sh build-test -DQM_SANITIZE=ON -DQM_BUILD_BENCHMARKS=OFF \
  -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1"
cd build-test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 600
