#!/usr/bin/env bash
# Builds the project with AddressSanitizer and UndefinedBehaviorSanitizer into build-san/ and runs every
# test there; any sanitizer report ends the test that made it, so the run fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKEMB_BUILD_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_EXE_LINKER_FLAGS=$flags" ${KEMB_CMAKE_ARGS:-}
cmake --build build-san -j8
source scripts/postgres.sh

# Leak checking stays off: Qt's network thread can leave a cycle of its own objects behind at exit, which
# would fail a test at random without pointing at this program's code.
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd build-san
QT_QPA_PLATFORM=offscreen ctest -j8 --output-on-failure --timeout 600
