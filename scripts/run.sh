#!/usr/bin/env bash
# First command of a newcomer: installs what is missing, builds and opens the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
exec build/src/kemb
