#!/usr/bin/env bash
# Runs every fuzz target for SECONDS seconds over a scratch copy of its seed
# corpus, so that what the fuzzer adds never lands in the repository.
#   fuzz/run.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-30}
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for pair in matrix_reader:matrix partition_reader:partition option_scan:options; do
  target=${pair%%:*}
  corpus=${pair##*:}
  cp -r "$here/corpus/$corpus" "$scratch/$corpus"
  echo "fuzz_$target: $seconds s"
  (cd "$scratch" && "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
      -rss_limit_mb=2048 "$scratch/$corpus" 2>&1 | tail -n 12)
done
