#!/usr/bin/env bash
# Configures and builds Tovra. Usage: scripts/build.sh [build-dir] [extra cmake arguments...]
# TOVRA_TARGETS="a b" builds only those targets (and what they need).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${1:-$root/build}"
shift || true

cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@"
targets=()
for target in ${TOVRA_TARGETS:-}; do
    targets+=(--target "$target")
done
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"
