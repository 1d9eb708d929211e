#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, with a PostgreSQL server of its own for the
# database tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
source scripts/postgres.sh

cd build
QT_QPA_PLATFORM=offscreen ctest -j8 --output-on-failure --timeout 300
