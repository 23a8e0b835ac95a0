#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# Usage: scripts/test.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${1:-$root/build}"
shift || true

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$build_dir" "$@"
cd "$build_dir"
# The 10,000-operation soak runs only when asked for: TOVRA_CTEST_ARGS="-L soak".
ctest --output-on-failure --parallel "$(nproc)" ${TOVRA_CTEST_ARGS:--LE soak}
