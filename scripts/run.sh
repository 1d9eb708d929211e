#!/usr/bin/env bash
# First command of a newcomer: installs what is missing, builds the program alone and opens it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh kemb
exec build/src/kemb
