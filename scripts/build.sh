#!/usr/bin/env bash
# Configures and builds into build/ with Ninja: the targets named as arguments, or everything without any.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${KEMB_CMAKE_ARGS:-}
cmake --build build -j8 ${1:+--target "$@"}
