#!/usr/bin/env bash
# Configures and builds everything into build/ with Ninja.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${KEMB_CMAKE_ARGS:-}
cmake --build build -j8
