#!/usr/bin/env bash
# Builds the program and renders its window offscreen into docs/kemb.png (the README's picture).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
mkdir -p docs
QT_QPA_PLATFORM=offscreen build/tools/kemb_screenshot docs/kemb.png
echo "docs/kemb.png"
