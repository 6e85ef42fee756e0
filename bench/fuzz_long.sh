#!/usr/bin/env bash
# A longer fuzzing run than the test command's ten seconds:
#   bench/fuzz_long.sh [seconds]   (default 1800)
exec bash "$(dirname "$0")/../scripts/fuzz.sh" "${1:-1800}"
