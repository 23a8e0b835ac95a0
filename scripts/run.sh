#!/usr/bin/env bash
# Installs what is missing, builds Tovra and starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$root/build"

"$root/scripts/install-deps.sh"
# Only the program and the fonts it shows; scripts/test.sh builds the tests and benchmarks.
TOVRA_TARGETS="tovra moxui_bundle" "$root/scripts/build.sh" "$build_dir"

if [ -x "$build_dir/Tovra/tovra" ]; then
    exec "$build_dir/Tovra/tovra" "$@"
fi
echo "tovra was not built in $build_dir" >&2
exit 1
