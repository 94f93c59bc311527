# Shared set-up of the benchmark scripts: a scratch folder, the built binary,
# and the matrix generator.
set -euo pipefail
BENCH_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(dirname "$BENCH_DIR")"
SCRATCH="${SCRATCH:-${TMPDIR:-/tmp}/tarvix-bench}"
mkdir -p "$SCRATCH"
TARVIX="${TARVIX:-$ROOT/build/tarvix}"
[ -x "$TARVIX" ] || { cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=Release >/dev/null && cmake --build "$ROOT/build" -j2 --target tarvix >/dev/null; }

compile() {  # compile NAME: bench/NAME.cpp -> $SCRATCH/NAME
  [ "$SCRATCH/$1" -nt "$BENCH_DIR/$1.cpp" ] || g++ -O2 -std=c++20 -o "$SCRATCH/$1" "$BENCH_DIR/$1.cpp"
}

matrix() {  # matrix N DECIMALS SEED -> prints the path of the generated .dst
  compile generate_matrix
  local prefix="$SCRATCH/m$1_d$2_s$3"
  [ -f "$prefix.dst" ] || "$SCRATCH/generate_matrix" "$1" "$2" "$3" "$prefix"
  echo "$prefix.dst"
}

# seconds COMMAND...: the median wall time of 3 runs, output discarded
seconds() {
  python3 - "$@" <<'PY'
import subprocess, sys, time
times = []
for _ in range(3):
    t = time.perf_counter()
    subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    times.append(time.perf_counter() - t)
print('%.3f' % sorted(times)[1])
PY
}
