#!/usr/bin/env bash
# The Python module on 5000 species-like taxa (8 decimals), on a matrix
# already in memory, against the same job with scipy and against the C++
# engines called directly:
#   tarvix.optimise(M, REF, maximum=0.1, step=0.001, fraction=F)   F = 0, 1
#   scipy: linkage single / complete, fcluster at the 101 thresholds,
#          adjusted_rand_score at each (bench/peer_scipy.py's job)
#   C++:   the same engine calls as the module (bench/python_engine.cpp)
# The module runs twice per round: with its default check that every entry
# is finite (one pass over the matrix), and with check_finite=False.
# Each round runs the three in turn in fresh processes; each process times
# its job in-process around the call (the matrix is loaded before the clock
# starts). Prints the medians and the medians of the per-round ratios.
# Needs a build with the module (-DTARVIX_PYTHON=AUTO with pybind11-dev and
# python3-numpy) and Debian's python3-scipy and python3-sklearn. Run it
# alone: it takes the benchmark lock.
source "$(dirname "$0")/common.sh"
exec 9>/tmp/tarvix-bench.lock
flock 9
N="${N:-5000}"
ROUNDS="${ROUNDS:-5}"
PYTHON=/usr/bin/python3
MODULE_DIR="${MODULE_DIR:-$ROOT/build/python}"
M=$(matrix "$N" 8 1)
REF="${M%.dst}_ref.txt"
BIN="${M%.dst}.bin"
LABELS="${M%.dst}.labels"
NPY="${M%.dst}.npy"
if [ ! -f "$NPY" ]; then
  PYTHONPATH="$MODULE_DIR" $PYTHON - "$M" "$NPY" "$BIN" "$LABELS" <<'PY'
import sys, numpy, tarvix
m = tarvix.read_matrix(sys.argv[1])
numpy.save(sys.argv[2], m.distances)
m.distances.tofile(sys.argv[3])
open(sys.argv[4], 'w').write('\n'.join(m.labels) + '\n')
PY
fi
ENGINE="$SCRATCH/python_engine"
[ "$ENGINE" -nt "$BENCH_DIR/python_engine.cpp" ] && [ "$ENGINE" -nt "$ROOT/build/libtarvix_core.a" ] ||
  g++ -O2 -std=c++20 -fopenmp -I"$ROOT/src" -o "$ENGINE" "$BENCH_DIR/python_engine.cpp" \
    "$ROOT/build/libtarvix_core.a" -lz -pthread

module_job() {  # module_job F CHECK: seconds of tarvix.optimise on the loaded array
  PYTHONPATH="$MODULE_DIR" $PYTHON - "$NPY" "$LABELS" "$REF" "$1" "$2" <<'PY'
import sys, time, numpy, tarvix
d = numpy.load(sys.argv[1])
labels = open(sys.argv[2]).read().split()
species = dict(line.split('\t')[:2] for line in open(sys.argv[3]).read().splitlines())
start = time.perf_counter()
r = tarvix.optimise(d, species, labels=labels, maximum=0.1, step=0.001, fraction=float(sys.argv[4]),
                    check_finite=sys.argv[5] == 'check')
print('%.6f %.8f' % (time.perf_counter() - start, sum(r.best_thresholds)))
PY
}

scipy_job() {  # scipy_job single|complete: seconds of linkage + 101 cuts + ARI
  $PYTHON - "$NPY" "$LABELS" "$REF" "$1" <<'PY'
import sys, time, numpy
from scipy.cluster.hierarchy import fcluster, linkage
from scipy.spatial.distance import squareform
from sklearn.metrics import adjusted_rand_score
d = numpy.load(sys.argv[1])
labels = open(sys.argv[2]).read().split()
species = dict(line.split('\t')[:2] for line in open(sys.argv[3]).read().splitlines())
truth = [species[label] for label in labels]
start = time.perf_counter()
tree = linkage(squareform(d, checks=False), method=sys.argv[4])
best = max((adjusted_rand_score(truth, fcluster(tree, t, criterion='distance')), t)
           for t in numpy.arange(101) * 0.001)
print('%.6f %.8f' % (time.perf_counter() - start, best[1]))
PY
}

for f in 0 1; do
  method=$([ "$f" = 0 ] && echo single || echo complete)
  rows=()
  for ((r = 1; r <= ROUNDS; r++)); do
    e=$("$ENGINE" "$BIN" "$LABELS" "$REF" "$f" | cut -d' ' -f1)
    m=$(module_job "$f" check | cut -d' ' -f1)
    u=$(module_job "$f" unchecked | cut -d' ' -f1)
    s=$(scipy_job "$method" | cut -d' ' -f1)
    rows+=("$e $m $s $u")
  done
  printf '%s\n' "${rows[@]}" | $PYTHON -c "
import statistics, sys
rows = [list(map(float, line.split())) for line in sys.stdin]
e, m, s, u = (statistics.median(c) for c in zip(*rows))
over = statistics.median(r[1] / r[0] for r in rows)
over_unchecked = statistics.median(r[3] / r[0] for r in rows)
vs = statistics.median(r[1] / r[2] for r in rows)
spread = max(r[0] for r in rows) / min(r[0] for r in rows)
print('F = $f: C++ engines %.3fs, module %.3fs (check_finite=False %.3fs), scipy $method %.3fs; '
      'module / C++ %.3f (unchecked %.3f), module / scipy %.3f (medians of %d rounds; C++ slowest / fastest '
      'round %.2f)' % (e, m, u, s, over, over_unchecked, vs, len(rows), spread))
"
done
