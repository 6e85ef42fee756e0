#!/usr/bin/env bash
# Sets the magnifier up (packages, build) and starts it on this X11 display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
exec build/tevka-lupe
